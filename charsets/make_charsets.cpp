// Writes every table of the library into the folder given, in the program's
// own charset format. scripts/generate-charsets runs it into charsets/.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "charsets/charset_library.h"
#include "files/charset_format.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  for (const runemill::LibraryTable& entry : runemill::BuildCharsetLibrary()) {
    const std::filesystem::path path = folder / entry.file_name;
    const runemill::ByteString text = runemill::WriteCharsetText(entry.table);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
      return 1;
    }
  }
  return 0;
}
