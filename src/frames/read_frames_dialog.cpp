// Read > Frames: picking frame numbers, then reading them from the detector.
#include "frames/read_frames_dialog.h"

#include <vector>

#include "core/messages.h"
#include "frames/frame_names.h"
#include "frames/frame_reader.h"
#include "res/resource.h"
#include "ui/wide.h"

CReadFramesDlg::CReadFramesDlg(const DeviceLink& link, const std::u16string& framesFolder)
    : ui::ProgressDialog(IDD_READ_FRAMES), link_(link), framesFolder_(framesFolder) {
    font_ = ui::FontHolder(CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_ROMAN,
                                       L"DialogFont New"));
}

BOOL CReadFramesDlg::OnInitDialog() {
    HWND list = Item(IDC_FRAME_NUMBERS);
    const char16_t* word = CurrentTexts[kMsgFrame];
    for (int frame = 1; frame <= kDeviceFrameCount; ++frame)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(FrameItemText(word, frame))));
    SendMessageW(list, LB_SETCOLUMNWIDTH, FrameColumnWidth(word), 0);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgFramesReading]));
    SetItemText(IDC_SELECT_ALL_FRAMES, W(CurrentTexts[kMsgSelectAllFrames]));
    SetItemText(IDCANCEL, W(CurrentTexts[kMsgCancel]));
    return TRUE;
}

INT_PTR CReadFramesDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && !transferring_) {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDC_SELECT_ALL_FRAMES && code == BN_CLICKED) {
            SelectAll(IsDlgButtonChecked(hwnd(), IDC_SELECT_ALL_FRAMES) == BST_CHECKED);
            return TRUE;
        }
        if (id == IDC_FRAME_NUMBERS && code == LBN_DBLCLK) {
            OnOK();
            return TRUE;
        }
    }
    return ui::ProgressDialog::OnMessage(message, wParam, lParam);
}

void CReadFramesDlg::SelectAll(bool select) {
    SendMessageW(Item(IDC_FRAME_NUMBERS), LB_SELITEMRANGE, select ? TRUE : FALSE,
                 MAKELPARAM(0, kDeviceFrameCount - 1));
}

void CReadFramesDlg::OnCancel() {
    if (!transferring_) EndModal(IDCANCEL);
}

void CReadFramesDlg::OnOK() {
    if (transferring_) return;
    transferring_ = true;

    // The picked numbers, in ascending order: the sorted list keeps frame i + 1 at index i.
    std::vector<int> picked;
    HWND list = Item(IDC_FRAME_NUMBERS);
    for (int index = 0; index < kDeviceFrameCount; ++index)
        if (SendMessageW(list, LB_GETSEL, index, 0) > 0) picked.push_back(index + 1);

    // From here on there is no way back: the controls of the choice go, the progress comes.
    for (int id : {IDC_FRAME_NUMBERS, IDOK, IDCANCEL, IDC_SELECT_ALL_FRAMES}) DestroyWindow(Item(id));
    SetFocus(hwnd());
    // Unlike reading settings: the bars start at 0 without a first step, and the text keeps its
    // place whatever it shows.
    ProgressSetup setup;
    setup.overallBarId = IDC_FRAMES_OVERALL_PROGRESS;
    setup.fileBarId = IDC_FRAME_FILE_PROGRESS;
    setup.range = kProgressRange;
    setup.overallStep = OverallProgressStep(static_cast<int>(picked.size()));
    setup.fileStep = kFileProgressStep;
    CreateProgress(setup);

    FrameReadRequest request;
    request.frames = picked;
    request.framesPath = framesFolder_;
    request.link = link_;
    TransferDisplayOn<ui::ProgressDialog> display(*this);
    if (!ReadFrames(request, &display, nullptr))
        ShowError(CurrentTexts[kMsgNotEnoughMemory], CurrentTexts[kMsgError]);
    // Without memory too the dialog ends as after a run, with the overall bar full; reading
    // settings ends at once instead.
    EndProgress(kFileStepPauseMs, IDOK);
}
