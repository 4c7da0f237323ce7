#pragma once

// Text and paths between the library and Python. The library's text is UTF-8 bytes
// that need not be valid (file names are bytes on Linux), so every crossing goes through
// the "surrogateescape" error handler: an invalid byte becomes a lone surrogate in str
// and turns back into the same byte, as os.fsdecode and os.fsencode do.

#include <optional>
#include <string>

#include <pybind11/pybind11.h>

namespace vemo::python {

namespace py = pybind11;

// Library text as str; bytes that are not UTF-8 survive as lone surrogates.
py::str Text(const std::string& bytes);

// A str as the library's UTF-8 bytes.
std::string TextBytes(py::handle text);

// A path given as str, bytes or os.PathLike, as bytes; nothing for any other value.
std::optional<std::string> PathBytes(py::handle value);

}  // namespace vemo::python
