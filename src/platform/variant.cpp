#include "vemosupport/variant.h"

#include <cmath>

#include "vemosupport/automation_error.h"
#include "platform/number_text.h"

namespace vemo {

bool Variant::IsNumber() const {
  switch (type()) {
    case Type::Boolean:
    case Type::Integer:
    case Type::Long:
    case Type::Double:
      return true;
    default:
      return false;
  }
}

ObjectPtr Variant::AsObject() const {
  const ObjectPtr* object = std::get_if<ObjectPtr>(&value_);
  return object ? *object : nullptr;
}

double Variant::ToDouble() const {
  switch (type()) {
    case Type::Empty: return 0.0;
    case Type::Boolean: return std::get<bool>(value_) ? -1.0 : 0.0;
    case Type::Integer: return std::get<std::int16_t>(value_);
    case Type::Long: return std::get<std::int32_t>(value_);
    case Type::Double: return std::get<double>(value_);
    case Type::String:
      if (IsNumericText(std::get<std::string>(value_))) {
        // A numeral beyond the range of a double ("1e400") overflows rather than
        // becoming an infinity.
        const double value = LeadingNumber(std::get<std::string>(value_));
        if (!std::isfinite(value)) throw AutomationError(err::kOverflow);
        return value;
      }
      break;
    default:
      break;
  }
  throw AutomationError(err::kTypeMismatch);
}

std::int16_t Variant::ToInt16() const { return RoundToInt16(ToDouble()); }
std::int32_t Variant::ToInt32() const { return RoundToInt32(ToDouble()); }

std::string Variant::ToText() const {
  switch (type()) {
    case Type::Empty: return {};
    case Type::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case Type::String: return std::get<std::string>(value_);
    case Type::Integer:
    case Type::Long:
    case Type::Double:
      return NumberToText(ToDouble());
    default:
      throw AutomationError(err::kTypeMismatch);
  }
}

}  // namespace vemo
