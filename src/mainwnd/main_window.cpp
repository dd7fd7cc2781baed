// The main window: creation and layout, keys and commands, browsing, painting.
#include "mainwnd/main_window.h"

#include "core/messages.h"
#include "core/text_format.h"
#include "mainwnd/device_search.h"
#include "net/probe.h"
#include "res/resource.h"
#include "sys/sys.h"
#include "ui/wide.h"

ui::FontHolder RegularFont;
ui::FontHolder BoldFont;

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 760;
constexpr int kLabelHeight = 16;
constexpr int kLabelCharWidth = 8;
constexpr int kFieldMargin = 2;
constexpr UINT_PTR kStatusTimerId = 1;
// While a status probe is open, it is looked at this often, without waiting.
constexpr UINT_PTR kProbeCheckTimerId = 2;
constexpr UINT kProbeCheckMs = 10;

ui::FontHolder MakeCourierFont(int height, int weight) {
    return ui::FontHolder(CreateFontW(height, 8, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      FF_ROMAN | DEFAULT_PITCH, L"Courier New"));
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

MainWindow::MainWindow(MainWindowHost& host, FrameList& frames, const MainWindowOptions& options)
    : ui::Dialog(IDD_MAIN_WINDOW), host_(host), frames_(frames), options_(options) {
    for (int i = 0; i < kFieldCount; ++i) commentaryFields_[i].maxLength = kCommentaryFields[i].maxLength;
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PELORIN));
}

MainWindow::~MainWindow() { EndProbe(statusProbe_); }

BOOL MainWindow::OnInitDialog() {
    HWND self = hwnd();
    SetWindowPos(self, nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(self, SW_SHOW);

    RegularFont = MakeCourierFont(16, FW_NORMAL);
    BoldFont = MakeCourierFont(18, FW_HEAVY);
    AttachLanguageMenu(options_.language);
    SendMessageW(self, WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont.get()), TRUE);
    backgroundBrush_ = ui::BrushHolder(CreateSolidBrush(options_.backgroundColor));
    mode_ = DisplayMode::Empty;
    LayOutFields();
    CreatePrevNextLabels();
    SendMessageW(self, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(self, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetWindowTextW(self, W(FormatText(CurrentTexts[kMsgCaption], {ProgramVersion})));
    probeAddress_ = host_.CurrentLink().ProbeAddress();
    if (options_.startupSearch) RunStartupSearch();
    StartStatus();
    return FALSE;  // no field takes the focus: keys reach the window itself
}

void MainWindow::AttachLanguageMenu(LanguageId language) {
    HMENU old = GetMenu(hwnd());
    SetMenu(hwnd(), LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(MenuForLanguage(language))));
    if (old) DestroyMenu(old);
}

void MainWindow::LayOutFields() {
    std::array<FieldRect, kFieldCount> rects = ComputeFieldRects(CurrentTexts);
    for (int i = 0; i < kFieldCount; ++i) {
        CommentaryField& field = commentaryFields_[i];
        field.edit = Item(kCommentaryFields[i].controlId);
        field.rect = rects[i];
        SendMessageW(field.edit, WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont.get()), TRUE);
        SendMessageW(field.edit, EM_SETREADONLY, TRUE, 0);
        SendMessageW(field.edit, EM_LIMITTEXT, field.maxLength, 0);
        // A field is as wide as its longest text (8 pixels a character, a line a third of a
        // multi-line field's) plus 8: narrow margins keep every character of a full field in
        // sight, whatever the font's own margins would be.
        SendMessageW(field.edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kFieldMargin, kFieldMargin));
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
    SetScrollRange(scrollBar_, SB_CTL, 0, frames_.FrameCount(), FALSE);
    SetScrollPos(scrollBar_, SB_CTL, frames_.CurrentFrameIndex, FALSE);
}

void MainWindow::CreatePrevNextLabels() {
    RECT client;
    GetClientRect(hwnd(), &client);
    auto label = [this](const char16_t* text, int left) {
        HWND h = ui::CreateChild(hwnd(), L"STATIC", W(text), 0, {left, 5, left + TextWidth(text), 5 + kLabelHeight});
        ShowWindow(h, SW_HIDE);
        return h;
    };
    prevLabel_ = label(CurrentTexts[kMsgPrev], client.right - 120);
    nextLabel_ = label(CurrentTexts[kMsgNext], client.right - 40);
}

