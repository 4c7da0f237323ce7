#pragma once

// What the binding files share: the binders of each part of the module, and helpers that
// bind an interface's members. Every member reaches its object through Held or Face, so
// an instance without a library object raises TypeError.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>

#include "py_convert.h"
#include "py_objects.h"
#include "py_repr.h"
#include "py_text.h"
#include "vemosupport/automation_error.h"

namespace vemo::python {

void BindRecords(py::module_& module);
void BindNode(py::module_& module);
void BindHooks(py::module_& module);
void BindCatalogue(py::module_& module);
void BindTypes(py::module_& module);
// Lets the hooks' Python callables go, while the interpreter still runs.
void ResetHooks();

// Runs `source`, Python code that defines classes, in a scope of its own, and puts the
// classes `names` into the module and into `classes`, the binder's own dict of them.
inline void DefineClasses(py::module_& module, const char* source, std::initializer_list<const char*> names,
                          py::dict& classes) {
  py::dict scope;
  scope["__builtins__"] = py::module_::import("builtins");
  scope["__name__"] = "vemosupport";
  py::exec(source, scope);
  for (const char* name : names) {
    classes[name] = scope[name];
    module.attr(name) = scope[name];
  }
}

// A member's answer as a Python value.
inline py::object Result(const std::string& text) { return Text(text); }
inline py::object Result(bool value) { return py::bool_(value); }
inline py::object Result(std::int16_t value) { return py::int_(value); }
inline py::object Result(std::int32_t value) { return py::int_(value); }
inline py::object Result(const Variant& value) { return ToPython(value); }
template <class T>
py::object Result(const std::shared_ptr<T>& object) {
  return Wrap(object);
}

// A Python argument as the type a member takes.
template <class T>
T Arg(py::handle value) {
  if constexpr (std::is_same_v<T, bool>) {
    return ArgBool(value);
  } else if constexpr (std::is_same_v<T, std::int16_t>) {
    return ArgInt16(value);
  } else if constexpr (std::is_same_v<T, std::int32_t>) {
    return ArgInt32(value);
  } else if constexpr (std::is_same_v<T, std::string>) {
    return ArgText(value);
  } else {
    static_assert(std::is_same_v<T, Variant>);
    return FromPython(value);
  }
}

// Runs a long library call with the GIL released, so other Python threads run meanwhile.
// The call must not touch Python objects; the hooks take the GIL themselves.
template <class Call>
auto Unlocked(Call&& call) {
  py::gil_scoped_release unlocked;
  return call();
}

// A read-only property: the getter of interface T of the object.
template <class Class, class T, class R>
Class& Getter(Class& cls, const char* name, R (T::*get)() const, const char* doc) {
  using Bound = typename Class::type;
  return cls.def_property_readonly(
      name,
      [get](py::handle self) {
        const std::shared_ptr<T> face = Face<T, Bound>(self);
        return Result((face.get()->*get)());
      },
      doc);
}

// A write-only property: the setter of interface T of the object.
template <class Class, class T, class A>
Class& Setter(Class& cls, const char* name, void (T::*set)(A), const char* doc) {
  using Bound = typename Class::type;
  return cls.def_property(
      name, nullptr,
      [set](py::handle self, py::handle value) {
        const std::shared_ptr<T> face = Face<T, Bound>(self);
        (face.get()->*set)(Arg<std::decay_t<A>>(value));
      },
      doc);
}

// A read-write property: getter and setter of interface T, which share the name.
template <class Class, class T, class R, class A>
Class& Property(Class& cls, const char* name, R (T::*get)() const, void (T::*set)(A), const char* doc) {
  using Bound = typename Class::type;
  return cls.def_property(
      name,
      [get](py::handle self) {
        const std::shared_ptr<T> face = Face<T, Bound>(self);
        return Result((face.get()->*get)());
      },
      [set](py::handle self, py::handle value) {
        const std::shared_ptr<T> face = Face<T, Bound>(self);
        (face.get()->*set)(Arg<std::decay_t<A>>(value));
      },
      doc);
}

// repr(): the class and the words that tell the object apart, never an exception.
template <class Class>
Class& BindRepr(Class& cls) {
  using Bound = typename Class::type;
  return cls.def(
      "__repr__", [](py::handle self) { return Repr<Bound>(self); },
      "The class and what tells this object apart; never raises.");
}

// Whether the members an enumerator gives include `member` itself.
inline bool Holds(const std::shared_ptr<Enumerator>& members, const ObjectPtr& member) {
  if (!members) return false;
  while (const std::optional<Variant> item = members->Next()) {
    if (item->AsObject() == member) return true;
  }
  return false;
}

// `key in collection`. A key: whether Item(key) finds a member, where a missing key (5),
// a position outside 1..Count (9) and a collection that answers nothing all mean no, and
// other errors reach the caller as Item raises them. One of the library's objects: whether
// the collection holds it, as `in` answers for any Python sequence.
template <class Collection>
bool Contains(const Collection& collection, py::handle key) {
  if (const ObjectPtr member = Unwrap(key)) return Holds(collection.NewEnum(), member);
  try {
    return collection.Item(FromPython(key)) != nullptr;
  } catch (const AutomationError& error) {
    if (error.number() == err::kInvalidArgument || error.number() == err::kSubscriptOutOfRange) return false;
    throw;
  }
}

// Count, Item(v), NewEnum() and the Python protocol (len(), iteration, `in`) of a
// collection or record class; `members` names what it holds and `itemDoc` documents
// Item. An enumerator that cannot be had iterates as empty.
template <class Class>
void BindCollection(Class& cls, const std::string& members, const char* itemDoc) {
  using Bound = typename Class::type;
  const std::string count = "int: how many " + members + " it holds. Never raises.";
  const std::string newEnum = "An Enumerator over the " + members + " in order, as they are now. Never raises.";
  const std::string contains = "key in self: whether Item(key) finds one of the " + members +
                               " (keys compare without regard to case), or for one of the library's objects, "
                               "whether it is one of them. Raises AutomationError as Item does, except for the "
                               "errors that mean no such member (5 and 9).";
  cls.def_property_readonly(
         "Count", [](py::handle self) { return Held<Bound>(self)->Count(); }, count.c_str())
      .def(
          "Item",
          [](py::handle self, py::handle vIndex) {
            const std::shared_ptr<Bound> collection = Held<Bound>(self);
            return Result(collection->Item(FromPython(vIndex)));
          },
          py::arg("vIndex"), itemDoc)
      .def(
          "NewEnum", [](py::handle self) { return Result(Held<Bound>(self)->NewEnum()); }, newEnum.c_str())
      .def(
          "__len__", [](py::handle self) { return Held<Bound>(self)->Count(); }, count.c_str())
      .def(
          "__iter__",
          [](py::handle self) {
            py::object enumerator = Result(Held<Bound>(self)->NewEnum());
            return enumerator.is_none() ? py::iter(py::list()) : py::iter(enumerator);
          },
          ("Iterates over the " + members + " in order.").c_str())
      .def(
          "__contains__", [](py::handle self, py::handle key) { return Contains(*Held<Bound>(self), key); },
          py::arg("key"), contains.c_str());
  BindRepr(cls);
}

}  // namespace vemo::python
