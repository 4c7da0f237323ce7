// Catalogue work that needs no factory: importing device interface files and writing
// them into a folder, listing and checking a catalogue folder, comparing two nodes,
// writing a node's configuration file, and the switch of the lookup index.
#include <pybind11/stl.h>

#include "py_bindings.h"
#include "vemosupport/catalogue.h"
#include "vemosupport/configuration_file.h"
#include "vemosupport/file_output.h"
#include "vemosupport/importer.h"
#include "vemosupport/node_comparison.h"

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

CatalogueEntry = collections.namedtuple("CatalogueEntry", "program_id device_code device_type manufacturer xml_filename")
CatalogueEntry.__doc__ = """One device entry of a catalogue folder, as its record reads it; program_id
without the attribute's leading 'P'."""

UnreadableFile = collections.namedtuple("UnreadableFile", "xml_filename description")
UnreadableFile.__doc__ = """A catalogue file that a lookup reports as broken and skips, and why."""

CatalogueListing = collections.namedtuple("CatalogueListing", "entries unreadable_files")
CatalogueListing.__doc__ = """A catalogue folder's entries (CatalogueEntry) in lookup order, and the
files a lookup skips (UnreadableFile)."""

EntryDifference = collections.namedtuple("EntryDifference", "key in_a in_b fields")
EntryDifference.__doc__ = """An entry that differs between two nodes: its key (object index, CP key
or NV index), whether each node has it, and the names of the fields that differ (empty
when one node lacks it)."""

NodeComparison = collections.namedtuple("NodeComparison", "objects configuration_properties network_variables")
NodeComparison.__doc__ = """The entries that differ between two nodes (lists of EntryDifference in
ascending key order); identical is true when none does."""
NodeComparison.identical = property(
    lambda self: not (self.objects or self.configuration_properties or self.network_variables),
    doc="Whether no entry differs.")
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

py::list Differences(const std::vector<EntryDifference>& differences) {
  py::list list;
  for (const EntryDifference& difference : differences) {
    py::list fields;
    for (const std::string& field : difference.fields) fields.append(Text(field));
    list.append(Classes()["EntryDifference"](difference.key, difference.inA, difference.inB, fields));
  }
  return list;
}

I709Node& ArgNode(py::handle value, const char* name) {
  const auto node = std::dynamic_pointer_cast<I709Node>(Unwrap(value));
  if (!node) throw py::type_error(std::string(name) + ": expected a C472VirtualNode");
  return *node;
}

std::string PathArgument(py::handle value) {
  std::optional<std::string> path = PathBytes(value);
  if (!path) throw py::type_error("a path (str, bytes or os.PathLike) is required");
  return *path;
}

}  // namespace

