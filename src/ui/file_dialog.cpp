// The standard open-file dialog.
#include "ui/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "ui/wide.h"

namespace ui {

bool ChooseFileToOpen(const OpenFileRequest& request, ChosenFile* chosen) {
    // The dialog wants "description\0pattern\0\0".
    std::u16string filter = request.filter;
    for (char16_t& c : filter)
        if (c == u'|') c = u'\0';
    filter.push_back(u'\0');
    filter.push_back(u'\0');

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
