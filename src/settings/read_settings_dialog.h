// Read > Settings: the dialog that copies the detector's two settings files into the frames
// folder, with the file name and two progress bars.
#pragma once

#include <string>

#include "net/device_link.h"
#include "ui/dialog.h"

class CReadSettingsDlg : public ui::Dialog {
public:
    // Reads from the detector over `link` into `folder`.
    CReadSettingsDlg(const DeviceLink& link, const std::u16string& folder);

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    void ReadBothFiles();
    // Shows `text` in the static text, made wider when it would be cut.
    void ShowText(const std::u16string& text);
    HWND MakeChild(const wchar_t* className, DWORD style, int id, const RECT& rect);

    DeviceLink link_;
    std::u16string folder_;
    HWND text_ = nullptr;
    HWND fileBar_ = nullptr;     // 1016
    HWND overallBar_ = nullptr;  // 1015
    UINT_PTR timer_ = 109;
    RECT textRect_ = {};
    RECT wideTextRect_ = {};
};

// Runs the dialog; its result is not used.
void ReadSettingsCommand(HWND owner, const DeviceLink& link, const std::u16string& folder);
