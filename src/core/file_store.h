// Files written in one step: the new content goes to a temporary file of the program's own
// beside the old one and takes its place only once it is complete, so a failure half-way never
// leaves a cut file, and no other file is ever written over on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class StoreResult {
    Stored,       // the file holds the new content
    NotCreated,   // no temporary file could be made beside it
    NotWritten,   // the content could not be written whole (a full disk, say)
    NotReplaced,  // the old file could not be replaced (held open, or not to be written)
    NameTaken,    // StoreNewFile: something already stands at the path
};

// Characters after the '~' that make a temporary name unique.
constexpr size_t kTemporaryCodeLength = 4;

// The temporary file `code` beside `path`: the file name with every '.' made '_' and its last
// five code units replaced by '~' and four digits and lower-case letters of `code` (base 32,
// lowest digit last), so "x~001.png" gives "x~00~0001" for code 1 and "Pelorin.cfg" gives
// "Pelori~0001". As long as the file name (a shorter name gives up digits), so any file that
// can be written can be written this way; with no dot, neither its name nor the short 8.3 name
// Windows makes for it has an extension, so no "*.png", "*.dat" or "*.cfg" takes it for a
// frame, a commentary or the configuration. Empty when `path` names no file (it is empty or
// ends in a separator).
std::u16string TemporaryPathFor(const std::u16string& path, uint32_t code);

// Puts `size` bytes into the file at `path` through a new temporary file beside it, which is
// never a file that was there before: a name that is taken is passed over for the next. On any
// result but Stored the old file is as it was and the temporary file is gone.
StoreResult StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size);

// The same for a file that must not replace anything: NameTaken, with nothing written, when
// something stands at `path` (or comes there while the content is written).
StoreResult StoreNewFile(const std::u16string& path, const uint8_t* data, size_t size);
