#include "whole_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace runemill {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::int64_t max_size) {
  // A zero byte would end the path early and name some other file.
  if (path.find('\0') != std::string::npos) return std::nullopt;
  // Opening a FIFO for reading would wait for a writer; without blocking it
  // returns at once. The kind is then told from the open descriptor, so that
  // nothing can be swapped in between the test and the read.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) return std::nullopt;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  if (status.st_size < 0 || status.st_size > max_size) return std::nullopt;

  std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    done += static_cast<std::size_t>(n);
  }
  return bytes;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  if (path.find('\0') != std::string::npos) return false;
  struct stat old {};
  const bool replacing = ::stat(path.c_str(), &old) == 0;
  // QSaveFile refuses an existing file that may not be written to, as
  // emptying it in place would fail, and never falls back to writing in place.
  QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (replacing) {
    // QSaveFile carries the permission bits over but not the owner, so a file
    // saved by root for its user would become root's. An ordinary user may not
    // give a file away; then the new file stays the user's own.
    [[maybe_unused]] const int kept_owner = ::fchown(file.handle(), old.st_uid, old.st_gid);
  }
  // Qt 6.4's commit() does not notice a failed flush of its write buffer and would
  // rename the cut-off file over the target; so every step is checked here,
  // and an uncommitted QSaveFile removes its temporary file when it goes.
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size || !file.flush()) return false;
  // commit() ignores a failed sync too, yet a file system may report a lost
  // write only there; renamed anyway, the new file could take the old one's
  // place without its bytes. EINVAL only says that the file cannot be synced.
  if (::fdatasync(file.handle()) != 0 && errno != EINVAL) return false;
  return file.commit();
}

}  // namespace runemill
