// The vemosupport Python module: the library's objects under their automation names,
// AutomationError, and the process-wide hooks.
#include <pybind11/eval.h>

#include "py_bindings.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/version.h"

namespace vemo::python {

namespace {

const char* const kModuleDoc = R"(Offline LonWorks device support: catalogue lookup and virtual nodes.

Members keep their automation names. Failures raise AutomationError with the error's
number, source and description. __version__ is the version of the library loaded.

Installed with pip, the package carries the library and the sample catalogue, which is
then the default catalogue folder: the last one tried, after the folder a call names,
the factory's last one and the catalogue-path service's. VEMO_DEFAULT_CATALOG_DIR or
set_default_catalog_folder name another default.

Records and collections answer Count, Item(v) and NewEnum(), and len(), iteration and
`in`: `key in collection` is true exactly when Item(key) finds a member (keys compare
without regard to case), `member in collection` when the collection holds that object.
repr() of an object shows what it is, e.g. <C472VirtualNV 12 nviSetpoint len=2>.

Text: the library's text is UTF-8 bytes; bytes that are not UTF-8 (a file name, say)
arrive as str with surrogate escapes, as os.fsdecode gives them, so open() accepts such
a path and it travels back unchanged. Paths may be str, bytes or os.PathLike.

Hooks (set_message_box, set_config_path_service, set_kiv_reader,
set_default_catalog_folder, set_registry_file) act for the whole process and may be set
from any thread at any time, even by a hook while it runs. A hook is called with the GIL
held; the module releases the GIL around the long library calls (CreateProgIDInfo,
CreateProgIDConfigInfo, CreateObject, PopulateDevice, Refresh).

An exception raised in a hook reaches the caller of the library member that called the
hook as that same Python exception (not as an AutomationError), and the library is left
whole: a PopulateDevice that fails so leaves its node as it was before the call, and can
simply be repeated. Refresh alone ignores its reader's failures, exceptions included.
)";

const char* const kErrorClassSource = R"(
class AutomationError(Exception):
    """An error raised by the library: its number, the member that raised it (source)
    and a description."""

    def __init__(self, number, source, description):
        """The error number (int), source (str) and description (str); hresult is the
        HRESULT a COM host sees for it, 0x800A0000 plus the number."""
        super().__init__(number, source, description)
        self.number = number
        self.source = source
        self.description = description
        self.hresult = 0x800A0000 | (number & 0xFFFF)

    def __str__(self):
        """'Error <number> in <source>: <description>'."""
        where = f" in {self.source}" if self.source else ""
        return f"Error {self.number}{where}: {self.description}"
)";

// The Python class of AutomationError. Never destroyed: it is emptied when the
// interpreter exits, so no Python object outlives Python.
py::object& ErrorClass() {
  static py::object& errorClass = *new py::object;
  return errorClass;
}

void RaiseInPython(const AutomationError& error) {
  py::object instance = ErrorClass()(error.number(), Text(error.source()), Text(error.description()));
  PyErr_SetObject(ErrorClass().ptr(), instance.ptr());
}

}  // namespace

}  // namespace vemo::python

PYBIND11_MODULE(vemosupport, module) {
  namespace py = pybind11;
  using namespace vemo::python;
  module.doc() = kModuleDoc;
  module.attr("__version__") = vemo::LibraryVersion();

  py::dict scope;
  scope["__builtins__"] = py::module_::import("builtins");
  scope["__name__"] = "vemosupport";
  py::exec(kErrorClassSource, scope);
  ErrorClass() = scope["AutomationError"];
  module.attr("AutomationError") = ErrorClass();
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const vemo::AutomationError& automationError) {
      RaiseInPython(automationError);
    }
  });

  BindRecords(module);
  BindNode(module);
  BindHooks(module);
  BindCatalogue(module);
  BindTypes(module);

  // The hooks hold Python callables: let them go while the interpreter still runs.
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    ResetHooks();
    ErrorClass() = py::object();
  }));
}
