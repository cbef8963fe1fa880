#include "charset_file.h"

namespace runemill {

// Not built yet.
void SaveCharsetFile() {}
void LoadCharsetFile() {}

}  // namespace runemill
