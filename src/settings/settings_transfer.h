// The detector's two settings files: copying them from the detector into the frames folder,
// sending the default ones from the Default folder, and the texts that tell how it went.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/device_link.h"

// In transfer order.
extern const char16_t* const SettingsFileNames[2];

// The most a settings file read from the detector may hold.
constexpr uint32_t kSettingsBufferSize = 5000000;

struct SettingsReadOutcome {
    uint16_t result = kTransferDone;  // the transfer's TransferResult
    bool stored = false;              // the local copy now holds the detector's file
    std::u16string notice;            // what to show in place of the file name; empty: the name
};

// Reads the settings file `name` from the detector into `buffer` of `capacity` bytes and, when
// it came whole, stores it as `folder` + `name`. A file that did not come whole is not stored,
// and the old local copy stays.
SettingsReadOutcome ReadSettingsFile(const DeviceLink& link, const std::u16string& name, uint8_t* buffer,
                                     uint32_t capacity, const std::u16string& folder);

enum class DefaultFileState {
    Sent,
    NotFound,     // not in the Default folder
    NotReadable,  // there, but it could not be read whole (or no memory to hold it)
    NoAnswer,     // the detector did not answer
    DeviceError,  // the detector answered with an error
};

struct DefaultFileOutcome {
    std::u16string name;
    DefaultFileState state = DefaultFileState::NotFound;
    uint32_t length = 0;        // bytes sent, for Sent
    std::string deviceMessage;  // the detector's words, for DeviceError (ANSI bytes)
};

// Sends "Default\<name>" to the detector as "/<name>". A file that cannot be read whole is not
// sent.
DefaultFileOutcome WriteDefaultSettingsFile(const DeviceLink& link, const std::u16string& name);

// One line per file, in the current language, separated by line feeds.
std::u16string WriteSummaryText(const std::vector<DefaultFileOutcome>& outcomes);
