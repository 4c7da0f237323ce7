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
  Getter(node, "Channel", &Node::Channel, "int: always 0, the node is offline. Never raises.");
  Getter(node, "Comment", &Node::Comment,
         "str: the record's SelfDoc after its first ';'; empty when it has none. Never raises.");
  Getter(node, "ConfigurationProperties", &Node::ConfigurationProperties,
         "C472VirtualCPCol: the node's CPs; None until PopulateDevice has built the node. Never raises.");
  Getter(node, "NetworkVariables", &Node::NetworkVariables,
         "C472VirtualNVCol: the node's NVs; None until PopulateDevice has built the node. Never raises.");
  Getter(node, "MajorVersion", &Node::MajorVersion, "int: always 0. Never raises.");
  Getter(node, "MinorVersion", &Node::MinorVersion, "int: always 0. Never raises.");
  Property(node, "Mode", &Node::Mode, &Node::Mode,
           "int: always 1; a value set is accepted and ignored. Setting raises AutomationError 6 for a number beyond "
           "16 bits, 13 for a value that is no number.");
  Getter(node, "UniqueNodeNum", &Node::UniqueNodeNum,
         "str: the 12-digit hexadecimal number the factory gave the node, FFFF00000000 for its first. Never "
         "raises.");
  Getter(node, "ObjectCount", &Node::ObjectCount,
         "int: how many LonMark objects the node has, the device object included; 0 until PopulateDevice. Never "
         "raises.");
  Getter(node, "ProgramID", &Node::ProgramID, "str: the program ID of the node's record. Never raises.");
  Getter(node, "SelfDocumentation", &Node::SelfDocumentation, "str: the record's SelfDoc. Never raises.");
  Property(node, "State", &Node::State, &Node::State,
           "int: always 4; a value set is accepted and ignored. Setting raises AutomationError 6 for a number beyond "
           "16 bits, 13 for a value that is no number.");
  Property(node, "SendExplicitMessages", &Node::SendExplicitMessages, &Node::SendExplicitMessages,
           "bool: kept as set, False at first. Setting raises AutomationError 13 for a value that is no number, "
           "text or bool.");
  node.def(
          "GetDomain",
          [device](py::handle self, py::handle nIndex) { return Result(device(self)->GetDomain(ArgInt16(nIndex))); },
          py::arg("nIndex"),
          "str: always '0', the node is offline. Raises AutomationError 6 when nIndex is a number beyond 16 bits, 13 "
          "when it is no number.")
      .def(
          "GetNode",
          [device](py::handle self, py::handle nDomainIndex, py::handle nSubnetIndex) {
            const auto face = device(self);
            return face->GetNode(ArgInt16(nDomainIndex), ArgInt16(nSubnetIndex));
          },
          py::arg("nDomainIndex"), py::arg("nSubnetIndex"),
          "int: always 0, the node is offline. Raises AutomationError 6 when an argument is a number beyond 16 bits, "
          "13 when it is no number.")
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
          py::arg("nIndex"), py::arg("sName") = "", py::arg("iType") = 0, py::arg("lResourceIdx") = 0,
          "(object, sName, iType, lResourceIdx): the C472VirtualLM at position nIndex + 1 of the node's objects "
          "(0 the device object, k + 1 the object with index k) with its name and type, and lResourceIdx 0. "
          "Until PopulateDevice the object is None and sName and iType come back as given. Raises AutomationError 9 "
          "for an nIndex outside the objects, 6 or 13 for an argument that is no number of its size.")
      .def(
          "GetSubnet",
          [device](py::handle self, py::handle nIndex) { return device(self)->GetSubnet(ArgInt16(nIndex)); },
          py::arg("nIndex"),
          "int: always 0, the node is offline. Raises AutomationError 6 when nIndex is a number beyond 16 bits, 13 "
          "when it is no number.")
      .def(
          "Reset", [device](py::handle self) { device(self)->Reset(); }, "Does nothing offline. Never raises.")
      .def(
          "Wink", [device](py::handle self) { device(self)->Wink(); }, "Does nothing offline. Never raises.")
      .def(
          "RespondToRequest",
          [device](py::handle self, py::handle MsgCode, py::handle MsgData) {
            const auto face = device(self);
            return face->RespondToRequest(ArgText(MsgCode), ArgText(MsgData));
          },
          py::arg("MsgCode"), py::arg("MsgData"),
          "bool: always False, an offline node answers no request. Raises AutomationError 13 for an argument that "
          "cannot be text.")
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
          py::arg("MsgCode"), py::arg("MsgData"), py::arg("MsgLength"),
          "(ok, MsgData, MsgLength): ok is always True. A read-memory request for 0x1F bytes (MsgCode '6D', "
          "MsgData 8 hexadecimal digits ending in '1F') gets the offline reply as hexadecimal text in MsgData; "
          "any other message leaves MsgData as it was. Raises AutomationError 13 for text arguments that cannot "
          "be text, 6 or 13 for a MsgLength that is no 32-bit number.");
}

