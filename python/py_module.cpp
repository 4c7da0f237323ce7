// The vemosupport Python module: the library's objects under their automation names,
// AutomationError, and the process-wide hooks.
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>

#include "vemosupport/host.h"
#include "vemosupport/automation_error.h"
#include "platform/message_box.h"
#include "py_bindings.h"
#include "services/config_path_service.h"
#include "services/kiv_reader.h"

namespace vemo::python {

namespace {

// Python objects the hooks call. They live on the heap and are emptied when the
// interpreter exits (never destroyed after it), so no Python object outlives Python.
struct Hooks {
  py::object errorClass;
  py::object messageBox;
  py::object configPath;
  py::object kivReader;
};
Hooks& hooks = *new Hooks;

const char* const kErrorClassSource = R"(
class AutomationError(Exception):
    """An error raised by the library: its number, the member that raised it (source)
    and a description."""

    def __init__(self, number, source, description):
        super().__init__(number, source, description)
        self.number = number
        self.source = source
        self.description = description

    def __str__(self):
        where = f" in {self.source}" if self.source else ""
        return f"Error {self.number}{where}: {self.description}"
)";

void RaiseInPython(const AutomationError& error) {
  py::object instance = hooks.errorClass(error.number(), error.source(), error.description());
  PyErr_SetObject(hooks.errorClass.ptr(), instance.ptr());
}

class PythonConfigPathService : public IConfigPathService {
 public:
  Variant GetConfigPath(std::int32_t selector) override { return FromPython(hooks.configPath(selector)); }
};

class PythonKivReader : public IKivReader {
 public:
  bool ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) override {
    py::bytearray buffer(reinterpret_cast<const char*>(block.data()), block.size());
    const bool ok = py::bool_(hooks.kivReader(path, programId, buffer));
    // The reader fills the block in place; a block of another size is not taken.
    const std::string filled(buffer);
    if (filled.size() != block.size()) return false;
    std::copy(filled.begin(), filled.end(), block.begin());
    return ok;
  }
};

void SetMessageBox(py::object fn) {
  hooks.messageBox = fn;
  if (fn.is_none()) return SetMessageBoxHandler(nullptr);
  SetMessageBoxHandler([](const std::string& text, const std::string& title, int style) {
    py::object answer = hooks.messageBox(text, title, style);
    return answer.is_none() ? kMbResultOk : ArgInt32(answer);
  });
}

void SetConfigPathService(py::object fn) {
  hooks.configPath = fn;
  if (fn.is_none()) return SetConfigPathServiceFactory(nullptr);
  SetConfigPathServiceFactory([] { return std::make_unique<PythonConfigPathService>(); });
}

void SetKivReader(py::object fn) {
  hooks.kivReader = fn;
  if (fn.is_none()) return SetKivReaderFactory(nullptr);
  SetKivReaderFactory([] { return std::make_unique<PythonKivReader>(); });
}

void SetDefaultFolder(py::object path) {
  if (path.is_none()) return ResetDefaultCatalogFolder();
  SetDefaultCatalogFolder(ArgText(path));
}

void ResetHooks() {
  SetMessageBox(py::none());
  SetConfigPathService(py::none());
  SetKivReader(py::none());
}

}  // namespace

}  // namespace vemo::python

PYBIND11_MODULE(vemosupport, module) {
  namespace py = pybind11;
  using namespace vemo::python;
  module.doc() = "Offline LonWorks device support: catalogue lookup and virtual nodes.";

  py::dict scope;
  scope["__builtins__"] = py::module_::import("builtins");
  scope["__name__"] = "vemosupport";
  py::exec(kErrorClassSource, scope);
  hooks.errorClass = scope["AutomationError"];
  module.attr("AutomationError") = hooks.errorClass;
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const vemo::AutomationError& automationError) {
      RaiseInPython(automationError);
    }
  });

  BindRecords(module);
  BindNode(module);

  module.def("set_message_box", &SetMessageBox, py::arg("fn"),
             "fn(text, title, style) shows a message box and returns the button (None is OK); None restores the default.");
  module.def("set_config_path_service", &SetConfigPathService, py::arg("fn"),
             "fn(selector) -> str names the installed catalogue folder; None restores the default.");
  module.def("set_default_catalog_folder", &SetDefaultFolder, py::arg("path"),
             "Sets the last-resort catalogue folder; None restores the built-in one.");
  module.def("set_kiv_reader", &SetKivReader, py::arg("fn"),
             "fn(path, program_id, block: bytearray) -> bool reads a configuration file into block; None restores "
             "the default.");

  // Hooks hold Python callables: let them go while the interpreter is still alive.
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    ResetHooks();
    hooks.errorClass = py::none();
  }));
}
