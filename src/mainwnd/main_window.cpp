// The main window: creation and layout, keys and commands, browsing, painting.
#include "mainwnd/main_window.h"

#include "core/app_state.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "mainwnd/device_search.h"
#include "net/probe.h"
#include "res/resource.h"
#include "ui/wide.h"

HFONT RegularFont = nullptr;
HFONT BoldFont = nullptr;

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 760;
constexpr int kLabelHeight = 16;
constexpr int kLabelCharWidth = 8;
constexpr UINT_PTR kStatusTimerId = 1;
constexpr UINT kNoControlId = 0xFFFF;

HFONT MakeCourierFont(int height, int weight) {
    return CreateFontW(height, 8, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_ROMAN | DEFAULT_PITCH, L"Courier New");
}

int MenuForLanguage(LanguageId language) {
    if (language == 1) return IDR_MENU_ENGLISH;
    if (language == 2) return IDR_MENU_TURKISH;
    return IDR_MENU_RUSSIAN;
}

int TextWidth(const char16_t* text) {
    return kLabelCharWidth * static_cast<int>(std::char_traits<char16_t>::length(text));
}

}  // namespace

MainWindow::MainWindow(CommandHandler runCommand) : ui::Dialog(IDD_MAIN_WINDOW), runCommand_(runCommand) {
    for (int i = 0; i < kFieldCount; ++i) CommentaryFields[i].maxLength = kCommentaryFields[i].maxLength;
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PELORIN));
}

MainWindow::~MainWindow() {
    if (backgroundBrush_) DeleteObject(backgroundBrush_);
}

BOOL MainWindow::OnInitDialog() {
    HWND self = hwnd();
    SetWindowPos(self, nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(self, SW_SHOW);

    RegularFont = MakeCourierFont(16, FW_NORMAL);
    BoldFont = MakeCourierFont(18, FW_HEAVY);
    AttachLanguageMenu();
    SendMessageW(self, WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont), TRUE);
    backgroundBrush_ = CreateSolidBrush(App.BackgroundColor);
    mode_ = Empty;
    LayOutFields();
    CreatePrevNextLabels();
    SendMessageW(self, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(self, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetWindowTextW(self, W(FormatText(CurrentTexts[kMsgCaption], {ProgramVersion})));
    ProbeAddress = {App.DeviceIp, kProbePort};
    if (App.StartupSearchFlag == 1) RunStartupSearch();
    StartStatus();
    return FALSE;  // no field takes the focus: keys reach the window itself
}

void MainWindow::AttachLanguageMenu() {
    HMENU old = GetMenu(hwnd());
    SetMenu(hwnd(), LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(MenuForLanguage(App.CurrentLanguage))));
    if (old) DestroyMenu(old);
}

void MainWindow::LayOutFields() {
    std::array<FieldRect, kFieldCount> rects = ComputeFieldRects(CurrentTexts);
    for (int i = 0; i < kFieldCount; ++i) {
        CommentaryField& field = CommentaryFields[i];
        field.edit = Item(kCommentaryFields[i].controlId);
        field.rect = rects[i];
        SendMessageW(field.edit, WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont), TRUE);
        SendMessageW(field.edit, EM_SETREADONLY, TRUE, 0);
        SendMessageW(field.edit, EM_LIMITTEXT, field.maxLength, 0);
        MoveWindow(field.edit, field.rect.left, field.rect.top, field.rect.right - field.rect.left,
                   field.rect.bottom - field.rect.top, TRUE);
        ShowWindow(field.edit, SW_HIDE);
    }

    RECT client, bar;
    GetClientRect(hwnd(), &client);
    scrollBar_ = Item(IDC_FRAME_SCROLL);
    GetWindowRect(scrollBar_, &bar);
    MoveWindow(scrollBar_, client.right - 78, client.top + 5, bar.right - bar.left, bar.bottom - bar.top, TRUE);
    ShowWindow(scrollBar_, SW_HIDE);
    // The maximum is the count itself; browsing stops at the last frame on its own.
    SetScrollRange(scrollBar_, SB_CTL, 0, App.Frames.FrameCount(), FALSE);
    SetScrollPos(scrollBar_, SB_CTL, App.Frames.CurrentFrameIndex, FALSE);
}

