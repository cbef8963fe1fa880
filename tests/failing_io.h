#pragma once

// Disk failures on demand. The test program defines read(), write(), fsync(),
// fdatasync(), close() and rename() itself, ahead of the C library, so that
// every call made by the code under test (and by Qt beneath it) passes through
// here. Only descriptors and paths under the watched folder are touched, and
// only while a fault is armed; everything else goes straight to the system.

#include <cstdint>
#include <string>

namespace runemill::failing_io {

struct Fault {
  // Bytes that reads and writes on a watched file may move before they fail;
  // -1: they never fail.
  std::int64_t read_budget = -1;
  std::int64_t write_budget = -1;
  int read_error = 5;    // EIO
  int write_error = 28;  // ENOSPC
  // At most this many bytes per call (0: no limit): short reads and writes
  // are legal and must be continued, not taken for the end or an error.
  std::int64_t chunk = 0;
  // Every other call fails with EINTR first.
  bool interrupt = false;
  int fsync_error = 0;   // fsync() and fdatasync() on a watched file
  int close_error = 0;   // close() of a watched file, after it has been closed
  int rename_error = 0;  // rename() onto a watched path
  // Called once, before the first read of a watched file: lets a test swap or
  // cut the file after it was opened and measured.
  void (*before_first_read)(int fd) = nullptr;
};

// Arms fault for files under folder until Disarm().
void Arm(const std::string& folder, const Fault& fault);
void Disarm();

// Bytes read from watched files since Arm().
std::int64_t BytesRead();

}  // namespace runemill::failing_io
