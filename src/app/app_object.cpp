// The application: start-up, the message loop, the command table and the shut-down.
#include "app/app_object.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "app/about_dialog.h"
#include "core/app_state.h"
#include "core/config.h"
#include "app/language_dialog.h"
#include "core/log.h"
#include "core/messages.h"
#include "frames/frame_commands.h"
#include "frames/frame_print.h"
#include "frames/read_frames_dlg.h"
#include "mainwnd/main_window.h"
#include "mainwnd/settings_view.h"
#include "net/socket_setup.h"
#include "res/resource.h"
#include "settings/ip_address_dialog.h"
#include "settings/read_settings_dialog.h"
#include "settings/write_defaults.h"
#include "sys/cp1251.h"
#include "sys/sys.h"
#include "ui/message_box.h"
#include "ui/wide.h"
#include "ui/window.h"

namespace {

constexpr size_t kProgramHeapSize = 8000000;
constexpr int kExitMainWindowFailed = 1004;

MainWindow* g_mainWindow = nullptr;

// The main window cannot be made: a fault of the build or the system, said in plain words.
const char16_t* const kNoMainWindowText[kLanguageCount] = {
    u"Не удалось создать главное окно программы.",
    u"The program's main window cannot be created.",
    u"Programin ana penceresi olusturulamadi.",
};

void ExitCommand() { TheMainWindow()->Close(); }
void ViewFramesCommand() { ViewFrames(TheMainWindow()); }
void EditFramesCommand() { EditFrameCommentary(TheMainWindow()); }

void ViewSettings() { ViewSettingsCommand(*TheMainWindow()); }
void SetIpAddress() { SetIpAddressCommand(TheMainWindow()->hwnd()); }
void ReadSettings() { ReadSettingsCommand(TheMainWindow()->hwnd()); }
void WriteDefaultSettings() { WriteDefaultSettingsCommand(TheMainWindow()->hwnd()); }
void PrintFrameCommand() { PrintCommand(*TheMainWindow()); }

// Read > Frames. Whether it ended by OK or Cancel, the frames folder may hold new frames.
void ReadFramesCommand() {
    MainWindow* main = TheMainWindow();
    {
        CReadFramesDlg dialog;
        dialog.RunModal(main->hwnd());
    }
    App.Frames.Rebuild(App.FramesPath);
    main->FrameListChanged();
}

struct Command {
    UINT id;
    void (*run)();
};

// In the order the menus offer them. Write > Settings... (32780) has no handler.
const Command kCommandTable[] = {
    {ID_EXIT, ExitCommand},
    {ID_VIEW_FRAMES, ViewFramesCommand},
    {ID_VIEW_SETTINGS, ViewSettings},
    {ID_READ_FRAMES, ReadFramesCommand},
    {ID_EDIT_FRAMES, EditFramesCommand},
    {ID_SET_IP_ADDRESS, SetIpAddress},
    {ID_READ_SETTINGS, ReadSettings},
    {ID_WRITE_DEFAULT_SETTINGS, WriteDefaultSettings},
    {ID_SELECT_LANGUAGE, SelectLanguageCommand},
    {ID_ABOUT, AboutCommand},
    {ID_PRINT, PrintFrameCommand},
};

void ShutDown(ULONG_PTR gdiplusToken) {
    sys::NetStop();
    if (App.ConfigChanged == 1) {
        App.ConfigChanged = 0;
        WriteConfiguration();
    }
    WriteLog("\r\n");
    WriteLog("Stop Pelorin\r\n\r\n");
    Gdiplus::GdiplusShutdown(gdiplusToken);
}

}  // namespace

MainWindow* TheMainWindow() { return g_mainWindow; }

bool RunCommand(UINT id) {
    for (const Command& command : kCommandTable) {
        if (command.id == id) {
            command.run();
            return true;
        }
    }
    return false;
}

int RunApplication(HINSTANCE instance) {
    App.ConfigChanged = 0;
    App.StartupSearchFlag = 0;
    App.CurrentLanguage = 0;
    App.DeviceIp = 0xC0A80064;  // 192.168.0.100
    sys::CreateProgramHeap(kProgramHeapSize);
    ui::Window::RegisterWindowClass(instance, L"Output", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                    static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));

    switch (ReadConfiguration()) {
        case kConfigRead:
            break;
        case kConfigNotOpened:
            // No language is chosen yet, so this one is always in Russian.
            MessageBoxW(nullptr, L"Файл конфигурации не открыт!\nВыход из программы.", ui::kAppName,
                        MB_OK | MB_ICONWARNING);
            return 1;
        case kConfigNoMemory:
            return 1;
    }
    SelectLanguageTexts(App.CurrentLanguage);

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    int network = StartTransferSocket(&App.TransferSocket, &App.TransferPeer);
    if (network != kNetworkStarted) {
        std::u16string report = FatalNetworkReport(network);
        MessageBoxW(nullptr, W(report), W(CurrentTexts[kMsgError]), MB_OK);
        WriteLog(sys::ToAnsi(report).c_str());
        return network;
    }

    WriteLog("\r\n");
    WriteLog("Start Pelorin\r\n\r\n");
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    App.Frames.Rebuild(App.FramesPath);
    App.Frames.CurrentFrameIndex = 0;

    MainWindow mainWindow(RunCommand);
    g_mainWindow = &mainWindow;
    if (!mainWindow.CreateModeless(nullptr)) {
        const char16_t* text = kNoMainWindowText[App.CurrentLanguage < kLanguageCount ? App.CurrentLanguage : 0];
        WriteLog((ToCp1251(kNoMainWindowText[0]) + "\r\n").c_str());
        MessageBoxW(nullptr, W(text), W(CurrentTexts[kMsgError]), MB_OK | MB_ICONERROR);
        ShutDown(gdiplusToken);
        return kExitMainWindowFailed;
    }

    MSG message;
    // GetMessage gives 0 for the quit message and -1 when it fails; both end the loop.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    g_mainWindow = nullptr;
    ShutDown(gdiplusToken);
    return 0;
}
