#include "vemosupport/cFactory.h"
#include "factory/class_registry.h"
#include "vemosupport/host.h"
#include "vemosupport/entry_points.h"
#include "vemosupport/enumerator.h"
#include "progid/cProgIDConfigInfo.h"
#include "progid/cProgIDInfo.h"
#include "py_bindings.h"

namespace vemo::python {

namespace {

py::object CreateProgIDInfo(cFactory& factory, py::handle sProgID, py::handle sXMLFolder) {
  return Wrap(factory.CreateProgIDInfo(ArgText(sProgID), ArgText(sXMLFolder)));
}

py::object CreateVirtualC472Node(cFactory& factory, py::handle oProgIDInfo) {
  const Variant record = FromPython(oProgIDInfo);
  auto info = std::dynamic_pointer_cast<IVemoProgIDInfo>(record.AsObject());
  if (!record.IsEmpty() && !info) throw AutomationError(err::kTypeMismatch);
  return Wrap(factory.CreateVirtualC472Node(info));
}

py::object CreateProgIDConfigInfo(cFactory& factory, py::handle sProgID, py::handle sXMLFolder) {
  return Wrap(factory.CreateProgIDConfigInfo(ArgText(sProgID), ArgText(sXMLFolder)));
}

}  // namespace

void BindRecords(py::module_& module) {
  py::class_<Enumerator, std::shared_ptr<Enumerator>>(module, "Enumerator")
      .def("Next", [](Enumerator& self) { const auto item = self.Next(); return item ? ToPython(*item) : py::none(); })
      .def("Reset", &Enumerator::Reset)
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", [](Enumerator& self) {
        const auto item = self.Next();
        if (!item) throw py::stop_iteration();
        return ToPython(*item);
      });

  py::class_<cProgIDItem, std::shared_ptr<cProgIDItem>>(module, "cProgIDItem")
      .def_property_readonly("Name", &cProgIDItem::Name)
      .def_property_readonly("Value", &cProgIDItem::Value);

  py::class_<cProgIDInfo, std::shared_ptr<cProgIDInfo>> info(module, "cProgIDInfo");
  info.def_property_readonly("ProgramID", &cProgIDInfo::ProgramID)
      .def_property_readonly("XMLFilename", &cProgIDInfo::XMLFilename)
      .def_property_readonly("IsValid", &cProgIDInfo::IsValid)
      .def_property_readonly("DeviceCode", &cProgIDInfo::DeviceCode)
      .def_property_readonly("DeviceType", &cProgIDInfo::DeviceType)
      .def_property_readonly("DeviceTypeEx", &cProgIDInfo::DeviceTypeEx)
      .def_property_readonly("Has472Plugin", &cProgIDInfo::Has472Plugin)
      .def_property_readonly("IsHostBased", &cProgIDInfo::IsHostBased)
      .def_property_readonly("IsNeuronBased", &cProgIDInfo::IsNeuronBased)
      .def_property_readonly("PluginVersion", &cProgIDInfo::PluginVersion)
      .def_property_readonly("Manufacturer", &cProgIDInfo::Manufacturer)
      .def_property_readonly("SelfDoc", &cProgIDInfo::SelfDoc)
      .def_property_readonly("SupportsFlash", &cProgIDInfo::SupportsFlash)
      .def_property_readonly("SupportsOfflineEdit", &cProgIDInfo::SupportsOfflineEdit)
      .def_property_readonly("FirmwareVersion", &cProgIDInfo::FirmwareVersion)
      .def_property_readonly("IsHybridBased", &cProgIDInfo::IsHybridBased)
      .def_property_readonly("ImgBlockSize", &cProgIDInfo::ImgBlockSize);
  BindCollection<cProgIDInfo>(info);

  py::class_<cProgIDConfigInfo, std::shared_ptr<cProgIDConfigInfo>> config(module, "cProgIDConfigInfo");
  config.def_property_readonly("ProgramID", &cProgIDConfigInfo::ProgramID)
      .def_property_readonly("XMLFilename", &cProgIDConfigInfo::XMLFilename)
      .def_property_readonly("IsValid", &cProgIDConfigInfo::IsValid)
      .def_property_readonly("Level", &cProgIDConfigInfo::Level)
      .def_property_readonly("Data", &cProgIDConfigInfo::Data);
  BindCollection<cProgIDConfigInfo>(config);

  py::class_<cFactory, std::shared_ptr<cFactory>> factory(module, "cFactory");
  factory.def(py::init([] { return std::make_shared<cFactory>(); }));
  factory.def("CreateProgIDInfo", &CreateProgIDInfo, py::arg("sProgID"), py::arg("sXMLFolder") = "")
      .def("CreateVirtualC472Node", &CreateVirtualC472Node, py::arg("oProgIDInfo"))
      .def("CreateProgIDConfigInfo", &CreateProgIDConfigInfo, py::arg("sProgID"), py::arg("sXMLFolder") = "");

  // The application object: the same methods on the module, served by this thread's
  // predeclared factory.
  module
      .def("CreateProgIDInfo",
           [](py::handle sProgID, py::handle sXMLFolder) {
             return CreateProgIDInfo(ApplicationFactory(), sProgID, sXMLFolder);
           },
           py::arg("sProgID"), py::arg("sXMLFolder") = "")
      .def("CreateVirtualC472Node",
           [](py::handle oProgIDInfo) { return CreateVirtualC472Node(ApplicationFactory(), oProgIDInfo); },
           py::arg("oProgIDInfo"))
      .def("CreateProgIDConfigInfo",
           [](py::handle sProgID, py::handle sXMLFolder) {
             return CreateProgIDConfigInfo(ApplicationFactory(), sProgID, sXMLFolder);
           },
           py::arg("sProgID"), py::arg("sXMLFolder") = "");

  module.def("CreateObject", [](py::handle progId) { return Wrap(CreateObject(ArgText(progId))); }, py::arg("progId"),
             "Creates an object through the registration record, e.g. CreateObject(\"VemoSupport.cFactory\").");
  module.def("DllRegisterServer", &DllRegisterServer, "Writes the registration record; 0 on success.");
  module.def("DllUnregisterServer", &DllUnregisterServer, "Removes the registration record; 0 on success.");
  module.def("DllCanUnloadNow", &DllCanUnloadNow, "0 when no object of the library is alive, else 1.");
  module.def("set_registry_file", [](py::handle path) { SetRegistryFile(path.is_none() ? std::string() : ArgText(path)); },
             py::arg("path"), "Names the registration record file; None restores the usual location.");
}

}  // namespace vemo::python
