#include "vemosupport/automation_error.h"

namespace vemo {

namespace {

std::string MessageFor(std::int32_t number, const std::string& source, const std::string& description) {
  std::string text = "Error " + std::to_string(number);
  if (!source.empty()) text += " in " + source;
  if (!description.empty()) text += ": " + description;
  return text;
}

// A raise that names no source gets the component's name, as the automation runtime
// fills it in.
std::string SourceOrComponent(std::string source) { return source.empty() ? std::string(kComponentName) : source; }

std::string DescriptionOrStandard(std::int32_t number, std::string description) {
  return description.empty() ? StandardErrorDescription(number) : description;
}

}  // namespace

std::string StandardErrorDescription(std::int32_t number) {
  switch (number) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 13: return "Type mismatch";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 326: return "Resource with identifier not found";
    case 380: return "Invalid property value";
    case 383: return "Property is read-only";
    case 422: return "Property not found";
    case 457: return "This key is already associated with an element of this collection";
    default: return {};
  }
}

AutomationError::AutomationError(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(MessageFor(number, SourceOrComponent(source), DescriptionOrStandard(number, description))),
      number_(number),
      source_(SourceOrComponent(std::move(source))),
      description_(DescriptionOrStandard(number, std::move(description))) {}

std::uint32_t AutomationError::hresult() const noexcept {
  return 0x800A0000u | (static_cast<std::uint32_t>(number_) & 0xFFFFu);
}

}  // namespace vemo
