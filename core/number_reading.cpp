#include "number_reading.h"

namespace runemill {

// Not built yet.
std::int64_t ParseNumber(std::string_view) { return 0; }
std::int32_t Low32Bits(std::int64_t value) { return static_cast<std::int32_t>(value); }

}  // namespace runemill
