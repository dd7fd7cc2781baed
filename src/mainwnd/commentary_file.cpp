// The commentary file: its record codec and its reading and writing.
#include "mainwnd/commentary_file.h"

#include <algorithm>

#include "core/file_store.h"
#include "sys/sys.h"

namespace {

constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kLineFeed = u'\n';

size_t RecordUnits(int index) { return static_cast<size_t>(kCommentaryFields[index].maxLength) + 2; }

}  // namespace

size_t CommentaryRecordSize(int index) { return 2 * RecordUnits(index); }

std::u16string CommentaryPathFor(const std::u16string& framePath) {
    std::u16string path = framePath.size() >= 3 ? framePath.substr(0, framePath.size() - 3) : std::u16string();
    return path + u"dat";
}

std::vector<uint8_t> EncodeCommentary(const CommentaryTexts& texts) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kCommentaryFileSize);
    for (int i = 0; i < kFieldCount; ++i) {
        std::u16string record = texts[i].substr(0, kCommentaryFields[i].maxLength);
        record += kCarriageReturn;
        record += kLineFeed;
        record.resize(RecordUnits(i), u'\0');
        for (char16_t unit : record) {
            bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
        }
    }
    return bytes;
}

CommentaryTexts DecodeCommentary(const uint8_t* bytes, size_t size) {
    CommentaryTexts texts;
    size_t offset = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        const size_t recordSize = CommentaryRecordSize(i);
        // A record cut by the end of the file reads as far as the file goes.
        const size_t available = offset < size ? std::min(recordSize, size - offset) : 0;
        std::u16string units;
        for (size_t at = 0; at + 1 < available; at += 2) {
            char16_t unit = static_cast<char16_t>(bytes[offset + at] | (bytes[offset + at + 1] << 8));
            if (unit == u'\0') break;
            units += unit;
        }
        texts[i] = units.size() >= 2 ? units.substr(0, units.size() - 2) : std::u16string();
        offset += recordSize;
    }
    return texts;
}

LoadedCommentary LoadCommentary(const std::u16string& framePath) {
    LoadedCommentary loaded;
    const std::u16string path = CommentaryPathFor(framePath);
    sys::FileHolder file = sys::OpenFile(path, sys::OpenMode::Read);
    if (!file) {
        const sys::PathKind kind = sys::KindOfPath(path);
        const bool nothingThere = kind == sys::PathKind::Nothing || kind == sys::PathKind::Folder;
        loaded.state = nothingThere ? CommentaryState::Missing : CommentaryState::Unreadable;
        return loaded;
    }
    std::vector<uint8_t> bytes(kCommentaryFileSize, 0);
    int64_t got = sys::ReadFile(file.get(), bytes.data(), bytes.size());
    if (got < 0) {
        loaded.state = CommentaryState::Unreadable;
        return loaded;
    }
    loaded.state = CommentaryState::Read;
    loaded.texts = DecodeCommentary(bytes.data(), static_cast<size_t>(got));
    return loaded;
}

bool SaveCommentary(const std::u16string& framePath, const CommentaryTexts& texts) {
    const std::vector<uint8_t> bytes = EncodeCommentary(texts);
    return StoreFileReplacing(CommentaryPathFor(framePath), bytes.data(), bytes.size()) == StoreResult::Stored;
}
