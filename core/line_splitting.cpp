#include "line_splitting.h"

namespace runemill {

// Not built yet.
void SplitIntoLines() {}

}  // namespace runemill