void BindNodeClass(py::module_& module) {
  NodeClass node(module, "C472VirtualNode",
                 "An offline virtual node built from a catalogue entry: its LonMark objects, CPs and NVs, and its "
                 "configuration data block filled from a configuration file. Members that would talk to a network "
                 "answer fixed offline values.");
  Getter(node, "ProgIDInfo", &_C472VirtualNode::ProgIDInfo,
         "cProgIDInfo: the record the node was made from. Never raises.");
  node.def(
      "PopulateDevice",
      [](py::handle self, py::handle sKivName) {
        const auto virtualNode = Held<_C472VirtualNode>(self);
        const std::string path = ArgPath(sKivName);
        return Unlocked([&] { return virtualNode->PopulateDevice(path); });
      },
      py::arg("sKivName") = "",
      "Builds the node from its catalogue entry (the first time) and reads the configuration file sKivName (str, "
      "bytes or os.PathLike; empty for none) into its configuration data block. Returns whether the file was "
      "read. Catalogue entries that cannot be used are reported in a message box. Raises AutomationError 7 when "
      "the data block would pass its size limit, 6 when its offsets pass 32 bits; an exception raised by a hook "
      "(message box, configuration-file reader) reaches the caller. A failure leaves the node as it was before "
      "the call.");
  BindDeviceMembers(node);

  using Offline = ICorvelNodeOffline;
  Getter(node, "ConfigurationFile", &Offline::ConfigurationFile,
         "str: the configuration file PopulateDevice was last given. Never raises.");
  node.def(
      "Refresh",
      [](py::handle self) {
        const auto offline = Face<Offline, _C472VirtualNode>(self);
        Unlocked([&] { offline->Refresh(); });
      },
      "Rereads the configuration file; the reader's failures, exceptions included, are ignored. Never raises.");
  BindRepr(node);
}

void BindLonMarkObjects(py::module_& module) {
  py::class_<I709LMObjects, std::shared_ptr<I709LMObjects>> objects(
      module, "C472VirtualLMCol", "A node's LonMark objects: the device object (index -1) first, then the others.");
  BindCollection(objects, "LonMark objects",
                 "The C472VirtualLM at 1-based position vItem (a number) or with index vItem (its decimal text: "
                 "'-1' the device object, '0', '1', ...). Raises AutomationError 9 for a position outside 1..Count, "
                 "5 for text that is no object's index or a value that is neither number nor text, 6 for a number "
                 "beyond 32 bits.");

  py::class_<LMObjectCPs, std::shared_ptr<LMObjectCPs>> cps(
      module, "LMObjectCPs", "The CPs filed in one LonMark object: the object seen as a collection of CPs.");
  BindCollection(cps, "CPs",
                 "The C472VirtualCP at 1-based position vItem (a number) or under its key (decimal text). Raises "
                 "AutomationError 9 for a position outside 1..Count, 5 for a key the object lacks or a value that "
                 "is neither number nor text, 6 for a number beyond 32 bits.");
  py::class_<LMObjectNVs, std::shared_ptr<LMObjectNVs>> nvs(
      module, "LMObjectNVs", "The NVs filed in one LonMark object: the object seen as a collection of NVs.");
  BindCollection(nvs, "NVs",
                 "The C472VirtualNV at 1-based position vItem (a number) or with index vItem (decimal text). Raises "
                 "AutomationError 9 for a position outside 1..Count, 5 for an index the object lacks or a value "
                 "that is neither number nor text, 6 for a number beyond 32 bits.");

  using LM = I709LMObject;
  py::class_<LM, std::shared_ptr<LM>> object(module, "C472VirtualLM", "A LonMark functional object of a virtual node.");
  Getter(object, "Description", &LM::Description, "str: the standard description of the object's type. Never raises.");
  Getter(object, "Index", &LM::Index, "int: the object's index; -1 for the device object. Never raises.");
  object
      .def_property_readonly(
          "ConfigurationProperties",
          [](py::handle self) -> py::object {
            auto collection = Held<LM>(self)->ConfigurationProperties();
            return collection ? py::cast(std::make_shared<LMObjectCPs>(LMObjectCPs{collection})) : py::none();
          },
          "LMObjectCPs: the CPs filed in this object; None when it has none. Never raises.")
      .def_property_readonly(
          "NetworkVariables",
          [](py::handle self) -> py::object {
            auto collection = Held<LM>(self)->NetworkVariables();
            return collection ? py::cast(std::make_shared<LMObjectNVs>(LMObjectNVs{collection})) : py::none();
          },
          "LMObjectNVs: the NVs filed in this object; None when it has none. Never raises.");
  Getter(object, "Name", &LM::Name,
         "str: the object's name from the device's self-documentation, else its type's description. Never raises.");
  Getter(object, "PrimaryNV", &LM::PrimaryNV, "Always None. Never raises.");
  Setter(object, "TestCommand", &LM::TestCommand,
         "Write-only int, accepted and ignored offline; reading it raises AttributeError. Setting raises "
         "AutomationError 6 for a number beyond 16 bits, 13 for a value that is no number.");
  Getter(object, "TestResults", &LM::TestResults, "int: always 0. Never raises.");
  Property(object, "LMObjectType", &LM::LMObjectType, &LM::LMObjectType,
           "int: the object's type number. Setting it raises AutomationError 383: it is read-only.");
  BindRepr(object);
}

