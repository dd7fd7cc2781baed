// View > Journal: every frame of the frames folder in one list with its commentary, to find
// (as the operator types), sort, open in the main window, export for a spreadsheet and print as
// an inspection report.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "core/journal_view.h"
#include "core/settings.h"
#include "frames/journal_reading.h"
#include "frames/journal_rows.h"
#include "ui/dialog.h"

struct FrameList;
class MainWindow;

class CJournalDlg : public ui::Dialog {
public:
    // The frames of `frames`' folder, read afresh (the frame list takes the new listing); `view`
    // is the filter and sort the journal opens with and leaves when it closes.
    CJournalDlg(MainWindow& main, FrameList& frames, JournalView& view, LanguageId language);

    // After IDOK: the index in the frame list of the frame to show.
    int ChosenFrame() const { return chosenFrame_; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override { Open(); }
    void OnCancel() override;

private:
    void SetTexts();
    void SetUpList();
    void PlaceOverMainWindow();
    void LayOut();
    void MinimumSize(MINMAXINFO* info) const;
    // Takes what the reading has brought: the folder's listing (which the frame list takes too),
    // then commentaries.
    void TakeNews();
    // Every row read, before anything leaves the journal.
    void FinishReading();
    // The rows shown anew for the filter and the sort, the selection kept on the same rows.
    void ShowRows();
    // Whether the rows shown, or their order, depend on what the commentaries say.
    bool OrderFollowsCommentaries() const;
    // Redraws the rows on screen read since they were last drawn: nothing else is painted again.
    void RedrawReadRows();
    // Sorts the rows shown by the sort column, with the keys of rows already known kept.
    void SortShown();
    // The rows `from` to `to` (not included) are read anew: their sort keys are to be made again.
    void KeysStale(size_t from, size_t to);
    void ShowCount();
    void ShowSortArrow();
    void SortBy(int column);
    void OnGetDispInfo(NMLVDISPINFOW* info);
    // The rows the operator picked, as positions in the list: every selected one.
    std::vector<int> SelectedPositions() const;
    // What Export and Print take: the selected rows when two or more are, else every row shown;
    // in the order shown, as row indices.
    std::vector<int> RowsToHandOn() const;
    void Open();
    void Export();
    void Print();
    void KeepView();

    MainWindow& main_;
    FrameList& frames_;
    JournalView& view_;
    LanguageId language_;
    JournalRows rows_;
    JournalStateTexts states_;
    std::unique_ptr<JournalReading> reading_;
    std::vector<std::u16string> titles_;
    std::vector<int> shown_;  // row indices, in the order shown
    // Each row's key for the sort column (a key of the user's locale costs more than the sort).
    std::vector<std::string> keys_;
    std::vector<bool> keyMade_;
    int keysColumn_ = -1;
    HWND list_ = nullptr;
    int chosenFrame_ = -1;
    uint64_t shownAt_ = 0;  // when the rows shown were last brought up to date
    size_t drawnRead_ = 0;  // the rows read when the list was last drawn
};

// The command: an edited commentary is saved first (when it cannot be, the editor stays and no
// journal opens); the journal; the frame it opens shown read-only.
void JournalCommand(MainWindow& main, FrameList& frames, JournalView& view, LanguageId language);
