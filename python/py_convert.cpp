#include "py_convert.h"

#include <limits>

#include "py_objects.h"
#include "py_text.h"
#include "vemosupport/automation_error.h"

namespace vemo::python {

namespace {

Variant FromPythonInt(py::handle value) {
  int overflow = 0;
  const long long whole = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow == 0 && whole == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow == 0 && whole >= std::numeric_limits<std::int32_t>::min() &&
      whole <= std::numeric_limits<std::int32_t>::max()) {
    return Variant(static_cast<std::int32_t>(whole));
  }
  // Whole numbers beyond 32 bits travel as doubles, so conversions can report overflow;
  // one beyond a double's range is an overflow at once.
  const double number = PyLong_AsDouble(value.ptr());
  if (number == -1.0 && PyErr_Occurred()) {
    PyErr_Clear();
    throw AutomationError(err::kOverflow);
  }
  return Variant(number);
}

Variant FromPythonBytes(py::handle value) {
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (py::isinstance<py::bytes>(value)) {
    if (PyBytes_AsStringAndSize(value.ptr(), &data, &size) != 0) throw py::error_already_set();
  } else {
    data = PyByteArray_AsString(value.ptr());
    size = PyByteArray_Size(value.ptr());
  }
  ByteArray bytes;
  bytes.bytes.assign(data, data + size);
  return Variant(std::move(bytes));
}

Variant FromPythonAt(py::handle value, int depth) {
  if (value.is_none()) return Variant();
  if (py::isinstance<py::bool_>(value)) return Variant(value.ptr() == Py_True);
  if (py::isinstance<py::int_>(value)) return FromPythonInt(value);
  if (py::isinstance<py::float_>(value)) return Variant(PyFloat_AsDouble(value.ptr()));
  if (py::isinstance<py::str>(value)) return Variant(TextBytes(value));
  if (py::isinstance<py::bytes>(value) || py::isinstance<py::bytearray>(value)) return FromPythonBytes(value);
  if (PyMemoryView_Check(value.ptr())) {
    PyObject* copy = PyBytes_FromObject(value.ptr());
    if (!copy) throw py::error_already_set();
    return FromPythonBytes(py::reinterpret_steal<py::bytes>(copy));
  }
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    // Deeper than any real argument: a list that holds itself ends here instead of
    // overflowing the stack.
    if (depth >= kMaxArrayDepth) throw AutomationError(err::kTypeMismatch);
    Variant::Array items;
    for (py::handle item : value) items.push_back(FromPythonAt(item, depth + 1));
    return Variant(std::move(items));
  }
  if (ObjectPtr object = Unwrap(value)) return Variant(std::move(object));
  throw AutomationError(err::kTypeMismatch);
}

}  // namespace

Variant FromPython(py::handle value) { return FromPythonAt(value, 0); }

py::object ToPython(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty: return py::none();
    case Variant::Type::Boolean: return py::bool_(value.ToDouble() != 0);
    case Variant::Type::Integer:
    case Variant::Type::Long: return py::int_(value.ToInt32());
    case Variant::Type::Double: return py::float_(value.ToDouble());
    case Variant::Type::String: return Text(*value.AsString());
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

std::string ArgText(py::handle value) {
  // A Python int is exact at any size: its digits, not a rounded double.
  if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value)) {
    PyObject* digits = PyObject_Str(value.ptr());
    if (!digits) {
      // More digits than Python writes out.
      if (!PyErr_ExceptionMatches(PyExc_ValueError)) throw py::error_already_set();
      PyErr_Clear();
      throw AutomationError(err::kOverflow);
    }
    return TextBytes(py::reinterpret_steal<py::str>(digits));
  }
  return FromPython(value).ToText();
}

std::string ArgPath(py::handle value) {
  if (std::optional<std::string> path = PathBytes(value)) return *path;
  if (value.is_none()) return {};
  // A number is no path: PopulateDevice(123) is a mistake to say, not a file "123".
  throw py::type_error(std::string("a path (str, bytes or os.PathLike) is required, not ") +
                       Py_TYPE(value.ptr())->tp_name);
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
