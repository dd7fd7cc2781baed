// Write > Default settings: the two files of the Default folder sent to the detector.
#include "settings/write_defaults.h"

#include <vector>

#include "core/messages.h"
#include "settings/settings_transfer.h"
#include "ui/message_box.h"
#include "ui/transfer_wait.h"
#include "ui/wide.h"

void WriteDefaultSettingsCommand(HWND owner, const DeviceLink& link) {
    if (ui::AppMessageBox(owner, W(CurrentTexts[kMsgRewriteDefaults]), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;

    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::vector<DefaultFileOutcome> outcomes;
    for (const char16_t* name : SettingsFileNames) outcomes.push_back(WriteDefaultSettingsFile(link, name));
    SetCursor(previous);
    // A key pressed while the detector answered must not close the summary unread.
    ui::DiscardInput();

    // The operator must know whether the detector has its defaults now.
    bool allSent = true;
    for (const DefaultFileOutcome& outcome : outcomes) allSent = allSent && outcome.state == DefaultFileState::Sent;
    ui::AppMessageBox(owner, W(WriteSummaryText(outcomes)), MB_OK | (allSent ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}
