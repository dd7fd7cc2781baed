// The main window: creation and layout, keys and commands, closing, painting. What it shows
// (the display modes and the frame view) is in frame_view.cpp, the status line in status_line.cpp.
#include "mainwnd/main_window.h"

#include <algorithm>
#include <cmath>

#include "core/messages.h"
#include "core/text_format.h"
#include "mainwnd/status_line.h"
#include "res/resource.h"
#include "sys/sys.h"
#include "ui/dpi.h"
#include "ui/program_end.h"
#include "ui/wide.h"

ui::FontHolder RegularFont;
ui::FontHolder BoldFont;

namespace {

ui::FontHolder MakeCourierFont(const FontSize& size, int weight) {
    return ui::FontHolder(CreateFontW(size.height, size.width, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      FF_ROMAN | DEFAULT_PITCH, L"Courier New"));
}

int MenuForLanguage(LanguageId language) {
    if (language == 1) return IDR_MENU_ENGLISH;
    if (language == 2) return IDR_MENU_TURKISH;
    return IDR_MENU_RUSSIAN;
}

size_t Length(const char16_t* text) { return std::char_traits<char16_t>::length(text); }

ScreenArea AreaOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void SetFont(HWND window, HFONT font) {
    if (window) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace

MainWindow::MainWindow(MainWindowHost& host, FrameList& frames, const MainWindowOptions& options)
    : ui::Dialog(IDD_MAIN_WINDOW), host_(host), frames_(frames), options_(options) {
    for (int i = 0; i < kFieldCount; ++i) commentaryFields_[i].maxLength = kCommentaryFields[i].maxLength;
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PELORIN));
}

