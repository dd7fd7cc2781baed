// Read > Settings: the two settings files from the detector, with their progress.
#include "settings/read_settings_dialog.h"

#include <iterator>

#include "core/messages.h"
#include "res/resource.h"
#include "settings/settings_reader.h"
#include "settings/settings_transfer.h"
#include "sys/sys.h"
#include "ui/wide.h"

namespace {

// The reading starts from a timer, once the dialog is on screen: the transfers block. Escape
// before it fires closes the dialog with nothing read.
constexpr UINT_PTR kStartTimerId = 109;
constexpr UINT kStartDelayMs = 500;

}  // namespace

CReadSettingsDlg::CReadSettingsDlg(const DeviceLink& link, const std::u16string& folder)
    : ui::ProgressDialog(IDD_READ_SETTINGS), link_(link), folder_(folder), timer_(kStartTimerId) {}

BOOL CReadSettingsDlg::OnInitDialog() {
    // Unlike reading frames: the progress shows from the start, its bars are stepped once and
    // set back to 0, and a notice too long for the text's place gets the width of the bars.
    ProgressSetup setup;
    setup.overallBarId = IDC_SETTINGS_OVERALL_PROGRESS;
    setup.fileBarId = IDC_SETTINGS_FILE_PROGRESS;
    setup.range = kProgressRange;
    setup.overallStep = OverallProgressStep(static_cast<int>(std::size(SettingsFileNames)));
    setup.fileStep = kFileProgressStep;
    setup.widenText = true;
    CreateProgress(setup);
    StepBarsOnceBack();

    started_ = sys::MonotonicMs();
    timer_ = SetTimer(hwnd(), timer_, kStartDelayMs, nullptr);
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgReadSettingsTitle]));
    return TRUE;
}

INT_PTR CReadSettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == timer_) {
        // A timer may come a scheduler tick early: the 500 ms count from the start. Once the
        // reading runs, a timer that comes meanwhile (it serves timers) does not start it again.
        const uint64_t now = sys::MonotonicMs();
        if (reading_) return TRUE;
        if (now < started_ + kStartDelayMs) {
            timer_ = SetTimer(hwnd(), timer_, static_cast<UINT>(started_ + kStartDelayMs - now), nullptr);
            return TRUE;
        }
        reading_ = true;
        ReadBothFiles();
        return TRUE;
    }
    return ui::ProgressDialog::OnMessage(message, wParam, lParam);
}

void CReadSettingsDlg::OnEndRequested() {
    if (reading_) return;
    KillTimer(hwnd(), timer_);
    EndModal(IDCANCEL);
}

void CReadSettingsDlg::ReadBothFiles() {
    KillTimer(hwnd(), timer_);
    TransferDisplayOn<ui::ProgressDialog> display(*this);
    if (!ReadSettingsFiles(link_, folder_, &display, nullptr)) {
        ShowError(CurrentTexts[kMsgNotEnoughMemory], CurrentTexts[kMsgError]);
        // Unlike reading frames, the dialog ends at once, with its own result: nothing was read.
        EndModal(1);
        return;
    }
    EndProgress(kFileStepPauseMs, 0);
}

void ReadSettingsCommand(HWND owner, const DeviceLink& link, const std::u16string& folder) {
    CReadSettingsDlg dialog(link, folder);
    dialog.RunModal(owner);
}
