// A dialog that shows a transfer at work: a progress text above two smooth bars, one for the
// whole run and one for the file under way, placed around the middle of its client area; the
// pauses that let them show; the messages about the run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/dialog.h"

namespace ui {

class ProgressDialog : public Dialog {
public:
    // What the transfer shows (the reading loops reach these through their display).
    void ShowText(const std::u16string& text);
    void SetFileProgress(int position);
    void StepFileProgress();
    void StepOverallProgress();
    // Waits until `milliseconds` after `since` (a sys::MonotonicMs() time), the windows painted
    // and other programs answered meanwhile; nothing the user does is taken (ui/transfer_wait.h).
    void Pause(uint64_t since, unsigned milliseconds);
    // A message with the exclamation icon, captioned with the application's name. What was
    // typed or clicked during the transfer before it is thrown away first, so that a key pressed
    // while the detector answered cannot close the message unread.
    void Tell(const std::u16string& text);
    // The program is to end: no further file is started (ui/program_end.h).
    bool StopRequested() const;

protected:
    using Dialog::Dialog;

    // The dialog is told when the program is to end (a close came meanwhile) and calls
    // OnEndRequested; what derives from it passes the messages it does not handle on here.
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The program is to end: a dialog whose transfer has not begun closes (Cancel); one that
    // transfers goes on with the file under way and starts no other.
    virtual void OnEndRequested() {}

    struct ProgressSetup {
        int overallBarId = 0;
        int fileBarId = 0;
        int range = 100;      // both bars run from 0 to `range`
        int overallStep = 0;  // 0: the bar keeps its own step
        int fileStep = 0;
        // A text wider than its place gets the whole width between the bars' margins.
        bool widenText = false;
    };
    // Makes the text (empty) and the bars (at 0), and draws them at once: the transfer that
    // follows keeps the thread busy.
    void CreateProgress(const ProgressSetup& setup);
    // Steps each bar once and sets it back to 0.
    void StepBarsOnceBack();
    // The run is over: the text goes, the overall bar is set full and stays `pauseMs`, the bars
    // go, what was typed or clicked during the run is thrown away, and the dialog ends with
    // `result`.
    void EndProgress(unsigned pauseMs, INT_PTR result);
    // An error message with the error icon.
    void ShowError(const std::u16string& text, const std::u16string& caption);

private:
    HWND text_ = nullptr;
    HWND overallBar_ = nullptr;
    HWND fileBar_ = nullptr;
    int range_ = 100;
    bool widenText_ = false;
    RECT textRect_ = {};
    RECT wideTextRect_ = {};
};

}  // namespace ui
