// Standard NV and CP types in Python: a data point's type, its value decoded into numbers
// with units, enumeration members and fields, and a value in units written back.
#include <pybind11/stl.h>

#include "py_bindings.h"
#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/types.h"

namespace vemo::python {

namespace {

const char* CategoryName(TypeCategory category) {
  switch (category) {
    case TypeCategory::kSnvt: return "SNVT";
    case TypeCategory::kScpt: return "SCPT";
    case TypeCategory::kEnumeration: return "enum";
  }
  return "";
}

const char* KindName(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::kNumber: return "number";
    case Value::Kind::kFloat: return "float";
    case Value::Kind::kEnumeration: return "enumeration";
    case Value::Kind::kStructure: return "structure";
    case Value::Kind::kUnion: return "union";
    case Value::Kind::kArray: return "array";
    case Value::Kind::kText: return "text";
  }
  return "";
}

std::vector<std::uint8_t> ArgBytes(py::handle value) {
  const Variant variant = FromPython(value);
  const ByteArray* bytes = variant.AsBytes();
  if (!bytes) throw py::type_error("expected bytes or bytearray");
  return bytes->bytes;
}

// The NV or CP behind a Python object of this module; TypeError for anything else.
struct Point {
  std::shared_ptr<I709NetworkVariable> nv;
  std::shared_ptr<I709ConfigurationProperty> cp;
};

Point ArgPoint(py::handle point) {
  const ObjectPtr object = Unwrap(point);
  Point found{std::dynamic_pointer_cast<I709NetworkVariable>(object),
              std::dynamic_pointer_cast<I709ConfigurationProperty>(object)};
  if (!found.nv && !found.cp) throw py::type_error("expected a C472VirtualNV or C472VirtualCP");
  return found;
}

std::optional<DataType> PointType(const Point& point, py::handle node) {
  if (point.nv) return TypeOf(*point.nv);
  if (node.is_none()) return TypeOf(*point.cp);
  const auto owner = std::dynamic_pointer_cast<I709Node>(Unwrap(node));
  if (!owner) throw py::type_error("node: expected a C472VirtualNode or None");
  return TypeOf(*point.cp, *owner);
}

std::vector<std::uint8_t> PointBytes(const Point& point) {
  const Variant value = point.nv ? point.nv->Value() : point.cp->Value();
  const ByteArray* bytes = value.AsBytes();
  return bytes ? bytes->bytes : std::vector<std::uint8_t>{};
}

// A Python number or text as the text Parse reads.
std::string ValueText(py::handle value) {
  if (py::isinstance<py::bool_>(value)) throw py::type_error("expected a number or str, not bool");
  if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)) return py::repr(value).cast<std::string>();
  return ArgText(value);
}

const char* const kPointNode =
    " A CP whose type inherits takes the type of the NV it applies to, which only its node knows: pass the "
    "node as node.";

}  // namespace

