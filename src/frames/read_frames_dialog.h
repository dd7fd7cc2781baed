// Read > Frames: the dialog in which the operator picks frame numbers 1 to 100, and which then
// reads the picked frames from the detector, showing a progress text and two bars.
#pragma once

#include <windows.h>

#include <string>

#include "net/device_link.h"
#include "ui/gdi_holders.h"
#include "ui/progress_dialog.h"

class CReadFramesDlg : public ui::ProgressDialog {
public:
    // Reads from the detector over `link` into `framesFolder`.
    CReadFramesDlg(const DeviceLink& link, const std::u16string& framesFolder);

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // OK and a double-click on a number read the picked frames; the dialog then ends itself.
    void OnOK() override;
    // Cancel and Escape end the dialog while it still offers the numbers, and only then.
    void OnCancel() override;
    // The program is to end: while the numbers are offered, as Cancel.
    void OnEndRequested() override { OnCancel(); }

private:
    void SelectAll(bool select);

    DeviceLink link_;
    std::u16string framesFolder_;
    ui::FontHolder font_;
    bool transferring_ = false;
};
