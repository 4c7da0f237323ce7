// The host's replaceable pieces, served by Python callables.
//
// The library takes a counted snapshot of a hook before it calls it, so the callable a
// hook calls is owned by the C++ hook itself: a handler that replaces or removes itself
// while it runs stays alive until it returns. The library may drop its last copy on any
// thread, with or without the GIL, even after the interpreter has gone; the callable is
// released under the GIL while Python runs and left alone after that.
#include "py_bindings.h"
#include "vemosupport/host.h"

namespace vemo::python {

namespace {

bool PythonIsRunning() {
#if PY_VERSION_HEX >= 0x030D0000
  return Py_IsInitialized() && !Py_IsFinalizing();
#else
  return Py_IsInitialized() && !_Py_IsFinalizing();
#endif
}

using Callable = std::shared_ptr<py::object>;

Callable Hold(py::object fn) {
  return Callable(new py::object(std::move(fn)), [](py::object* held) {
    if (PythonIsRunning()) {
      py::gil_scoped_acquire gil;
      delete held;
    } else {
      held->release();
      delete held;
    }
  });
}

class PythonConfigPathService : public IConfigPathService {
 public:
  explicit PythonConfigPathService(Callable fn) : fn_(std::move(fn)) {}

  Variant GetConfigPath(std::int32_t selector) override {
    py::gil_scoped_acquire gil;
    const py::object folder = (*fn_)(selector);
    if (std::optional<std::string> path = PathBytes(folder)) return Variant(std::move(*path));
    return FromPython(folder);
  }

 private:
  Callable fn_;
};

class PythonKivReader : public IKivReader {
 public:
  explicit PythonKivReader(Callable fn) : fn_(std::move(fn)) {}

  bool ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) override {
    py::gil_scoped_acquire gil;
    const py::bytearray buffer(reinterpret_cast<const char*>(block.data()), block.size());
    const bool ok = py::bool_((*fn_)(Text(path), Text(programId), buffer));
    // The reader fills the block in place; a block of another size is not taken.
    const std::string filled(buffer);
    if (filled.size() != block.size()) return false;
    std::copy(filled.begin(), filled.end(), block.begin());
    return ok;
  }

 private:
  Callable fn_;
};

void SetMessageBox(py::object fn) {
  if (fn.is_none()) return SetMessageBoxHandler(nullptr);
  SetMessageBoxHandler([fn = Hold(std::move(fn))](const std::string& text, const std::string& title, int style) {
    py::gil_scoped_acquire gil;
    const py::object answer = (*fn)(Text(text), Text(title), style);
    return answer.is_none() ? kMbResultOk : ArgInt32(answer);
  });
}

void SetConfigPathService(py::object fn) {
  if (fn.is_none()) return SetConfigPathServiceFactory(nullptr);
  SetConfigPathServiceFactory(
      [fn = Hold(std::move(fn))]() -> std::unique_ptr<IConfigPathService> {
        return std::make_unique<PythonConfigPathService>(fn);
      });
}

void SetKivReader(py::object fn) {
  if (fn.is_none()) return SetKivReaderFactory(nullptr);
  SetKivReaderFactory([fn = Hold(std::move(fn))]() -> std::unique_ptr<IKivReader> {
    return std::make_unique<PythonKivReader>(fn);
  });
}

void SetDefaultFolder(py::handle path) {
  if (path.is_none()) return ResetDefaultCatalogFolder();
  SetDefaultCatalogFolder(ArgPath(path));
}

void SetRecordFile(py::handle path) { SetRegistryFile(path.is_none() ? std::string() : ArgPath(path)); }

}  // namespace

void BindHooks(py::module_& module) {
  module.def("set_message_box", &SetMessageBox, py::arg("fn"),
             "fn(text, title, style) shows a message box and returns the button (None is OK); None restores the "
             "default. Text that is not UTF-8 arrives with surrogate escapes. An exception it raises reaches the "
             "caller of the member that showed the box. Returns None; never raises.");
  module.def("set_config_path_service", &SetConfigPathService, py::arg("fn"),
             "fn(selector) -> str, bytes or os.PathLike names the installed catalogue folder; None restores the "
             "default. An exception it raises reaches the caller of the factory member. Returns None; never "
             "raises.");
  module.def("set_default_catalog_folder", &SetDefaultFolder, py::arg("path"),
             "Sets the last-resort catalogue folder (str, bytes or os.PathLike); None restores the built-in one. "
             "Returns None. Raises AutomationError 13 for a value that cannot be text.");
  module.def("set_kiv_reader", &SetKivReader, py::arg("fn"),
             "fn(path, program_id, block: bytearray) -> bool reads a configuration file into block in place; None "
             "restores the default. It takes effect for later calls on every thread. An exception it raises reaches "
             "the caller of PopulateDevice, with the node as it was; Refresh ignores it. Returns None; never "
             "raises.");
  module.def("set_registry_file", &SetRecordFile, py::arg("path"),
             "Names the registration record file (str, bytes or os.PathLike); None restores the usual location. "
             "Returns None. Raises AutomationError 13 for a value that cannot be text.");
}

void ResetHooks() {
  SetMessageBoxHandler(nullptr);
  SetConfigPathServiceFactory(nullptr);
  SetKivReaderFactory(nullptr);
}

}  // namespace vemo::python
