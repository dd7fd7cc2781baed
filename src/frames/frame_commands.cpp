// View > Frames and Edit > Frames: the open-file dialog, the frame's place in the list, and the
// display mode.
#include "frames/frame_commands.h"

#include <windows.h>

#include "core/app_state.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "frames/frame_choice.h"
#include "mainwnd/main_window.h"
#include "ui/file_dialog.h"
#include "ui/wide.h"

namespace {

// The frames folder as a full path: the configured one is usually relative ("FRAMES\"),
// while the dialog gives full paths.
std::u16string FullFramesFolder() {
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(W(App.FramesPath), 32768, full, nullptr);
    return n > 0 && n < 32768 ? U(full) : App.FramesPath;
}

bool ChooseFrameFile(MainWindow* main, ui::ChosenFile* chosen) {
    ui::OpenFileRequest request;
    request.owner = main->hwnd();
    request.filter = CurrentTexts[kMsgFrameFilter];
    request.defaultExtension = u"PNG";
    request.initialFolder = App.FramesPath;
    return ui::ChooseFileToOpen(request, chosen);
}

// The chosen file's index in the frame list. A file that came into the frames folder after
// the list was read is found after reading it again; a file that is not a frame of the
// frames folder is said so, and -1 changes nothing.
int FindFrame(MainWindow* main, const ui::ChosenFile& chosen, NameComparison comparison) {
    const std::u16string folder = FullFramesFolder();
    int index = FindChosenFrame(App.Frames.Names, folder, chosen.path, comparison);
    if (index < 0 && SameText(FolderOf(chosen.path), folder, NameComparison::IgnoreCaseAToZ)) {
        App.Frames.Rebuild(App.FramesPath);
        main->FrameListChanged();
        index = FindChosenFrame(App.Frames.Names, folder, chosen.path, comparison);
    }
    if (index < 0) {
        std::u16string text = FormatText(CurrentTexts[kMsgNotAFrame], {chosen.path, folder});
        MessageBoxW(main->hwnd(), W(text), W(CurrentTexts[kMsgWarning]), MB_OK | MB_ICONWARNING);
    }
    return index;
}

void ShowFrame(MainWindow* main, int index, DisplayMode mode) {
    App.Frames.CurrentFrameIndex = index;
    if (App.Frames.FrameCount() != 0) SendMessageW(main->hwnd(), UM_SETMODE, mode, 0);
}

}  // namespace

void ViewFrames(MainWindow* main) {
    ui::ChosenFile chosen;
    if (!ChooseFrameFile(main, &chosen)) return;
    const int index = FindFrame(main, chosen, NameComparison::Exact);
    if (index < 0) return;
    main->ShownFramePath = App.FramesPath + chosen.name;
    ShowFrame(main, index, FrameView);
}

void EditFrameCommentary(MainWindow* main) {
    if (main->RequestedMode() == FrameView) {
        SendMessageW(main->hwnd(), UM_SETMODE, CommentaryEdit, 0);
        return;
    }
    ui::ChosenFile chosen;
    if (!ChooseFrameFile(main, &chosen)) return;
    const int index = FindFrame(main, chosen, NameComparison::IgnoreCaseAToZ);
    if (index < 0) return;
    main->ShownFramePath = chosen.path;
    ShowFrame(main, index, FrameView);
}
