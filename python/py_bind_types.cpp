// Standard NV and CP types in Python: a data point's type, its value decoded into numbers
// with units, enumeration members and fields, and a value in units written back. Types
// and decoded values are named tuples: plain data that holds no library object.

#include "py_bindings.h"
#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/types.h"

namespace vemo::python {

namespace {

const char* const kClassesSource = R"(
import collections

StandardType = collections.namedtuple("StandardType", "name category number size inherits unit")
StandardType.__doc__ = """A standard NV type (category 'SNVT'), CP type ('SCPT') or
enumeration ('enum'): its name, number (the SNVT or SCPT index), size in bytes (0 for a CP type that inherits the
type of its NV), whether it inherits, and its unit ('°C', empty when none)."""

DecodedValue = collections.namedtuple("DecodedValue", "kind name text number unit member invalid in_range items")
DecodedValue.__doc__ = """A value read in its standard type. kind is 'number', 'float',
'enumeration', 'structure', 'union', 'array' or 'text'; text shows it as vemo does
('21.50 °C'); number is a number's or enumeration's value in unit (None for the other
kinds); member an enumeration member's name (None when no member has the number); items
the fields, union members or elements, each a DecodedValue. value.field('state') is the
field of that name; str(value) is its text."""

def _text(self):
    """The value as vemo shows it."""
    return self.text

def _field(self, name):
    """The field or union member of that name; KeyError when there is none."""
    for item in self.items:
        if item.name == name:
            return item
    raise KeyError(name)

DecodedValue.__str__ = _text
DecodedValue.field = _field
)";

py::dict& Classes() {
  static py::dict& classes = *new py::dict;  // emptied at exit, see BindTypes
  return classes;
}

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

py::object TypeToPython(const std::optional<DataType>& type) {
  if (!type) return py::none();
  return Classes()["StandardType"](Text(std::string(type->Name())), CategoryName(type->Category()), type->Index(),
                                   type->Size(), type->Inherits(), Text(std::string(type->Unit())));
}

py::object ValueToPython(const Value& value) {
  const bool numeric = value.kind == Value::Kind::kNumber || value.kind == Value::Kind::kFloat ||
                       value.kind == Value::Kind::kEnumeration;
  const bool named = value.kind == Value::Kind::kEnumeration && !value.member.empty();
  py::list items;
  for (const Value& item : value.items) items.append(ValueToPython(item));
  return Classes()["DecodedValue"](KindName(value.kind), Text(value.name), Text(Format(value)),
                                   numeric ? py::object(py::float_(value.number)) : py::none(), Text(value.unit),
                                   named ? py::object(Text(value.member)) : py::none(), value.invalid, value.inRange,
                                   items);
}

// A type given as a StandardType or by name.
DataType ArgType(py::handle type) {
  const std::string name = ArgText(py::isinstance(type, Classes()["StandardType"]) ? type.attr("name") : type);
  const std::optional<DataType> found = FindTypeByName(name);
  if (!found) throw AutomationError(err::kInvalidArgument, "FindType", "No standard type is named " + name + ".");
  return *found;
}

std::vector<std::uint8_t> ArgBytes(py::handle value) {
  const Variant variant = FromPython(value);
  const ByteArray* bytes = variant.AsBytes();
  if (!bytes) throw py::type_error("expected bytes or bytearray");
  return bytes->bytes;
}

// A Python number or text as the text Parse reads.
std::string ValueText(py::handle value) {
  if (py::isinstance<py::bool_>(value)) throw py::type_error("expected a number or str, not bool");
  if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)) return py::repr(value).cast<std::string>();
  return ArgText(value);
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

const std::string kPointNode =
    " A CP whose type inherits takes the type of the NV it applies to, which only its node knows: pass the "
    "node as node.";

}  // namespace

void BindTypes(py::module_& module) {
  DefineClasses(module, kClassesSource, {"StandardType", "DecodedValue"}, Classes());

  module.def(
      "FindType",
      [](py::handle key, py::handle category) {
        if (py::isinstance<py::str>(key)) return TypeToPython(FindTypeByName(ArgText(key)));
        const std::string which = ArgText(category);
        if (which != "SNVT" && which != "SCPT") throw py::value_error("category: 'SNVT' or 'SCPT'");
        const int index = ArgInt32(key);
        return TypeToPython(which == "SNVT" ? FindSnvtType(index) : FindScptType(index));
      },
      py::arg("key"), py::arg("category") = "SNVT",
      "The StandardType of a name ('SNVT_temp_p', any case) or of an index in category 'SNVT' or 'SCPT'; None "
      "when there is none.");
  module.def(
      "TypeOf", [](py::handle point, py::handle node) { return TypeToPython(PointType(ArgPoint(point), node)); },
      py::arg("point"), py::arg("node") = py::none(),
      ("The StandardType of an NV (its NVType) or CP (its CPType when StandardType is true), or None when its "
       "value stays bytes." + kPointNode).c_str());
  module.def(
      "Decode",
      [](py::handle point, py::handle node) {
        const Point found = ArgPoint(point);
        const std::optional<DataType> type = PointType(found, node);
        return type ? ValueToPython(Decode(*type, PointBytes(found))) : py::none();
      },
      py::arg("point"), py::arg("node") = py::none(),
      ("The DecodedValue of an NV's or CP's value, or None when it has no standard type. Raises AutomationError "
       "as reading its Value does, or 380 when the bytes do not fit the type." + kPointNode).c_str());
  module.def(
      "DecodeBytes", [](py::handle type, py::handle data) { return ValueToPython(Decode(ArgType(type), ArgBytes(data))); },
      py::arg("type"), py::arg("data"),
      "The DecodedValue of bytes in a type (a StandardType or a type name). Raises AutomationError 5 for an unknown "
      "type name, 380 when the bytes are not the type's size or the type inherits.");
  module.def(
      "EncodeValue",
      [](py::handle type, py::handle value) {
        const DataType found = ArgType(type);
        const std::vector<std::uint8_t> bytes = Encode(found, Parse(found, ValueText(value)));
        return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      },
      py::arg("type"), py::arg("value"),
      "The bytes of a value in a type (a StandardType or a type name): a number in the type's unit, a member name, "
      "or the text a DecodedValue shows ('{value: 100, state: 1}'). Raises AutomationError 5 for an unknown type "
      "name, 380 for a value it cannot read or that lies outside the type's range, naming the range.");
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
      ("Writes a value in units into an NV or CP: a number, a member name, 'field=value' for one field (the others "
       "keep their bytes) or the text a DecodedValue shows. Raises AutomationError 5 for a point of no standard "
       "type, 380 naming the range for a value outside it, and as setting its Value does." + kPointNode).c_str());

  py::module_::import("atexit").attr("register")(py::cpp_function([] { Classes().clear(); }));
}

}  // namespace vemo::python
