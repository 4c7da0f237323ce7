#pragma once

#include <cstdint>
#include <string>

#include <pybind11/pybind11.h>

#include "vemosupport/object.h"
#include "vemosupport/variant.h"

namespace vemo::python {

namespace py = pybind11;

// A Python value as a variant: None is empty, bool, int and float are numbers, str is
// text, bytes and bytearray are byte arrays, list and tuple arrays of variants, and an
// object of this module is that object. Anything else is a type mismatch (13).
Variant FromPython(py::handle value);

// A variant as a Python value; a byte array comes back as bytes.
py::object ToPython(const Variant& value);

// The Python object for one of the library's objects (None for none). The same C++
// object always comes back as the same Python object while that is alive.
py::object Wrap(const ObjectPtr& object);

// Argument conversions, with the runtime's rules and errors.
std::string ArgText(py::handle value);
std::int16_t ArgInt16(py::handle value);
std::int32_t ArgInt32(py::handle value);
bool ArgBool(py::handle value);

}  // namespace vemo::python
