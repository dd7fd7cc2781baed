// The standard open-file and save dialogs.
#include "ui/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/wide.h"

namespace ui {
namespace {

// The dialog wants "description\0pattern\0\0".
std::u16string DialogFilter(const std::u16string& filter) {
    std::u16string dialog = filter;
    for (char16_t& c : dialog)
        if (c == u'|') c = u'\0';
    dialog.push_back(u'\0');
    dialog.push_back(u'\0');
    return dialog;
}

}  // namespace

bool ChooseFileToSave(const SaveFileRequest& request, std::u16string* path) {
    const std::u16string filter = DialogFilter(request.filter);
    const size_t slash = request.proposedPath.find_last_of(u"\\/");
    const std::u16string folder = slash == std::u16string::npos ? std::u16string() : request.proposedPath.substr(0, slash + 1);
    const std::u16string name = request.proposedPath.substr(slash == std::u16string::npos ? 0 : slash + 1);
    std::vector<wchar_t> file(32768, L'\0');
    std::copy(name.begin(), name.begin() + std::min(name.size(), file.size() - 1), file.begin());
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = W(filter);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : W(folder);
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : W(request.defaultExtension);
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT |
                OFN_PATHMUSTEXIST | OFN_NONETWORKBUTTON;
    if (!GetSaveFileNameW(&ofn)) return false;
    *path = U(file.data());
    return true;
}

bool ChooseFileToOpen(const OpenFileRequest& request, ChosenFile* chosen) {
    const std::u16string filter = DialogFilter(request.filter);

    std::u16string folder;
    if (!request.initialFolder.empty()) {
        wchar_t full[MAX_PATH * 4] = {};
        DWORD n = GetFullPathNameW(W(request.initialFolder), MAX_PATH * 4, full, nullptr);
        folder = n > 0 && n < MAX_PATH * 4 ? U(full) : request.initialFolder;
    }

    // Room for any path the system allows, not only MAX_PATH.
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = W(filter);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : W(folder);
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : W(request.defaultExtension);
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NONETWORKBUTTON | OFN_NOCHANGEDIR |
                OFN_SHAREAWARE;
    if (!GetOpenFileNameW(&ofn)) return false;
    chosen->path = U(file.data());
    chosen->name = chosen->path.substr(ofn.nFileOffset < chosen->path.size() ? ofn.nFileOffset : 0);
    return true;
}

}  // namespace ui
