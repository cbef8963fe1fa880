#include "byte_files.h"

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace runemill {
namespace {

constexpr std::string_view kStandardInputName = "standard input";

bool WriteAll(int fd, std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = ErrorText(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string ErrorText(int error_number) { return std::strerror(error_number); }

std::optional<std::vector<InputFile>> OpenInputs(const std::vector<std::string>& paths,
                                                 std::string& error) {
  std::vector<InputFile> inputs;
  for (const std::string& path : paths) {
    InputFile input;
    if (path == "-") {
      input.name = kStandardInputName;
      input.fd = STDIN_FILENO;
    } else {
      input.name = path;
      input.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
      if (input.fd < 0) {
        error = path + ": " + ErrorText(errno);
        CloseInputs(inputs);
        return std::nullopt;
      }
    }
    struct stat status {};
    if (::fstat(input.fd, &status) != 0 || S_ISDIR(status.st_mode)) {
      error = input.name + ": " + ErrorText(S_ISDIR(status.st_mode) ? EISDIR : errno);
      inputs.push_back(input);
      CloseInputs(inputs);
      return std::nullopt;
    }
    input.device = status.st_dev;
    input.inode = status.st_ino;
    inputs.push_back(input);
  }
  return inputs;
}

void CloseInputs(std::vector<InputFile>& inputs) {
  for (InputFile& input : inputs) {
    if (input.fd > STDIN_FILENO) ::close(input.fd);
    input.fd = -1;
  }
}

bool ReadPiece(const InputFile& input, std::string& buffer, std::size_t capacity,
               std::string& error) {
  buffer.resize(capacity);
  std::size_t filled = 0;
  // A pipe gives a few pages per read; converting those one by one would
  // spend the time on calls rather than on bytes.
  while (filled < capacity) {
    const ssize_t n = ::read(input.fd, buffer.data() + filled, capacity - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = input.name + ": " + ErrorText(errno);
      buffer.resize(filled);
      return false;
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  buffer.resize(filled);
  return true;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t max_size,
                                         std::string& error) {
  std::optional<std::vector<InputFile>> inputs = OpenInputs({path}, error);
  if (!inputs) return std::nullopt;
  // Read in steps, so that the limit costs nothing for the small files that
  // tables are.
  constexpr std::size_t kStep = std::size_t{64} << 10;
  std::string bytes;
  std::string piece;
  bool read = true;
  do {
    read = ReadPiece(inputs->front(), piece, kStep, error);
    bytes += piece;
  } while (read && !piece.empty() && bytes.size() <= max_size);
  CloseInputs(*inputs);
  if (!read) return std::nullopt;
  if (bytes.size() > max_size) {
    error = path + ": larger than " + std::to_string(max_size >> 20) + " MiB";
    return std::nullopt;
  }
  return bytes;
}

std::unique_ptr<Output> Output::Open(const std::string& path, std::string& error) {
  std::unique_ptr<Output> output(new Output());
  if (path.empty()) {
    output->name_ = "standard output";
    output->fd_ = STDOUT_FILENO;
    struct stat status {};
    // Only a regular file can be one of the inputs; a terminal or a pipe
    // never is, whatever inode it has.
    if (::fstat(STDOUT_FILENO, &status) == 0 && S_ISREG(status.st_mode)) {
      output->existing_ = std::make_pair(status.st_dev, status.st_ino);
    }
    return output;
  }
  output->name_ = path;
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    output->existing_ = std::make_pair(status.st_dev, status.st_ino);
    if (S_ISDIR(status.st_mode)) {
      error = path + ": " + ErrorText(EISDIR);
      return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
      output->fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (output->fd_ < 0) {
        error = path + ": " + ErrorText(errno);
        return nullptr;
      }
      output->owns_fd_ = true;
      return output;
    }
  }
  output->save_file_ =
      std::make_unique<QSaveFile>(QFile::decodeName(QByteArray::fromStdString(path)));
  // Unbuffered: the pieces are large already, and a second copy through
  // Qt's buffer would cost more than the conversion.
  if (!output->save_file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    error = path + ": " + output->save_file_->errorString().toStdString();
    return nullptr;
  }
  return output;
}

Output::~Output() {
  if (owns_fd_) ::close(fd_);
  // A QSaveFile that was not committed removes its temporary file, and the
  // target keeps what it had.
}

bool Output::Write(std::string_view bytes, std::string& error) {
  if (!save_file_) {
    if (WriteAll(fd_, bytes, error)) return true;
    error = name_ + ": " + error;
    return false;
  }
  const auto size = static_cast<qint64>(bytes.size());
  if (save_file_->write(bytes.data(), size) == size) return true;
  error = name_ + ": " + save_file_->errorString().toStdString();
  return false;
}

bool Output::Finish(std::string& error) {
  if (!save_file_) {
    if (owns_fd_ && ::close(fd_) != 0) {
      owns_fd_ = false;
      error = name_ + ": " + ErrorText(errno);
      return false;
    }
    owns_fd_ = false;
    return true;
  }
  // commit() of Qt 6.4 overlooks a failed flush of its own buffer, so the
  // flush is checked first.
  if (save_file_->flush() && save_file_->commit()) return true;
  error = name_ + ": " + save_file_->errorString().toStdString();
  return false;
}

}  // namespace runemill
