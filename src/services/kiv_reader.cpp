#include "services/kiv_reader.h"

#include "platform/hook.h"
#include "services/kiv_file_reader.h"
#include "vemosupport/automation_error.h"

namespace vemo {

namespace {

// The host's factory together with a generation number that every change bumps, so each
// thread notices that its reader is stale.
struct ReaderFactory {
  KivReaderFactory make;
  unsigned generation = 0;
};

platform::Hook<ReaderFactory>& Factory() {
  static platform::Hook<ReaderFactory> factory;
  return factory;
}

std::mutex g_setMutex;
unsigned g_generation = 0;

}  // namespace

void SetKivReaderFactory(KivReaderFactory factory) {
  // Serialised so that generations only grow; the hook itself is read without it.
  std::lock_guard<std::mutex> lock(g_setMutex);
  Factory().Set(std::make_shared<const ReaderFactory>(ReaderFactory{std::move(factory), ++g_generation}));
}

namespace services {

std::shared_ptr<IKivReader> ThreadKivReader() {
  thread_local std::shared_ptr<IKivReader> reader;
  thread_local unsigned generation = 0;
  const std::shared_ptr<const ReaderFactory> factory = Factory().Get();
  const unsigned current = factory ? factory->generation : 0;
  if (!reader || generation != current) {
    std::shared_ptr<IKivReader> made;
    if (factory && factory->make) {
      made = factory->make();
    } else {
      made = std::make_shared<KivFileReader>();
    }
    if (!made) throw AutomationError(err::kObjectNotSet, "KivReader");
    reader = std::move(made);
    generation = current;
  }
  return reader;
}

}  // namespace services

}  // namespace vemo
