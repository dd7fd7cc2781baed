// The program's log: one time-stamped entry per call, appended to <LogPath><program>.LOG,
// which is moved to ".OLD" once it has reached 5,000,000 bytes (and kept, growing, for as long as
// it cannot be moved).
#pragma once

#include <cstdint>
#include <string>

#include "sys/sys.h"

constexpr int64_t kLogSizeLimit = 5000000;

// "14:05:09 07/12/2026 " (20 characters).
std::string FormatLogStamp(const sys::LocalTime& time);

// Appends one entry to the log in `folder` (ending in a backslash) named after `programName`.
// The entry "\r\n" is written alone; any other text follows a time stamp. Returns 0 when the
// file was opened, 1 when it could not be (the folder is never created).
int WriteLogEntry(const std::u16string& folder, const std::u16string& programName, const char* text,
                  const sys::LocalTime& time);

// The folder WriteLog writes into (ending in a backslash), set once the configuration has been
// read; "LOG\\" until then.
void SetLogFolder(const std::u16string& folder);

// WriteLogEntry into the log folder for this program, stamped with the local time now. Callers
// bring their own "\r\n". Returns 1, writing nothing, once the log is closed.
int WriteLog(const char* text);

// The program has written its last line ("Stop Pelorin"): whatever still happens as it ends
// leaves no line after it.
void CloseLog();
