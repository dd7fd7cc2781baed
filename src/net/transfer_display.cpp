// The steps of the transfer display that both reading loops take.
#include "net/transfer_display.h"

void FillFileProgress(TransferDisplay* display) {
    for (int step = 0; step < kFileProgressSteps; ++step) {
        display->StepFileProgress();
        display->Pause(kFileStepPauseMs);
    }
    display->SetFileProgress(kProgressRange);
}

void ShowNotice(TransferDisplay* display, const std::u16string& notice) {
    display->ShowText(notice);
    display->Pause(kNoticeMs);
}
