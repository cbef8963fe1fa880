#pragma once

#include <array>
#include <cstdint>

namespace runemill {

enum class LayoutCase { kCapitals, kSmallLetters };

// Fills the table and the cells from the keyboard layout pairs, then converts.
void ApplyLayoutPreset(LayoutCase layout_case);

}  // namespace runemill
