#pragma once

// Files taken and written whole, so that no failure of the disk or of a file
// leaves half of anything behind. Paths are bytes in the file system's
// encoding, as the dialogs and the drop list give them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace runemill {

// The whole content of the regular file at path. Nothing for a path that is
// missing or unreadable, for a folder, a FIFO, a device or a socket, for a file
// larger than max_size, and for a read that fails or ends before the size the
// file had when it was opened. Never blocks on a FIFO.
std::optional<std::string> ReadWholeFile(const std::string& path, std::int64_t max_size);

// Replaces the file at path with bytes, or creates it: written to a temporary
// file in the same folder, flushed to disk, then renamed over the target. False on any
// failure, and then the target keeps its old content and no temporary file is
// left. An existing target keeps its permission bits and, where the process may
// give it away, its owner; one that may not be written to is refused, as it
// would be if it were emptied in place.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace runemill
