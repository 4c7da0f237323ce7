// The factory, the catalogue records, enumerators and the module's functions.
#include "py_bindings.h"
#include "vemosupport/vemosupport.h"

namespace vemo::python {

namespace {

py::object CreateProgIDInfo(cFactory& factory, py::handle sProgID, py::handle sXMLFolder) {
  const std::string id = ArgText(sProgID);
  const std::string folder = ArgPath(sXMLFolder);
  return Result(Unlocked([&] { return factory.CreateProgIDInfo(id, folder); }));
}

py::object CreateVirtualC472Node(cFactory& factory, py::handle oProgIDInfo) {
  const Variant record = FromPython(oProgIDInfo);
  auto info = std::dynamic_pointer_cast<IVemoProgIDInfo>(record.AsObject());
  if (!record.IsEmpty() && !info) throw AutomationError(err::kTypeMismatch);
  return Result(factory.CreateVirtualC472Node(info));
}

py::object CreateProgIDConfigInfo(cFactory& factory, py::handle sProgID, py::handle sXMLFolder) {
  const std::string id = ArgText(sProgID);
  const std::string folder = ArgPath(sXMLFolder);
  return Result(Unlocked([&] { return factory.CreateProgIDConfigInfo(id, folder); }));
}

// How the factory methods find their catalogue folder.
const char* const kFolderDoc =
    " The catalogue folder is sXMLFolder (str, bytes or os.PathLike) when it exists, else the folder this factory "
    "used last, else the one the catalogue-path service names, else the default folder. Catalogue files that "
    "cannot be read are reported in a message box and skipped.";

const std::string kCreateProgIDInfoDoc =
    std::string(
        "The device-information record (cProgIDInfo) for a 16-character program ID or a 4-character device "
        "code, spaces around it ignored; None when no catalogue entry matches.") +
    kFolderDoc +
    " Raises AutomationError 76 when no catalogue folder exists, 380 when sProgID is neither 4 nor 16 characters "
    "long, 91 when the matching entry has no DevInfo element, 13 when sProgID cannot be text.";
const char* const kCreateVirtualC472NodeDoc =
    "A new, empty virtual node (C472VirtualNode) for the record oProgIDInfo; PopulateDevice builds it. None for "
    "None. Raises AutomationError 13 for anything but a cProgIDInfo or None.";
const std::string kCreateProgIDConfigInfoDoc =
    std::string(
        "The configuration-information record (cProgIDConfigInfo) for a 16-character program ID, spaces "
        "around it ignored; None when no catalogue entry matches.") +
    kFolderDoc +
    " Raises AutomationError 76 when no catalogue folder exists, 380 when sProgID is not 16 characters long, 13 "
    "when sProgID cannot be text.";

const char* const kRecordItemDoc =
    "The cProgIDItem at 1-based position vIndex (a number) or named vIndex (text, any letter case). Raises "
    "AutomationError 9 for a position outside 1..Count, 5 for a name the record lacks or an index that is "
    "neither number nor text, 6 for a number beyond 32 bits, 13 for a value that is no automation value.";

void BindEnumerator(py::module_& module) {
  py::class_<Enumerator, std::shared_ptr<Enumerator>> enumerator(
      module, "Enumerator",
      "An enumerator over a collection's members as they were when it was made; also a Python iterator.");
  enumerator
      .def(
          "Next",
          [](py::handle self) {
            const auto item = Held<Enumerator>(self)->Next();
            return item ? ToPython(*item) : py::none();
          },
          "The next member, or None past the last one. Never raises.")
      .def(
          "Reset", [](py::handle self) { Held<Enumerator>(self)->Reset(); },
          "Starts again before the first member. Never raises.")
      .def(
          "__iter__",
          [](py::handle self) {
            Held<Enumerator>(self);
            return py::reinterpret_borrow<py::object>(self);
          },
          "The enumerator itself.")
      .def(
          "__next__",
          [](py::handle self) {
            const auto item = Held<Enumerator>(self)->Next();
            if (!item) throw py::stop_iteration();
            return ToPython(*item);
          },
          "The next member; StopIteration past the last one.");
  BindRepr(enumerator);
}

void BindProgIDRecords(py::module_& module) {
  py::class_<IVemoProgIDItem, std::shared_ptr<IVemoProgIDItem>> item(
      module, "cProgIDItem", "A name/value item of a catalogue record: an attribute or element of the entry.");
  Getter(item, "Name", &IVemoProgIDItem::Name, "str: the item's name, e.g. 'DeviceCode'. Never raises.");
  Getter(item, "Value", &IVemoProgIDItem::Value, "str: the item's text as the catalogue gives it. Never raises.");
  BindRepr(item);

  using Info = IVemoProgIDInfo;
  py::class_<Info, std::shared_ptr<Info>> info(
      module, "cProgIDInfo",
      "The device-information record: what the catalogue says about one device type. It is also the collection "
      "of its items (cProgIDItem), by position or by name: `\"DeviceCode\" in info`, `info.Item(\"DeviceCode\")`.");
  Getter(info, "ProgramID", &Info::ProgramID,
         "str: the 16-character program ID, without the catalogue's leading 'P'. Never raises.");
  Getter(info, "XMLFilename", &Info::XMLFilename, "str: the catalogue file the record was read from. Never raises.");
  Getter(info, "IsValid", &Info::IsValid,
         "bool: whether the entry had every attribute and DevInfo element of a complete record. Never raises.");
  Getter(info, "DeviceCode", &Info::DeviceCode,
         "str: the 4-character device code (DevInfo's DeviceCode); empty when absent. Never raises.");
  Getter(info, "DeviceType", &Info::DeviceType, "str: DevInfo's DeviceType; empty when absent. Never raises.");
  Getter(info, "DeviceTypeEx", &Info::DeviceTypeEx, "str: DevInfo's DeviceTypeEx; empty when absent. Never raises.");
  Getter(info, "Has472Plugin", &Info::Has472Plugin, "bool: whether the Has472Plugin attribute is 'Yes'. Never raises.");
  Getter(info, "IsHostBased", &Info::IsHostBased, "bool: whether the IsHostBased attribute is 'Yes'. Never raises.");
  Getter(info, "IsNeuronBased", &Info::IsNeuronBased,
         "bool: whether the IsNeuronBased attribute is 'Yes'. Never raises.");
  Getter(info, "PluginVersion", &Info::PluginVersion, "str: DevInfo's PluginRev; empty when absent. Never raises.");
  Getter(info, "Manufacturer", &Info::Manufacturer, "str: DevInfo's Manufacturer; empty when absent. Never raises.");
  Getter(info, "SelfDoc", &Info::SelfDoc,
         "str: DevInfo's SelfDoc, the device's self-documentation; empty when absent. Never raises.");
  Getter(info, "SupportsFlash", &Info::SupportsFlash,
         "bool: whether the SupportsFlash attribute is 'Yes'. Never raises.");
  Getter(info, "SupportsOfflineEdit", &Info::SupportsOfflineEdit,
         "bool: whether the SupportsOffline attribute is 'Yes'. Never raises.");
  Getter(info, "FirmwareVersion", &Info::FirmwareVersion, "str: DevInfo's FirmRev; empty when absent. Never raises.");
  Getter(info, "IsHybridBased", &Info::IsHybridBased,
         "bool: whether the IsHybridBased attribute is 'Yes'. Never raises.");
  Getter(info, "ImgBlockSize", &Info::ImgBlockSize,
         "int: the ImgBlockSize attribute; 0 when absent, negative or not a number. Never raises.");
  BindCollection(info, "items", kRecordItemDoc);

  using ConfigInfo = IVemoProgIDConfigInfo;
  py::class_<ConfigInfo, std::shared_ptr<ConfigInfo>> config(
      module, "cProgIDConfigInfo",
      "The configuration-information record of one device type: its ConfigInfo element's Level and Data. It is "
      "also the collection of ConfigInfo's items (cProgIDItem), by position or by name.");
  Getter(config, "ProgramID", &ConfigInfo::ProgramID,
         "str: the entry's ProgramID attribute as the catalogue writes it, with its leading 'P'. Never raises.");
  Getter(config, "XMLFilename", &ConfigInfo::XMLFilename,
         "str: the catalogue file the record was read from. Never raises.");
  Getter(config, "IsValid", &ConfigInfo::IsValid,
         "bool: whether ConfigInfo had both a Level attribute and a Data element. Never raises.");
  Getter(config, "Level", &ConfigInfo::Level,
         "int: ConfigInfo's Level; 0 when absent or not a 16-bit number. Never raises.");
  Getter(config, "Data", &ConfigInfo::Data, "str: ConfigInfo's Data text; empty when absent. Never raises.");
  BindCollection(config, "items", kRecordItemDoc);
}

void BindFactory(py::module_& module) {
  py::class_<cFactory, std::shared_ptr<cFactory>> factory(
      module, "cFactory",
      "Makes device records, configuration records and virtual nodes. A factory remembers the catalogue folder "
      "it used last; use it on the thread that made it. The module's functions of the same names are those of "
      "this thread's predeclared factory.");
  factory.def(py::init([] { return std::make_shared<cFactory>(); }), "A new factory, with no folder remembered.")
      .def(
          "CreateProgIDInfo",
          [](py::handle self, py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDInfo(*Held<cFactory>(self), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "", kCreateProgIDInfoDoc.c_str())
      .def(
          "CreateVirtualC472Node",
          [](py::handle self, py::handle oProgIDInfo) {
            return CreateVirtualC472Node(*Held<cFactory>(self), oProgIDInfo);
          },
          py::arg("oProgIDInfo"), kCreateVirtualC472NodeDoc)
      .def(
          "CreateProgIDConfigInfo",
          [](py::handle self, py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDConfigInfo(*Held<cFactory>(self), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "", kCreateProgIDConfigInfoDoc.c_str());
  BindRepr(factory);

  // The application object: the same methods on the module, served by this thread's
  // predeclared factory.
  module
      .def(
          "CreateProgIDInfo",
          [](py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDInfo(ApplicationFactory(), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "", kCreateProgIDInfoDoc.c_str())
      .def(
          "CreateVirtualC472Node",
          [](py::handle oProgIDInfo) { return CreateVirtualC472Node(ApplicationFactory(), oProgIDInfo); },
          py::arg("oProgIDInfo"), kCreateVirtualC472NodeDoc)
      .def(
          "CreateProgIDConfigInfo",
          [](py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDConfigInfo(ApplicationFactory(), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "", kCreateProgIDConfigInfoDoc.c_str());
}

void BindEntryPoints(py::module_& module) {
  module.def(
      "CreateObject",
      [](py::handle progId) {
        const std::string id = ArgText(progId);
        return Result(Unlocked([&] { return CreateObject(id); }));
      },
      py::arg("progId"),
      "Creates an object through the registration record, as an automation client does: "
      "CreateObject(\"VemoSupport.cFactory\") returns a new cFactory. Raises AutomationError 429 when the class is "
      "not registered (see DllRegisterServer) or cannot be created, 13 when progId cannot be text.");
  module.def("DllRegisterServer", &DllRegisterServer,
             "Writes the registration record of the public classes (see set_registry_file). Returns 0 on success, "
             "a negative failure code when the record cannot be read or written (it is then left as it was). "
             "Never raises.");
  module.def("DllUnregisterServer", &DllUnregisterServer,
             "Removes the public classes from the registration record. Returns 0 on success, a negative failure "
             "code when the record cannot be read or written. Never raises.");
  module.def("DllCanUnloadNow", &DllCanUnloadNow, "0 when no object of the library is alive, else 1. Never raises.");
}

}  // namespace

void BindRecords(py::module_& module) {
  BindEnumerator(module);
  BindProgIDRecords(module);
  BindFactory(module);
  BindEntryPoints(module);
}

}  // namespace vemo::python
