// The operating-system seam for the native (Linux) build, where the portable code is tested.
#include "sys/sys.h"
#include "sys/sys_testing.h"
#include "sys/cp1251.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace sys {
namespace {


// UTF-16 path with backslashes to a UTF-8 POSIX path.
std::string NativePath(const std::u16string& path) {
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) {
        uint32_t c = path[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < path.size() && path[i + 1] >= 0xDC00 && path[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00);
            ++i;
        }
        if (c == '\\') c = '/';
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        uint32_t c;
        size_t extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else { c = b & 0x07; extra = 3; }
        ++i;
        for (size_t k = 0; k < extra && i < s.size(); ++k, ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

int g_allocationsLeft = -1;
long long g_writeBytesLeft = -1;  // FailOneWriteAfter: bytes before the one failing write
std::u16string g_programName;

}  // namespace

FileHolder OpenFile(const std::u16string& path, OpenMode mode) {
    int flags = 0;
    switch (mode) {
        case OpenMode::Read: flags = O_RDONLY; break;
        case OpenMode::WriteExisting: flags = O_WRONLY; break;
        case OpenMode::WriteAlways: flags = O_WRONLY | O_CREAT; break;
        case OpenMode::WriteNew: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
        case OpenMode::CreateNew: flags = O_WRONLY | O_CREAT | O_EXCL; break;
    }
    int fd = ::open(NativePath(path).c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return FileHolder();
    FileHolder file(fd);
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) return FileHolder();
    return file;
}

void FileHolder::Close() {
    if (file_ != kNoFile) ::close(static_cast<int>(file_));
    file_ = kNoFile;
}

int64_t FileSize(File file) {
    struct stat st;
    if (fstat(static_cast<int>(file), &st) != 0) return -1;
    return st.st_size;
}

int64_t ReadFile(File file, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(static_cast<int>(file), static_cast<char*>(buffer) + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

bool WriteFile(File file, const void* data, size_t size) {
    if (g_writeBytesLeft >= 0) {
        if (static_cast<unsigned long long>(g_writeBytesLeft) < size) {
            const size_t part = static_cast<size_t>(g_writeBytesLeft);
            g_writeBytesLeft = -1;
            if (part > 0) WriteFile(file, data, part);
            return false;
        }
        g_writeBytesLeft -= static_cast<long long>(size);
    }
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(static_cast<int>(file), static_cast<const char*>(data) + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool SeekToEnd(File file) { return ::lseek(static_cast<int>(file), 0, SEEK_END) >= 0; }

bool SetFileLength(File file, int64_t length) { return ::ftruncate(static_cast<int>(file), length) == 0; }

bool FlushFile(File file) { return ::fsync(static_cast<int>(file)) == 0; }

bool RemoveFile(const std::u16string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool ReplaceFileWith(const std::u16string& to, const std::u16string& from) {
    return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool MoveFileToFreeName(const std::u16string& to, const std::u16string& from) {
    const std::string target = NativePath(to), source = NativePath(from);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system that cannot rename without replacing: a second link fails where a name
    // is taken, and the first one then goes.
    if (::link(source.c_str(), target.c_str()) != 0) return false;
    ::unlink(source.c_str());
    return true;
}

PathKind KindOfPath(const std::u16string& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
    return errno == ENOENT || errno == ENOTDIR ? PathKind::Nothing : PathKind::Unknown;
}

bool EnsureFolder(const std::u16string& path) {
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    if (::mkdir(native.c_str(), 0755) == 0) return true;
    struct stat st;
    return errno == EEXIST && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::u16string> ListMatchingNames(const std::u16string& pattern, size_t limit) {
    std::vector<std::u16string> names;
    std::string native = NativePath(pattern);
    std::string folder = ".";
    std::string mask = native;
    size_t slash = native.rfind('/');
    if (slash != std::string::npos) {
        folder = native.substr(0, slash);
        if (folder.empty()) folder = "/";
        mask = native.substr(slash + 1);
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (names.size() < limit) {
        struct dirent* entry = ::readdir(dir);
        if (!entry) break;
        // Windows matches wildcards without regard to case.
        if (fnmatch(mask.c_str(), entry->d_name, FNM_CASEFOLD) != 0) continue;
        std::string full = folder + "/" + entry->d_name;
        struct stat st;
        if (::stat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
        names.push_back(FromUtf8(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

LocalTime Now() {
    time_t t = time(nullptr);
    struct tm tm;
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool LastWriteTime(const std::u16string& path, LocalTime* time) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) return false;
    struct tm tm;
    if (!localtime_r(&st.st_mtime, &tm)) return false;
    *time = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return true;
}

uint64_t MonotonicMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void SleepMs(unsigned ms) {
    struct timespec ts = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::string ToAnsi(const std::u16string& text) { return ToCp1251(text); }

std::u16string FromAnsi(const std::string& text) { return FromCp1251(text); }

std::u16string ProgramName() {
    if (!g_programName.empty()) return g_programName;
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return u"Pelorin";
    path[n] = 0;
    std::string name = path;
    size_t slash = name.rfind('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    return FromUtf8(name);
}

uint32_t ProcessId() { return static_cast<uint32_t>(::getpid()); }

bool CreateProgramHeap(size_t) { return true; }

void* HeapAllocZeroed(size_t size) {
    if (g_allocationsLeft == 0) return nullptr;
    if (g_allocationsLeft > 0) --g_allocationsLeft;
    return std::calloc(size ? size : 1, 1);
}

void HeapRelease(void* block) { std::free(block); }

namespace testing {
void FailAllocationsAfter(int count) { g_allocationsLeft = count; }
void FailOneWriteAfter(long long bytes) { g_writeBytesLeft = bytes < 0 ? -1 : bytes; }
void SetProgramName(const char16_t* name) { g_programName = name ? name : u""; }
}  // namespace testing

}  // namespace sys
