#include "dropped_file_import.h"

namespace runemill {

// Not built yet.
void ImportDroppedFile(std::string_view) {}

}  // namespace runemill
