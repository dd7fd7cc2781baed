// View > Frames and Edit > Frames: the open-file dialog, the frame's place in the list, and the
// display mode.
#include "frames/frame_commands.h"

#include <windows.h>

#include "core/messages.h"
#include "core/text_format.h"
#include "frames/frame_choice.h"
#include "mainwnd/main_window.h"
#include "ui/file_dialog.h"
#include "ui/wide.h"

namespace {

// The frames folder as a full path: the configured one is usually relative ("FRAMES\"),
// while the dialog gives full paths.
std::u16string FullFolder(const std::u16string& folder) {
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(W(folder), 32768, full, nullptr);
    return n > 0 && n < 32768 ? U(full) : folder;
}

bool ChooseFrameFile(const MainWindow& main, const FrameList& frames, ui::ChosenFile* chosen) {
    ui::OpenFileRequest request;
    request.owner = main.hwnd();
    request.filter = CurrentTexts[kMsgFrameFilter];
    request.defaultExtension = u"PNG";
    request.initialFolder = frames.Folder;
    return ui::ChooseFileToOpen(request, chosen);
}

// The chosen file's index in the frame list. A file that came into the frames folder after
// the list was read is found after reading it again; a file that is not a frame of the
// frames folder is said so, and -1 changes nothing.
int FindFrame(MainWindow& main, FrameList& frames, const ui::ChosenFile& chosen, NameComparison comparison) {
    const std::u16string folder = FullFolder(frames.Folder);
    int index = FindChosenFrame(frames.Names, folder, chosen.path, comparison);
    if (index < 0 && SameText(FolderOf(chosen.path), folder, NameComparison::IgnoreCaseAToZ)) {
        frames.Rebuild();
        main.FrameListChanged();
        index = FindChosenFrame(frames.Names, folder, chosen.path, comparison);
    }
    if (index < 0) {
        std::u16string text = FormatText(CurrentTexts[kMsgNotAFrame], {chosen.path, folder});
        MessageBoxW(main.hwnd(), W(text), W(CurrentTexts[kMsgWarning]), MB_OK | MB_ICONWARNING);
    }
    return index;
}

}  // namespace

void ViewFrames(MainWindow& main, FrameList& frames) {
    ui::ChosenFile chosen;
    if (!ChooseFrameFile(main, frames, &chosen)) return;
    const int index = FindFrame(main, frames, chosen, NameComparison::Exact);
    if (index >= 0) main.ShowFrame(index, DisplayMode::FrameView);
}

void EditFrameCommentary(MainWindow& main, FrameList& frames) {
    if (main.RequestedMode() == DisplayMode::FrameView) {
        main.SetMode(DisplayMode::CommentaryEdit);
        return;
    }
    ui::ChosenFile chosen;
    if (!ChooseFrameFile(main, frames, &chosen)) return;
    const int index = FindFrame(main, frames, chosen, NameComparison::IgnoreCaseAToZ);
    if (index >= 0) main.ShowFrame(index, DisplayMode::FrameView);
}
