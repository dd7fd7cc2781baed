// View > Journal: the dialog and its command.
#include "frames/journal_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "core/frame_list.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "frames/journal_export.h"
#include "frames/journal_order.h"
#include "frames/journal_print.h"
#include "frames/journal_texts.h"
#include "mainwnd/main_window.h"
#include "res/resource.h"
#include "sys/sys.h"
#include "ui/gdi_holders.h"
#include "ui/locale_text.h"
#include "ui/wide.h"

namespace {

// What the reading has brought is taken this often.
constexpr UINT_PTR kReadTimer = 1;
constexpr UINT kReadTimerMs = 50;
// While the commentaries come, the rows shown follow at most this often (a filter or a sort
// may take rows in or move them as their commentaries come).
constexpr uint64_t kFollowReadingMs = 250;

// The layout, in dialog units, so that it grows with the dialog's font.
constexpr int kMargin = 7;
constexpr int kGap = 4;
constexpr int kEditHeight = 12;
constexpr int kTextHeight = 8;
constexpr int kButtonHeight = 14;
constexpr int kButtonWidth = 50;
constexpr int kButtonPadding = 12;   // around a button's text
constexpr int kCountWidth = 90;      // the count's room when the dialog is at its smallest
constexpr int kMinimumHeight = 150;

// Sample texts whose width a column gets at least, beside its title's.
constexpr int kFieldSampleLength = 18;

const int kButtons[] = {IDC_JOURNAL_OPEN, IDC_JOURNAL_EXPORT, IDC_JOURNAL_PRINT, IDCANCEL};

std::u16string ItemText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int got = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&text[0]), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

// Text widths in a window's font.
class TextMeasure {
public:
    explicit TextMeasure(HWND window)
        : dc_(window), font_(dc_.get(), reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0))) {}
    int Width(const std::u16string& text) const {
        SIZE size = {};
        GetTextExtentPoint32W(dc_.get(), W(text), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    ui::WindowDC dc_;
    ui::Selection font_;
};

}  // namespace

CJournalDlg::CJournalDlg(MainWindow& main, FrameList& frames, JournalView& view, LanguageId language)
    : ui::Dialog(IDD_JOURNAL),
      main_(main),
      frames_(frames),
      view_(view),
      language_(language),
      states_(JournalStates(language)),
      titles_(JournalTitles(CurrentTexts, language)) {
    rows_.folder = frames.Folder;
}

BOOL CJournalDlg::OnInitDialog() {
    list_ = Item(IDC_JOURNAL_LIST);
    SetTexts();
    SetUpList();
    PlaceOverMainWindow();
    LayOut();
    HWND find = Item(IDC_JOURNAL_FIND);
    SetWindowTextW(find, W(view_.filter));  // EN_CHANGE shows the rows
    ShowRows();
    ShowSortArrow();
    // The filter of the last time, ready to be typed over.
    SendMessageW(find, EM_SETSEL, 0, -1);
    SetFocus(find);
    reading_ = std::make_unique<JournalReading>(frames_.Folder, states_);
    SetTimer(hwnd(), kReadTimer, kReadTimerMs, nullptr);
    return FALSE;
}

void CJournalDlg::SetTexts() {
    SetWindowTextW(hwnd(), W(JournalText(language_, kJournalCaption)));
    SetItemText(IDC_JOURNAL_FIND_LABEL, W(JournalText(language_, kJournalFind)));
    SetItemText(IDC_JOURNAL_OPEN, W(JournalText(language_, kJournalOpen)));
    SetItemText(IDC_JOURNAL_EXPORT, W(JournalText(language_, kJournalExport)));
    SetItemText(IDC_JOURNAL_PRINT, W(JournalText(language_, kJournalPrint)));
    SetItemText(IDCANCEL, W(JournalText(language_, kJournalClose)));
}

void CJournalDlg::SetUpList() {
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    // Each column as wide as its title or a typical text of it, whichever is wider, in the list's
    // own font: the columns grow with the font.
    const TextMeasure measure(list_);
    // Room for the cell's margins and, in the header, the sort arrow beside the title.
    const int room = measure.Width(u"WWWWW");
    auto sample = [&](int column) -> std::u16string {
        if (column == kColumnFrame) return u"000";
        if (column == kColumnReadAt) return u"0000-00-00 00:00";
        if (column == kColumnCommentary)
            return measure.Width(states_.unreadable) > measure.Width(states_.none) ? states_.unreadable : states_.none;
        if (column == kColumnFile) return u"0000_00_00-00-00~000 (2).png";
        const int length = kCommentaryFields[static_cast<size_t>(column - kColumnFirstField)].maxLength;
        return std::u16string(static_cast<size_t>(std::min(length, kFieldSampleLength)), u'n');
    };
    for (int column = 0; column < kJournalColumnCount; ++column) {
        const std::u16string& title = titles_[static_cast<size_t>(column)];
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.cx = std::max(measure.Width(title), measure.Width(sample(column))) + room;
        info.pszText = const_cast<wchar_t*>(W(title));
        info.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    }
}

