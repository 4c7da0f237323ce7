#include "py_objects.h"

#include "vemosupport/vemosupport.h"

namespace vemo::python {

namespace {

// The interfaces that name an object's kind, each bound as one Python class, in the
// order an object is tested. A LonMark object also answers both collection interfaces,
// so it is tested before them.
template <class... Kinds>
struct KindList {
  static py::object Wrap(const ObjectPtr& object) {
    py::object result = py::none();
    ((result.is_none() ? TryWrap<Kinds>(object, result) : void()), ...);
    return result;
  }
  static ObjectPtr Unwrap(py::handle value) {
    ObjectPtr result;
    ((result ? void() : TryUnwrap<Kinds>(value, result)), ...);
    return result;
  }

 private:
  template <class Kind>
  static void TryWrap(const ObjectPtr& object, py::object& result) {
    if (auto typed = std::dynamic_pointer_cast<Kind>(object)) result = py::cast(typed);
  }
  template <class Kind>
  static void TryUnwrap(py::handle value, ObjectPtr& result) {
    if (py::isinstance<Kind>(value)) result = Held<Kind>(value);
  }
};

using Kinds = KindList<cFactory, IVemoProgIDInfo, IVemoProgIDConfigInfo, IVemoProgIDItem, _C472VirtualNode,
                       I709LMObject, I709LMObjects, I709NetworkVariables, I709NetworkVariable,
                       I709ConfigurationProperties, I709ConfigurationProperty, Enumerator>;

template <class View>
void TryUnwrapView(py::handle value, ObjectPtr& result) {
  if (!result && py::isinstance<View>(value)) result = Held<View>(value)->collection;
}

}  // namespace

void RaiseNotLibraryObject(py::handle self, py::handle expected) {
  const std::string name = py::str(py::type::handle_of(self).attr("__name__"));
  if (!py::isinstance(self, expected)) {
    throw py::type_error("expected a " + std::string(py::str(expected.attr("__name__"))) + " object, not " + name);
  }
  throw py::type_error(name + " object has no library object behind it: such objects come only from the library");
}

void RaiseMissingInterface(py::handle self) {
  const std::string name = py::str(py::type::handle_of(self).attr("__name__"));
  throw py::type_error(name + " object does not answer the interface of this member");
}

py::object Wrap(const ObjectPtr& object) { return object ? Kinds::Wrap(object) : py::none(); }

ObjectPtr Unwrap(py::handle value) {
  ObjectPtr result = Kinds::Unwrap(value);
  TryUnwrapView<LMObjectCPs>(value, result);
  TryUnwrapView<LMObjectNVs>(value, result);
  return result;
}

}  // namespace vemo::python
