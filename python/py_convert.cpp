#include "py_convert.h"

#include <limits>

#include "vemosupport/cFactory.h"
#include "node/C472VirtualLMCol.h"
#include "node/C472VirtualNode.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/enumerator.h"
#include "points/C472VirtualCPCol.h"
#include "points/C472VirtualNVCol.h"
#include "progid/cProgIDConfigInfo.h"
#include "progid/cProgIDInfo.h"

namespace vemo::python {

namespace {

// Every class the module exposes. An object goes to Python as its most-derived class,
// so one C++ object is always one Python object.
template <class... Types>
struct ExposedTypes {
  static py::object Wrap(const ObjectPtr& object) {
    py::object result = py::none();
    ((result.is_none() ? TryWrap<Types>(object, result) : void()), ...);
    return result;
  }
  static ObjectPtr Unwrap(py::handle value) {
    ObjectPtr result;
    ((result ? void() : TryUnwrap<Types>(value, result)), ...);
    return result;
  }

 private:
  template <class T>
  static void TryWrap(const ObjectPtr& object, py::object& result) {
    if (auto typed = std::dynamic_pointer_cast<T>(object)) result = py::cast(typed);
  }
  template <class T>
  static void TryUnwrap(py::handle value, ObjectPtr& result) {
    if (py::isinstance<T>(value)) result = value.cast<std::shared_ptr<T>>();
  }
};

using Exposed = ExposedTypes<cFactory, cProgIDInfo, cProgIDConfigInfo, cProgIDItem, C472VirtualNode, C472VirtualLMCol,
                             C472VirtualLM, C472VirtualNVCol, C472VirtualNV, C472VirtualCPCol, C472VirtualCP, Enumerator>;

}  // namespace

Variant FromPython(py::handle value) {
  if (value.is_none()) return Variant();
  if (py::isinstance<py::bool_>(value)) return Variant(value.cast<bool>());
  if (py::isinstance<py::int_>(value)) {
    // Whole numbers beyond 32 bits travel as doubles, so conversions can report overflow.
    const double number = value.cast<double>();
    if (number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max()) {
      return Variant(value.cast<std::int32_t>());
    }
    return Variant(number);
  }
  if (py::isinstance<py::float_>(value)) return Variant(value.cast<double>());
  if (py::isinstance<py::str>(value)) return Variant(value.cast<std::string>());
  if (py::isinstance<py::bytes>(value) || py::isinstance<py::bytearray>(value)) {
    const std::string raw = py::isinstance<py::bytes>(value) ? std::string(value.cast<py::bytes>())
                                                              : std::string(value.cast<py::bytearray>());
    ByteArray bytes;
    bytes.bytes.assign(raw.begin(), raw.end());
    return Variant(std::move(bytes));
  }
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    Variant::Array items;
    for (py::handle item : value) items.push_back(FromPython(item));
    return Variant(std::move(items));
  }
  if (ObjectPtr object = Exposed::Unwrap(value)) return Variant(std::move(object));
  throw AutomationError(err::kTypeMismatch);
}

py::object ToPython(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty: return py::none();
    case Variant::Type::Boolean: return py::bool_(value.ToDouble() != 0);
    case Variant::Type::Integer:
    case Variant::Type::Long: return py::int_(value.ToInt32());
    case Variant::Type::Double: return py::float_(value.ToDouble());
    case Variant::Type::String: return py::str(*value.AsString());
    case Variant::Type::Bytes: {
      const ByteArray& bytes = *value.AsBytes();
      return py::bytes(reinterpret_cast<const char*>(bytes.bytes.data()), bytes.bytes.size());
    }
    case Variant::Type::Array: {
      py::list items;
      for (const Variant& item : *value.AsArray()) items.append(ToPython(item));
      return items;
    }
    case Variant::Type::Object: return Wrap(value.AsObject());
  }
  return py::none();
}

py::object Wrap(const ObjectPtr& object) { return object ? Exposed::Wrap(object) : py::none(); }

std::string ArgText(py::handle value) {
  // A Python int is exact at any size: its digits, not a rounded double.
  if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value)) return py::str(value);
  return FromPython(value).ToText();
}
std::int16_t ArgInt16(py::handle value) { return FromPython(value).ToInt16(); }
std::int32_t ArgInt32(py::handle value) { return FromPython(value).ToInt32(); }

bool ArgBool(py::handle value) {
  const Variant variant = FromPython(value);
  if (const std::string* text = variant.AsString()) {
    if (*text == "True" || *text == "true" || *text == "TRUE") return true;
    if (*text == "False" || *text == "false" || *text == "FALSE") return false;
  }
  return variant.ToDouble() != 0;
}

}  // namespace vemo::python
