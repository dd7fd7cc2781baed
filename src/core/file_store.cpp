// Files written in one step.
#include "core/file_store.h"

#include "sys/sys.h"

bool StoreFileReplacing(const std::u16string& path, const uint8_t* data, size_t size) {
    const std::u16string temp = path + u".tmp";
    sys::File file = sys::OpenFile(temp, sys::OpenMode::WriteNew);
    if (file == sys::kNoFile) return false;
    const bool written = sys::WriteFile(file, data, size) && sys::FlushFile(file);
    sys::CloseFile(file);
    if (written && sys::ReplaceFileWith(path, temp)) return true;
    sys::RemoveFile(temp);
    return false;
}
