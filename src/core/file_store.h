// Files written in one step: the new content goes to a temporary file beside the old one and
// takes its place only once it is complete, so a failure half-way never leaves a cut file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class StoreResult {
    Stored,       // the file holds the new content
    NotCreated,   // no temporary file could be made beside it
    NotWritten,   // the content could not be written whole (a full disk, say)
    NotReplaced,  // the old file could not be replaced (held open, or not to be written)
};

// The temporary file beside `path`: its name with the last character replaced by '~' ('_' when
// it already is '~'), so "x.png" gives "x.pn~" and "Pelorin.cfg" gives "Pelorin.cf~". Never
// longer than `path`, so any file that can be written can be written this way, and never
// matching "*.png" (nor the short 8.3 name of a frame), a commentary's ".dat" or another file
// of the program. Empty when `path` names no file (it is empty or ends in a separator).
std::u16string TemporaryPathFor(const std::u16string& path);

// Puts `size` bytes into the file at `path` through TemporaryPathFor(path). On any result but
// Stored the old file is as it was and the temporary file is gone.
StoreResult StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size);
