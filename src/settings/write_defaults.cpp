// Write > Default settings: the two files of the Default folder sent to the detector.
#include "settings/write_defaults.h"

#include <vector>

#include "core/messages.h"
#include "settings/settings_transfer.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/transfer_wait.h"
#include "ui/wide.h"

void WriteDefaultSettingsCommand(HWND owner, const DeviceLink& link) {
    if (ui::AppMessageBox(owner, W(CurrentTexts[kMsgRewriteDefaults]), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;

    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::vector<DefaultFileOutcome> outcomes;
    bool abandoned = false;
    for (const char16_t* name : SettingsFileNames) {
        // The program is to end: the file under way was sent as usual, no other is started.
        if (ui::EndRequested()) break;
        outcomes.push_back(WriteDefaultSettingsFile(link, name));
        abandoned = outcomes.back().state == DefaultFileState::Abandoned;
        if (abandoned) break;
    }
    SetCursor(previous);
    // Nothing was sent, or the session ends: there is nothing to tell, or no one to tell it to.
    if (outcomes.empty() || abandoned || ui::QuitPosted()) return;
    // A key pressed while the detector answered must not close the summary unread.
    ui::DiscardInput();

    // The operator must know whether the detector has its defaults now.
    bool allSent = true;
    for (const DefaultFileOutcome& outcome : outcomes) allSent = allSent && outcome.state == DefaultFileState::Sent;
    ui::AppMessageBox(owner, W(WriteSummaryText(outcomes)), MB_OK | (allSent ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}