void CJournalDlg::PlaceOverMainWindow() {
    RECT area;
    GetClientRect(main_.hwnd(), &area);
    MapWindowPoints(main_.hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
    MINMAXINFO least = {};
    MinimumSize(&least);
    const int width = std::max<int>(area.right - area.left, least.ptMinTrackSize.x);
    const int height = std::max<int>(area.bottom - area.top, least.ptMinTrackSize.y);
    SetWindowPos(hwnd(), nullptr, area.left, area.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CJournalDlg::LayOut() {
    RECT units = {kMargin, kMargin, kGap, kEditHeight};
    MapDialogRect(hwnd(), &units);
    const int margin = units.left, marginY = units.top, gap = units.right, editHeight = units.bottom;
    RECT more = {kButtonWidth, kButtonHeight, kButtonPadding, kTextHeight};
    MapDialogRect(hwnd(), &more);
    const int buttonWidth = more.left, buttonHeight = more.top, padding = more.right, textHeight = more.bottom;

    RECT client;
    GetClientRect(hwnd(), &client);
    const TextMeasure measure(hwnd());
    HDWP moves = BeginDeferWindowPos(8);
    auto place = [&](int id, int left, int top, int width, int height) {
        if (moves) moves = DeferWindowPos(moves, Item(id), nullptr, left, top, std::max(width, 0), std::max(height, 0),
                                           SWP_NOZORDER | SWP_NOACTIVATE);
    };

    // The filter across the top, beside its label.
    const int labelWidth = measure.Width(ItemText(Item(IDC_JOURNAL_FIND_LABEL))) + 2;
    place(IDC_JOURNAL_FIND_LABEL, margin, marginY + (editHeight - textHeight) / 2, labelWidth, textHeight);
    const int findLeft = margin + labelWidth + gap;
    place(IDC_JOURNAL_FIND, findLeft, marginY, client.right - margin - findLeft, editHeight);

    // The buttons along the bottom right, each as wide as its text needs; the count left of them.
    const int buttonsTop = client.bottom - marginY - buttonHeight;
    int right = client.right - margin;
    for (int i = static_cast<int>(std::size(kButtons)) - 1; i >= 0; --i) {
        const int width = std::max(buttonWidth, measure.Width(ItemText(Item(kButtons[i]))) + padding);
        place(kButtons[i], right - width, buttonsTop, width, buttonHeight);
        right -= width + (kButtons[i] == IDCANCEL ? 2 * gap : gap);
    }
    place(IDC_JOURNAL_COUNT, margin, buttonsTop + (buttonHeight - textHeight) / 2, right - margin, textHeight);

    const int listTop = marginY + editHeight + gap;
    place(IDC_JOURNAL_LIST, margin, listTop, client.right - 2 * margin, buttonsTop - gap - listTop);
    if (moves) EndDeferWindowPos(moves);
}

void CJournalDlg::MinimumSize(MINMAXINFO* info) const {
    RECT least = {0, 0, 2 * kMargin + kCountWidth + 3 * kGap + 2 * kGap + 4 * kButtonWidth, kMinimumHeight};
    MapDialogRect(hwnd(), &least);
    AdjustWindowRectEx(&least, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
    info->ptMinTrackSize = {least.right - least.left, least.bottom - least.top};
}

void CJournalDlg::TakeNews() {
    const size_t readBefore = rows_.read;
    const JournalReading::News news = reading_->Take(&rows_);
    if (news == JournalReading::News::Read) KeysStale(readBefore, rows_.read);
    if (news == JournalReading::News::Listed) {
        // Frames read a moment ago are there, for browsing, View and Edit too.
        std::vector<std::u16string> names;
        names.reserve(rows_.rows.size());
        for (const JournalRow& row : rows_.rows) names.push_back(row.name);
        frames_.Replace(std::move(names));
        main_.FrameListChanged();
    }
    const bool over = reading_->Over();
    if (over) KillTimer(hwnd(), kReadTimer);
    // Every change of the list costs Wine a few hundredths of a second: the rows shown follow
    // the commentaries only where a filter or a sort depends on them, at most every quarter of
    // a second; otherwise only the rows on screen that were read are drawn again.
    const bool follow = OrderFollowsCommentaries() && (over || sys::MonotonicMs() - shownAt_ >= kFollowReadingMs);
    if (news == JournalReading::News::Listed || follow) ShowRows();
    else RedrawReadRows();
}

bool CJournalDlg::OrderFollowsCommentaries() const {
    const bool sortedByThem = view_.sortColumn >= kColumnReadAt && view_.sortColumn < kColumnFile;
    return sortedByThem || !FilterWords(ItemText(Item(IDC_JOURNAL_FIND))).empty();
}

void CJournalDlg::RedrawReadRows() {
    if (drawnRead_ == rows_.read) return;
    const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    const int last = std::min(top + static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0)),
                              static_cast<int>(shown_.size()) - 1);
    int first = -1, final = -1;
    for (int position = std::max(top, 0); position <= last; ++position) {
        const size_t row = static_cast<size_t>(shown_[static_cast<size_t>(position)]);
        if (row < drawnRead_ || row >= rows_.read) continue;
        if (first < 0) first = position;
        final = position;
    }
    if (first >= 0) SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), final);
    drawnRead_ = rows_.read;
}

