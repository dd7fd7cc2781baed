// A dialog that shows a transfer at work.
#include "ui/progress_dialog.h"

#include <commctrl.h>

#include "sys/sys.h"
#include "ui/dpi.h"
#include "ui/gdi_holders.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/transfer_wait.h"
#include "ui/wide.h"
#include "ui/window.h"

namespace ui {

namespace {

HWND CreateBar(HWND parent, const RECT& place, int id, int range, int step) {
    HWND bar = CreateChild(parent, PROGRESS_CLASSW, L"", PBS_SMOOTH, place, id);
    SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, range));
    if (step > 0) SendMessageW(bar, PBM_SETSTEP, step, 0);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    return bar;
}

void SetBar(HWND bar, int position) {
    SendMessageW(bar, PBM_SETPOS, position, 0);
    UpdateWindow(bar);
}

void StepBar(HWND bar) {
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    UpdateWindow(bar);
}

}  // namespace

INT_PTR ProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            ListenForEnd(hwnd());
            const INT_PTR result = Dialog::OnMessage(message, wParam, lParam);
            // A close that came before the dialog was up is told now.
            if (EndRequested()) PostMessageW(hwnd(), kEndRequestedMessage, 0, 0);
            return result;
        }
        case WM_DESTROY:
            StopListeningForEnd(hwnd());
            break;
        default:
            if (message == kEndRequestedMessage) {
                OnEndRequested();
                return TRUE;
            }
            break;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

bool ProgressDialog::StopRequested() const { return EndRequested(); }

void ProgressDialog::CreateProgress(const ProgressSetup& setup) {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int w = client.right, cx = w / 2, cy = client.bottom / 2;
    // Around the middle of a dialog that its template made at the screen's dpi: the distances
    // (in pixels at 96 dpi) at the same dpi.
    const int dpi = WindowDpi(hwnd());
    const auto at = [dpi](int pixels) { return ScaledToDpi(pixels, dpi); };
    textRect_ = {cx - at(32), cy - at(70), cx - at(32) + at(160), cy - at(70) + at(16)};
    wideTextRect_ = {at(15), textRect_.top, w - at(15), textRect_.bottom};
    widenText_ = setup.widenText;
    range_ = setup.range;
    text_ = CreateChild(hwnd(), L"STATIC", L"", SS_LEFT, textRect_);
    overallBar_ = CreateBar(hwnd(), {at(15), cy - at(40), w - at(15), cy}, setup.overallBarId, range_, setup.overallStep);
    fileBar_ = CreateBar(hwnd(), {at(15), cy + at(20), w - at(15), cy + at(60)}, setup.fileBarId, range_, setup.fileStep);
    UpdateWindow(hwnd());
}

void ProgressDialog::StepBarsOnceBack() {
    for (HWND bar : {overallBar_, fileBar_}) {
        SendMessageW(bar, PBM_STEPIT, 0, 0);
        SendMessageW(bar, PBM_SETPOS, 0, 0);
    }
}

void ProgressDialog::ShowText(const std::u16string& text) {
    if (!widenText_) {
        SetWindowTextW(text_, W(text));
        UpdateWindow(text_);
        return;
    }
    SIZE extent = {};
    {
        const WindowDC dc(text_);
        const Selection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(text_, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc.get(), W(text), static_cast<int>(text.size()), &extent);
    }
    const RECT& r = extent.cx > textRect_.right - textRect_.left ? wideTextRect_ : textRect_;
    MoveWindow(text_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    SetWindowTextW(text_, W(text));
    // The dialog's area the text left must be cleared too.
    RedrawWindow(hwnd(), &wideTextRect_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ProgressDialog::SetFileProgress(int position) { SetBar(fileBar_, position); }

void ProgressDialog::StepFileProgress() { StepBar(fileBar_); }

void ProgressDialog::StepOverallProgress() { StepBar(overallBar_); }

void ProgressDialog::Pause(uint64_t since, unsigned milliseconds) { WaitUntil(since + milliseconds); }

void ProgressDialog::Tell(const std::u16string& text) {
    DiscardInput();
    AppMessageBox(hwnd(), W(text), MB_OK | MB_ICONEXCLAMATION);
}

void ProgressDialog::ShowError(const std::u16string& text, const std::u16string& caption) {
    MessageBoxW(hwnd(), W(text), W(caption), MB_OK | MB_ICONERROR);
}

void ProgressDialog::EndProgress(unsigned pauseMs, INT_PTR result) {
    DestroyWindow(text_);
    SetBar(overallBar_, range_);
    Pause(sys::MonotonicMs(), pauseMs);
    DestroyWindow(fileBar_);
    DestroyWindow(overallBar_);
    text_ = overallBar_ = fileBar_ = nullptr;
    DiscardInput();
    EndModal(result);
}

}  // namespace ui
