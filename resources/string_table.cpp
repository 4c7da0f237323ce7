// The library's string table (English, United States). Lines are joined by a single
// line feed; multi-line texts end with one.
#include "platform/string_resources.h"

namespace vemo::platform {

namespace {

constexpr StringResource kStrings[] = {
    {1000, "[Offline]"},
    {5000, "XML Parsing Error"},
    {5001,
     "There was a problem loading/parsing the following XML file:\n"
     "     %s\n"
     "Line Number: %0\n"
     "Character Position: %0\n"
     "Problem Text: %s\n"
     "Error Description: %s\n"
     "\n"
     "The problem must be fixed before this XML file can be used.\n"},
    {5002,
     "Expecting \"&\" or \"~\" as first character in the NV SelfDoc string.\n"
     "NVIndex = %0\n"
     "NVName = %s\n"},
    {5003,
     "Expecting \"@\" or \"$\" as first character in the NV SelfDoc string.\n"
     "NVIndex = %0\n"
     "NVName = %s\n"},
};

}  // namespace

std::span<const StringResource> StringTable() { return kStrings; }

}  // namespace vemo::platform
