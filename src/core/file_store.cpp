// Files written in one step.
#include "core/file_store.h"

#include "sys/sys.h"

namespace {

// Digits and lower-case letters only: Windows compares names without regard to case, so no two
// codes may differ in case alone.
constexpr char16_t kCodeDigits[] = u"0123456789abcdefghijklmnopqrstuv";
constexpr uint32_t kCodeBase = 32;
// Names tried before giving up, when every one is taken.
constexpr int kTemporaryNameTries = 64;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }

// The next code to try. Each process starts at a place of its own, taken from its id, so that
// two copies of the program saving the same file seldom try the same names.
uint32_t NextCode() {
    static uint32_t next = (sys::ProcessId() * 2654435761u) >> 12;
    return next++;
}

bool IsTaken(const std::u16string& path) {
    const sys::PathKind kind = sys::KindOfPath(path);
    return kind == sys::PathKind::File || kind == sys::PathKind::Folder;
}

struct Temporary {
    sys::FileHolder file;
    std::u16string path;
};

// A new, empty temporary file beside `path`. Only a file made now is ever used: a name that is
// taken (a file of the user's, or one left by an earlier run) is passed over, never opened.
Temporary CreateTemporaryBeside(const std::u16string& path) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        Temporary temp;
        temp.path = TemporaryPathFor(path, NextCode());
        if (temp.path.empty()) break;
        temp.file = sys::OpenFile(temp.path, sys::OpenMode::CreateNew);
        if (temp.file) return temp;
        if (!IsTaken(temp.path)) break;  // the folder takes no new file at all
    }
    return {};
}

enum class Placing { Replacing, OnlyWhereFree };

StoreResult Store(const std::u16string& path, const uint8_t* data, size_t size, Placing placing) {
    Temporary temp = CreateTemporaryBeside(path);
    if (!temp.file) return StoreResult::NotCreated;
    const bool written = sys::WriteFile(temp.file.get(), data, size) && sys::FlushFile(temp.file.get());
    temp.file.Close();  // before it is renamed or removed
    if (written) {
        const bool placed = placing == Placing::Replacing ? sys::ReplaceFileWith(path, temp.path)
                                                          : sys::MoveFileToFreeName(path, temp.path);
        if (placed) return StoreResult::Stored;
    }
    sys::RemoveFile(temp.path);
    if (!written) return StoreResult::NotWritten;
    return placing == Placing::OnlyWhereFree && IsTaken(path) ? StoreResult::NameTaken : StoreResult::NotReplaced;
}

}  // namespace

std::u16string TemporaryPathFor(const std::u16string& path, uint32_t code) {
    if (path.empty() || IsSeparator(path.back())) return {};
    size_t nameStart = path.size();
    while (nameStart > 0 && !IsSeparator(path[nameStart - 1])) --nameStart;
    const size_t nameLength = path.size() - nameStart;
    const size_t digits = nameLength > kTemporaryCodeLength ? kTemporaryCodeLength : nameLength - 1;

    std::u16string temp = path.substr(0, path.size() - digits - 1);
    for (size_t i = nameStart; i < temp.size(); ++i)
        if (temp[i] == u'.') temp[i] = u'_';
    // Half a surrogate pair is no character.
    if (temp.size() > nameStart && IsHighSurrogate(temp.back())) temp.back() = u'_';
    temp += u'~';
    std::u16string codeText(digits, u'0');
    for (size_t i = digits; i > 0; --i, code /= kCodeBase) codeText[i - 1] = kCodeDigits[code % kCodeBase];
    return temp + codeText;
}

StoreResult StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size) {
    return Store(path, data, size, Placing::Replacing);
}

StoreResult StoreNewFile(const std::u16string& path, const uint8_t* data, size_t size) {
    if (IsTaken(path)) return StoreResult::NameTaken;
    return Store(path, data, size, Placing::OnlyWhereFree);
}
