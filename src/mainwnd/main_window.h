// The program's one top-level window: a modeless dialog with the menu, the frame and its
// commentary fields, the connection status line and, at start-up, the detector search.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/frame_list.h"
#include "core/settings.h"
#include "mainwnd/commentary_file.h"
#include "mainwnd/field_keys.h"
#include "mainwnd/field_layout.h"
#include "mainwnd/picture_window.h"
#include "mainwnd/status_line.h"
#include "mainwnd/window_scale.h"
#include "net/device_link.h"
#include "ui/dialog.h"
#include "ui/gdi_holders.h"

enum class DisplayMode : uint8_t {
    Empty = 0,           // nothing but the status line
    Settings = 1,        // a settings file was chosen: nothing but the status line either
    FrameView = 2,       // a frame with its commentary, read-only
    CommentaryEdit = 3,  // the same, the commentary editable
};

// Fonts of the main window's fields and labels, made when it opens, kept for the whole run.
extern ui::FontHolder RegularFont;
extern ui::FontHolder BoldFont;

// What the main window needs of the program around it.
class MainWindowHost {
public:
    // Runs a menu or accelerator command that the window does not handle itself; false when no
    // handler knows it.
    virtual bool RunCommand(UINT id) = 0;
    // The link to the detector at its address now (the IP address dialog may change it).
    virtual DeviceLink CurrentLink() const = 0;
    // The start-up search found the detector at `ip`.
    virtual void AdoptDeviceAddress(uint32_t ip) = 0;
    // Windows' session is ending: the program's own files are saved and the log closed now, as
    // at the end of a run; the process may be ended any time after. Called once.
    virtual void SessionEnding() = 0;

protected:
    ~MainWindowHost() = default;
};

// How the window looks and starts, from the configuration.
struct MainWindowOptions {
    ColorValue backgroundColor = 0xC0C0C0;
    ColorValue foregroundColor = 0x000000;
    bool startupSearch = false;  // look for the detector among .100 to .199 at start-up
    LanguageId language = 0;     // of the menu
};

class MainWindow : public ui::Dialog {
public:
    MainWindow(MainWindowHost& host, FrameList& frames, const MainWindowOptions& options);

    DisplayMode RequestedMode() const { return mode_; }
    bool ShowsFrame() const { return mode_ == DisplayMode::FrameView || mode_ == DisplayMode::CommentaryEdit; }

    // The one way to change what the window shows: the mode on screen is taken down (an edited
    // commentary is saved first) and `mode` is built. A frame mode shows the current frame.
    // False when nothing changed because the edited commentary could not be saved: the
    // operator has been told, and the editor stays with the texts typed.
    bool SetMode(DisplayMode mode);
    // Frame `index` of the list, in a frame mode; false as for SetMode.
    bool ShowFrame(int index, DisplayMode mode);
    // View > Settings: the chosen settings file (name without folder), and the settings mode;
    // false as for SetMode.
    bool ShowSettings(const std::u16string& fileName);

    // Ends the program as the operator asked (Exit, the close box, Alt+F4, Escape): an edited
    // commentary is saved, then the window goes and the message loop ends. When the commentary
    // cannot be saved, the operator is asked whether to quit without it; false when the answer
    // is No and the program goes on. While a transfer runs (ui/program_end.h) the close is only
    // remembered, and false: the application closes the window once the transfer is over.
    bool Close();

    // After the language changed: caption, prev/next labels, menu, status line and the
    // current display mode in the new texts.
    void ShowNewLanguage(LanguageId language);

    // After the frame list was read anew: the scroll bar's range follows the new count, and
    // the current frame stays the one on screen.
    void FrameListChanged();

    // Edit > Fill from previous frame (Ctrl+D): while the commentary is edited, each empty field
    // of the inspection (not of the defect) takes the text of the nearest earlier frame whose
    // commentary describes one. Nothing changes without such a frame.
    void FillFromEarlierFrame();

    // What printing reads: the full path of the frame shown, and the rectangle (client pixels
    // at 96 dpi, computed when the window opened) and current text of commentary field `index`
    // (field order), as they are on screen.
    const std::u16string& ShownFramePath() const { return shownFramePath_; }
    FieldRect CommentaryFieldRect(int index) const { return commentaryFields_[index].rect; }
    std::u16string CommentaryFieldText(int index) const;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    struct CommentaryField {
        HWND edit = nullptr;
        FieldRect rect = {};  // at 96 dpi
        uint16_t maxLength = 0;
    };

    // Takes down what the shown mode built and builds what the requested mode needs; false,
    // with the editor left as it was, when the edited commentary could not be saved.
    bool ApplyDisplayMode();
    void KeepEditing();
    // Makes the frame on screen the current one of the list, wherever it now stands in it.
    void FollowShownFrame();
    void FocusEditor();
    void EndSession();
    void AttachLanguageMenu(LanguageId language);
    void TakeDownFrameView();
    void BuildFrameView();
    // The commentary labels in the current texts at their places: made the first time, then
    // given the texts of a new language.
    void LabelCommentary();
    HWND MakeLabel(const std::u16string& text, const RECT& place, HFONT font);
    CommentaryTexts FieldTexts() const;
    void ReportUnsavedCommentary(const std::u16string& path);
    void ReportUnreadableCommentary();
    void SetUpFields();
    void SetUpScrollBar();
    void CreatePrevNextLabels();
    // The fonts, and where everything in the window stands, at scale_.
    void MakeFonts();
    void PlaceControls();
    void OnDpiChanged(int dpi, const RECT& suggested);
    // Screen readers name a field by the label just before it in the window order, and read in
    // that order: title and picture, then each label before its field, in field order.
    void OrderForScreenReaders();
    void PaintWindow();
    void OnBrowse(int code);
    // The keys the window takes itself (Tab, Ctrl+Page Down/Up) and those its fields pass on.
    bool OnKey(WPARAM key);
    void OnFieldKey(FieldKey key, HWND field);
    void FocusField(int index);
    int FieldIndex(HWND field) const;
    bool IsModifierKey(WPARAM key) const { return key == VK_SHIFT || key == VK_CONTROL; }
    bool FrameOnScreen() const {
        return shownMode_ == DisplayMode::FrameView || shownMode_ == DisplayMode::CommentaryEdit;
    }

    bool sessionEnded_ = false;                   // the program's files are saved for good
    MainWindowHost& host_;
    FrameList& frames_;
    MainWindowOptions options_;
    DisplayMode mode_ = DisplayMode::Empty;       // requested
    DisplayMode shownMode_ = DisplayMode::Empty;  // built on screen
    std::u16string shownFramePath_;               // while a frame is on screen
    CommentaryState commentaryState_ = CommentaryState::Missing;  // of the frame on screen
    std::u16string settingsFileName_;             // the settings file last chosen, without folder
    StatusLine statusLine_;
    PictureWindow picture_;                       // while a frame is on screen
    HWND titleLabel_ = nullptr;                   // the frame's path; hidden without a frame
    std::array<HWND, kLabelCount> commentaryLabels_ = {};
    HWND lastFocusedField_ = nullptr;             // where the focus goes back to while editing
    HWND nextLabel_ = nullptr;
    HWND prevLabel_ = nullptr;
    HWND scrollBar_ = nullptr;
    std::array<CommentaryField, kFieldCount> commentaryFields_;
    double scale_ = 1;                            // of the layout, for the monitor the window is on
    double scrollBarWidth_ = 0;                   // the scroll bar at 96 dpi, as its template makes it
    double scrollBarHeight_ = 0;
    HICON icon_;
    ui::BrushHolder backgroundBrush_;
};
