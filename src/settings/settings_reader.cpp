// Read > Settings: the detector's two settings files into the frames folder.
#include "settings/settings_reader.h"

#include "core/file_store.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "settings/settings_transfer.h"
#include "sys/sys.h"

namespace {

// The folder as the operator names it, without the backslash it ends in.
std::u16string FolderShown(std::u16string folder) {
    while (folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    return folder;
}

}  // namespace

SettingsReadOutcome ReadSettingsFile(const DeviceLink& link, const std::u16string& name, uint8_t* buffer,
                                     uint32_t capacity, const std::u16string& folder) {
    SettingsReadOutcome outcome;
    sys::Endpoint peer = link.device;
    const std::string remote = sys::ToAnsi(name);
    uint32_t length = capacity;
    outcome.result = TftpReadFile(link.Tftp(), &peer, remote.c_str(), buffer, &length);
    switch (outcome.result) {
        case kTransferDone: {
            // The frames folder is made when missing (one level), as reading frames does.
            if (!sys::EnsureFolder(folder)) {
                outcome.notice = FormatText(CurrentTexts[kMsgSettingsFolderNotMade], {name, FolderShown(folder)});
                break;
            }
            const std::u16string path = folder + name;
            const bool hadCopy = sys::KindOfPath(path) == sys::PathKind::File;
            outcome.stored = StoreFileReplacing(path, buffer, length) == StoreResult::Stored;
            if (!outcome.stored)
                outcome.notice = FormatText(CurrentTexts[hadCopy ? kMsgSettingsNotStored : kMsgSettingsNotSaved], {name});
            break;
        }
        case kTransferDeviceError:
            outcome.notice = FormatText(CurrentTexts[kMsgFileNotFound], {name});
            break;
        case kTransferNoAnswer:
            outcome.notice = FormatText(CurrentTexts[kMsgFileNoLink], {name});
            break;
        case kTransferTooLarge:
            outcome.notice = FormatText(CurrentTexts[kMsgSettingsTooLong], {name, static_cast<int>(capacity)});
            break;
        default:
            break;  // the name stays
    }
    return outcome;
}

bool ReadSettingsFiles(const DeviceLink& link, const std::u16string& folder, TransferDisplay* display,
                       std::vector<SettingsReadOutcome>* outcomes) {
    if (outcomes) outcomes->clear();
    uint8_t* buffer = static_cast<uint8_t*>(sys::HeapAllocZeroed(kSettingsBufferSize));
    if (!buffer) return false;

    for (const char16_t* name : SettingsFileNames) {
        if (display->StopRequested()) break;
        display->ShowText(name);
        display->SetFileProgress(0);
        const SettingsReadOutcome outcome = ReadSettingsFile(link, name, buffer, kSettingsBufferSize, folder);
        if (outcome.result == kTransferAbandoned) {
            // The program ends: nothing more is shown or told.
            if (outcomes) outcomes->push_back(outcome);
            break;
        }
        // Unlike a frame, a settings file that came whole fills its bar even when its copy could
        // not be written; the notice says so next.
        if (outcome.result == kTransferDone) FillFileProgress(display);
        if (!outcome.notice.empty()) ShowNotice(display, outcome.notice);
        display->StepOverallProgress();
        // Also unlike a frame: a file that did not replace its copy is told in a message, with
        // what the progress text shows (the notice, or the name when the transfer failed
        // otherwise).
        if (!outcome.stored) display->Tell(outcome.notice.empty() ? std::u16string(name) : outcome.notice);
        if (outcomes) outcomes->push_back(outcome);
    }
    sys::HeapRelease(buffer);
    return true;
}
