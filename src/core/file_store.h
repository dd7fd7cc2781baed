// Files written in one step: the new content goes to a temporary file beside the old one and
// takes its place only once it is complete, so a failure half-way never leaves a cut file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Puts `size` bytes into the file at `path` through "<path>.tmp". False when that could not be
// done: the old file is then as it was and the temporary file is gone.
bool StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size);
