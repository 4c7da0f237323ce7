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

void BindEnumerator(py::module_& module) {
  py::class_<Enumerator, std::shared_ptr<Enumerator>>(module, "Enumerator")
      .def("Next",
           [](py::handle self) {
             const auto item = Held<Enumerator>(self)->Next();
             return item ? ToPython(*item) : py::none();
           })
      .def("Reset", [](py::handle self) { Held<Enumerator>(self)->Reset(); })
      .def("__iter__",
           [](py::handle self) {
             Held<Enumerator>(self);
             return py::reinterpret_borrow<py::object>(self);
           })
      .def("__next__", [](py::handle self) {
        const auto item = Held<Enumerator>(self)->Next();
        if (!item) throw py::stop_iteration();
        return ToPython(*item);
      });
}

void BindProgIDRecords(py::module_& module) {
  py::class_<IVemoProgIDItem, std::shared_ptr<IVemoProgIDItem>> item(module, "cProgIDItem");
  Getter(item, "Name", &IVemoProgIDItem::Name);
  Getter(item, "Value", &IVemoProgIDItem::Value);

  using Info = IVemoProgIDInfo;
  py::class_<Info, std::shared_ptr<Info>> info(module, "cProgIDInfo");
  Getter(info, "ProgramID", &Info::ProgramID);
  Getter(info, "XMLFilename", &Info::XMLFilename);
  Getter(info, "IsValid", &Info::IsValid);
  Getter(info, "DeviceCode", &Info::DeviceCode);
  Getter(info, "DeviceType", &Info::DeviceType);
  Getter(info, "DeviceTypeEx", &Info::DeviceTypeEx);
  Getter(info, "Has472Plugin", &Info::Has472Plugin);
  Getter(info, "IsHostBased", &Info::IsHostBased);
  Getter(info, "IsNeuronBased", &Info::IsNeuronBased);
  Getter(info, "PluginVersion", &Info::PluginVersion);
  Getter(info, "Manufacturer", &Info::Manufacturer);
  Getter(info, "SelfDoc", &Info::SelfDoc);
  Getter(info, "SupportsFlash", &Info::SupportsFlash);
  Getter(info, "SupportsOfflineEdit", &Info::SupportsOfflineEdit);
  Getter(info, "FirmwareVersion", &Info::FirmwareVersion);
  Getter(info, "IsHybridBased", &Info::IsHybridBased);
  Getter(info, "ImgBlockSize", &Info::ImgBlockSize);
  BindCollection(info);

  using ConfigInfo = IVemoProgIDConfigInfo;
  py::class_<ConfigInfo, std::shared_ptr<ConfigInfo>> config(module, "cProgIDConfigInfo");
  Getter(config, "ProgramID", &ConfigInfo::ProgramID);
  Getter(config, "XMLFilename", &ConfigInfo::XMLFilename);
  Getter(config, "IsValid", &ConfigInfo::IsValid);
  Getter(config, "Level", &ConfigInfo::Level);
  Getter(config, "Data", &ConfigInfo::Data);
  BindCollection(config);
}

void BindFactory(py::module_& module) {
  py::class_<cFactory, std::shared_ptr<cFactory>>(module, "cFactory", "Makes device records and virtual nodes.")
      .def(py::init([] { return std::make_shared<cFactory>(); }))
      .def(
          "CreateProgIDInfo",
          [](py::handle self, py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDInfo(*Held<cFactory>(self), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "")
      .def(
          "CreateVirtualC472Node",
          [](py::handle self, py::handle oProgIDInfo) {
            return CreateVirtualC472Node(*Held<cFactory>(self), oProgIDInfo);
          },
          py::arg("oProgIDInfo"))
      .def(
          "CreateProgIDConfigInfo",
          [](py::handle self, py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDConfigInfo(*Held<cFactory>(self), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "");

  // The application object: the same methods on the module, served by this thread's
  // predeclared factory.
  module
      .def(
          "CreateProgIDInfo",
          [](py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDInfo(ApplicationFactory(), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "")
      .def(
          "CreateVirtualC472Node",
          [](py::handle oProgIDInfo) { return CreateVirtualC472Node(ApplicationFactory(), oProgIDInfo); },
          py::arg("oProgIDInfo"))
      .def(
          "CreateProgIDConfigInfo",
          [](py::handle sProgID, py::handle sXMLFolder) {
            return CreateProgIDConfigInfo(ApplicationFactory(), sProgID, sXMLFolder);
          },
          py::arg("sProgID"), py::arg("sXMLFolder") = "");
}

void BindEntryPoints(py::module_& module) {
  module.def(
      "CreateObject",
      [](py::handle progId) {
        const std::string id = ArgText(progId);
        return Result(Unlocked([&] { return CreateObject(id); }));
      },
      py::arg("progId"), "Creates an object through the registration record, e.g. CreateObject(\"VemoSupport.cFactory\").");
  module.def("DllRegisterServer", &DllRegisterServer, "Writes the registration record; 0 on success.");
  module.def("DllUnregisterServer", &DllUnregisterServer, "Removes the registration record; 0 on success.");
  module.def("DllCanUnloadNow", &DllCanUnloadNow, "0 when no object of the library is alive, else 1.");
}

}  // namespace

void BindRecords(py::module_& module) {
  BindEnumerator(module);
  BindProgIDRecords(module);
  BindFactory(module);
  BindEntryPoints(module);
}

}  // namespace vemo::python
