// Write > Default settings: the two files of the Default folder sent to the detector.
#pragma once

#include <windows.h>

#include "net/device_link.h"

// Asks first; after the transfers one message box says how each file went.
void WriteDefaultSettingsCommand(HWND owner, const DeviceLink& link);
