// Read > Settings: the dialog that copies the detector's two settings files into the frames
// folder, with the file name and two progress bars.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "net/device_link.h"
#include "ui/progress_dialog.h"

class CReadSettingsDlg : public ui::ProgressDialog {
public:
    // Reads from the detector over `link` into `folder`.
    CReadSettingsDlg(const DeviceLink& link, const std::u16string& folder);

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // The program is to end: before the reading has begun, the dialog closes with nothing read.
    void OnEndRequested() override;

private:
    void ReadBothFiles();

    DeviceLink link_;
    std::u16string folder_;
    UINT_PTR timer_;
    uint64_t started_ = 0;  // when the dialog came up (sys::MonotonicMs)
    bool reading_ = false;
};

// Runs the dialog; its result is not used.
void ReadSettingsCommand(HWND owner, const DeviceLink& link, const std::u16string& folder);
