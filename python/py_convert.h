#pragma once

// Values between Python and the library, with the automation runtime's rules and errors.

#include <cstdint>
#include <string>

#include <pybind11/pybind11.h>

#include "vemosupport/variant.h"

namespace vemo::python {

namespace py = pybind11;

// A Python value as a variant: None is empty; bool, int and float are numbers (an int
// beyond a double's range is an overflow, 6); str is text; bytes and bytearray are byte
// arrays; list and tuple are arrays of variants, nested at most kMaxArrayDepth deep (a
// list that holds itself is a type mismatch, 13, not a crash); an object of this module
// is that object. Anything else is a type mismatch (13).
inline constexpr int kMaxArrayDepth = 64;
Variant FromPython(py::handle value);

// A variant as a Python value; a byte array comes back as bytes.
py::object ToPython(const Variant& value);

// Argument conversions. A Python int given as text keeps all its digits.
std::string ArgText(py::handle value);
// A path: str, bytes or os.PathLike as its bytes; None as no path; anything else is a
// TypeError.
std::string ArgPath(py::handle value);
std::int16_t ArgInt16(py::handle value);
std::int32_t ArgInt32(py::handle value);
bool ArgBool(py::handle value);

}  // namespace vemo::python
