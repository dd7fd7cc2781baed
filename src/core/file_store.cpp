// Files written in one step.
#include "core/file_store.h"

#include "sys/sys.h"

StoreResult StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size) {
    const std::u16string temp = path + u".tmp";
    sys::File file = sys::OpenFile(temp, sys::OpenMode::WriteNew);
    if (file == sys::kNoFile) return StoreResult::NotCreated;
    const bool written = sys::WriteFile(file, data, size) && sys::FlushFile(file);
    sys::CloseFile(file);
    if (written && sys::ReplaceFileWith(path, temp)) return StoreResult::Stored;
    sys::RemoveFile(temp);
    return written ? StoreResult::NotReplaced : StoreResult::NotWritten;
}
