// The main window's display modes: the frame view with its picture, title, labels and
// commentary fields, browsing from frame to frame, and the commentary read when a frame is
// shown and saved when editing ends.
#include "mainwnd/main_window.h"

#include <vector>

#include "core/messages.h"
#include "core/text_format.h"
#include "mainwnd/commentary_fill.h"
#include "ui/wide.h"

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
    FollowShownFrame();
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
    if (fresh) picture_.Show(hwnd(), PictureRectAt(scale_), scale_);
    else UpdateWindow(picture_.hwnd());

    // Under Wine every change to a window costs a round trip to its server, and one that is
    // repainted costs more: what has not changed is left alone.
    const TopRow row = TopRowAt(0, scale_);
    const int titleWidth = LabelWidthAt(shownFramePath_.size(), scale_);
    if (titleLabel_) {
        RECT title;
        GetClientRect(titleLabel_, &title);
        if (title.right != titleWidth)
            SetWindowPos(titleLabel_, nullptr, 0, 0, titleWidth, row.labelHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowTextW(titleLabel_, W(shownFramePath_));
    } else {
        titleLabel_ = MakeLabel(shownFramePath_, {row.titleLeft, row.top, row.titleLeft + titleWidth, row.top + row.labelHeight},
                                RegularFont.get());
    }
    if (!commentaryLabels_[0]) LabelCommentary();
    if (fresh) OrderForScreenReaders();
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
    const std::array<LabelPlace, kLabelCount> places = ScaledLabelPlaces(ComputeLabelPlaces(CurrentTexts), scale_);
    for (int i = 0; i < kLabelCount; ++i) {
        const LabelPlace& p = places[i];
        if (commentaryLabels_[i]) {
            SetWindowPos(commentaryLabels_[i], nullptr, p.left, p.top, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowTextW(commentaryLabels_[i], W(CurrentTexts[p.entry]));
        } else {
            const ui::FontHolder& font = p.bold ? BoldFont : RegularFont;
            commentaryLabels_[i] =
                MakeLabel(CurrentTexts[p.entry], {p.left, p.top, p.left + p.width, p.top + p.height}, font.get());
        }
    }
}

HWND MainWindow::MakeLabel(const std::u16string& text, const RECT& place, HFONT font) {
    HWND label = ui::CreateChild(hwnd(), L"STATIC", W(text), SS_NOPREFIX, place);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return label;
}

void MainWindow::OrderForScreenReaders() {
    // The commentary labels in the order of the label table, and the field each names.
    enum : int { kNone = -1 };
    static const int kFieldOfLabel[kLabelCount] = {0,     1, 2, 3, kNone, 4, kNone, 5, kNone,
                                                   6,     7, 8, 9, kNone, 10, 11, kNone};
    std::vector<HWND> order = {titleLabel_, picture_.hwnd()};
    for (int i = 0; i < kLabelCount; ++i) {
        order.push_back(commentaryLabels_[i]);
        if (kFieldOfLabel[i] != kNone) order.push_back(commentaryFields_[kFieldOfLabel[i]].edit);
    }
    order.insert(order.end(), {prevLabel_, scrollBar_, nextLabel_});
    HWND after = HWND_TOP;
    for (HWND window : order) {
        if (!window) continue;
        SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = window;
    }
}

void MainWindow::FillFromEarlierFrame() {
    if (shownMode_ != DisplayMode::CommentaryEdit) return;
    FollowShownFrame();
    CommentaryTexts earlier;
    const auto load = [this](int frame) { return LoadCommentary(frames_.PathOf(frame)); };
    if (!FindEarlierInspection(frames_.CurrentFrameIndex, load, &earlier)) return;
    const CommentaryTexts typed = FieldTexts();
    const CommentaryTexts filled = FillInspectionFields(typed, earlier);
    for (int i = 0; i < kFieldCount; ++i)
        if (filled[i] != typed[i]) SetWindowTextW(commentaryFields_[i].edit, W(filled[i]));
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

void MainWindow::FollowShownFrame() {
    if (shownFramePath_.empty()) return;
    for (int i = 0; i < frames_.FrameCount(); ++i) {
        if (frames_.PathOf(i) == shownFramePath_) {
            frames_.CurrentFrameIndex = i;
            return;
        }
    }
}

void MainWindow::FrameListChanged() {
    // The frame on screen stays the current one, wherever it now stands in the list.
    FollowShownFrame();
    SetScrollRange(scrollBar_, SB_CTL, 0, frames_.FrameCount(), FALSE);
    SetScrollPos(scrollBar_, SB_CTL, frames_.CurrentFrameIndex, TRUE);
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
