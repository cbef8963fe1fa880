#pragma once

namespace runemill {

// Asks for a length N and cuts the source pane into lines of N bytes.
void SplitIntoLines();

}  // namespace runemill