void BindTypes(py::module_& module) {
  py::class_<DataType>(module, "StandardType",
                       "A standard NV type (SNVT), CP type (SCPT) or enumeration: its layout, scaling, range and "
                       "unit, from the standard type tables. Made by FindType and TypeOf only.")
      .def_property_readonly(
          "Name", [](const DataType& type) { return Text(std::string(type.Name())); }, "str: 'SNVT_temp_p'.")
      .def_property_readonly(
          "Category", [](const DataType& type) { return CategoryName(type.Category()); }, "str: 'SNVT', 'SCPT' or 'enum'.")
      .def_property_readonly("Index", &DataType::Index, "int: the SNVT or SCPT index, or the enumeration's key.")
      .def_property_readonly("Size", &DataType::Size, "int: bytes of a value; 0 for a CP type that inherits.")
      .def_property_readonly("Inherits", &DataType::Inherits,
                             "bool: a CP type that takes the type of the NV it applies to.")
      .def_property_readonly(
          "Unit", [](const DataType& type) { return Text(std::string(type.Unit())); }, "str: '°C'; empty when none.")
      .def(
          "Decode", [](const DataType& type, py::handle bytes) { return Decode(type, ArgBytes(bytes)); },
          py::arg("value"),
          "The DecodedValue of bytes of this type. Raises AutomationError 380 when their length is not the type's.")
      .def("Encode", &Encode, py::arg("value"),
           "The bytes of a DecodedValue of this type. Raises AutomationError 380 naming the range when a number "
           "lies outside it.")
      .def(
          "Parse", [](const DataType& type, py::handle text) { return Parse(type, ValueText(text)); },
          py::arg("text"),
          "A value of this type from a number (in the type's unit), a member name or the text repr() shows. Raises "
          "AutomationError 380 saying what could not be read or lies out of range.")
      .def("__repr__", [](const DataType& type) { return Text("<StandardType " + std::string(type.Name()) + ">"); },
           "'<StandardType SNVT_temp_p>'.");

  py::class_<Value>(module, "DecodedValue",
                    "A value read in its standard type: a number with its unit, an enumeration member, or a "
                    "structure, union or array of such values in Items. str() shows it as vemo does.")
      .def_property_readonly(
          "Kind", [](const Value& value) { return KindName(value.kind); },
          "str: 'number', 'float', 'enumeration', 'structure', 'union', 'array' or 'text'.")
      .def_property_readonly(
          "Name", [](const Value& value) { return Text(value.name); }, "str: the field's name; empty for a whole value.")
      .def_property_readonly(
          "Number", [](const Value& value) { return value.number; }, "float: a number's value in its unit.")
      .def_property_readonly(
          "Unit", [](const Value& value) { return Text(value.unit); }, "str: '°C'; empty when none.")
      .def_property_readonly(
          "Member", [](const Value& value) { return Text(value.member); },
          "str: an enumeration's member name; empty when no member has the number.")
      .def_property_readonly(
          "Text", [](const Value& value) { return Text(value.text); }, "str: a text value's characters.")
      .def_property_readonly(
          "Items", [](const Value& value) { return value.items; }, "list[DecodedValue]: fields, members or elements.")
      .def_property_readonly(
          "Invalid", [](const Value& value) { return value.invalid; }, "bool: the type's value for no valid value.")
      .def_property_readonly(
          "InRange", [](const Value& value) { return value.inRange; }, "bool: within the type's minimum and maximum.")
      .def(
          "__getitem__",
          [](const Value& value, const std::string& name) {
            const Value* field = value.Find(name);
            if (!field) throw py::key_error(name);
            return *field;
          },
          py::arg("name"), "The field or member of that name; KeyError when there is none.")
      .def("__str__", [](const Value& value) { return Text(Format(value)); }, "'21.50 °C', as vemo shows it.")
      .def("__repr__", [](const Value& value) { return Text("<DecodedValue " + Format(value) + ">"); },
           "'<DecodedValue 21.50 °C>'.");

  module.def(
      "FindType",
      [](py::handle key, const std::string& category) -> std::optional<DataType> {
        if (py::isinstance<py::str>(key)) return FindTypeByName(ArgText(key));
        const int index = ArgInt32(key);
        if (category == "SNVT") return FindSnvtType(index);
        if (category == "SCPT") return FindScptType(index);
        throw py::value_error("category: 'SNVT' or 'SCPT'");
      },
      py::arg("key"), py::arg("category") = "SNVT",
      "The StandardType of a name ('SNVT_temp_p', any case) or of an index in category 'SNVT' or 'SCPT'; None "
      "when there is none.");
  module.def(
      "TypeOf", [](py::handle point, py::handle node) { return PointType(ArgPoint(point), node); }, py::arg("point"),
      py::arg("node") = py::none(),
      (std::string("The StandardType of an NV (its NVType) or CP (its CPType when StandardType is true), or None "
                    "when its value stays bytes.") + kPointNode).c_str());
  module.def(
      "Decode",
      [](py::handle point, py::handle node) -> std::optional<Value> {
        const Point found = ArgPoint(point);
        const std::optional<DataType> type = PointType(found, node);
        if (!type) return std::nullopt;
        return Decode(*type, PointBytes(found));
      },
      py::arg("point"), py::arg("node") = py::none(),
      (std::string("The DecodedValue of an NV's or CP's value, or None when it has no standard type. Raises "
                   "AutomationError as reading its Value does, or 380 when the bytes do not fit the type.") +
       kPointNode).c_str());
  module.def(
      "SetValue",
      [](py::handle point, py::handle value, py::handle node) {
        const Point found = ArgPoint(point);
        const std::optional<DataType> type = PointType(found, node);
        if (!type) throw AutomationError(err::kInvalidArgument, "SetValue", "The data point has no standard type.");
        const std::string text = ValueText(value);
        const bool field = text.find('=') != std::string::npos && !text.starts_with('"');
        const ByteArray bytes{field ? UpdateField(*type, PointBytes(found), text) : Encode(*type, Parse(*type, text)), 0};
        if (found.nv) {
          found.nv->Value(Variant(bytes));
        } else {
          found.cp->Value(Variant(bytes));
        }
      },
      py::arg("point"), py::arg("value"), py::arg("node") = py::none(),
      (std::string("Writes a value in units into an NV or CP: a number, a member name, 'field=value' for one field "
                   "(the others keep their bytes) or the text str() of a DecodedValue shows. Raises AutomationError "
                   "5 for a point of no standard type, 380 naming the range for a value outside it, and as setting "
                   "its Value does.") + kPointNode).c_str());
}

}  // namespace vemo::python