bool MainWindow::SetMode(DisplayMode mode) {
    mode_ = mode;
    return ApplyDisplayMode();
}

bool MainWindow::ShowFrame(int index, DisplayMode mode) {
    frames_.CurrentFrameIndex = index;
    return SetMode(mode);
}

bool MainWindow::ShowSettings(const std::u16string& fileName) {
    if (!SetMode(DisplayMode::Settings)) return false;
    settingsFileName_ = fileName;
    InvalidateRect(hwnd(), nullptr, TRUE);
    return true;
}

bool MainWindow::ApplyDisplayMode() {
    // Leaving the editor saves to the frame on screen, whatever frame comes next. When that
    // fails, the editor stays as it is: the texts typed are the only copy there is.
    if (shownMode_ == DisplayMode::CommentaryEdit && !SaveCommentary(shownFramePath_, FieldTexts())) {
        KeepEditing();
        ReportUnsavedCommentary(CommentaryPathFor(shownFramePath_));
        FocusEditor();
        return false;
    }
    // A frame mode needs a frame: with an empty list (the folder emptied outside the program)
    // nothing can be shown.
    if (ShowsFrame() && frames_.FrameCount() == 0) mode_ = DisplayMode::Empty;
    // From frame to frame the picture window, labels and fields stay where they are and only
    // what belongs to the frame changes: nothing is cleared and painted twice.
    const bool frameShown = shownMode_ == DisplayMode::FrameView || shownMode_ == DisplayMode::CommentaryEdit;
    if (frameShown && !ShowsFrame()) TakeDownFrameView();
    shownMode_ = DisplayMode::Empty;
    if (ShowsFrame()) BuildFrameView();
    shownMode_ = mode_;
    if (commentaryState_ == CommentaryState::Unreadable) ReportUnreadableCommentary();
    return true;
}

void MainWindow::KeepEditing() {
    mode_ = DisplayMode::CommentaryEdit;
    // A browse or a command may already have moved the current frame on: it goes back.
    for (int i = 0; i < frames_.FrameCount(); ++i) {
        if (frames_.PathOf(i) == shownFramePath_) {
            frames_.CurrentFrameIndex = i;
            break;
        }
    }
    SetScrollPos(scrollBar_, SB_CTL, frames_.CurrentFrameIndex, TRUE);
}

void MainWindow::FocusEditor() {
    if (shownMode_ == DisplayMode::CommentaryEdit && lastFocusedField_) SetFocus(lastFocusedField_);
}

void MainWindow::TakeDownFrameView() {
    picture_.Destroy();
    // The labels are hidden, not destroyed, and come back with the next frame: under Wine a
    // static control that was given a font leaves a few bytes behind for good when destroyed.
    ShowWindow(titleLabel_, SW_HIDE);
    for (HWND label : commentaryLabels_) ShowWindow(label, SW_HIDE);
    for (const CommentaryField& field : commentaryFields_) ShowWindow(field.edit, SW_HIDE);
    ShowWindow(scrollBar_, SW_HIDE);
    ShowWindow(prevLabel_, SW_HIDE);
    ShowWindow(nextLabel_, SW_HIDE);
    lastFocusedField_ = nullptr;
    shownFramePath_.clear();
    commentaryState_ = CommentaryState::Missing;
    // The focus may have been in a field that is now hidden; keys go to the window again.
    SetFocus(hwnd());
}

