// The commentary file beside each frame: twelve fixed-size UTF-16LE records, one per field in
// field order, each the text, CR LF and U+0000 up to its size. Always 1288 bytes, no header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mainwnd/field_layout.h"

using CommentaryTexts = std::array<std::u16string, kFieldCount>;

constexpr size_t kCommentaryFileSize = 1288;

// Bytes of field `index`'s record (its maximum length plus CR LF, in UTF-16 code units).
size_t CommentaryRecordSize(int index);

// The frame's path with its last three code units replaced by "dat" ("x.png" gives "x.dat").
std::u16string CommentaryPathFor(const std::u16string& framePath);

// The 1288 bytes for these texts; a text longer than its field's maximum is cut to it.
std::vector<uint8_t> EncodeCommentary(const CommentaryTexts& texts);

// The texts a file's bytes hold: each record's code units up to its first U+0000 or its end,
// without the last two (the CR LF). Records past the end of a short file are empty; bytes past
// 1288 are not looked at.
CommentaryTexts DecodeCommentary(const uint8_t* bytes, size_t size);

enum class CommentaryState {
    Read,        // the file's texts
    Missing,     // no file yet (or a folder under its name): nothing of the operator's to lose
    Unreadable,  // a file is there but cannot be read (held open by another program, no access,
                 // a read error): it must not be written over until it has been read
};

struct LoadedCommentary {
    CommentaryState state = CommentaryState::Missing;
    CommentaryTexts texts;  // empty unless Read
};

// Reads the commentary file of `framePath`.
LoadedCommentary LoadCommentary(const std::u16string& framePath);

// Writes the commentary file of `framePath` in one step: the new bytes go to a temporary file
// beside it, which then takes the old file's place. On failure the old file is left as it was,
// the temporary file is removed, and false is returned.
bool SaveCommentary(const std::u16string& framePath, const CommentaryTexts& texts);
