#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace vemo::platform {

// A process-wide replaceable value: any thread may set it while others use it. A user
// takes a counted snapshot and calls that, so the value it uses stays alive even when a
// handler replaces or removes itself while it runs.
template <class T>
class Hook {
 public:
  std::shared_ptr<const T> Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_;
  }

  // Replaces the value; nullptr means "none". The old value is released outside the
  // lock, so its destructor may use the hook again.
  void Set(std::shared_ptr<const T> value) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      value_.swap(value);
    }
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const T> value_;
};

}  // namespace vemo::platform