void MainWindow::BuildFrameView() {
    // Built anew, or the frame view already there (another frame, the same frame again).
    const bool fresh = picture_.hwnd() == nullptr;
    shownFramePath_ = frames_.PathOf(frames_.CurrentFrameIndex);
    picture_.SetFramePath(shownFramePath_);
    // Painted at once, as when it is made: the new frame is there before the fields follow.
    if (fresh) picture_.Show(hwnd());
    else UpdateWindow(picture_.hwnd());

    // Under Wine every change to a window costs a round trip to its server, and one that is
    // repainted costs more: what has not changed is left alone.
    const int titleWidth = kLabelCharWidth * static_cast<int>(shownFramePath_.size());
    if (titleLabel_) {
        RECT title;
        GetClientRect(titleLabel_, &title);
        if (title.right != titleWidth)
            SetWindowPos(titleLabel_, nullptr, 0, 0, titleWidth, kLabelHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowTextW(titleLabel_, W(shownFramePath_));
    } else {
        titleLabel_ = MakeLabel(shownFramePath_, 5, 5, titleWidth, RegularFont.get());
    }
    if (!commentaryLabels_[0]) LabelCommentary();
    if (fresh) {
        ShowWindow(titleLabel_, SW_SHOW);
        for (HWND label : commentaryLabels_)
            if (label) ShowWindow(label, SW_SHOW);
        for (const CommentaryField& field : commentaryFields_) {
            SetWindowTextW(field.edit, L"");
            ShowWindow(field.edit, SW_SHOW);
            SendMessageW(field.edit, EM_SETREADONLY, TRUE, 0);
        }
        SendMessageW(nextLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont.get()), TRUE);
        SendMessageW(prevLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont.get()), TRUE);
        ShowWindow(scrollBar_, SW_SHOW);
        ShowWindow(prevLabel_, SW_SHOW);
        ShowWindow(nextLabel_, SW_SHOW);
    } else {
        // As after a take-down: keys reach the window until the editor takes the focus.
        lastFocusedField_ = nullptr;
        if (GetFocus() != hwnd()) SetFocus(hwnd());
    }
    if (GetScrollPos(scrollBar_, SB_CTL) != frames_.CurrentFrameIndex)
        SetScrollPos(scrollBar_, SB_CTL, frames_.CurrentFrameIndex, TRUE);

    const LoadedCommentary loaded = LoadCommentary(shownFramePath_);
    commentaryState_ = loaded.state;
    // A commentary that could not be read is shown, empty, only to be read: editing it would
    // end in writing the empty fields over the operator's file.
    if (commentaryState_ == CommentaryState::Unreadable) mode_ = DisplayMode::FrameView;
    const bool editable = mode_ == DisplayMode::CommentaryEdit;
    for (int i = 0; i < kFieldCount; ++i) {
        HWND edit = commentaryFields_[i].edit;
        bool changed = CommentaryFieldText(i) != loaded.texts[i];
        if (changed) {
            SetWindowTextW(edit, W(loaded.texts[i]));
        } else {
            // As after a new text: the caret at the start, and nothing typed on the frame left
            // to be undone into this one.
            SendMessageW(edit, EM_SETSEL, 0, 0);
            SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
        }
        const bool wasEditable = (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) == 0;
        if (editable != wasEditable) {
            SendMessageW(edit, EM_SETREADONLY, editable ? FALSE : TRUE, 0);
            changed = true;
        }
        if (changed) InvalidateRect(edit, nullptr, TRUE);
    }
    if (editable) {
        lastFocusedField_ = commentaryFields_[0].edit;
        SetFocus(commentaryFields_[0].edit);
    }
}