void BindCatalogue(py::module_& module) {
  DefineClasses(module, kClassesSource,
                {"DeviceInterfaceError", "ImportNote", "ImportedDevice", "CatalogueProblem", "CatalogueEntry",
                 "UnreadableFile", "CatalogueListing", "EntryDifference", "NodeComparison"},
                Classes());
  py::register_exception_translator([](std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const DeviceInterfaceError& failure) {
      const py::object instance =
          Classes()["DeviceInterfaceError"](Text(failure.file()), failure.line(), Text(failure.description()));
      PyErr_SetObject(Classes()["DeviceInterfaceError"].ptr(), instance.ptr());
    } catch (const FileOutputError& failure) {
      // OSError picks the subclass of the number: FileExistsError, NotADirectoryError, ...
      const py::tuple arguments = py::make_tuple(failure.code().value(), failure.code().message(), Text(failure.path()));
      PyErr_SetObject(PyExc_OSError, arguments.ptr());
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

  module.def(
      "WriteImportedDevice",
      [](py::handle device, py::handle folder, bool replace) {
        if (!py::isinstance(device, Classes()["ImportedDevice"])) throw py::type_error("expected an ImportedDevice");
        ImportedDevice imported;
        imported.programId = TextBytes(device.attr("program_id"));
        imported.catalogueEntry = TextBytes(device.attr("catalogue_entry"));
        imported.configurationFile = std::string(device.attr("configuration_file").cast<py::bytes>());
        const std::string path = PathArgument(folder);
        const ImportedFiles files = Unlocked([&] { return WriteImportedDevice(imported, path, replace); });
        return py::make_tuple(Text(files.catalogueFile), Text(files.configurationFile));
      },
      py::arg("device"), py::arg("folder"), py::arg("replace") = false,
      "Writes an ImportedDevice into a catalogue folder as vemo import-xif does: FOLDER/<program ID>.xml and "
      ".kiv, both or neither, the folder made when missing. Returns the two paths (entry, configuration file). "
      "Without replace an existing file is FileExistsError and nothing is written; other failures are OSError.");

  module.def(
      "ListCatalogue",
      [](py::handle folder) {
        const std::string path = PathArgument(folder);
        const CatalogueListing listing = Unlocked([&path] { return ListCatalogue(path); });
        py::list entries, unreadable;
        for (const CatalogueEntry& entry : listing.entries)
          entries.append(Classes()["CatalogueEntry"](Text(entry.programId), Text(entry.deviceCode),
                                                     Text(entry.deviceType), Text(entry.manufacturer),
                                                     Text(entry.xmlFilename)));
        for (const UnreadableCatalogueFile& file : listing.unreadableFiles)
          unreadable.append(Classes()["UnreadableFile"](Text(file.xmlFilename), Text(file.description)));
        return Classes()["CatalogueListing"](entries, unreadable);
      },
      py::arg("folder"),
      "Lists a catalogue folder as vemo list does: a CatalogueListing of every device entry in lookup order and "
      "of the files a lookup would skip as broken. Shows no message box. Raises AutomationError 76 when the folder "
      "cannot be listed.");

  module.def(
      "CompareNodes",
      [](py::handle a, py::handle b) {
        const NodeComparison comparison = CompareNodes(ArgNode(a, "a"), ArgNode(b, "b"));
        return Classes()["NodeComparison"](Differences(comparison.objects),
                                           Differences(comparison.configurationProperties),
                                           Differences(comparison.networkVariables));
      },
      py::arg("a"), py::arg("b"),
      "Compares two nodes as vemo diff does: a NodeComparison of the LonMark objects, CPs and NVs that differ, "
      "paired by object index, CP key and NV index, with the names of the fields that differ.");

  module.def(
      "NodeConfigurationFile", [](py::handle node) { return Text(NodeConfigurationFile(ArgNode(node, "node"))); },
      py::arg("node"),
      "The node's configuration data as the text of a configuration file, as vemo node --write-config writes it: "
      "its CPs in ascending CP index, then its configuration NVs, then the spare byte. PopulateDevice reads it "
      "back.");
  module.def(
      "WriteConfigurationFile",
      [](py::handle node, py::handle path, bool replace) {
        const std::string text = NodeConfigurationFile(ArgNode(node, "node"));
        const std::string file = PathArgument(path);
        Unlocked([&] { WriteFileAtomically(file, text, replace); });
      },
      py::arg("node"), py::arg("path"), py::arg("replace") = false,
      "Writes NodeConfigurationFile(node) as the file path, whole or not at all. Without replace an existing file "
      "is FileExistsError; other failures are OSError.");

  module.def("set_catalogue_index", &SetCatalogueIndexEnabled, py::arg("enabled"),
             "Switches the per-process catalogue lookup index on (the default) or off; off also forgets what it "
             "remembered. Lookups answer the same either way; off, every lookup loads every file it passes.");
  module.def("catalogue_index_enabled", &CatalogueIndexEnabled, "Whether lookups use the catalogue index.");

  py::module_::import("atexit").attr("register")(py::cpp_function([] { Classes().clear(); }));
}

}  // namespace vemo::python