BOOL MainWindow::OnInitDialog() {
    HWND self = hwnd();
    // The window lays itself out when it moves to a monitor of another dpi.
    ui::LayOutOwnDpiChanges(self);
    const int dpi = ui::WindowDpi(self);
    // The template made the scroll bar at this dpi; at 96 dpi it is that size times 96 / dpi.
    RECT bar;
    GetWindowRect(Item(IDC_FRAME_SCROLL), &bar);
    scrollBarWidth_ = (bar.right - bar.left) * static_cast<double>(kStandardDpi) / dpi;
    scrollBarHeight_ = (bar.bottom - bar.top) * static_cast<double>(kStandardDpi) / dpi;
    const RECT work = ui::WorkAreaOf(self);
    scale_ = MainWindowScale(dpi, AreaOf(work));
    const ScreenArea place = MainWindowPlace(AreaOf(work), scale_);
    SetWindowPos(self, nullptr, place.left, place.top, place.Width(), place.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(self, SW_SHOW);

    AttachLanguageMenu(options_.language);
    backgroundBrush_ = ui::BrushHolder(CreateSolidBrush(options_.backgroundColor));
    mode_ = DisplayMode::Empty;
    SetUpFields();
    SetUpScrollBar();
    CreatePrevNextLabels();
    MakeFonts();
    PlaceControls();
    SendMessageW(self, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(self, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetWindowTextW(self, W(FormatText(CurrentTexts[kMsgCaption], {ProgramVersion})));
    if (options_.startupSearch) {
        // A close or the session's end during the search's pause waits for it to be over.
        const ui::BusyScope busy;
        RunStartupSearch(hwnd(), host_.CurrentLink().device.ip,
                         [this](uint32_t found) { host_.AdoptDeviceAddress(found); }, scale_);
    }
    statusLine_.Start(hwnd(), host_.CurrentLink().ProbeAddress());
    return FALSE;  // no field takes the focus: keys reach the window itself
}

void MainWindow::AttachLanguageMenu(LanguageId language) {
    HMENU old = GetMenu(hwnd());
    SetMenu(hwnd(), LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(MenuForLanguage(language))));
    if (old) DestroyMenu(old);
}

void MainWindow::SetUpFields() {
    std::array<FieldRect, kFieldCount> rects = ComputeFieldRects(CurrentTexts);
    for (int i = 0; i < kFieldCount; ++i) {
        CommentaryField& field = commentaryFields_[i];
        field.edit = Item(kCommentaryFields[i].controlId);
        field.rect = rects[i];
        SendMessageW(field.edit, EM_SETREADONLY, TRUE, 0);
        SendMessageW(field.edit, EM_LIMITTEXT, field.maxLength, 0);
        ShowWindow(field.edit, SW_HIDE);
        PassOnFieldKeys(field.edit);
    }
}

void MainWindow::SetUpScrollBar() {
    scrollBar_ = Item(IDC_FRAME_SCROLL);
    ShowWindow(scrollBar_, SW_HIDE);
    // The maximum is the count itself; browsing stops at the last frame on its own.
    SetScrollRange(scrollBar_, SB_CTL, 0, frames_.FrameCount(), FALSE);
    SetScrollPos(scrollBar_, SB_CTL, frames_.CurrentFrameIndex, FALSE);
}

void MainWindow::CreatePrevNextLabels() {
    auto label = [this](const char16_t* text) {
        HWND h = ui::CreateChild(hwnd(), L"STATIC", W(text), 0, {0, 0, 0, 0});
        ShowWindow(h, SW_HIDE);
        return h;
    };
    prevLabel_ = label(CurrentTexts[kMsgPrev]);
    nextLabel_ = label(CurrentTexts[kMsgNext]);
}

void MainWindow::MakeFonts() {
    const WindowFonts sizes = FontsAt(scale_);
    ui::FontHolder regular = MakeCourierFont(sizes.regular, FW_NORMAL);
    ui::FontHolder bold = MakeCourierFont(sizes.bold, FW_HEAVY);
    // Every control takes the new fonts before the old ones go.
    SetFont(hwnd(), regular.get());
    for (const CommentaryField& field : commentaryFields_) SetFont(field.edit, regular.get());
    for (HWND label : {titleLabel_, prevLabel_, nextLabel_}) SetFont(label, regular.get());
    if (commentaryLabels_[0]) {
        const std::array<LabelPlace, kLabelCount> places = ComputeLabelPlaces(CurrentTexts);
        for (int i = 0; i < kLabelCount; ++i) SetFont(commentaryLabels_[i], places[i].bold ? bold.get() : regular.get());
    }
    RegularFont = std::move(regular);
    BoldFont = std::move(bold);
}

void MainWindow::PlaceControls() {
    std::array<FieldRect, kFieldCount> rects;
    for (int i = 0; i < kFieldCount; ++i) rects[i] = commentaryFields_[i].rect;
    rects = ScaledFieldRects(rects, scale_);
    // A field is as wide as its longest text (8 pixels a character at 96 dpi, a line a third
    // of a multi-line field's) plus 8: narrow margins keep every character of a full field in
    // sight, whatever the font's own margins would be.
    const int margin = FieldMarginAt(scale_);
    for (int i = 0; i < kFieldCount; ++i) {
        HWND edit = commentaryFields_[i].edit;
        SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
        MoveWindow(edit, rects[i].left, rects[i].top, rects[i].right - rects[i].left, rects[i].bottom - rects[i].top,
                   TRUE);
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    const TopRow row = TopRowAt(client.right, scale_);
    MoveWindow(scrollBar_, row.scrollBarLeft, row.scrollBarTop, static_cast<int>(std::lround(scrollBarWidth_ * scale_)),
               static_cast<int>(std::lround(scrollBarHeight_ * scale_)), TRUE);
    auto placeLabel = [&](HWND label, int left, size_t characters) {
        if (label)
            SetWindowPos(label, nullptr, left, row.top, LabelWidthAt(characters, scale_), row.labelHeight,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    };
    placeLabel(prevLabel_, row.prevLeft, Length(CurrentTexts[kMsgPrev]));
    placeLabel(nextLabel_, row.nextLeft, Length(CurrentTexts[kMsgNext]));
    placeLabel(titleLabel_, row.titleLeft, shownFramePath_.size());
    if (commentaryLabels_[0]) LabelCommentary();
    if (picture_.hwnd()) picture_.Place(PictureRectAt(scale_), scale_);
    statusLine_.SetScale(scale_);
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    // The window keeps the place Windows suggests on the new monitor, as far as it fits there.
    const ScreenArea work = AreaOf(ui::WorkAreaAt(suggested));
    const double scale = MainWindowScale(dpi, work);
    const ScreenArea size = MainWindowPlace(work, scale);
    const int left = std::max(work.left, std::min(static_cast<int>(suggested.left), work.right - size.Width()));
    const int top = std::max(work.top, std::min(static_cast<int>(suggested.top), work.bottom - size.Height()));
    SetWindowPos(hwnd(), nullptr, left, top, size.Width(), size.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (scale != scale_) {
        scale_ = scale;
        MakeFonts();
        PlaceControls();
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
}

bool MainWindow::Close() {
    // The session's end has saved everything; the window goes with the program.
    if (sessionEnded_) return true;
    if (ui::Busy()) {
        // A transfer runs: the file under way is finished and stored, then the program closes.
        ui::RememberClose();
        return false;
    }
    if (shownMode_ == DisplayMode::CommentaryEdit && !SaveCommentary(shownFramePath_, FieldTexts())) {
        std::u16string text = FormatText(CurrentTexts[kMsgQuitWithoutSaving], {CommentaryPathFor(shownFramePath_)});
        const int answer = MessageBoxW(hwnd(), W(text), W(CurrentTexts[kMsgWarning]), MB_YESNO | MB_ICONWARNING);
        if (answer != IDYES) {
            FocusEditor();
            return false;
        }
    }
    // Saved, or given up: the window goes with everything on it.
    shownMode_ = DisplayMode::Empty;
    DestroyWindow(hwnd());
    return true;
}

void MainWindow::ShowNewLanguage(LanguageId language) {
    SetWindowTextW(hwnd(), W(FormatText(CurrentTexts[kMsgCaption], {ProgramVersion})));
    // The labels keep their places; their width follows the new text so that none is cut.
    auto relabel = [this](HWND label, const char16_t* text) {
        SetWindowPos(label, nullptr, 0, 0, LabelWidthAt(Length(text), scale_), Scaled(kLabelHeight, scale_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowTextW(label, W(text));
    };
    relabel(nextLabel_, CurrentTexts[kMsgNext]);
    relabel(prevLabel_, CurrentTexts[kMsgPrev]);
    AttachLanguageMenu(language);
    statusLine_.Invalidate();
    // The labels take the new texts and places at once: a commentary that could not be saved
    // stays in its fields, under labels in the new language.
    if (commentaryLabels_[0]) LabelCommentary();
    SetMode(mode_);
}

void MainWindow::EndSession() {
    if (sessionEnded_) return;
    sessionEnded_ = true;
    // Windows may end the process as soon as this returns: the commentary and the program's own
    // files are saved now, as on Exit. Nobody can be asked anything: what could be saved is.
    if (shownMode_ == DisplayMode::CommentaryEdit) SaveCommentary(shownFramePath_, FieldTexts());
    host_.SessionEnding();
    if (ui::Busy()) {
        // A transfer runs (or the start-up search): it gives up where it stands, and the
        // program ends as soon as it has.
        ui::PostQuit(0);
        return;
    }
    shownMode_ = DisplayMode::Empty;
    DestroyWindow(hwnd());
}

void MainWindow::PaintWindow() {
    ui::PaintSession paint(hwnd());
    HDC dc = paint.dc();
    RECT client;
    GetClientRect(hwnd(), &client);
    if (IsIconic(hwnd())) {
        SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
    } else {
        statusLine_.Paint(dc, client);
    }
}

bool MainWindow::OnKey(WPARAM key) {
    if (!FrameOnScreen()) return false;
    if (key == VK_TAB) {
        // From the window itself into the fields, as from the last field on.
        FocusField(GetKeyState(VK_SHIFT) < 0 ? kFieldCount - 1 : 0);
        return true;
    }
    if ((key == VK_NEXT || key == VK_PRIOR) && GetKeyState(VK_CONTROL) < 0) {
        OnBrowse(key == VK_NEXT ? SB_LINERIGHT : SB_LINELEFT);
        return true;
    }
    return false;
}

void MainWindow::OnFieldKey(FieldKey key, HWND field) {
    if (!FrameOnScreen()) return;
    const int index = FieldIndex(field);
    switch (key) {
        case FieldKey::NextField:
            if (index >= 0) FocusField((index + 1) % kFieldCount);
            break;
        case FieldKey::PreviousField:
            if (index >= 0) FocusField((index + kFieldCount - 1) % kFieldCount);
            break;
        case FieldKey::NextFrame:
            OnBrowse(SB_LINERIGHT);
            break;
        case FieldKey::PreviousFrame:
            OnBrowse(SB_LINELEFT);
            break;
    }
}

void MainWindow::FocusField(int index) {
    HWND edit = commentaryFields_[index].edit;
    SetFocus(edit);
    // As a dialog does: the text is selected, so that typing replaces it.
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

int MainWindow::FieldIndex(HWND field) const {
    for (int i = 0; i < kFieldCount; ++i)
        if (commentaryFields_[i].edit == field) return i;
    return -1;
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
            if (message == WM_KEYDOWN && OnKey(wParam)) return TRUE;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (IsModifierKey(wParam)) return TRUE;
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) return TRUE;  // Enter does not close the window
            if (LOWORD(wParam) == IDCANCEL) {
                if (lParam == 0) Close();  // a Cancel command without a control, posted by another program
                return TRUE;
            }
            // Menu choices and accelerators; notifications from the fields are not commands.
            if (lParam == 0) host_.RunCommand(LOWORD(wParam));
            else if (HIWORD(wParam) == EN_SETFOCUS) lastFocusedField_ = reinterpret_cast<HWND>(lParam);
            return TRUE;
        case WM_CLOSE:
            // The close box, Alt+F4 and another program's close, sent or posted (a transfer's
            // wait passes a posted one on at once, so that it is remembered in time).
            Close();
            return TRUE;
        case WM_TIMER:
            statusLine_.OnTimer(wParam, host_.CurrentLink().ProbeAddress());
            return TRUE;
        case WM_SETFOCUS:
            // While the commentary is edited, the focus goes back to the field that had it (the
            // window comes back from another window or a message box). Otherwise the window
            // keeps the focus it is given: the dialog default would pass it on to a field,
            // hidden or not, and keys such as Escape would no longer reach the window.
            if (shownMode_ == DisplayMode::CommentaryEdit && lastFocusedField_ && IsWindowVisible(lastFocusedField_))
                SetFocus(lastFocusedField_);
            return TRUE;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, options_.backgroundColor);
            SetTextColor(dc, options_.foregroundColor);
            return reinterpret_cast<INT_PTR>(backgroundBrush_.get());
        }
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == scrollBar_) OnBrowse(LOWORD(wParam));
            return FALSE;
        case WM_PAINT:
            PaintWindow();
            return TRUE;
        case WM_QUERYENDSESSION:
            // The work is done when the session really ends (WM_ENDSESSION); nothing to refuse.
            SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) EndSession();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case UM_FIELDKEY:
            OnFieldKey(static_cast<FieldKey>(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_DESTROY:
            ui::PostQuit(0);
            return FALSE;
        default:
            break;
    }
    return ui::Dialog::OnMessage(message, wParam, lParam);
}