void MainWindow::LabelCommentary() {
    const std::array<LabelPlace, kLabelCount> places = ComputeLabelPlaces(CurrentTexts);
    for (int i = 0; i < kLabelCount; ++i) {
        const LabelPlace& p = places[i];
        if (commentaryLabels_[i]) {
            SetWindowPos(commentaryLabels_[i], nullptr, p.left, p.top, p.width, kLabelHeight,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowTextW(commentaryLabels_[i], W(CurrentTexts[p.entry]));
        } else {
            const ui::FontHolder& font = p.bold ? BoldFont : RegularFont;
            commentaryLabels_[i] = MakeLabel(CurrentTexts[p.entry], p.left, p.top, p.width, font.get());
        }
    }
}

HWND MainWindow::MakeLabel(const std::u16string& text, int left, int top, int width, HFONT font) {
    HWND label = ui::CreateChild(hwnd(), L"STATIC", W(text), SS_NOPREFIX, {left, top, left + width, top + kLabelHeight});
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return label;
}

CommentaryTexts MainWindow::FieldTexts() const {
    CommentaryTexts texts;
    for (int i = 0; i < kFieldCount; ++i) texts[i] = CommentaryFieldText(i);
    return texts;
}

void MainWindow::ReportUnsavedCommentary(const std::u16string& path) {
    std::u16string text = FormatText(CurrentTexts[kMsgCommentaryNotSaved], {path});
    MessageBoxW(hwnd(), W(text), W(CurrentTexts[kMsgError]), MB_OK | MB_ICONERROR);
}

void MainWindow::ReportUnreadableCommentary() {
    std::u16string text = FormatText(CurrentTexts[kMsgCommentaryUnreadable], {CommentaryPathFor(shownFramePath_)});
    MessageBoxW(hwnd(), W(text), W(CurrentTexts[kMsgWarning]), MB_OK | MB_ICONWARNING);
}

std::u16string MainWindow::CommentaryFieldText(int index) const {
    HWND edit = commentaryFields_[index].edit;
    int length = GetWindowTextLengthW(edit);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int copied = GetWindowTextW(edit, reinterpret_cast<wchar_t*>(&text[0]), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void MainWindow::FrameListChanged() {
    // The frame on screen stays the current one, wherever it now stands in the list.
    if (!shownFramePath_.empty()) {
        for (int i = 0; i < frames_.FrameCount(); ++i) {
            if (frames_.PathOf(i) == shownFramePath_) {
                frames_.CurrentFrameIndex = i;
                break;
            }
        }
    }
    SetScrollRange(scrollBar_, SB_CTL, 0, frames_.FrameCount(), FALSE);
    SetScrollPos(scrollBar_, SB_CTL, frames_.CurrentFrameIndex, TRUE);
}

bool MainWindow::Close(Ending ending) {
    if (shownMode_ == DisplayMode::CommentaryEdit && !SaveCommentary(shownFramePath_, FieldTexts())) {
        // At the end of the Windows session no question can be asked: what could be saved is.
        if (ending == Ending::Asked) {
            std::u16string text = FormatText(CurrentTexts[kMsgQuitWithoutSaving], {CommentaryPathFor(shownFramePath_)});
            const int answer = MessageBoxW(hwnd(), W(text), W(CurrentTexts[kMsgWarning]), MB_YESNO | MB_ICONWARNING);
            if (answer != IDYES) {
                FocusEditor();
                return false;
            }
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
    auto relabel = [](HWND label, const char16_t* text) {
        SetWindowPos(label, nullptr, 0, 0, TextWidth(text), kLabelHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowTextW(label, W(text));
    };
    relabel(nextLabel_, CurrentTexts[kMsgNext]);
    relabel(prevLabel_, CurrentTexts[kMsgPrev]);
    AttachLanguageMenu(language);
    InvalidateStatusStrip();
    // The labels take the new texts and places at once: a commentary that could not be saved
    // stays in its fields, under labels in the new language.
    if (commentaryLabels_[0]) LabelCommentary();
    SetMode(mode_);
}

void MainWindow::EndSession() {
    // The process may be ended as soon as this returns: the commentary and the program's own
    // files are saved now, as on Exit.
    Close(Ending::SessionEnd);
    host_.SessionEnding();
}

void MainWindow::RunStartupSearch() {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int w = client.right, h = client.bottom;
    RECT place = {w / 2 - 220, h / 2 - 80, w / 2 + 220, h / 2 + 80};
    messageWnd_.Create(L"Output", W(CurrentTexts[kMsgMessage]), WS_CHILD | WS_VISIBLE | WS_CAPTION, place, hwnd(),
                       IDC_MESSAGE_WINDOW);
    HWND box = messageWnd_.hwnd();
    const uint32_t deviceIp = host_.CurrentLink().device.ip;
    std::u16string line = SearchRangeText(deviceIp);
    SendMessageW(box, UM_SETLINE1, reinterpret_cast<WPARAM>(W(line)), 0);
    line = SearchAllCandidatesText(deviceIp);
    SendMessageW(box, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
    UpdateWindow(box);

    const SearchResult found = SearchForDevice(deviceIp);
    if (found.answered) host_.AdoptDeviceAddress(found.address);
    line = SearchCandidateText(found.address, found.answered ? CandidateState::Answered : CandidateState::NoneAnswered);
    SendMessageW(box, UM_SETLINE2, reinterpret_cast<WPARAM>(W(line)), 0);
    UpdateWindow(box);
    Sleep(kSearchResultPauseMs);
    messageWnd_.Destroy();
}

void MainWindow::StartStatus() {
    probeAddress_ = host_.CurrentLink().ProbeAddress();
    ProbeStatus();
    statusTimer_ = SetTimer(hwnd(), kStatusTimerId, kStatusIntervalMs, nullptr);
}

void MainWindow::ProbeStatus() {
    // The last probe has long had its wait; should it still be open, it did not answer.
    if (statusProbe_.Open()) ShowProbeOutcome(ProbeOutcome::NoAnswer);
    // The address may have changed since the last probe (IP address dialog).
    statusProbe_ = StartProbe(host_.CurrentLink().ProbeAddress(), sys::MonotonicMs());
    SetTimer(hwnd(), kProbeCheckTimerId, kProbeCheckMs, nullptr);
    CheckStatusProbe();
}

void MainWindow::CheckStatusProbe() {
    const ProbeOutcome outcome = CheckProbe(statusProbe_, sys::MonotonicMs());
    if (outcome != ProbeOutcome::Pending) ShowProbeOutcome(outcome);
}

void MainWindow::ShowProbeOutcome(ProbeOutcome outcome) {
    EndProbe(statusProbe_);
    KillTimer(hwnd(), kProbeCheckTimerId);
    probeAddress_ = statusProbe_.address;
    connectionStatus_ = outcome == ProbeOutcome::Answered ? 1 : 0;
    InvalidateStatusStrip();
}

void MainWindow::InvalidateStatusStrip() {
    RECT client;
    GetClientRect(hwnd(), &client);
    RECT strip = {5, client.bottom - 20, 305, client.bottom};
    InvalidateRect(hwnd(), &strip, TRUE);
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
        // The status line, in the device context's own font.
        std::u16string text = StatusLineText(probeAddress_.ip);
        SetBkMode(dc, OPAQUE);
        if (connectionStatus_ == 1) {
            SetBkColor(dc, RGB(0, 255, 255));
            SetTextColor(dc, RGB(0, 0, 0));
        } else {
            SetBkColor(dc, RGB(255, 0, 0));
            SetTextColor(dc, RGB(255, 255, 255));
        }
        TextOutW(dc, client.left + 5, client.bottom - 20, W(text), static_cast<int>(text.size()));
    }
}

void MainWindow::OnBrowse(int code) {
    if (frames_.FrameCount() == 0) return;
    int index = frames_.CurrentFrameIndex;
    if (code == SB_LINELEFT && index > 0) --index;
    else if (code == SB_LINERIGHT && index < frames_.FrameCount() - 1) ++index;
    else return;
    frames_.CurrentFrameIndex = index;
    SetScrollPos(scrollBar_, SB_CTL, index, TRUE);
    ApplyDisplayMode();  // a commentary that cannot be saved keeps the frame on screen
}

INT_PTR MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (IsModifierKey(wParam)) return TRUE;
            if (wParam == VK_ESCAPE) {
                Close(Ending::Asked);
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
                if (lParam == 0) Close(Ending::Asked);  // close box, Alt+F4
                return TRUE;
            }
            // Menu choices and accelerators; notifications from the fields are not commands.
            if (lParam == 0) host_.RunCommand(LOWORD(wParam));
            else if (HIWORD(wParam) == EN_SETFOCUS) lastFocusedField_ = reinterpret_cast<HWND>(lParam);
            return TRUE;
        case WM_TIMER:
            if (wParam == kStatusTimerId) ProbeStatus();
            else if (wParam == kProbeCheckTimerId && statusProbe_.Open()) CheckStatusProbe();
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
        case WM_DESTROY:
            PostQuitMessage(0);
            return FALSE;
        default:
            break;
    }
    return ui::Dialog::OnMessage(message, wParam, lParam);
}
