#pragma once

#include <pybind11/pybind11.h>

#include "py_convert.h"

namespace vemo::python {

void BindRecords(py::module_& module);
void BindNode(py::module_& module);

// Count, Item(v), NewEnum() and the Python protocol (len() and iteration) of a
// collection or record class. An enumerator that cannot be had iterates as empty.
template <class T, class Class>
void BindCollection(Class& cls) {
  cls.def_property_readonly("Count", [](const T& self) { return self.Count(); })
      .def("Item", [](const T& self, py::handle index) { return Wrap(self.Item(FromPython(index))); }, py::arg("vIndex"))
      .def("NewEnum", [](const T& self) { return Wrap(self.NewEnum()); })
      .def("__len__", [](const T& self) { return self.Count(); })
      .def("__iter__", [](const T& self) {
        py::object enumerator = Wrap(self.NewEnum());
        return enumerator.is_none() ? py::iter(py::list()) : py::iter(enumerator);
      });
}

}  // namespace vemo::python