void CJournalDlg::FinishReading() {
    if (reading_->Over()) return;
    reading_->Stop();
    TakeNews();
    if (!rows_.Complete()) {
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        const size_t readBefore = rows_.read;
        ReadJournalRows(&rows_, states_, ui::FoldForUser, UINT64_MAX);
        KeysStale(readBefore, rows_.read);
        SetCursor(previous);
        ShowRows();
    }
}

void CJournalDlg::ShowRows() {
    // The rows selected and the focused one, to be found again wherever they go.
    const std::vector<int> selectedAt = SelectedPositions();
    std::vector<int> selected;
    for (int position : selectedAt) selected.push_back(shown_[static_cast<size_t>(position)]);
    const int focusedAt = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const int focused = focusedAt >= 0 && focusedAt < static_cast<int>(shown_.size()) ? shown_[focusedAt] : -1;

    std::vector<std::u16string> words = FilterWords(ItemText(Item(IDC_JOURNAL_FIND)));
    for (std::u16string& word : words) word = ui::FoldForUser(word);
    const std::vector<int> before = std::move(shown_);
    shown_ = FilterJournalRows(rows_.rows, words);
    if (view_.sortColumn >= 0 && view_.sortColumn < kJournalColumnCount) SortShown();

    // The selection is taken off the positions that had it and put on the positions its rows
    // now have; the whole list is not gone through (with 10,000 rows that takes the list view
    // a second).
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (int position : selectedAt)
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&state));
    if (focusedAt >= 0) SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(focusedAt), reinterpret_cast<LPARAM>(&state));
    // Each change costs Wine's list view some hundredths of a second: the count is set only
    // when it is new, and only what changes in sight is painted again (rows that come below the
    // ones in sight cost no repaint).
    const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    const int inSight = static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
    auto sight = [&](const std::vector<int>& order) {
        const size_t from = std::min(order.size(), static_cast<size_t>(std::max(top, 0)));
        return std::vector<int>(order.begin() + static_cast<std::ptrdiff_t>(from),
                                order.begin() + static_cast<std::ptrdiff_t>(std::min(order.size(), from + inSight)));
    };
    const bool sightChanged = sight(before) != sight(shown_);
    if (SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0) != static_cast<LRESULT>(shown_.size()))
        SendMessageW(list_, LVM_SETITEMCOUNT, shown_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (!selected.empty() || focused >= 0) {
        std::vector<int> positionOf(rows_.rows.size(), -1);
        for (size_t i = 0; i < shown_.size(); ++i) positionOf[static_cast<size_t>(shown_[i])] = static_cast<int>(i);
        state.state = LVIS_SELECTED;
        state.stateMask = LVIS_SELECTED;
        for (int row : selected)
            if (positionOf[static_cast<size_t>(row)] >= 0)
                SendMessageW(list_, LVM_SETITEMSTATE, positionOf[static_cast<size_t>(row)], reinterpret_cast<LPARAM>(&state));
        if (focused >= 0 && positionOf[static_cast<size_t>(focused)] >= 0) {
            state.state = state.stateMask = LVIS_FOCUSED;
            SendMessageW(list_, LVM_SETITEMSTATE, positionOf[static_cast<size_t>(focused)], reinterpret_cast<LPARAM>(&state));
        }
    }
    if (sightChanged) InvalidateRect(list_, nullptr, FALSE);
    else RedrawReadRows();
    drawnRead_ = rows_.read;
    ShowCount();
    shownAt_ = sys::MonotonicMs();
}

void CJournalDlg::SortShown() {
    if (keysColumn_ != view_.sortColumn || keys_.size() != rows_.rows.size()) {
        keys_.assign(rows_.rows.size(), std::string());
        keyMade_.assign(rows_.rows.size(), false);
        keysColumn_ = view_.sortColumn;
    }
    // Keys for the rows shown only, not the hidden ones.
    for (int row : shown_) {
        const size_t at = static_cast<size_t>(row);
        if (keyMade_[at]) continue;
        keys_[at] = JournalSortKey(rows_.rows[at], view_.sortColumn, states_, ui::SortKeyForUser);
        keyMade_[at] = true;
    }
    SortJournalRows(&shown_, keys_, view_.descending);
}

