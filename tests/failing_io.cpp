#include "failing_io.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string_view>

namespace runemill::failing_io {
namespace {

struct State {
  bool armed = false;
  std::string folder;
  Fault fault;
  std::int64_t bytes_read = 0;
  std::int64_t bytes_written = 0;
  bool interrupted = false;
  bool first_read_done = false;
};

State& TheState() {
  static State state;
  return state;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool Watched(std::string_view path) {
  const State& s = TheState();
  return s.armed && path.size() > s.folder.size() && path.substr(0, s.folder.size()) == s.folder &&
         path[s.folder.size()] == '/';
}

bool WatchedDescriptor(int fd) {
  if (!TheState().armed || fd < 0) return false;
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[PATH_MAX];
  const ssize_t n = ::readlink(link, target, sizeof target);
  return n > 0 && Watched(std::string_view(target, static_cast<std::size_t>(n)));
}

// EINTR on every other call, when asked for.
bool Interrupt() {
  State& s = TheState();
  if (!s.fault.interrupt) return false;
  s.interrupted = !s.interrupted;
  if (s.interrupted) errno = EINTR;
  return s.interrupted;
}

// How many of count bytes the call may move; -1 when it must fail.
ssize_t Allowed(std::size_t count, std::int64_t budget, std::int64_t done) {
  std::int64_t allowed = static_cast<std::int64_t>(std::min<std::size_t>(count, SSIZE_MAX));
  if (TheState().fault.chunk > 0) allowed = std::min(allowed, TheState().fault.chunk);
  if (budget >= 0) {
    if (done >= budget && count > 0) return -1;
    allowed = std::min(allowed, budget - done);
  }
  return static_cast<ssize_t>(allowed);
}

}  // namespace

void Arm(const std::string& folder, const Fault& fault) {
  State& s = TheState();
  s = State();
  s.folder = folder;
  s.fault = fault;
  s.armed = true;
}

void Disarm() { TheState().armed = false; }

std::int64_t BytesRead() { return TheState().bytes_read; }

}  // namespace runemill::failing_io

using runemill::failing_io::TheState;
using runemill::failing_io::WatchedDescriptor;

extern "C" {

ssize_t read(int fd, void* buffer, size_t count) {
  static const auto next = runemill::failing_io::Next<ssize_t (*)(int, void*, size_t)>("read");
  if (!WatchedDescriptor(fd)) return next(fd, buffer, count);
  auto& s = TheState();
  if (!s.first_read_done) {
    s.first_read_done = true;
    if (s.fault.before_first_read) s.fault.before_first_read(fd);
  }
  if (runemill::failing_io::Interrupt()) return -1;
  const ssize_t allowed = runemill::failing_io::Allowed(count, s.fault.read_budget, s.bytes_read);
  if (allowed < 0) {
    errno = s.fault.read_error;
    return -1;
  }
  const ssize_t n = next(fd, buffer, static_cast<size_t>(allowed));
  if (n > 0) s.bytes_read += n;
  return n;
}

ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto next =
      runemill::failing_io::Next<ssize_t (*)(int, const void*, size_t)>("write");
  if (!WatchedDescriptor(fd)) return next(fd, buffer, count);
  auto& s = TheState();
  if (runemill::failing_io::Interrupt()) return -1;
  const ssize_t allowed =
      runemill::failing_io::Allowed(count, s.fault.write_budget, s.bytes_written);
  if (allowed < 0) {
    errno = s.fault.write_error;
    return -1;
  }
  const ssize_t n = next(fd, buffer, static_cast<size_t>(allowed));
  if (n > 0) s.bytes_written += n;
  return n;
}

int fsync(int fd) {
  static const auto next = runemill::failing_io::Next<int (*)(int)>("fsync");
  if (WatchedDescriptor(fd) && TheState().fault.fsync_error != 0) {
    errno = TheState().fault.fsync_error;
    return -1;
  }
  return next(fd);
}

int fdatasync(int fd) {
  static const auto next = runemill::failing_io::Next<int (*)(int)>("fdatasync");
  if (WatchedDescriptor(fd) && TheState().fault.fsync_error != 0) {
    errno = TheState().fault.fsync_error;
    return -1;
  }
  return next(fd);
}

// A network file system may report a failed write only here, after the
// descriptor is gone.
int close(int fd) {
  static const auto next = runemill::failing_io::Next<int (*)(int)>("close");
  const bool fail = TheState().fault.close_error != 0 && WatchedDescriptor(fd);
  const int result = next(fd);
  if (fail && result == 0) {
    errno = TheState().fault.close_error;
    return -1;
  }
  return result;
}

int rename(const char* from, const char* to) {
  static const auto next = runemill::failing_io::Next<int (*)(const char*, const char*)>("rename");
  if (TheState().fault.rename_error != 0 && runemill::failing_io::Watched(to)) {
    errno = TheState().fault.rename_error;
    return -1;
  }
  return next(from, to);
}

}  // extern "C"
