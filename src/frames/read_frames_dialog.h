// Read > Frames: the dialog in which the operator picks frame numbers 1 to 100, and which then
// reads the picked frames from the detector, showing a progress text and two bars.
#pragma once

#include <windows.h>

#include <string>

#include "frames/frame_names.h"
#include "frames/frame_reader.h"
#include "ui/dialog.h"

class CReadFramesDlg : public ui::Dialog, private FrameReadDisplay {
public:
    // Reads from the detector over `link` into `framesFolder`.
    CReadFramesDlg(const DeviceLink& link, const std::u16string& framesFolder);
    ~CReadFramesDlg() override;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // OK and a double-click on a number read the picked frames; the dialog then ends itself.
    void OnOK() override;
    // Cancel and Escape end the dialog while it still offers the numbers, and only then.
    void OnCancel() override;

private:
    void SelectAll(bool select);
    HWND CreateBar(int id, const PixelRect& place, int step);

    void ShowText(const std::u16string& text) override;
    void SetFileProgress(int position) override;
    void StepFileProgress() override;
    void StepOverallProgress() override;
    void Pause(unsigned milliseconds) override;

    DeviceLink link_;
    std::u16string framesFolder_;
    HFONT font_ = nullptr;
    bool transferring_ = false;
    HWND progressText_ = nullptr;
    HWND overallBar_ = nullptr;
    HWND fileBar_ = nullptr;
};