void CJournalDlg::KeysStale(size_t from, size_t to) {
    for (size_t at = from; at < to && at < keyMade_.size(); ++at) keyMade_[at] = false;
}

void CJournalDlg::ShowCount() {
    const std::u16string count = FormatText(JournalText(language_, kJournalCount),
                                            {static_cast<int>(shown_.size()), static_cast<int>(rows_.rows.size())});
    SetItemText(IDC_JOURNAL_COUNT, W(count));
}

void CJournalDlg::ShowSortArrow() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < kJournalColumnCount; ++column) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == view_.sortColumn) item.fmt |= view_.descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

void CJournalDlg::SortBy(int column) {
    if (column == view_.sortColumn) {
        view_.descending = !view_.descending;
    } else {
        view_.sortColumn = column;
        view_.descending = false;
    }
    ShowRows();
    ShowSortArrow();
}

void CJournalDlg::OnGetDispInfo(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    std::u16string text;
    if (item.iItem >= 0 && item.iItem < static_cast<int>(shown_.size()))
        text = JournalCell(rows_.rows[static_cast<size_t>(shown_[static_cast<size_t>(item.iItem)])], item.iSubItem, states_);
    const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), item.pszText);
    item.pszText[length] = L'\0';
}

std::vector<int> CJournalDlg::SelectedPositions() const {
    std::vector<int> positions;
    int at = -1;
    while (positions.size() < shown_.size()) {
        at = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(at), LVNI_SELECTED));
        if (at < 0) break;
        positions.push_back(at);
    }
    return positions;
}

std::vector<int> CJournalDlg::RowsToHandOn() const {
    const std::vector<int> selected = SelectedPositions();
    if (selected.size() < 2) return shown_;
    std::vector<int> rows;
    for (int position : selected) rows.push_back(shown_[static_cast<size_t>(position)]);
    return rows;
}

void CJournalDlg::Open() {
    const std::vector<int> selected = SelectedPositions();
    if (selected.empty()) return;
    // The focused row when it is one of those selected, else the first selected.
    const int focused = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const bool focusedSelected = std::find(selected.begin(), selected.end(), focused) != selected.end();
    chosenFrame_ = shown_[static_cast<size_t>(focusedSelected ? focused : selected.front())];
    KeepView();
    EndModal(IDOK);
}

void CJournalDlg::Export() {
    FinishReading();
    ExportJournal(hwnd(), rows_, RowsToHandOn(), titles_, states_, language_);
}

void CJournalDlg::Print() {
    FinishReading();
    PrintJournal(hwnd(), main_, rows_, RowsToHandOn(), titles_, states_, language_);
}

void CJournalDlg::OnCancel() {
    KeepView();
    EndModal(IDCANCEL);
}

void CJournalDlg::KeepView() { view_.filter = ItemText(Item(IDC_JOURNAL_FIND)); }

INT_PTR CJournalDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_JOURNAL_FIND:
                    if (HIWORD(wParam) == EN_CHANGE && list_) ShowRows();
                    return TRUE;
                case IDC_JOURNAL_OPEN:
                    Open();
                    return TRUE;
                case IDC_JOURNAL_EXPORT:
                    Export();
                    return TRUE;
                case IDC_JOURNAL_PRINT:
                    Print();
                    return TRUE;
                default:
                    break;
            }
            break;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom != list_) break;
            if (header->code == LVN_GETDISPINFOW) {
                OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return TRUE;
            }
            if (header->code == LVN_COLUMNCLICK) {
                SortBy(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
                return TRUE;
            }
            if (header->code == LVN_ITEMACTIVATE) {
                Open();
                return TRUE;
            }
            break;
        }
        case WM_TIMER:
            if (wParam == kReadTimer && reading_) TakeNews();
            return TRUE;
        case WM_SIZE:
            LayOut();
            return TRUE;
        case WM_GETMINMAXINFO:
            MinimumSize(reinterpret_cast<MINMAXINFO*>(lParam));
            return TRUE;
        default:
            break;
    }
    return ui::Dialog::OnMessage(message, wParam, lParam);
}

void JournalCommand(MainWindow& main, FrameList& frames, JournalView& view, LanguageId language) {
    // The list view lives in the common controls.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (main.RequestedMode() == DisplayMode::CommentaryEdit && !main.SetMode(DisplayMode::FrameView)) return;
    CJournalDlg dialog(main, frames, view, language);
    if (dialog.RunModal(main.hwnd()) == IDOK && dialog.ChosenFrame() >= 0 && dialog.ChosenFrame() < frames.FrameCount())
        main.ShowFrame(dialog.ChosenFrame(), DisplayMode::FrameView);
}
