// The program's log file.
#include "core/log.h"

#include <cstdio>
#include <cstring>


namespace {

std::u16string& LogFolder() {
    static std::u16string folder = u"LOG\\";
    return folder;
}

bool g_closed = false;

}  // namespace

std::string FormatLogStamp(const sys::LocalTime& t) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%2.2d:%2.2d:%2.2d %2.2d/%2.2d/%4.4d ", t.hour, t.minute, t.second, t.day,
                  t.month, t.year);
    return stamp;
}

int WriteLogEntry(const std::u16string& folder, const std::u16string& programName, const char* text,
                  const sys::LocalTime& time) {
    std::string stamp = FormatLogStamp(time);
    const std::u16string logName = folder + programName + u".LOG";
    const std::u16string oldName = folder + programName + u".OLD";

    sys::FileHolder file = sys::OpenFile(logName, sys::OpenMode::WriteAlways);
    if (!file) return 1;
    if (sys::FileSize(file.get()) >= kLogSizeLimit) {
        file.Close();  // before it is moved
        // The log becomes the old generation in one step. Where it cannot (the old one held
        // open by a viewer, a folder under its name), nothing is lost: the entry goes on the
        // end of the log as it is, and the next entry tries again.
        sys::ReplaceFileWith(oldName, logName);
        file = sys::OpenFile(logName, sys::OpenMode::WriteAlways);
        if (!file) return 1;
    }
    sys::SeekToEnd(file.get());
    if (std::strcmp(text, "\r\n") == 0) {
        sys::WriteFile(file.get(), text, 2);
    } else {
        sys::WriteFile(file.get(), stamp.data(), stamp.size());
        sys::WriteFile(file.get(), text, std::strlen(text));
    }
    return 0;
}

void SetLogFolder(const std::u16string& folder) { LogFolder() = folder; }

int WriteLog(const char* text) {
    if (g_closed) return 1;
    return WriteLogEntry(LogFolder(), sys::ProgramName(), text, sys::Now());
}

void CloseLog() { g_closed = true; }
