// The steps of the transfer display that both reading loops take.
#include "net/transfer_display.h"

#include "sys/sys.h"

void FillFileProgress(TransferDisplay* display) {
    // A step that comes late does not push the ones after it later.
    const uint64_t start = sys::MonotonicMs();
    for (int step = 1; step <= kFileProgressSteps; ++step) {
        display->StepFileProgress();
        display->Pause(start, kFileStepPauseMs * static_cast<unsigned>(step));
    }
    display->SetFileProgress(kProgressRange);
}

void ShowNotice(TransferDisplay* display, const std::u16string& notice) {
    display->ShowText(notice);
    display->Pause(sys::MonotonicMs(), kNoticeMs);
}
