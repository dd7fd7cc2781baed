// The program's one top-level window: a modeless dialog with the menu, the frame and its
// commentary fields, the connection status line and, at start-up, the detector search.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "mainwnd/commentary_file.h"
#include "mainwnd/field_layout.h"
#include "mainwnd/message_wnd.h"
#include "mainwnd/picture_window.h"
#include "sys/sys_net.h"
#include "ui/dialog.h"

enum DisplayMode : uint8_t {
    Empty = 0,
    Settings = 1,
    FrameView = 2,
    CommentaryEdit = 3,
};

// wParam: the DisplayMode to show.
constexpr UINT UM_SETMODE = WM_USER + 1;

// Fonts of the main window's fields and labels, made when it opens, kept for the whole run.
extern HFONT RegularFont;
extern HFONT BoldFont;

// Runs a menu or accelerator command that the window does not handle itself; false when no
// handler knows it. The application passes its command table in.
using CommandHandler = bool (*)(UINT id);

class MainWindow : public ui::Dialog {
public:
    explicit MainWindow(CommandHandler runCommand);
    ~MainWindow() override;

    uint8_t RequestedMode() const { return mode_; }
    void SetRequestedMode(uint8_t mode) { mode_ = mode; }
    // Takes down what the shown mode built and builds what the requested mode needs.
    virtual void ApplyDisplayMode();

    // Ends the program as Exit does: mode 0 first, so that nothing open is lost, then the
    // window goes and the message loop ends.
    void Close();

    // After the language changed: caption, prev/next labels, menu, status line and the
    // current display mode in the new texts.
    void ShowNewLanguage();

    // The rectangle (client pixels, computed when the window opened) and the current text of
    // commentary field `index` (field order), as they are on screen: printing reads them.
    FieldRect CommentaryFieldRect(int index) const { return CommentaryFields[index].rect; }
    std::u16string CommentaryFieldText(int index) const;

    // After the frame list was read anew (Read > Frames): the scroll bar's range follows the
    // new count, and the current frame stays the one on screen.
    void FrameListChanged();

    std::u16string ShownFramePath;    // full path of the frame shown
    std::u16string SettingsFileName;  // settings file last chosen, without folder

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    struct CommentaryField {
        HWND edit = nullptr;
        FieldRect rect = {};
        uint16_t maxLength = 0;
    };

    void AttachLanguageMenu();
    void TakeDownFrameView();
    void BuildFrameView(bool editable);
    HWND MakeLabel(const std::u16string& text, int left, int top, int width, HFONT font);
    CommentaryTexts FieldTexts() const;
    void ReportUnsavedCommentary(const std::u16string& path);
    void LayOutFields();
    void CreatePrevNextLabels();
    void RunStartupSearch();
    void StartStatus();
    void ProbeStatus();
    void InvalidateStatusStrip();
    void PaintWindow();
    void OnBrowse(int code);
    bool IsModifierKey(WPARAM key) const { return key == VK_SHIFT || key == VK_CONTROL; }

    CommandHandler runCommand_;
    uint8_t mode_ = Empty;       // requested
    uint8_t shownMode_ = Empty;  // built on screen
    int ConnectionStatus = 0;    // 1: the detector answered the last probe
    UINT_PTR statusTimer_ = 0;
    sys::Endpoint ProbeAddress;
    PictureWindow picture_;            // while a frame is on screen
    HWND titleLabel_ = nullptr;        // the frame's path, while a frame is on screen
    std::array<HWND, kLabelCount> commentaryLabels_ = {};
    HWND lastFocusedField_ = nullptr;  // where the focus goes back to while editing
    HWND nextLabel_ = nullptr;
    HWND prevLabel_ = nullptr;
    HWND scrollBar_ = nullptr;
    std::array<CommentaryField, kFieldCount> CommentaryFields;
    CMessageWnd messageWnd_;
    HICON icon_;
    HBRUSH backgroundBrush_ = nullptr;
};
