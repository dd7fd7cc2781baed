// Reading picked frames from the detector into the frames folder.
#include "frames/frame_reader.h"

#include <cstring>

#include "core/file_store.h"
#include "core/frame_list.h"
#include "core/log.h"
#include "core/messages.h"
#include "frames/frame_names.h"
#include "sys/cp1251.h"
#include "sys/sys.h"

namespace {

// Writes the frame under a temporary name (no "*.png" for the frame list to see) and moves it
// to its name. The name goes to the minute, so it may already be taken, by the picture read
// under this number earlier in the minute: that file and its commentary stay as they are, and
// the frame becomes a copy beside it, " (2)", " (3)", ... False, with no file of any of these
// names left behind by this call, when it cannot be stored.
bool StoreFrame(const std::u16string& framesPath, int frame, const uint8_t* bytes, uint32_t length) {
    const std::u16string name = LocalFrameName(sys::Now(), frame);
    std::u16string path = framesPath + name;
    bool stored = false;
    if (sys::EnsureFolder(framesPath)) {
        for (int copy = 1; copy <= kMaxFrameCopies; ++copy) {
            path = framesPath + FrameCopyName(name, copy);
            const StoreResult result = StoreNewFile(path, bytes, length);
            stored = result == StoreResult::Stored;
            if (result != StoreResult::NameTaken) break;
        }
    }
    if (!stored)
        WriteLog((ToCp1251(u"файл ") + sys::ToAnsi(path) + ToCp1251(u" - не записан на диск\r\n")).c_str());
    return stored;
}

// Whether the file at `path` holds exactly these bytes: its size first, then its bytes.
bool HoldsTheSameBytes(const std::u16string& path, const uint8_t* bytes, uint32_t length) {
    sys::FileHolder file = sys::OpenFile(path, sys::OpenMode::Read);
    if (!file || sys::FileSize(file.get()) != static_cast<int64_t>(length)) return false;
    uint8_t chunk[16384];
    for (uint32_t at = 0; at < length;) {
        const uint32_t size = length - at < sizeof chunk ? length - at : static_cast<uint32_t>(sizeof chunk);
        if (sys::ReadFile(file.get(), chunk, size) != static_cast<int64_t>(size)) return false;
        if (std::memcmp(chunk, bytes + at, size) != 0) return false;
        at += size;
    }
    return true;
}

bool IsFileOfFrame(const std::u16string& name, int frame) {
    FrameFileName parsed;
    return ParseFrameFileName(name, &parsed) && parsed.frame == frame;
}

// The name of a file of frame `frame` in the frames folder, copies included, that holds exactly
// these bytes; empty when there is none. Only the files of that number are looked at.
std::u16string StoredCopyOf(const std::u16string& framesPath, int frame, const uint8_t* bytes, uint32_t length) {
    for (const std::u16string& name : sys::ListMatchingNames(framesPath + FrameFilePattern(frame)))
        if (IsFileOfFrame(name, frame) && HoldsTheSameBytes(framesPath + name, bytes, length)) return name;
    return {};
}

void LogAlreadyStored(int frame, const std::u16string& path) {
    WriteLog((ToCp1251(u"файл ") + RemoteFrameName(frame) + ToCp1251(u" - уже записан в файле ") + sys::ToAnsi(path) +
              "\r\n")
                 .c_str());
}

}  // namespace

bool ReadFrames(const FrameReadRequest& request, TransferDisplay* display, std::vector<FrameOutcome>* outcomes) {
    if (outcomes) outcomes->clear();
    if (request.frames.empty()) return true;
    uint8_t* buffer = static_cast<uint8_t*>(sys::HeapAllocZeroed(kFrameBufferSize));
    if (!buffer) return false;

    const char16_t* word = CurrentTexts[kMsgFrame];
    for (int frame : request.frames) {
        if (display->StopRequested()) break;
        display->ShowText(FrameProgressText(word, frame));
        display->SetFileProgress(0);
        sys::Endpoint peer = request.link.device;
        uint32_t length = kFrameBufferSize;
        const uint16_t result =
            TftpReadFile(request.link.Tftp(), &peer, RemoteFrameName(frame).c_str(), buffer, &length);

        if (result == kTransferAbandoned) {
            if (outcomes) outcomes->push_back(FrameOutcome::Abandoned);
            break;
        }
        FrameOutcome outcome;
        const char16_t* notice = nullptr;
        const std::u16string copy =
            result == kTransferDone ? StoredCopyOf(request.framesPath, frame, buffer, length) : std::u16string();
        if (!copy.empty()) {
            outcome = FrameOutcome::AlreadyStored;
            notice = CurrentTexts[kMsgFrameAlreadyStored];
            LogAlreadyStored(frame, request.framesPath + copy);
        } else if (result == kTransferDone) {
            outcome = StoreFrame(request.framesPath, frame, buffer, length) ? FrameOutcome::Stored : FrameOutcome::NotSaved;
            if (outcome == FrameOutcome::NotSaved) notice = CurrentTexts[kMsgFrameNotSaved];
        } else if (result == kTransferDeviceError) {
            outcome = FrameOutcome::NotOnDevice;
            notice = CurrentTexts[kMsgNo];
        } else if (result == kTransferTooLarge) {
            outcome = FrameOutcome::TooLarge;
            notice = CurrentTexts[kMsgFrameTooLarge];
        } else {
            // No answer, an answer that is no TFTP, or no room for the packets: the frame
            // did not come, and the log says why.
            outcome = FrameOutcome::NoLink;
            notice = CurrentTexts[kMsgLinkNotEstablished];
        }

        if (outcome == FrameOutcome::Stored)
            FillFileProgress(display);
        else
            ShowNotice(display, FrameNoticeText(word, frame, notice));
        display->StepOverallProgress();
        if (outcomes) outcomes->push_back(outcome);
    }
    sys::HeapRelease(buffer);
    return true;
}
