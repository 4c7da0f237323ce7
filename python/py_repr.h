#pragma once

// What repr() shows of the library's objects: "<Class words>", where the words tell the
// object apart (program ID, index and name, key, a collection's count).

#include <functional>
#include <string>

#include <pybind11/pybind11.h>

#include "py_objects.h"
#include "vemosupport/vemosupport.h"

namespace vemo::python {

namespace py = pybind11;

// The words for each kind of object, as UTF-8 text.
std::string Describe(const cFactory& factory);
std::string Describe(const Enumerator& enumerator);
std::string Describe(const IVemoProgIDItem& item);
std::string Describe(const IVemoProgIDInfo& info);
std::string Describe(const IVemoProgIDConfigInfo& info);
std::string Describe(const _C472VirtualNode& node);
std::string Describe(const I709LMObjects& objects);
std::string Describe(const I709LMObject& object);
std::string Describe(const LMObjectCPs& view);
std::string Describe(const LMObjectNVs& view);
std::string Describe(const I709NetworkVariables& nvs);
std::string Describe(const I709NetworkVariable& nv);
std::string Describe(const I709ConfigurationProperties& cps);
std::string Describe(const I709ConfigurationProperty& cp);

// "<Class words>" for `self`; `words` is not called for an instance without a library
// object. A library error while describing shows as its description instead of raising:
// repr() serves debugging, also of objects in a bad state.
py::str Repr(py::handle self, bool hasObject, const std::function<std::string()>& words);

template <class Bound>
py::str Repr(py::handle self) {
  const std::shared_ptr<Bound> object = TryHeld<Bound>(self);
  return Repr(self, object != nullptr, [&] { return Describe(*object); });
}

}  // namespace vemo::python
