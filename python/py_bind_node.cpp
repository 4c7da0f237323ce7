// Virtual nodes, their LonMark objects and their data points.
#include "py_bindings.h"
#include "vemosupport/vemosupport.h"

namespace vemo::python {

namespace {

using NodeClass = py::class_<_C472VirtualNode, std::shared_ptr<_C472VirtualNode>>;

// The node as a device: its I709Node members.
void BindDeviceMembers(NodeClass& node) {
  using Node = I709Node;
  auto device = [](py::handle self) { return Face<Node, _C472VirtualNode>(self); };
  Getter(node, "Channel", &Node::Channel);
  Getter(node, "Comment", &Node::Comment);
  Getter(node, "ConfigurationProperties", &Node::ConfigurationProperties);
  Getter(node, "NetworkVariables", &Node::NetworkVariables);
  Getter(node, "MajorVersion", &Node::MajorVersion);
  Getter(node, "MinorVersion", &Node::MinorVersion);
  Property(node, "Mode", &Node::Mode, &Node::Mode);
  Getter(node, "UniqueNodeNum", &Node::UniqueNodeNum);
  Getter(node, "ObjectCount", &Node::ObjectCount);
  Getter(node, "ProgramID", &Node::ProgramID);
  Getter(node, "SelfDocumentation", &Node::SelfDocumentation);
  Property(node, "State", &Node::State, &Node::State);
  Property(node, "SendExplicitMessages", &Node::SendExplicitMessages, &Node::SendExplicitMessages);
  node.def(
          "GetDomain",
          [device](py::handle self, py::handle nIndex) { return Result(device(self)->GetDomain(ArgInt16(nIndex))); },
          py::arg("nIndex"))
      .def(
          "GetNode",
          [device](py::handle self, py::handle nDomainIndex, py::handle nSubnetIndex) {
            const auto face = device(self);
            return face->GetNode(ArgInt16(nDomainIndex), ArgInt16(nSubnetIndex));
          },
          py::arg("nDomainIndex"), py::arg("nSubnetIndex"))
      .def(
          "GetObject",
          [device](py::handle self, py::handle nIndex, py::handle sName, py::handle iType, py::handle lResourceIdx) {
            const auto face = device(self);
            std::string name = ArgText(sName);
            std::int16_t type = ArgInt16(iType);
            std::int32_t resource = ArgInt32(lResourceIdx);
            const Variant object = face->GetObject(ArgInt16(nIndex), name, type, resource);
            return py::make_tuple(ToPython(object), Text(name), type, resource);
          },
          py::arg("nIndex"), py::arg("sName") = "", py::arg("iType") = 0, py::arg("lResourceIdx") = 0)
      .def(
          "GetSubnet", [device](py::handle self, py::handle nIndex) { return device(self)->GetSubnet(ArgInt16(nIndex)); },
          py::arg("nIndex"))
      .def("Reset", [device](py::handle self) { device(self)->Reset(); })
      .def("Wink", [device](py::handle self) { device(self)->Wink(); })
      .def(
          "RespondToRequest",
          [device](py::handle self, py::handle MsgCode, py::handle MsgData) {
            const auto face = device(self);
            return face->RespondToRequest(ArgText(MsgCode), ArgText(MsgData));
          },
          py::arg("MsgCode"), py::arg("MsgData"))
      .def(
          "SendMessageWait",
          [device](py::handle self, py::handle MsgCode, py::handle MsgData, py::handle MsgLength) {
            const auto face = device(self);
            const std::string code = ArgText(MsgCode);
            std::string data = ArgText(MsgData);
            const std::int32_t length = ArgInt32(MsgLength);
            const bool ok = face->SendMessageWait(code, data, length);
            return py::make_tuple(ok, Text(data), length);
          },
          py::arg("MsgCode"), py::arg("MsgData"), py::arg("MsgLength"));
}

void BindNodeClass(py::module_& module) {
  NodeClass node(module, "C472VirtualNode", "An offline virtual node built from a catalogue entry.");
  Getter(node, "ProgIDInfo", &_C472VirtualNode::ProgIDInfo);
  node.def(
      "PopulateDevice",
      [](py::handle self, py::handle sKivName) {
        const auto virtualNode = Held<_C472VirtualNode>(self);
        const std::string path = ArgPath(sKivName);
        return Unlocked([&] { return virtualNode->PopulateDevice(path); });
      },
      py::arg("sKivName") = "",
      "Builds the node and reads the configuration file (str, bytes or os.PathLike; empty for none). A failure, "
      "such as an exception raised by a hook, leaves the node as it was before the call.");
  BindDeviceMembers(node);

  using Offline = ICorvelNodeOffline;
  Getter(node, "ConfigurationFile", &Offline::ConfigurationFile);
  node.def(
      "Refresh",
      [](py::handle self) {
        const auto offline = Face<Offline, _C472VirtualNode>(self);
        Unlocked([&] { offline->Refresh(); });
      },
      "Rereads the configuration file; the reader's failures, exceptions included, are ignored.");
}

void BindLonMarkObjects(py::module_& module) {
  py::class_<I709LMObjects, std::shared_ptr<I709LMObjects>> objects(module, "C472VirtualLMCol");
  BindCollection(objects);

  py::class_<LMObjectCPs, std::shared_ptr<LMObjectCPs>> cps(module, "LMObjectCPs");
  BindCollection(cps);
  py::class_<LMObjectNVs, std::shared_ptr<LMObjectNVs>> nvs(module, "LMObjectNVs");
  BindCollection(nvs);

  using LM = I709LMObject;
  py::class_<LM, std::shared_ptr<LM>> object(module, "C472VirtualLM");
  Getter(object, "Description", &LM::Description);
  Getter(object, "Index", &LM::Index);
  object
      .def_property_readonly("ConfigurationProperties",
                             [](py::handle self) -> py::object {
                               auto collection = Held<LM>(self)->ConfigurationProperties();
                               return collection ? py::cast(std::make_shared<LMObjectCPs>(LMObjectCPs{collection}))
                                                 : py::none();
                             })
      .def_property_readonly("NetworkVariables", [](py::handle self) -> py::object {
        auto collection = Held<LM>(self)->NetworkVariables();
        return collection ? py::cast(std::make_shared<LMObjectNVs>(LMObjectNVs{collection})) : py::none();
      });
  Getter(object, "Name", &LM::Name);
  Getter(object, "PrimaryNV", &LM::PrimaryNV);
  Setter(object, "TestCommand", &LM::TestCommand);
  Getter(object, "TestResults", &LM::TestResults);
  Property(object, "LMObjectType", &LM::LMObjectType, &LM::LMObjectType);
}

// The IC472VirtualObj members that NVs and CPs share.
template <class Class>
void BindVirtualObj(Class& cls) {
  Property(cls, "LMObjectID", &IC472VirtualObj::LMObjectID, &IC472VirtualObj::LMObjectID);
  Getter(cls, "SelectData", &IC472VirtualObj::SelectData);
}

void BindDataPoints(py::module_& module) {
  py::class_<I709NetworkVariables, std::shared_ptr<I709NetworkVariables>> nvs(module, "C472VirtualNVCol");
  BindCollection(nvs);
  py::class_<I709ConfigurationProperties, std::shared_ptr<I709ConfigurationProperties>> cps(module,
                                                                                          "C472VirtualCPCol");
  BindCollection(cps);

  using NV = I709NetworkVariable;
  py::class_<NV, std::shared_ptr<NV>> nv(module, "C472VirtualNV");
  Getter(nv, "Comment", &NV::Comment);
  Getter(nv, "Index", &NV::Index);
  Getter(nv, "IsConfigurationVariable", &NV::IsConfigurationVariable);
  Getter(nv, "Length", &NV::Length);
  Getter(nv, "Name", &NV::Name);
  Getter(nv, "NVType", &NV::NVType);
  Getter(nv, "UpdateWhenSoftOffline", &NV::UpdateWhenSoftOffline);
  Property(nv, "Value", &NV::Value, &NV::Value);
  BindVirtualObj(nv);

  using CP = I709ConfigurationProperty;
  py::class_<CP, std::shared_ptr<CP>> cp(module, "C472VirtualCP");
  Getter(cp, "ElementCount", &CP::ElementCount);
  Getter(cp, "ElementSize", &CP::ElementSize);
  Getter(cp, "Name", &CP::Name);
  Getter(cp, "StandardType", &CP::StandardType);
  Getter(cp, "CPType", &CP::CPType);
  Property(cp, "Value", &CP::Value, &CP::Value);
  BindVirtualObj(cp);
  Getter(cp, "Key", &IC472VirtualCP::Key);
  Getter(cp, "Index", &IC472VirtualCP::Index);
}

}  // namespace

void BindNode(py::module_& module) {
  BindNodeClass(module);
  BindLonMarkObjects(module);
  BindDataPoints(module);
}

}  // namespace vemo::python