void MainWindow::CreatePrevNextLabels() {
    RECT client;
    GetClientRect(hwnd(), &client);
    auto label = [this](const char16_t* text, int left) {
        HWND h = CreateWindowExW(0, L"STATIC", W(text), WS_CHILD | WS_VISIBLE, left, 5, TextWidth(text), kLabelHeight,
                                 hwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kNoControlId)),
                                 GetModuleHandleW(nullptr), nullptr);
        ShowWindow(h, SW_HIDE);
        return h;
    };
    prevLabel_ = label(CurrentTexts[kMsgPrev], client.right - 120);
    nextLabel_ = label(CurrentTexts[kMsgNext], client.right - 40);
}

void MainWindow::ApplyDisplayMode() {
    // The frame modes are built by the frame view; until then the empty and settings modes
    // have nothing to take down or build.
    shownMode_ = mode_;
}

std::u16string MainWindow::CommentaryFieldText(int index) const {
    HWND edit = CommentaryFields[index].edit;
    int length = GetWindowTextLengthW(edit);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int copied = GetWindowTextW(edit, reinterpret_cast<wchar_t*>(&text[0]), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void MainWindow::FrameListChanged() {
    SetScrollRange(scrollBar_, SB_CTL, 0, App.Frames.FrameCount(), FALSE);
    SetScrollPos(scrollBar_, SB_CTL, App.Frames.CurrentFrameIndex, TRUE);
}

void MainWindow::Close() {
    mode_ = Empty;
    ApplyDisplayMode();
    DestroyWindow(hwnd());
}

void MainWindow::ShowNewLanguage() {
    SetWindowTextW(hwnd(), W(FormatText(CurrentTexts[kMsgCaption], {ProgramVersion})));
    // The labels keep their places; their width follows the new text so that none is cut.
    auto relabel = [](HWND label, const char16_t* text) {
        SetWindowPos(label, nullptr, 0, 0, TextWidth(text), kLabelHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowTextW(label, W(text));
    };
    relabel(nextLabel_, CurrentTexts[kMsgNext]);
    relabel(prevLabel_, CurrentTexts[kMsgPrev]);
    AttachLanguageMenu();
    InvalidateStatusStrip();
    SendMessageW(hwnd(), UM_SETMODE, mode_, 0);
}

void MainWindow::RunStartupSearch() {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int w = client.right, h = client.bottom;
    RECT box = {w / 2 - 220, h / 2 - 80, w / 2 + 220, h / 2 + 80};
    messageWnd_.Create(L"Output", W(CurrentTexts[kMsgMessage]), WS_CHILD | WS_VISIBLE | WS_CAPTION, box, hwnd(),
                       IDC_MESSAGE_WINDOW);
    HWND box_ = messageWnd_.hwnd();
    std::u16string line = SearchRangeText(App.DeviceIp);
    SendMessageW(box_, UM_SETLINE1, reinterpret_cast<WPARAM>(W(line)), 0);

    const uint32_t deviceIp = App.DeviceIp;
    for (uint32_t octet = kFirstCandidateOctet; octet <= kLastCandidateOctet; ++octet) {
        uint32_t candidate = WithLastOctet(deviceIp, octet);
        line = SearchCandidateText(candidate, CandidateState::Probing);
        SendMessageW(box_, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
        UpdateWindow(box_);
        ProbeAddress = {candidate, kProbePort};
        if (ProbeDevice(ProbeAddress) == 0) {
            App.DeviceIp = candidate;
            App.ConfigChanged = 1;
            line = SearchCandidateText(candidate, CandidateState::Answered);
            SendMessageW(box_, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
            break;
        }
        if (octet == kLastCandidateOctet) {
            line = SearchCandidateText(candidate, CandidateState::NoneAnswered);
            SendMessageW(box_, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
        }
    }
    UpdateWindow(box_);
    Sleep(kSearchResultPauseMs);
    messageWnd_.Destroy();
}

void MainWindow::StartStatus() {
    ProbeAddress = {App.DeviceIp, kProbePort};
    ConnectionStatus = ProbeDevice(ProbeAddress) == 0 ? 1 : 0;
    statusTimer_ = SetTimer(hwnd(), kStatusTimerId, kStatusIntervalMs, nullptr);
}

void MainWindow::ProbeStatus() {
    // The address may have changed since the last probe (IP address dialog).
    ProbeAddress = {App.DeviceIp, kProbePort};
    ConnectionStatus = ProbeDevice(ProbeAddress) == 0 ? 1 : 0;
    InvalidateStatusStrip();
}

void MainWindow::InvalidateStatusStrip() {
    RECT client;
    GetClientRect(hwnd(), &client);
    RECT strip = {5, client.bottom - 20, 305, client.bottom};
    InvalidateRect(hwnd(), &strip, TRUE);
}

void MainWindow::PaintWindow() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client;
    GetClientRect(hwnd(), &client);
    if (IsIconic(hwnd())) {
        SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
    } else {
        // The status line, in the device context's own font.
        std::u16string text = StatusLineText(ProbeAddress.ip);
        SetBkMode(dc, OPAQUE);
        if (ConnectionStatus == 1) {
            SetBkColor(dc, RGB(0, 255, 255));
            SetTextColor(dc, RGB(0, 0, 0));
        } else {
            SetBkColor(dc, RGB(255, 0, 0));
            SetTextColor(dc, RGB(255, 255, 255));
        }
        TextOutW(dc, client.left + 5, client.bottom - 20, W(text), static_cast<int>(text.size()));
    }
    EndPaint(hwnd(), &ps);
}

void MainWindow::OnBrowse(int code) {
    FrameList& frames = App.Frames;
    if (frames.FrameCount() == 0) return;
    int index = frames.CurrentFrameIndex;
    if (code == SB_LINELEFT && index > 0) --index;
    else if (code == SB_LINERIGHT && index < frames.FrameCount() - 1) ++index;
    else return;
    frames.CurrentFrameIndex = index;
    SetScrollPos(scrollBar_, SB_CTL, index, TRUE);
    ApplyDisplayMode();
}

INT_PTR MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (IsModifierKey(wParam)) return TRUE;
            if (wParam == VK_ESCAPE) {
                Close();
                return TRUE;
            }
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (IsModifierKey(wParam)) return TRUE;
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) return TRUE;  // Enter does not close the window
            if (LOWORD(wParam) == IDCANCEL) {
                if (lParam == 0) Close();  // close box, Alt+F4
                return TRUE;
            }
            // Menu choices and accelerators; notifications from the fields are not commands.
            if (lParam == 0) runCommand_(LOWORD(wParam));
            return TRUE;
        case WM_TIMER:
            ProbeStatus();
            return TRUE;
        case WM_SETFOCUS:
            // The window keeps the focus it is given: the dialog default would pass it on to a
            // field, hidden or not, and keys such as Escape would no longer reach the window.
            return TRUE;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, App.BackgroundColor);
            SetTextColor(dc, App.ForegroundColor);
            return reinterpret_cast<INT_PTR>(backgroundBrush_);
        }
        case UM_SETMODE:
            mode_ = static_cast<uint8_t>(wParam & 0xFF);
            ApplyDisplayMode();
            SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == scrollBar_) OnBrowse(LOWORD(wParam));
            return FALSE;
        case WM_PAINT:
            PaintWindow();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DESTROY:
            PostQuitMessage(0);
            return FALSE;
        default:
            break;
    }
    return ui::Dialog::OnMessage(message, wParam, lParam);
}
