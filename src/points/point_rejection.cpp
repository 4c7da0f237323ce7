#include "points/point_rejection.h"

#include "platform/text.h"

namespace vemo {

std::string Describe(const PointRejection& r) {
  using Reason = PointRejection::Reason;
  const std::string selfDoc = "its SelfDoc \"" + r.name + "\"";
  switch (r.reason) {
    case Reason::kNone:
      return "it is filed";
    case Reason::kNoElement:
      return "it is not an element";
    case Reason::kNoAttribute:
      return "it has no " + r.name + " attribute";
    case Reason::kShortIndex:
      return "its Index attribute needs a prefix character and a number";
    case Reason::kEmptyAttribute:
      return "its " + r.name + " attribute is empty";
    case Reason::kNoChild:
      return "it has no " + r.name + " child element";
    case Reason::kNumberTooLarge:
      return "its " + r.name + " number does not fit in " + std::to_string(r.bits) + " bits";
    case Reason::kNothingAfterLead:
      return selfDoc + " has nothing after its first character";
    case Reason::kNoAppliesToOrSelect:
      return selfDoc + " lacks the applies-to code and select text (\"&applies-to,select...\")";
    case Reason::kAppliesToTooLarge:
      return "the applies-to code of " + selfDoc + " does not fit in 16 bits";
    case Reason::kObjectNumberTooLarge:
      return "its LonMark object number in SelfDoc \"" + r.name + "\" does not fit in 32 bits";
    case Reason::kFiledAlready:
      return "a point with the same " + r.name + " was filed first";
  }
  return {};
}

PointRejection ReadAttributes(const platform::XmlNode& element, std::initializer_list<const char*> names,
                              std::vector<std::string>& values) {
  using Reason = PointRejection::Reason;
  for (const char* name : names) {
    std::optional<std::string> value = element.getAttribute(name);
    if (!value) return {Reason::kNoAttribute, name};
    if (std::string_view(name) == "Index" && CharacterCount(*value) < 2) return {Reason::kShortIndex, name};
    if (value->empty()) return {Reason::kEmptyAttribute, name};
    values.push_back(std::move(*value));
  }
  return {};
}

}  // namespace vemo
