#pragma once

// The library's objects in Python. Each object goes to Python as the class of the one
// public interface that names its kind, held by a counted reference, so one object is
// always one Python object while it is alive. Its other interfaces are asked for as an
// automation client asks: std::dynamic_pointer_cast.

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include <pybind11/pybind11.h>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/object.h"

namespace vemo::python {

namespace py = pybind11;

// Raise TypeError: `self` is no library object of class `expected`, or lacks an interface.
[[noreturn]] void RaiseNotLibraryObject(py::handle self, py::handle expected);
[[noreturn]] void RaiseMissingInterface(py::handle self);

// The library object behind a Python instance bound as `Bound`. An instance made with
// cls.__new__(cls) never got one: TryHeld answers nothing, and Held raises TypeError so
// that members never call through nothing.
template <class Bound>
std::shared_ptr<Bound> TryHeld(py::handle self) {
  if (py::isinstance<Bound>(self)) {
    try {
      return self.cast<std::shared_ptr<Bound>>();
    } catch (const py::cast_error&) {
    }
  }
  return nullptr;
}

template <class Bound>
std::shared_ptr<Bound> Held(py::handle self) {
  if (std::shared_ptr<Bound> object = TryHeld<Bound>(self)) return object;
  RaiseNotLibraryObject(self, py::type::of<Bound>());
}

// Another interface of the object behind `self`.
template <class Interface, class Bound>
std::shared_ptr<Interface> Face(py::handle self) {
  std::shared_ptr<Bound> object = Held<Bound>(self);
  if constexpr (std::is_base_of_v<Interface, Bound>) {
    return object;
  } else {
    std::shared_ptr<Interface> face = std::dynamic_pointer_cast<Interface>(object);
    if (!face) RaiseMissingInterface(self);
    return face;
  }
}

// A LonMark object seen through one of its two collection interfaces. Both name their
// members Count, Item and NewEnum, so Python gets a view for each.
template <class Interface>
struct CollectionView {
  std::shared_ptr<Interface> collection;
  std::int32_t Count() const { return collection->Count(); }
  std::shared_ptr<Enumerator> NewEnum() const { return collection->NewEnum(); }
  auto Item(const Variant& index) const { return collection->Item(index); }
};
using LMObjectCPs = CollectionView<I709ConfigurationProperties>;
using LMObjectNVs = CollectionView<I709NetworkVariables>;

// The Python object for one of the library's objects (None for none).
py::object Wrap(const ObjectPtr& object);

// The library object behind a Python object of this module (a view gives the LonMark
// object it shows), or nothing for any other Python object.
ObjectPtr Unwrap(py::handle value);

}  // namespace vemo::python
