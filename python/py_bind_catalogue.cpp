// Catalogue work that needs no factory: importing device interface files, checking a
// catalogue folder, and the switch of the lookup index.
#include <pybind11/stl.h>

#include "py_bindings.h"
#include "vemosupport/catalogue.h"
#include "vemosupport/importer.h"

namespace vemo::python {

namespace {

const char* const kClassesSource = R"(
import collections

class DeviceInterfaceError(ValueError):
    """A device interface (XIF) file that cannot be read: the file, the 1-based line
    (0 when no line is to blame) and what was expected there."""

    def __init__(self, file, line, description):
        """The file (str), line (int) and description (str)."""
        super().__init__(file, line, description)
        self.file = file
        self.line = line
        self.description = description

    def __str__(self):
        """'FILE:LINE: DESCRIPTION', or 'FILE: DESCRIPTION' without a line."""
        where = f"{self.file}:{self.line}" if self.line else self.file
        return f"{where}: {self.description}"

ImportNote = collections.namedtuple("ImportNote", "kind subject text")
ImportNote.__doc__ = """One thing an import changed or could not carry over: kind is
'rewrite', 'derived' or 'loss'; subject names what it concerns; text says what was done."""

ImportedDevice = collections.namedtuple("ImportedDevice",
    "source_file program_id device_code catalogue_entry configuration_file "
    "functional_blocks network_variables configuration_properties configuration_bytes notes")
ImportedDevice.__repr__ = lambda self: (
    f"<ImportedDevice {self.program_id} {self.device_code} from {self.source_file!r}: "
    f"{self.functional_blocks} blocks, {self.network_variables} NVs, {self.configuration_properties} CPs, "
    f"{self.configuration_bytes} bytes, {len(self.notes)} notes>")
ImportedDevice.__doc__ = """What a device interface file gives: the catalogue file text
(catalogue_entry, str), the configuration file (configuration_file, bytes), the counts of
what was written and the notes (a list of ImportNote)."""

CatalogueProblem = collections.namedtuple("CatalogueProblem", "xml_filename program_id kind description")
CatalogueProblem.__doc__ = """One thing in a catalogue folder that a user must fix; kind is
a stable keyword such as 'nv-size'."""
)";

py::dict& Classes() {
  static py::dict& classes = *new py::dict;  // emptied at exit, see BindCatalogue
  return classes;
}

py::object ImportedToPython(const ImportedDevice& device) {
  py::list notes;
  for (const ImportNote& note : device.notes)
    notes.append(Classes()["ImportNote"](ImportNoteKindName(note.kind), Text(note.subject), Text(note.text)));
  return Classes()["ImportedDevice"](Text(device.sourceFile), Text(device.programId), Text(device.deviceCode),
                                     Text(device.catalogueEntry), py::bytes(device.configurationFile),
                                     device.functionalBlocks, device.networkVariables,
                                     device.configurationProperties, device.configurationBytes, notes);
}

std::string PathArgument(py::handle value) {
  std::optional<std::string> path = PathBytes(value);
  if (!path) throw py::type_error("a path (str, bytes or os.PathLike) is required");
  return *path;
}

}  // namespace

void BindCatalogue(py::module_& module) {
  DefineClasses(module, kClassesSource, {"DeviceInterfaceError", "ImportNote", "ImportedDevice", "CatalogueProblem"},
                Classes());
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const DeviceInterfaceError& failure) {
      const py::object instance =
          Classes()["DeviceInterfaceError"](Text(failure.file()), failure.line(), Text(failure.description()));
      PyErr_SetObject(Classes()["DeviceInterfaceError"].ptr(), instance.ptr());
    }
  });

  module.def(
      "ImportDeviceInterface",
      [](py::handle path) {
        const std::string file = PathArgument(path);
        const ImportedDevice device = Unlocked([&file] { return ImportDeviceInterface(file); });
        return ImportedToPython(device);
      },
      py::arg("path"),
      "Reads a device interface (XIF) file and returns an ImportedDevice: the catalogue file text, the "
      "configuration file bytes and the report. Writes nothing. Raises DeviceInterfaceError when the file cannot "
      "be read or is not a XIF file.");

  module.def(
      "CheckCatalogue",
      [](py::handle folder) {
        const std::string path = PathArgument(folder);
        const CatalogueCheck check = Unlocked([&path] { return CheckCatalogue(path); });
        py::list problems;
        for (const CatalogueProblem& problem : check.problems)
          problems.append(Classes()["CatalogueProblem"](Text(problem.xmlFilename), Text(problem.programId),
                                                        Text(problem.kind), Text(problem.description)));
        return problems;
      },
      py::arg("folder"),
      "Checks every catalogue file of the folder as a lookup and a population read it, and returns the list of "
      "CatalogueProblem to fix (empty when the folder is clean). Shows no message box. Raises AutomationError 76 "
      "when the folder cannot be listed.");

  module.def("set_catalogue_index", &SetCatalogueIndexEnabled, py::arg("enabled"),
             "Switches the per-process catalogue lookup index on (the default) or off; off also forgets what it "
             "remembered. Lookups answer the same either way; off, every lookup loads every file it passes.");
  module.def("catalogue_index_enabled", &CatalogueIndexEnabled, "Whether lookups use the catalogue index.");

  py::module_::import("atexit").attr("register")(py::cpp_function([] { Classes().clear(); }));
}

}  // namespace vemo::python
