#include "vemosupport/version.h"

namespace vemo {

const char* LibraryVersion() noexcept { return VEMOSUPPORT_VERSION; }

}  // namespace vemo
