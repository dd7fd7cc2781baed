// The detector's two settings files: their names, sending the defaults, and the summary.
#include "settings/settings_transfer.h"

#include "core/messages.h"
#include "core/text_format.h"
#include "sys/sys.h"

const char16_t* const SettingsFileNames[2] = {u"fds.sdb", u"fdc.sdb"};

namespace {

// Frees a block of the program heap at the end of its scope.
struct HeapBlock {
    explicit HeapBlock(size_t size) : bytes(static_cast<uint8_t*>(sys::HeapAllocZeroed(size))) {}
    ~HeapBlock() { sys::HeapRelease(bytes); }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    uint8_t* bytes;
};

// Reads all `size` bytes of the open file; false on a read error or when the file turns out
// shorter or longer than it said.
bool ReadWhole(sys::File file, uint8_t* bytes, int64_t size) {
    if (sys::ReadFile(file, bytes, static_cast<size_t>(size)) != size) return false;
    uint8_t more;
    return sys::ReadFile(file, &more, 1) == 0;
}

bool Exists(const std::u16string& path) { return !sys::ListMatchingNames(path, 1).empty(); }

// The detector's words may hold anything; control bytes would break the message box's lines.
std::u16string Printable(const std::string& ansi) {
    std::u16string text = sys::FromAnsi(ansi);
    for (char16_t& c : text)
        if (c < u' ') c = u' ';
    return text;
}

}  // namespace

DefaultFileOutcome WriteDefaultSettingsFile(const DeviceLink& link, const std::u16string& name) {
    DefaultFileOutcome outcome;
    outcome.name = name;
    const std::u16string path = u"Default\\" + name;
    sys::FileHolder file = sys::OpenFile(path, sys::OpenMode::Read);
    if (!file) {
        // Held open by another program, say: there, but not to be read.
        outcome.state = Exists(path) ? DefaultFileState::NotReadable : DefaultFileState::NotFound;
        return outcome;
    }
    // A transfer carries a 32-bit length; a longer file would be sent cut.
    const int64_t size = sys::FileSize(file.get());
    const bool sizeFits = size >= 0 && size <= 0xFFFFFFFF;
    HeapBlock block(sizeFits ? static_cast<size_t>(size) : 0);
    const bool whole = sizeFits && block.bytes && ReadWhole(file.get(), block.bytes, size);
    file.Close();  // not held open while the transfer waits on the detector
    if (!whole) {
        outcome.state = DefaultFileState::NotReadable;
        return outcome;
    }

    const std::string remote = "/" + sys::ToAnsi(name);
    sys::Endpoint peer = link.device;
    switch (TftpWriteFile(link.Tftp(), &peer, remote.c_str(), block.bytes, static_cast<uint32_t>(size), &outcome.deviceMessage)) {
        case kTransferDone:
            outcome.state = DefaultFileState::Sent;
            outcome.length = static_cast<uint32_t>(size);
            break;
        case kTransferDeviceError:
            outcome.state = DefaultFileState::DeviceError;
            break;
        case kTransferNoAnswer:
            outcome.state = DefaultFileState::NoAnswer;
            break;
        case kTransferAbandoned:
            outcome.state = DefaultFileState::Abandoned;
            break;
        default:
            outcome.state = DefaultFileState::NotReadable;  // no memory to send it: not sent either
            break;
    }
    return outcome;
}

std::u16string WriteSummaryText(const std::vector<DefaultFileOutcome>& outcomes) {
    std::u16string text;
    for (const DefaultFileOutcome& o : outcomes) {
        if (!text.empty()) text += u'\n';
        switch (o.state) {
            case DefaultFileState::Sent:
                text += FormatText(CurrentTexts[kMsgDefaultSent], {o.name, Widen(std::to_string(o.length))});
                break;
            case DefaultFileState::NotFound:
                text += FormatText(CurrentTexts[kMsgDefaultNotFound], {o.name});
                break;
            case DefaultFileState::NotReadable:
                text += FormatText(CurrentTexts[kMsgDefaultNotReadable], {o.name});
                break;
            case DefaultFileState::NoAnswer:
                text += FormatText(CurrentTexts[kMsgDefaultNoAnswer], {o.name});
                break;
            case DefaultFileState::DeviceError:
                text += FormatText(CurrentTexts[kMsgDefaultDeviceError], {o.name, Printable(o.deviceMessage)});
                break;
            case DefaultFileState::Abandoned:
                text += FormatText(CurrentTexts[kMsgDefaultNoAnswer], {o.name});
                break;
        }
    }
    return text;
}
