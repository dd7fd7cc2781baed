// Files written in one step.
#include "core/file_store.h"

#include "sys/sys.h"

std::u16string TemporaryPathFor(const std::u16string& path) {
    if (path.empty() || path.back() == u'\\' || path.back() == u'/') return {};
    std::u16string temp = path;
    const char16_t last = temp.back();
    temp.pop_back();
    // A character outside the BMP goes whole: half a surrogate pair is no name.
    const bool lowSurrogate = last >= 0xDC00 && last < 0xE000;
    if (lowSurrogate && !temp.empty() && temp.back() >= 0xD800 && temp.back() < 0xDC00) temp.pop_back();
    temp += last == u'~' ? u'_' : u'~';
    return temp;
}

StoreResult StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size) {
    const std::u16string temp = TemporaryPathFor(path);
    if (temp.empty()) return StoreResult::NotCreated;
    sys::FileHolder file = sys::OpenFile(temp, sys::OpenMode::WriteNew);
    if (!file) return StoreResult::NotCreated;
    const bool written = sys::WriteFile(file.get(), data, size) && sys::FlushFile(file.get());
    file.Close();  // before it is renamed or removed
    if (written && sys::ReplaceFileWith(path, temp)) return StoreResult::Stored;
    sys::RemoveFile(temp);
    return written ? StoreResult::NotReplaced : StoreResult::NotWritten;
}
