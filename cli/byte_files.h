#pragma once

// The files of the command-line companion, read and written in pieces. Every
// failure comes back as the reason that the system gives, for a message that
// names the file.

#include <sys/types.h>

#include <QSaveFile>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runemill {

// "-" stands for standard input, and is called so in messages.
struct InputFile {
  std::string name;
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

// Opens every input before anything is written, so that a missing file stops
// the run with no output at all. Folders are refused here, not at the first read.
std::optional<std::vector<InputFile>> OpenInputs(const std::vector<std::string>& paths,
                                                 std::string& error);
void CloseInputs(std::vector<InputFile>& inputs);

// Fills buffer with up to capacity bytes, fewer only at the end of the input.
// False on a read error.
bool ReadPiece(const InputFile& input, std::string& buffer, std::size_t capacity,
               std::string& error);

// A whole small file, such as a table; nothing beyond max_size bytes.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t max_size,
                                         std::string& error);

// Standard output, or the file given with -o. A regular file, or a name that
// does not exist yet, is written through QSaveFile: the name receives the whole
// output at Finish or is left as it was. Anything else that exists (a device
// such as /dev/null, a FIFO) is written in place, since it cannot be replaced.
class Output {
 public:
  // path empty: standard output.
  static std::unique_ptr<Output> Open(const std::string& path, std::string& error);
  ~Output();

  const std::string& name() const { return name_; }
  // The file that the output already is, when it is one, for the check that
  // no input is overwritten.
  std::optional<std::pair<dev_t, ino_t>> ExistingFile() const { return existing_; }

  bool Write(std::string_view bytes, std::string& error);
  bool Finish(std::string& error);

 private:
  Output() = default;
  std::string name_;
  int fd_ = -1;
  bool owns_fd_ = false;
  std::unique_ptr<QSaveFile> save_file_;
  std::optional<std::pair<dev_t, ino_t>> existing_;
};

// The system's text for an errno value.
std::string ErrorText(int error_number);

}  // namespace runemill
