// View > Frames and Edit > Frames: the open-file dialog, the frame's place in the list, and the
// display mode.
#include "frames/frame_commands.h"

#include <windows.h>

#include <vector>

#include "core/messages.h"
#include "core/text_format.h"
#include "frames/frame_choice.h"
#include "mainwnd/main_window.h"
#include "ui/file_dialog.h"
#include "ui/wide.h"

namespace {

// A folder as the file system names it: full (the configured one is usually relative,
// "FRAMES\", while the dialog gives full paths) and in its long form (the dialog may give a
// short 8.3 one).
std::u16string LongFullFolder(const std::u16string& folder) {
    constexpr DWORD kLongest = 32768;
    std::vector<wchar_t> full(kLongest), longer(kLongest);
    DWORD n = GetFullPathNameW(W(folder), kLongest, full.data(), nullptr);
    if (n == 0 || n >= kLongest) return folder;
    n = GetLongPathNameW(full.data(), longer.data(), kLongest);
    return n > 0 && n < kLongest ? U(longer.data()) : U(full.data());
}

// The same folder to Windows: file names compare ordinally, without regard to the case of any
// letter (Cyrillic ones included).
bool SameFolder(const std::u16string& a, const std::u16string& b) {
    return CompareStringOrdinal(W(a), static_cast<int>(a.size()), W(b), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
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
    const std::u16string folder = LongFullFolder(frames.Folder);
    const std::u16string chosenFolder = FolderOf(chosen.path);
    int index = -1;
    if (SameFolder(LongFullFolder(chosenFolder), folder)) {
        const std::u16string name = chosen.path.substr(chosenFolder.size());
        index = FindFrameName(frames.Names, name, comparison);
        if (index < 0) {
            frames.Rebuild();
            main.FrameListChanged();
            index = FindFrameName(frames.Names, name, comparison);
        }
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
