// The operating-system seam for Windows: files, folders, time, code pages and the private heap.
#include "sys/sys.h"

#include <windows.h>

namespace sys {
namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
HANDLE H(File f) { return reinterpret_cast<HANDLE>(f); }

HANDLE g_heap = nullptr;

}  // namespace

FileHolder OpenFile(const std::u16string& path, OpenMode mode) {
    DWORD access = mode == OpenMode::Read ? GENERIC_READ : GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    if (mode == OpenMode::WriteAlways) disposition = OPEN_ALWAYS;
    if (mode == OpenMode::WriteNew) disposition = CREATE_ALWAYS;
    if (mode == OpenMode::CreateNew) disposition = CREATE_NEW;
    HANDLE h = CreateFileW(W(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHolder(h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(h));
}

void FileHolder::Close() {
    if (file_ != kNoFile) CloseHandle(H(file_));
    file_ = kNoFile;
}

int64_t FileSize(File file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(H(file), &size)) return -1;
    return size.QuadPart;
}

int64_t ReadFile(File file, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        DWORD chunk = size - done > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - done);
        DWORD got = 0;
        if (!::ReadFile(H(file), static_cast<char*>(buffer) + done, chunk, &got, nullptr)) return -1;
        if (got == 0) break;
        done += got;
    }
    return static_cast<int64_t>(done);
}

bool WriteFile(File file, const void* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        DWORD chunk = size - done > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size - done);
        DWORD written = 0;
        if (!::WriteFile(H(file), static_cast<const char*>(data) + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool SeekToEnd(File file) { return SetFilePointer(H(file), 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER; }

bool SetFileLength(File file, int64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = length;
    return SetFilePointerEx(H(file), at, nullptr, FILE_BEGIN) && SetEndOfFile(H(file));
}

bool FlushFile(File file) { return FlushFileBuffers(H(file)) != 0; }

bool RemoveFile(const std::u16string& path) { return DeleteFileW(W(path)) != 0; }

bool ReplaceFileWith(const std::u16string& to, const std::u16string& from) {
    return MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MoveFileToFreeName(const std::u16string& to, const std::u16string& from) {
    return MoveFileExW(W(from), W(to), MOVEFILE_WRITE_THROUGH) != 0;
}

PathKind KindOfPath(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(W(path));
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Nothing : PathKind::Unknown;
}

bool EnsureFolder(const std::u16string& path) {
    std::u16string folder = path;
    while (folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    if (CreateDirectoryW(W(folder), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(W(folder));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::u16string> ListMatchingNames(const std::u16string& pattern, size_t limit) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(W(pattern), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        names.push_back(reinterpret_cast<const char16_t*>(found.cFileName));
    } while (names.size() < limit && FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

LocalTime Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool LastWriteTime(const std::u16string& path, LocalTime* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME utc, t;
    // The time zone's rule for that day, as Explorer shows it, not today's summer time.
    if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &data) || !FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &t))
        return false;
    *time = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    return true;
}

// The performance counter, not the tick count: the tick moves in steps of 15.6 ms, too coarse
// for pauses of 10 ms measured against their start.
uint64_t MonotonicMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 0;
    }();
    if (frequency == 0) return GetTickCount64();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency);
}

void SleepMs(unsigned ms) { Sleep(ms); }

std::string ToAnsi(const std::u16string& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W(text), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W(text), static_cast<int>(text.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

std::u16string FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

std::u16string ProgramName() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string name(reinterpret_cast<const char16_t*>(path), n);
    size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string::npos) name = name.substr(slash + 1);
    size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos && dot > 0) name = name.substr(0, dot);
    return name;
}

uint32_t ProcessId() { return GetCurrentProcessId(); }

bool CreateProgramHeap(size_t initialSize) {
    g_heap = HeapCreate(0, initialSize, 0);
    return g_heap != nullptr;
}

void* HeapAllocZeroed(size_t size) {
    HANDLE heap = g_heap ? g_heap : GetProcessHeap();
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, size ? size : 1);
}

void HeapRelease(void* block) {
    if (block) HeapFree(g_heap ? g_heap : GetProcessHeap(), 0, block);
}

}  // namespace sys
