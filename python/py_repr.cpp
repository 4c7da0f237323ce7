#include "py_repr.h"

#include "py_text.h"

namespace vemo::python {

namespace {

// A name as one word: as it is when it reads plainly, else quoted as Python quotes a str
// (spaces, control characters, bytes that are not UTF-8), so the repr stays one line of
// valid text.
std::string Word(const std::string& text) {
  const py::str name = Text(text);
  const bool plain = !text.empty() && text.find(' ') == std::string::npos && py::bool_(name.attr("isprintable")());
  return plain ? text : TextBytes(py::repr(name));
}

std::string Count(std::int32_t count) { return "count=" + std::to_string(count); }

std::string Validity(bool valid) { return valid ? "" : " invalid"; }

template <class Interface>
std::string DescribeView(const CollectionView<Interface>& view) {
  const auto object = std::dynamic_pointer_cast<I709LMObject>(view.collection);
  const std::string owner = object ? std::to_string(object->Index()) + " " + Word(object->Name()) + " " : "";
  return owner + Count(view.Count());
}

}  // namespace

std::string Describe(const cFactory&) { return ""; }
std::string Describe(const Enumerator&) { return ""; }
std::string Describe(const IVemoProgIDItem& item) { return Word(item.Name()) + "=" + Word(item.Value()); }

std::string Describe(const IVemoProgIDInfo& info) {
  return Word(info.ProgramID()) + " " + Word(info.DeviceCode()) + Validity(info.IsValid());
}

std::string Describe(const IVemoProgIDConfigInfo& info) {
  return Word(info.ProgramID()) + " level=" + std::to_string(info.Level()) + Validity(info.IsValid());
}

std::string Describe(const _C472VirtualNode& node) {
  const std::shared_ptr<IVemoProgIDInfo> info = node.ProgIDInfo();
  const auto* device = dynamic_cast<const I709Node*>(&node);
  return (info ? Word(info->ProgramID()) + " " : "") +
         (device ? "objects=" + std::to_string(device->ObjectCount()) : "");
}

std::string Describe(const I709LMObjects& objects) { return Count(objects.Count()); }
std::string Describe(const I709LMObject& object) { return std::to_string(object.Index()) + " " + Word(object.Name()); }
std::string Describe(const LMObjectCPs& view) { return DescribeView(view); }
std::string Describe(const LMObjectNVs& view) { return DescribeView(view); }
std::string Describe(const I709NetworkVariables& nvs) { return Count(nvs.Count()); }

std::string Describe(const I709NetworkVariable& nv) {
  return std::to_string(nv.Index()) + " " + Word(nv.Name()) + " len=" + std::to_string(nv.Length());
}

std::string Describe(const I709ConfigurationProperties& cps) { return Count(cps.Count()); }

std::string Describe(const I709ConfigurationProperty& cp) {
  const auto* keyed = dynamic_cast<const IC472VirtualCP*>(&cp);
  return (keyed ? "key=" + std::to_string(keyed->Key()) + " " : "") + "size=" + std::to_string(cp.ElementSize());
}

py::str Repr(py::handle self, bool hasObject, const std::function<std::string()>& words) {
  const std::string name = py::str(py::type::handle_of(self).attr("__name__"));
  std::string text = "(no library object)";
  if (hasObject) {
    try {
      text = words();
    } catch (const AutomationError& error) {
      text = "(" + Word(error.description()) + ")";
    }
  }
  return Text("<" + name + (text.empty() ? "" : " " + text) + ">");
}

}  // namespace vemo::python
