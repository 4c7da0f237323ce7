#pragma once

// The standard types of the LonMark resource files, compiled into the library
// (resources/standard_types.cpp, made by scripts/make-standard-types).

namespace vemo {

// A standard network variable type (SNVT) or configuration property type (SCPT).
struct StandardType {
  int index;
  const char* name;  // e.g. "SNVT_temp_p", "SCPTmaxSendTime"
  int size;          // bytes of a value; 0 when the type does not fix it
  bool inherits;     // a CP type that takes the type and size of the NV it applies to
};

// A standard functional profile: the LonMark object type a number names.
struct FunctionalProfile {
  int number;
  const char* name;  // e.g. "SFPTdamperActuator"
};

// The type or profile with that index, or nullptr when the tables have none (a
// non-standard or reserved index).
const StandardType* FindSnvt(int index);
const StandardType* FindScpt(int index);
const FunctionalProfile* FindFunctionalProfile(int number);

}  // namespace vemo
