#include <pybind11/stl.h>

#include "node/C472VirtualLMCol.h"
#include "node/C472VirtualNode.h"
#include "points/C472VirtualCPCol.h"
#include "points/C472VirtualNVCol.h"
#include "py_bindings.h"

namespace vemo::python {

namespace {

// A LonMark object seen through one of its two collection interfaces. Both name their
// members Count, Item and NewEnum, so Python gets a view for each.
template <class Interface>
struct LMObjectView {
  std::shared_ptr<Interface> collection;
  std::int32_t Count() const { return collection->Count(); }
  std::shared_ptr<Enumerator> NewEnum() const { return collection->NewEnum(); }
  auto Item(const Variant& index) const { return collection->Item(index); }
};
using LMObjectCPs = LMObjectView<I709ConfigurationProperties>;
using LMObjectNVs = LMObjectView<I709NetworkVariables>;

// The IC472VirtualObj members that NVs and CPs share.
template <class T, class Class>
void BindVirtualObj(Class& cls) {
  cls.def_property(
         "LMObjectID", [](const T& self) { return self.LMObjectID(); },
         [](T& self, py::handle lID) { self.LMObjectID(ArgInt32(lID)); })
      .def_property_readonly("SelectData", [](const T& self) { return self.SelectData(); });
}

void BindNodeClass(py::module_& module) {
  py::class_<C472VirtualNode, std::shared_ptr<C472VirtualNode>>(module, "C472VirtualNode")
      // _C472VirtualNode
      .def_property_readonly("ProgIDInfo", [](const C472VirtualNode& self) { return Wrap(self.ProgIDInfo()); })
      .def("PopulateDevice", [](C472VirtualNode& self, py::handle sKivName) { return self.PopulateDevice(ArgText(sKivName)); },
           py::arg("sKivName") = "")
      // I709Node
      .def_property_readonly("Channel", [](const C472VirtualNode& self) { return self.Channel(); })
      .def_property_readonly("Comment", [](const C472VirtualNode& self) { return self.Comment(); })
      .def_property_readonly("ConfigurationProperties",
                             [](const C472VirtualNode& self) { return Wrap(self.ConfigurationProperties()); })
      .def_property_readonly("NetworkVariables", [](const C472VirtualNode& self) { return Wrap(self.NetworkVariables()); })
      .def_property_readonly("MajorVersion", [](const C472VirtualNode& self) { return self.MajorVersion(); })
      .def_property_readonly("MinorVersion", [](const C472VirtualNode& self) { return self.MinorVersion(); })
      .def_property(
          "Mode", [](const C472VirtualNode& self) { return self.Mode(); },
          [](C472VirtualNode& self, py::handle value) { self.Mode(ArgInt16(value)); })
      .def_property_readonly("UniqueNodeNum", [](const C472VirtualNode& self) { return self.UniqueNodeNum(); })
      .def_property_readonly("ObjectCount", [](const C472VirtualNode& self) { return self.ObjectCount(); })
      .def_property_readonly("ProgramID", [](const C472VirtualNode& self) { return self.ProgramID(); })
      .def_property_readonly("SelfDocumentation", [](const C472VirtualNode& self) { return self.SelfDocumentation(); })
      .def_property(
          "State", [](const C472VirtualNode& self) { return self.State(); },
          [](C472VirtualNode& self, py::handle value) { self.State(ArgInt16(value)); })
      .def_property(
          "SendExplicitMessages", [](const C472VirtualNode& self) { return self.SendExplicitMessages(); },
          [](C472VirtualNode& self, py::handle value) { self.SendExplicitMessages(ArgBool(value)); })
      .def("GetDomain", [](C472VirtualNode& self, py::handle nIndex) { return self.GetDomain(ArgInt16(nIndex)); },
           py::arg("nIndex"))
      .def("GetNode",
           [](C472VirtualNode& self, py::handle nDomainIndex, py::handle nSubnetIndex) {
             return self.GetNode(ArgInt16(nDomainIndex), ArgInt16(nSubnetIndex));
           },
           py::arg("nDomainIndex"), py::arg("nSubnetIndex"))
      .def("GetObject",
           [](C472VirtualNode& self, py::handle nIndex, py::handle sName, py::handle iType, py::handle lResourceIdx) {
             std::string name = ArgText(sName);
             std::int16_t type = ArgInt16(iType);
             std::int32_t resource = ArgInt32(lResourceIdx);
             const Variant object = self.GetObject(ArgInt16(nIndex), name, type, resource);
             return py::make_tuple(ToPython(object), name, type, resource);
           },
           py::arg("nIndex"), py::arg("sName") = "", py::arg("iType") = 0, py::arg("lResourceIdx") = 0)
      .def("GetSubnet", [](C472VirtualNode& self, py::handle nIndex) { return self.GetSubnet(ArgInt16(nIndex)); },
           py::arg("nIndex"))
      .def("Reset", &C472VirtualNode::Reset)
      .def("Wink", &C472VirtualNode::Wink)
      .def("RespondToRequest",
           [](C472VirtualNode& self, py::handle MsgCode, py::handle MsgData) {
             return self.RespondToRequest(ArgText(MsgCode), ArgText(MsgData));
           },
           py::arg("MsgCode"), py::arg("MsgData"))
      .def("SendMessageWait",
           [](C472VirtualNode& self, py::handle MsgCode, py::handle MsgData, py::handle MsgLength) {
             std::string data = ArgText(MsgData);
             const std::int32_t length = ArgInt32(MsgLength);
             const bool ok = self.SendMessageWait(ArgText(MsgCode), data, length);
             return py::make_tuple(ok, data, length);
           },
           py::arg("MsgCode"), py::arg("MsgData"), py::arg("MsgLength"))
      // ICorvelNodeOffline
      .def_property_readonly("ConfigurationFile", [](const C472VirtualNode& self) { return self.ConfigurationFile(); })
      .def("Refresh", &C472VirtualNode::Refresh);
}

void BindLonMarkObjects(py::module_& module) {
  py::class_<C472VirtualLMCol, std::shared_ptr<C472VirtualLMCol>> objects(module, "C472VirtualLMCol");
  BindCollection<C472VirtualLMCol>(objects);

  py::class_<LMObjectCPs> cps(module, "LMObjectCPs");
  BindCollection<LMObjectCPs>(cps);
  py::class_<LMObjectNVs> nvs(module, "LMObjectNVs");
  BindCollection<LMObjectNVs>(nvs);

  py::class_<C472VirtualLM, std::shared_ptr<C472VirtualLM>>(module, "C472VirtualLM")
      .def_property_readonly("Description", [](const C472VirtualLM& self) { return self.Description(); })
      .def_property_readonly("Index", [](const C472VirtualLM& self) { return self.Index(); })
      .def_property_readonly("ConfigurationProperties",
                             [](const C472VirtualLM& self) -> py::object {
                               auto collection = self.ConfigurationProperties();
                               return collection ? py::cast(LMObjectCPs{collection}) : py::none();
                             })
      .def_property_readonly("NetworkVariables",
                             [](const C472VirtualLM& self) -> py::object {
                               auto collection = self.NetworkVariables();
                               return collection ? py::cast(LMObjectNVs{collection}) : py::none();
                             })
      .def_property_readonly("Name", [](const C472VirtualLM& self) { return self.Name(); })
      .def_property_readonly("PrimaryNV", [](const C472VirtualLM& self) { return Wrap(self.PrimaryNV()); })
      .def_property("TestCommand", nullptr, [](C472VirtualLM& self, py::handle value) { self.TestCommand(ArgInt16(value)); })
      .def_property_readonly("TestResults", [](const C472VirtualLM& self) { return self.TestResults(); })
      .def_property(
          "LMObjectType", [](const C472VirtualLM& self) { return self.LMObjectType(); },
          [](C472VirtualLM& self, py::handle value) { self.LMObjectType(ArgInt16(value)); });
}

void BindDataPoints(py::module_& module) {
  py::class_<C472VirtualNVCol, std::shared_ptr<C472VirtualNVCol>> nvs(module, "C472VirtualNVCol");
  BindCollection<C472VirtualNVCol>(nvs);
  py::class_<C472VirtualCPCol, std::shared_ptr<C472VirtualCPCol>> cps(module, "C472VirtualCPCol");
  BindCollection<C472VirtualCPCol>(cps);

  py::class_<C472VirtualNV, std::shared_ptr<C472VirtualNV>> nv(module, "C472VirtualNV");
  nv.def_property_readonly("Comment", [](const C472VirtualNV& self) { return self.Comment(); })
      .def_property_readonly("Index", [](const C472VirtualNV& self) { return self.Index(); })
      .def_property_readonly("IsConfigurationVariable", [](const C472VirtualNV& self) { return self.IsConfigurationVariable(); })
      .def_property_readonly("Length", [](const C472VirtualNV& self) { return self.Length(); })
      .def_property_readonly("Name", [](const C472VirtualNV& self) { return self.Name(); })
      .def_property_readonly("NVType", [](const C472VirtualNV& self) { return self.NVType(); })
      .def_property_readonly("UpdateWhenSoftOffline", [](const C472VirtualNV& self) { return self.UpdateWhenSoftOffline(); })
      .def_property(
          "Value", [](const C472VirtualNV& self) { return ToPython(self.Value()); },
          [](C472VirtualNV& self, py::handle value) { self.Value(FromPython(value)); });
  BindVirtualObj<C472VirtualNV>(nv);

  py::class_<C472VirtualCP, std::shared_ptr<C472VirtualCP>> cp(module, "C472VirtualCP");
  cp.def_property_readonly("ElementCount", [](const C472VirtualCP& self) { return self.ElementCount(); })
      .def_property_readonly("ElementSize", [](const C472VirtualCP& self) { return self.ElementSize(); })
      .def_property_readonly("Name", [](const C472VirtualCP& self) { return self.Name(); })
      .def_property_readonly("StandardType", [](const C472VirtualCP& self) { return self.StandardType(); })
      .def_property_readonly("CPType", [](const C472VirtualCP& self) { return self.CPType(); })
      .def_property(
          "Value", [](const C472VirtualCP& self) { return ToPython(self.Value()); },
          [](C472VirtualCP& self, py::handle value) { self.Value(FromPython(value)); });
  BindVirtualObj<C472VirtualCP>(cp);
}

}  // namespace

void BindNode(py::module_& module) {
  BindNodeClass(module);
  BindLonMarkObjects(module);
  BindDataPoints(module);
}

}  // namespace vemo::python
