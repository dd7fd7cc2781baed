// Read > Settings: the two settings files from the detector, with their progress.
#include "settings/read_settings_dialog.h"

#include <commctrl.h>

#include "core/messages.h"
#include "res/resource.h"
#include "settings/settings_transfer.h"
#include "sys/sys.h"
#include "ui/message_box.h"
#include "ui/wide.h"

namespace {

constexpr UINT kTimerDelayMs = 500;
constexpr unsigned kNoticePauseMs = 300;
constexpr unsigned kStepPauseMs = 10;
constexpr int kNoControlId = -1;

void Redraw(HWND window) { UpdateWindow(window); }

void PrepareBar(HWND bar, int step) {
    SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageW(bar, PBM_SETSTEP, step, 0);
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void SetBar(HWND bar, int position) {
    SendMessageW(bar, PBM_SETPOS, position, 0);
    Redraw(bar);
}

void StepBar(HWND bar) {
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    Redraw(bar);
}

}  // namespace

CReadSettingsDlg::CReadSettingsDlg(const DeviceLink& link, const std::u16string& folder)
    : ui::Dialog(IDD_READ_SETTINGS), link_(link), folder_(folder) {}

HWND CReadSettingsDlg::MakeChild(const wchar_t* className, DWORD style, int id, const RECT& r) {
    HWND child = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, SendMessageW(hwnd(), WM_GETFONT, 0, 0), FALSE);
    return child;
}

BOOL CReadSettingsDlg::OnInitDialog() {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int w = client.right, h = client.bottom, cx = w / 2, cy = h / 2;
    textRect_ = {cx - 32, cy - 70, cx - 32 + 160, cy - 70 + 16};
    // A notice that does not fit gets the whole width between the bars' margins.
    wideTextRect_ = {15, textRect_.top, w - 15, textRect_.bottom};
    text_ = MakeChild(L"STATIC", SS_LEFT, kNoControlId, textRect_);
    overallBar_ = MakeChild(PROGRESS_CLASSW, PBS_SMOOTH, IDC_SETTINGS_OVERALL_PROGRESS, {15, cy - 40, w - 15, cy});
    PrepareBar(overallBar_, 50);
    fileBar_ = MakeChild(PROGRESS_CLASSW, PBS_SMOOTH, IDC_SETTINGS_FILE_PROGRESS, {15, cy + 20, w - 15, cy + 60});
    PrepareBar(fileBar_, 10);

    // The work starts from the timer, once the dialog is on screen: the transfers block.
    timer_ = SetTimer(hwnd(), timer_, kTimerDelayMs, nullptr);
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgReadSettingsTitle]));
    return TRUE;
}

INT_PTR CReadSettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == timer_) {
        ReadBothFiles();
        return TRUE;
    }
    return ui::Dialog::OnMessage(message, wParam, lParam);
}

void CReadSettingsDlg::ShowText(const std::u16string& text) {
    HDC dc = GetDC(text_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(text_, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(text_, dc);
    const RECT& r = extent.cx > textRect_.right - textRect_.left ? wideTextRect_ : textRect_;
    MoveWindow(text_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    SetWindowTextW(text_, W(text));
    // The dialog's area the text left must be cleared too.
    RedrawWindow(hwnd(), &wideTextRect_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CReadSettingsDlg::ReadBothFiles() {
    KillTimer(hwnd(), timer_);
    uint8_t* buffer = static_cast<uint8_t*>(sys::HeapAllocZeroed(kSettingsBufferSize));
    if (!buffer) {
        EndModal(1);
        return;
    }
    for (const char16_t* name : SettingsFileNames) {
        ShowText(name);
        SetBar(fileBar_, 0);
        SettingsReadOutcome outcome = ReadSettingsFile(link_, name, buffer, kSettingsBufferSize, folder_);
        if (outcome.result == kTransferDone) {
            for (int i = 0; i < 10; ++i) {
                StepBar(fileBar_);
                sys::SleepMs(kStepPauseMs);
            }
            SetBar(fileBar_, 100);
        }
        if (!outcome.notice.empty()) {
            ShowText(outcome.notice);
            sys::SleepMs(kNoticePauseMs);
        }
        StepBar(overallBar_);
        if (!outcome.stored) {
            // What the dialog shows: the notice, or the name when the transfer failed otherwise.
            const std::u16string shown = outcome.notice.empty() ? std::u16string(name) : outcome.notice;
            ui::AppMessageBox(hwnd(), W(shown), MB_OK | MB_ICONEXCLAMATION);
        }
    }
    sys::HeapRelease(buffer);
    DestroyWindow(text_);
    SetBar(overallBar_, 100);
    sys::SleepMs(kStepPauseMs);
    DestroyWindow(fileBar_);
    DestroyWindow(overallBar_);
    EndModal(0);
}

void ReadSettingsCommand(HWND owner, const DeviceLink& link, const std::u16string& folder) {
    CReadSettingsDlg dialog(link, folder);
    dialog.RunModal(owner);
}
