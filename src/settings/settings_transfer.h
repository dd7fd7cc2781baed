// The detector's two settings files: their names, sending the default ones from the Default
// folder, and the text that tells how that went (reading them is settings_reader.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/device_link.h"

// In transfer order.
extern const char16_t* const SettingsFileNames[2];

enum class DefaultFileState {
    Sent,
    NotFound,     // not in the Default folder
    NotReadable,  // there, but it could not be read whole (or no memory to hold it)
    NoAnswer,     // the detector did not answer
    DeviceError,  // the detector answered with an error
    Abandoned,    // the program ended while it was sent
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
