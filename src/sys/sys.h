// The seam between the portable code and the operating system: files, folders, time, text
// conversion and the program's private heap. Implemented by sys_win32.cpp and sys_posix.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sys {

// ---- Files ---------------------------------------------------------------------------------
// Paths are UTF-16 with backslash separators, as on Windows; the POSIX build maps them.

using File = intptr_t;
constexpr File kNoFile = -1;

enum class OpenMode {
    Read,           // existing file, read access
    WriteExisting,  // existing file, write access; fails when it is missing
    WriteAlways,    // write access, created when missing, content kept
    WriteNew,       // write access, created or truncated to length 0
    CreateNew,      // write access, a new file; fails when anything stands at the path
};

// An open file, closed when its holder goes. Close() closes it earlier, where the file must be
// closed before it is renamed, copied or opened again. Move-only.
class FileHolder {
public:
    FileHolder() = default;
    explicit FileHolder(File file) : file_(file) {}
    FileHolder(FileHolder&& other) noexcept : file_(other.file_) { other.file_ = kNoFile; }
    FileHolder& operator=(FileHolder&& other) noexcept {
        if (this != &other) {
            Close();
            file_ = other.file_;
            other.file_ = kNoFile;
        }
        return *this;
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    ~FileHolder() { Close(); }

    explicit operator bool() const { return file_ != kNoFile; }
    File get() const { return file_; }
    void Close();

private:
    File file_ = kNoFile;
};

// Opens with full sharing (other processes may read and write meanwhile). An empty holder on
// failure.
FileHolder OpenFile(const std::u16string& path, OpenMode mode);
// Size in bytes, or -1.
int64_t FileSize(File file);
// Reads up to `size` bytes; returns the count read, or -1 on error.
int64_t ReadFile(File file, void* buffer, size_t size);
// Writes all `size` bytes; false when the write failed or was short.
bool WriteFile(File file, const void* data, size_t size);
bool SeekToEnd(File file);
// Cuts or extends the file to `length` bytes.
bool SetFileLength(File file, int64_t length);
// Makes the file durable on disk before it is relied upon (used before replacing a file).
bool FlushFile(File file);

bool RemoveFile(const std::u16string& path);
// Moves `from` over `to` in one step; `to` is either the old or the new file, never a mix.
bool ReplaceFileWith(const std::u16string& to, const std::u16string& from);
// Moves `from` to `to` only where nothing stands at `to`; false, with both left as they were,
// when something does (or the move fails otherwise).
bool MoveFileToFreeName(const std::u16string& to, const std::u16string& from);

// What stands at `path`: nothing (neither it nor its folder exists), a file, a folder, or
// something that cannot be told (no access to look).
enum class PathKind { Nothing, File, Folder, Unknown };
PathKind KindOfPath(const std::u16string& path);

// Makes the folder `path` (one level; a trailing backslash is allowed). True when the folder
// is there afterwards, made now or before.
bool EnsureFolder(const std::u16string& path);

// Names (without folder) of the directory entries matching a wildcard pattern such as
// "FRAMES\*.png", in the order the system gives them; at most `limit` names.
std::vector<std::u16string> ListMatchingNames(const std::u16string& pattern, size_t limit = SIZE_MAX);

// ---- Time ------------------------------------------------------------------------------------

struct LocalTime {
    int year, month, day, hour, minute, second;
};
LocalTime Now();
// When the file at `path` was last written, in local time; false when it cannot be told.
bool LastWriteTime(const std::u16string& path, LocalTime* time);
// Milliseconds from an arbitrary start, never going back.
uint64_t MonotonicMs();
void SleepMs(unsigned ms);

// ---- Text ------------------------------------------------------------------------------------
// "ANSI" is the system's 8-bit code page; the POSIX build uses Windows-1251 for it, as on the
// operators' machines. Characters without an ANSI form become '?', without best-fit mapping.

std::string ToAnsi(const std::u16string& text);
std::u16string FromAnsi(const std::string& text);

// ---- The program -----------------------------------------------------------------------------

// File name of the running executable without folder and extension ("Pelorin").
std::u16string ProgramName();
// The running process's id.
uint32_t ProcessId();

// ---- Private heap ----------------------------------------------------------------------------
// Buffers for transfers and files are taken per operation, always zero-filled.

bool CreateProgramHeap(size_t initialSize);
void* HeapAllocZeroed(size_t size);  // nullptr when there is no memory
void HeapRelease(void* block);

}  // namespace sys