// The IC472VirtualObj members that NVs and CPs share.
template <class Class>
void BindVirtualObj(Class& cls) {
  Property(cls, "LMObjectID", &IC472VirtualObj::LMObjectID, &IC472VirtualObj::LMObjectID,
           "int: the index of the LonMark object the data point belongs to; -1 the node itself, -2 not resolved. "
           "Setting raises AutomationError 6 for a number beyond 32 bits, 13 for a value that is no number.");
  Getter(cls, "SelectData", &IC472VirtualObj::SelectData,
         "str: the select field of the data point's self-documentation, which names its object. Never raises.");
}

void BindDataPoints(py::module_& module) {
  py::class_<I709NetworkVariables, std::shared_ptr<I709NetworkVariables>> nvs(
      module, "C472VirtualNVCol", "A node's network variables, in index order, filed by index.");
  BindCollection(nvs, "NVs",
                 "The C472VirtualNV at 1-based position vItem (a number) or with index vItem (its decimal text, "
                 "e.g. '12'). Raises AutomationError 9 for a position outside 1..Count, 5 for text that is no NV's "
                 "index or a value that is neither number nor text, 6 for a number beyond 32 bits.");
  py::class_<I709ConfigurationProperties, std::shared_ptr<I709ConfigurationProperties>> cps(
      module, "C472VirtualCPCol", "A node's configuration properties, in Index order, filed by key.");
  BindCollection(cps, "CPs",
                 "The C472VirtualCP whose key is vItem (a number or its decimal text, spaces around it ignored); "
                 "None when there is no such CP or vItem is neither number nor text. Never raises for a missing "
                 "CP; AutomationError 13 for a value that is no automation value.");

  using NV = I709NetworkVariable;
  py::class_<NV, std::shared_ptr<NV>> nv(
      module, "C472VirtualNV",
      "A network variable of a virtual node. A configuration NV keeps its value in the node's configuration data "
      "block; any other NV holds its own bytes.");
  Getter(nv, "Comment", &NV::Comment, "str: the NV's self-documentation string. Never raises.");
  Getter(nv, "Index", &NV::Index, "int: the NV's index. Never raises.");
  Getter(nv, "IsConfigurationVariable", &NV::IsConfigurationVariable,
         "bool: whether it is a configuration NV, whose value lies in the configuration data block. Never raises.");
  Getter(nv, "Length", &NV::Length, "int: the NV's size in bytes. Never raises.");
  Getter(nv, "Name", &NV::Name, "str: the NV's name. Never raises.");
  Getter(nv, "NVType", &NV::NVType, "int: the NV's type number. Never raises.");
  Getter(nv, "UpdateWhenSoftOffline", &NV::UpdateWhenSoftOffline, "bool: always False. Never raises.");
  Property(nv, "Value", &NV::Value, &NV::Value,
           "bytes: the NV's value; set it with bytes or bytearray. Raises AutomationError 422 for a configuration "
           "NV without storage in the block; setting raises 5 for a value that is not bytes, for an NV given "
           "another number of bytes than its Length, or a configuration NV given fewer.");
  BindVirtualObj(nv);
  BindRepr(nv);

  using CP = I709ConfigurationProperty;
  py::class_<CP, std::shared_ptr<CP>> cp(
      module, "C472VirtualCP",
      "A configuration property of a virtual node; its value is a slice of the node's configuration data block.");
  Getter(cp, "ElementCount", &CP::ElementCount, "int: always 1. Never raises.");
  Getter(cp, "ElementSize", &CP::ElementSize, "int: the CP's size in bytes. Never raises.");
  Getter(cp, "Name", &CP::Name, "str: the CP's definition record 'key|applies-to|flag-type|select'. Never raises.");
  Getter(cp, "StandardType", &CP::StandardType, "bool: whether the CP's type is a standard one. Never raises.");
  Getter(cp, "CPType", &CP::CPType, "int: the CP's type number. Never raises.");
  Property(cp, "Value", &CP::Value, &CP::Value,
           "bytes: the CP's ElementSize bytes of the block; set it with bytes or bytearray of at least ElementSize "
           "bytes (the first ElementSize are written). Raises AutomationError 422 for a CP without storage in the "
           "block; setting raises 5 for a value that is not bytes or too short.");
  BindVirtualObj(cp);
  Getter(cp, "Key", &IC472VirtualCP::Key,
         "int: the number the node's CP collections file the CP under; Item of its decimal text finds it. Never "
         "raises.");
  Getter(cp, "Index", &IC472VirtualCP::Index,
         "int: the number of the CP's Index attribute ('#12' gives 12), which orders the CPs. Never raises.");
  BindRepr(cp);
}

}  // namespace

void BindNode(py::module_& module) {
  BindNodeClass(module);
  BindLonMarkObjects(module);
  BindDataPoints(module);
}

}  // namespace vemo::python
