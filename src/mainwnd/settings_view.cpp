// View > Settings.
#include "mainwnd/settings_view.h"

#include "core/messages.h"
#include "core/text_format.h"
#include "mainwnd/main_window.h"
#include "sys/sys.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/wide.h"

void ViewSettingsCommand(MainWindow& main) {
    ui::OpenFileRequest request;
    request.owner = main.hwnd();
    request.filter = CurrentTexts[kMsgSettingsFilter];
    // A name typed without extension is looked for as ".DAT", as the command always did.
    request.defaultExtension = u"DAT";
    ui::ChosenFile chosen;
    if (!ui::ChooseFileToOpen(request, &chosen)) return;

    // The file is only looked at: can it be opened?
    if (!sys::OpenFile(chosen.path, sys::OpenMode::Read)) {
        ui::AppMessageBox(main.hwnd(), W(FormatText(CurrentTexts[kMsgFileOpenError], {chosen.path})),
                          MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    main.ShowSettings(chosen.name);
}
