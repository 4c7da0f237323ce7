#include "py_text.h"

namespace vemo::python {

py::str Text(const std::string& bytes) {
  PyObject* text = PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (!text) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

std::string TextBytes(py::handle text) {
  // A surrogate that does not stand for a byte cannot be encoded: UnicodeEncodeError.
  PyObject* encoded = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
  if (!encoded) throw py::error_already_set();
  return std::string(py::reinterpret_steal<py::bytes>(encoded));
}

std::optional<std::string> PathBytes(py::handle value) {
  if (!py::isinstance<py::str>(value) && !py::isinstance<py::bytes>(value) &&
      !py::hasattr(py::type::handle_of(value), "__fspath__")) {
    return std::nullopt;
  }
  PyObject* path = PyOS_FSPath(value.ptr());
  if (!path) throw py::error_already_set();
  const py::object owned = py::reinterpret_steal<py::object>(path);
  if (py::isinstance<py::bytes>(owned)) return std::string(py::reinterpret_borrow<py::bytes>(owned));
  return TextBytes(owned);
}

}  // namespace vemo::python
