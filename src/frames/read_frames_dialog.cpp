// Read > Frames: picking frame numbers, then reading them from the detector.
#include "frames/read_frames_dialog.h"

#include <commctrl.h>

#include <vector>

#include "core/messages.h"
#include "frames/frame_names.h"
#include "res/resource.h"
#include "ui/wide.h"

CReadFramesDlg::CReadFramesDlg(const DeviceLink& link, const std::u16string& framesFolder)
    : ui::Dialog(IDD_READ_FRAMES), link_(link), framesFolder_(framesFolder) {
    font_ = CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_ROMAN, L"DialogFont New");
}

CReadFramesDlg::~CReadFramesDlg() {
    if (font_) DeleteObject(font_);
}

BOOL CReadFramesDlg::OnInitDialog() {
    HWND list = Item(IDC_FRAME_NUMBERS);
    const char16_t* word = CurrentTexts[kMsgFrame];
    for (int frame = 1; frame <= kDeviceFrameCount; ++frame)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(FrameItemText(word, frame))));
    SendMessageW(list, LB_SETCOLUMNWIDTH, FrameColumnWidth(word), 0);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
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
    return ui::Dialog::OnMessage(message, wParam, lParam);
}

void CReadFramesDlg::SelectAll(bool select) {
    SendMessageW(Item(IDC_FRAME_NUMBERS), LB_SELITEMRANGE, select ? TRUE : FALSE,
                 MAKELPARAM(0, kDeviceFrameCount - 1));
}

void CReadFramesDlg::OnCancel() {
    if (!transferring_) EndModal(IDCANCEL);
}

HWND CReadFramesDlg::CreateBar(int id, const PixelRect& place, int step) {
    HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));
    if (step > 0) SendMessageW(bar, PBM_SETSTEP, step, 0);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    return bar;
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
    RECT client;
    GetClientRect(hwnd(), &client);
    const FrameProgressLayout layout = LayOutFrameProgress(client.right, client.bottom);
    progressText_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, layout.text.left,
                                    layout.text.top, layout.text.right - layout.text.left,
                                    layout.text.bottom - layout.text.top, hwnd(), nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
    SendMessageW(progressText_, WM_SETFONT, SendMessageW(hwnd(), WM_GETFONT, 0, 0), FALSE);
    overallBar_ = CreateBar(IDC_FRAMES_OVERALL_PROGRESS, layout.overall,
                            OverallProgressStep(static_cast<int>(picked.size())));
    fileBar_ = CreateBar(IDC_FRAME_FILE_PROGRESS, layout.file, kFileProgressStep);
    // The thread is busy until the last frame is in: whatever shows must be drawn now.
    UpdateWindow(hwnd());

    FrameReadRequest request;
    request.frames = picked;
    request.framesPath = framesFolder_;
    request.link = link_;
    if (!ReadFrames(request, this, nullptr))
        MessageBoxW(hwnd(), W(CurrentTexts[kMsgNotEnoughMemory]), W(CurrentTexts[kMsgError]), MB_OK | MB_ICONERROR);

    DestroyWindow(progressText_);
    progressText_ = nullptr;
    SendMessageW(overallBar_, PBM_SETPOS, kProgressRange, 0);
    UpdateWindow(overallBar_);
    Pause(kFileStepPauseMs);
    DestroyWindow(overallBar_);
    DestroyWindow(fileBar_);
    overallBar_ = fileBar_ = nullptr;
    EndModal(IDOK);
}

void CReadFramesDlg::ShowText(const std::u16string& text) {
    SetWindowTextW(progressText_, W(text));
    UpdateWindow(progressText_);
}

void CReadFramesDlg::SetFileProgress(int position) {
    SendMessageW(fileBar_, PBM_SETPOS, position, 0);
    UpdateWindow(fileBar_);
}

void CReadFramesDlg::StepFileProgress() {
    SendMessageW(fileBar_, PBM_STEPIT, 0, 0);
    UpdateWindow(fileBar_);
}

void CReadFramesDlg::StepOverallProgress() {
    SendMessageW(overallBar_, PBM_STEPIT, 0, 0);
    UpdateWindow(overallBar_);
}

void CReadFramesDlg::Pause(unsigned milliseconds) {
    // A sleep, except that messages other programs send to the windows (questions about their
    // state) are answered meanwhile; nothing the user does is taken before the end.
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        if (MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_SENDMESSAGE, 0) != WAIT_OBJECT_0)
            return;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
