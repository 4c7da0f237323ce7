#pragma once

// Why population leaves a catalogue element out instead of filing its NV or CP.

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/xml_dom.h"

namespace vemo {

struct PointRejection {
  enum class Reason {
    kNone,  // the point was filed
    kNoElement,
    kNoAttribute,           // `name`: the attribute
    kShortIndex,            // the Index attribute lacks a prefix character or a number
    kEmptyAttribute,        // `name`: the attribute
    kNoChild,               // `name`: the child element
    kNumberTooLarge,        // the number of attribute `name` does not fit in `bits`
    kNothingAfterLead,      // an NV's SelfDoc `name` has nothing after its first character
    kNoAppliesToOrSelect,   // a configuration NV's SelfDoc `name` lacks "applies-to,select"
    kAppliesToTooLarge,     // `name`: the SelfDoc
    kObjectNumberTooLarge,  // the LonMark object number; `name`: the SelfDoc
    kFiledAlready,          // a point with the same `name` (index, key) was filed first
  };
  PointRejection() = default;
  PointRejection(Reason r, std::string n = {}, int b = 16) : reason(r), name(std::move(n)), bits(b) {}

  Reason reason = Reason::kNone;
  std::string name;
  int bits = 16;

  explicit operator bool() const { return reason != Reason::kNone; }
};

// The reason as a clause: "it has no Size attribute", "its Index number does not fit in
// 32 bits".
std::string Describe(const PointRejection& rejection);

// Reads the attributes `names` of `element` into `values`, in order; the first that is
// missing, empty, or (Index) shorter than a prefix character and a number rejects it.
PointRejection ReadAttributes(const platform::XmlNode& element, std::initializer_list<const char*> names,
                              std::vector<std::string>& values);

}  // namespace vemo
