// Read > Settings, the portable part: the detector's two settings files, one after the other,
// over TFTP into one buffer and into the frames folder. A file replaces its local copy only when
// it came whole and was written whole. What the operator sees goes through a TransferDisplay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/device_link.h"
#include "net/transfer_display.h"

// The most a settings file read from the detector may hold.
constexpr uint32_t kSettingsBufferSize = 5000000;

struct SettingsReadOutcome {
    uint16_t result = kTransferDone;  // the transfer's TransferResult
    bool stored = false;              // the local copy now holds the detector's file
    std::u16string notice;            // what to show in place of the file name; empty: the name
};

// Reads the settings file `name` from the detector into `buffer` of `capacity` bytes and, when
// it came whole, stores it as `folder` + `name`, making the folder (one level) when it is
// missing. A file that did not come whole is not stored, and the old local copy stays.
SettingsReadOutcome ReadSettingsFile(const DeviceLink& link, const std::u16string& name, uint8_t* buffer,
                                     uint32_t capacity, const std::u16string& folder);

// Reads SettingsFileNames in order into `folder` (ends in a backslash), showing each name, its
// progress and any notice, and after each file that did not replace its local copy a message
// for the operator to close. Says in `outcomes` (when given) what came of each. Once the display
// says the program is to end, no further file is started. False, with
// nothing sent or shown, when the transfer buffer cannot be had.
bool ReadSettingsFiles(const DeviceLink& link, const std::u16string& folder, TransferDisplay* display,
                       std::vector<SettingsReadOutcome>* outcomes);
