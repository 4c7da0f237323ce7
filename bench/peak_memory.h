// Peak memory of a piece of work, measured in a child process, for the benchmarks that
// report it beside their times.
#pragma once

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

namespace vemo::bench {

// A "Name: N kB" field of /proc/self/status, in kilobytes; -1 when absent.
inline long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

// Runs `work` in a child process and answers how far its resident memory rose above
// what it was when `work` began, in kilobytes (free heap is returned and the peak
// counter reset first, so that memory the parent freed is not used again unseen).
inline long PeakRiseKilobytes(const std::function<void()>& work) {
  int pipe[2];
  if (::pipe(pipe) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    ::malloc_trim(0);  // free heap inherited from the parent goes back, so new use shows
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak to the present
    const long before = StatusKilobytes("VmRSS:");
    work();
    const long rise = StatusKilobytes("VmHWM:") - before;
    (void)!::write(pipe[1], &rise, sizeof rise);
    ::_exit(0);
  }
  ::close(pipe[1]);
  long rise = -1;
  if (::read(pipe[0], &rise, sizeof rise) != sizeof rise) rise = -1;
  ::close(pipe[0]);
  ::waitpid(child, nullptr, 0);
  return rise;
}

}  // namespace vemo::bench
