#include "services/kiv_reader.h"

#include <atomic>

#include "platform/automation_error.h"
#include "services/kiv_file_reader.h"

namespace vemo::services {

namespace {

KivReaderFactory& Factory() {
  static KivReaderFactory factory;
  return factory;
}

// Bumped by every SetKivReaderFactory, so each thread notices that its reader is stale.
std::atomic<unsigned> g_generation{0};

}  // namespace

IKivReader& ThreadKivReader() {
  thread_local std::unique_ptr<IKivReader> reader;
  thread_local unsigned generation = 0;
  const unsigned current = g_generation.load();
  if (!reader || generation != current) {
    const KivReaderFactory& factory = Factory();
    reader = factory ? factory() : std::make_unique<KivFileReader>();
    if (!reader) throw AutomationError(err::kObjectNotSet, "KivReader");
    generation = current;
  }
  return *reader;
}

void SetKivReaderFactory(KivReaderFactory factory) {
  Factory() = std::move(factory);
  ++g_generation;
}

}  // namespace vemo::services
