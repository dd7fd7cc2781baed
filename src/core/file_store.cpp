// Files written in one step.
#include "core/file_store.h"

#include "sys/sys.h"

StoreResult StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size) {
    const std::u16string temp = path + u".tmp";
    sys::FileHolder file = sys::OpenFile(temp, sys::OpenMode::WriteNew);
    if (!file) return StoreResult::NotCreated;
    const bool written = sys::WriteFile(file.get(), data, size) && sys::FlushFile(file.get());
    file.Close();  // before it is renamed or removed
    if (written && sys::ReplaceFileWith(path, temp)) return StoreResult::Stored;
    sys::RemoveFile(temp);
    return written ? StoreResult::NotReplaced : StoreResult::NotWritten;
}
