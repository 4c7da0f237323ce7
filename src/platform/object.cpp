#include "vemosupport/object.h"

#include <atomic>

namespace vemo {

namespace {

std::atomic<long> g_liveObjects{0};

}  // namespace

Object::Object() noexcept { ++g_liveObjects; }
Object::Object(const Object&) noexcept { ++g_liveObjects; }
Object::~Object() { --g_liveObjects; }

long Object::LiveCount() noexcept { return g_liveObjects.load(); }

}  // namespace vemo
