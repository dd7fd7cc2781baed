// The command table. Each entry takes what its subsystem needs from the program-wide state and
// passes it on; nothing below reads that state itself.
#include "app/commands.h"

#include "app/about_dialog.h"
#include "app/device_address.h"
#include "app/language_dialog.h"
#include "core/app_state.h"
#include "frames/frame_commands.h"
#include "frames/frame_print.h"
#include "frames/journal_dialog.h"
#include "frames/read_frames_dialog.h"
#include "mainwnd/main_window.h"
#include "mainwnd/settings_view.h"
#include "res/resource.h"
#include "settings/ip_address_dialog.h"
#include "settings/read_settings_dialog.h"
#include "settings/write_defaults.h"
#include "ui/program_end.h"

namespace {

void Exit(MainWindow& main) { main.Close(); }
void ViewFramesCommand(MainWindow& main) { ViewFrames(main, App.Frames); }
void EditFramesCommand(MainWindow& main) { EditFrameCommentary(main, App.Frames); }
void ViewSettings(MainWindow& main) { ViewSettingsCommand(main); }
// The transfers: a close that comes meanwhile waits for the file under way (ui/program_end.h).
void ReadSettings(MainWindow& main) {
    const ui::BusyScope busy;
    ReadSettingsCommand(main.hwnd(), CurrentDeviceLink(), App.Frames.Folder);
}
void WriteDefaultSettings(MainWindow& main) {
    const ui::BusyScope busy;
    WriteDefaultSettingsCommand(main.hwnd(), CurrentDeviceLink());
}
void Print(MainWindow& main) { PrintCommand(main, App.CurrentLanguage); }
void FillFromPreviousFrame(MainWindow& main) { main.FillFromEarlierFrame(); }
void Journal(MainWindow& main) { JournalCommand(main, App.Frames, App.Journal, App.CurrentLanguage); }

// Read > Frames. Whether it ended by OK or Cancel, the frames folder may hold new frames.
void ReadFrames(MainWindow& main) {
    {
        const ui::BusyScope busy;
        CReadFramesDlg dialog(CurrentDeviceLink(), App.Frames.Folder);
        dialog.RunModal(main.hwnd());
    }
    App.Frames.Rebuild();
    main.FrameListChanged();
}

void SetIpAddress(MainWindow& main) {
    uint32_t address = App.DeviceIp;
    if (AskDeviceAddress(main.hwnd(), &address)) SetDeviceAddress(address, AddressSource::AddressDialog);
}

struct Command {
    UINT id;
    void (*run)(MainWindow& main);
};

// In the order the menus offer them. Write > Settings... (32780) has no handler.
const Command kCommandTable[] = {
    {ID_EXIT, Exit},
    {ID_VIEW_FRAMES, ViewFramesCommand},
    {ID_VIEW_JOURNAL, Journal},
    {ID_VIEW_SETTINGS, ViewSettings},
    {ID_READ_FRAMES, ReadFrames},
    {ID_EDIT_FRAMES, EditFramesCommand},
    {ID_SET_IP_ADDRESS, SetIpAddress},
    {ID_READ_SETTINGS, ReadSettings},
    {ID_WRITE_DEFAULT_SETTINGS, WriteDefaultSettings},
    {ID_SELECT_LANGUAGE, SelectLanguageCommand},
    {ID_ABOUT, AboutCommand},
    {ID_PRINT, Print},
    {ID_FILL_FROM_PREVIOUS, FillFromPreviousFrame},
};

}  // namespace

bool RunCommand(UINT id, MainWindow& main) {
    for (const Command& command : kCommandTable) {
        if (command.id == id) {
            command.run(main);
            return true;
        }
    }
    return false;
}
