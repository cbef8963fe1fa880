#include "layout_presets.h"

namespace runemill {

// Not built yet.
void ApplyLayoutPreset(LayoutCase) {}

}  // namespace runemill
