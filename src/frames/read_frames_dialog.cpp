// Read > Frames: picking frame numbers, then reading them from the detector.
#include "frames/read_frames_dialog.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "frames/frame_names.h"
#include "frames/frame_reader.h"
#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/wide.h"

namespace {

constexpr wchar_t kListFace[] = L"DialogFont New";
constexpr int kListFontHeight = 16;  // at 96 dpi

// Whether a device context given `font` really draws with `face`: when the system has no such
// face it draws with another, whatever the font asked for.
bool DrawsWithFace(HFONT font, const wchar_t* face) {
    const ui::WindowDC screen(nullptr);
    const ui::Selection selected(screen.get(), font);
    wchar_t actual[LF_FACESIZE] = {};
    GetTextFaceW(screen.get(), LF_FACESIZE, actual);
    return lstrcmpiW(actual, face) == 0;
}

// The list's font, `height` pixels high.
ui::FontHolder ListFont(int height) {
    return ui::FontHolder(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_ROMAN, kListFace));
}

// The dialog's own font at the list's height, weight and character set.
ui::FontHolder DialogFontForList(HWND dialog, int height) {
    LOGFONTW shape = {};
    HGDIOBJ dialogFont = reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectW(dialogFont, sizeof shape, &shape))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof shape, &shape);
    shape.lfHeight = height;
    shape.lfWidth = 0;
    shape.lfWeight = FW_NORMAL;
    shape.lfItalic = shape.lfUnderline = shape.lfStrikeOut = FALSE;
    shape.lfCharSet = RUSSIAN_CHARSET;
    return ui::FontHolder(CreateFontIndirectW(&shape));
}

// The widest of the list's items as its font draws them, in pixels.
int WidestItem(HWND list, HFONT font) {
    const ui::WindowDC dc(list);
    const ui::Selection selected(dc.get(), font);
    int widest = 0;
    const char16_t* word = CurrentTexts[kMsgFrame];
    for (int frame = 1; frame <= kDeviceFrameCount; ++frame) {
        const std::u16string text = FrameItemText(word, frame);
        SIZE extent = {};
        GetTextExtentPoint32W(dc.get(), W(text), static_cast<int>(text.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    return widest;
}

// The list's client area as it is when it shows no scroll bar (it may show one now, with the
// column width it was made with).
SIZE InsideWithoutScrollBars(HWND list) {
    RECT client;
    GetClientRect(list, &client);
    const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    SIZE inside = {client.right, client.bottom};
    if (style & WS_HSCROLL) inside.cy += GetSystemMetrics(SM_CYHSCROLL);
    if (style & WS_VSCROLL) inside.cx += GetSystemMetrics(SM_CXVSCROLL);
    return inside;
}

// Moves a control in its dialog, or the dialog on the screen, `dx` pixels to the right.
void MoveBy(HWND window, int dx) {
    RECT r;
    GetWindowRect(window, &r);
    const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    if (child) MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(window, nullptr, r.left + dx, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WidenBy(HWND window, int dx) {
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CReadFramesDlg::CReadFramesDlg(const DeviceLink& link, const std::u16string& framesFolder)
    : ui::ProgressDialog(IDD_READ_FRAMES), link_(link), framesFolder_(framesFolder) {}

BOOL CReadFramesDlg::OnInitDialog() {
    HWND list = Item(IDC_FRAME_NUMBERS);
    const char16_t* word = CurrentTexts[kMsgFrame];
    // At the dpi the template made the dialog at.
    const int dpi = ui::WindowDpi(hwnd());
    const int height = ui::ScaledToDpi(kListFontHeight, dpi);
    font_ = ListFont(height);
    // The face asked for is on few machines; where it is missing, the system would put some
    // other face of its choice in its place (a serif one under Wine, too tall for the columns).
    if (!DrawsWithFace(font_.get(), kListFace)) {
        ui::FontHolder own = DialogFontForList(hwnd(), height);
        if (own) font_ = std::move(own);
    }
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    // Columns as wide as the font needs in this language, and the list (with the dialog) as wide
    // as they need to show all 100 numbers without a scroll bar.
    const SIZE inside = InsideWithoutScrollBars(list);
    const FrameColumns columns = FitFrameColumns(word, WidestItem(list, font_.get()),
                                                 static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)), inside.cx,
                                                 inside.cy, dpi);
    if (columns.widerBy > 0) {
        WidenBy(hwnd(), columns.widerBy);
        MoveBy(hwnd(), -columns.widerBy / 2);  // still in the middle of the screen
        WidenBy(list, columns.widerBy);
        for (int id : {IDOK, IDCANCEL}) MoveBy(Item(id), columns.widerBy / 2);
    }
    SendMessageW(list, LB_SETCOLUMNWIDTH, columns.width, 0);
    // Filled only now: items added to columns too narrow would bring a scroll bar, which then
    // takes a row off every column and keeps itself there.
    for (int frame = 1; frame <= kDeviceFrameCount; ++frame)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(FrameItemText(word, frame))));
    SetWindowTextW(hwnd(), W(CurrentTexts[kMsgFramesReading]));
    SetItemText(IDC_SELECT_ALL_FRAMES, W(CurrentTexts[kMsgSelectAllFrames]));
    SetItemText(IDCANCEL, W(CurrentTexts[kMsgCancel]));
    // The numbers are picked with the keys from the start (Home, Shift+Down, Enter).
    SetFocus(list);
    return FALSE;
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
