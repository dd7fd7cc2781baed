// The standard open-file and save dialogs, as the program's commands ask for a file.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct OpenFileRequest {
    HWND owner = nullptr;
    // Description and pattern separated by "|", as the message table holds them:
    // "Frame files (*.png)|*.png".
    std::u16string filter;
    // Appended to a typed name without extension ("PNG").
    std::u16string defaultExtension;
    // Where the dialog starts; empty for the dialog's own choice. A relative folder is taken
    // from the current directory.
    std::u16string initialFolder;
};

struct ChosenFile {
    std::u16string path;  // full path, as the dialog gives it
    std::u16string name;  // name and extension, without the folder
};

// Shows the dialog (read-only box hidden, no network button, the current directory left as it
// is, share-aware). True with the chosen file on OK; false on Cancel or when the dialog failed.
bool ChooseFileToOpen(const OpenFileRequest& request, ChosenFile* chosen);

struct SaveFileRequest {
    HWND owner = nullptr;
    std::u16string filter;            // as for OpenFileRequest
    std::u16string defaultExtension;  // appended to a name typed without one ("csv")
    std::u16string proposedPath;      // the file offered: full path
};

// Shows the standard save dialog: the proposed file in its folder, asks before replacing a file
// that is there, the current directory left as it is. True with the chosen full path on OK;
// false on Cancel or when the dialog failed.
bool ChooseFileToSave(const SaveFileRequest& request, std::u16string* path);

}  // namespace ui
