#include "russian_text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace runemill {

std::string ReadFortunes(FortuneSet set) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(kFortunesDir, error)) {
    // The ".u8" names are links to the same files; ".dat" are fortune's indexes.
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    const std::string name = entry.path().filename().string();
    if (name.ends_with(".dat") || name.ends_with(".u8")) continue;
    const bool held_out =
        std::find(kHeldOutFortunes.begin(), kHeldOutFortunes.end(), name) != kHeldOutFortunes.end();
    if (held_out == (set == FortuneSet::kHeldOut)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) {
    std::ifstream file(fs::path(kFortunesDir) / name, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
      if (line == "%") continue;
      text += line;
      text += '\n';
    }
  }
  return text;
}

}  // namespace runemill
