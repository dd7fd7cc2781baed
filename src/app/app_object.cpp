// The application: start-up, the message loop and the shut-down.
#include "app/app_object.h"

#include <windows.h>

#include "app/commands.h"
#include "app/device_address.h"
#include "app/language_dialog.h"
#include "core/app_state.h"
#include "core/config.h"
#include "core/log.h"
#include "core/messages.h"
#include "mainwnd/main_window.h"
#include "net/socket_setup.h"
#include "res/resource.h"
#include "sys/cp1251.h"
#include "sys/sys.h"
#include "ui/gdiplus_holders.h"
#include "ui/message_box.h"
#include "ui/program_end.h"
#include "ui/transfer_wait.h"
#include "ui/wide.h"
#include "ui/window.h"

AppState App;

namespace {

constexpr size_t kProgramHeapSize = 8000000;
constexpr int kExitMainWindowFailed = 1004;

// The main window cannot be made: a fault of the build or the system, said in plain words.
const char16_t* const kNoMainWindowText[kLanguageCount] = {
    u"Не удалось создать главное окно программы.",
    u"The program's main window cannot be created.",
    u"Programin ana penceresi olusturulamadi.",
};

bool g_shutDown = false;

// Saves what the program keeps and writes its last log lines: once, at the end of the message
// loop or when Windows' session ends, whichever comes first. Nothing is logged after it. The
// network is released only at the very end: a transfer may still be giving up meanwhile.
void ShutDown() {
    if (g_shutDown) return;
    g_shutDown = true;
    if (App.ConfigChanged == 1) {
        App.ConfigChanged = 0;
        WriteConfiguration(App);
    }
    WriteLog("\r\n");
    WriteLog("Stop Pelorin\r\n\r\n");
    CloseLog();
}

// A close that came while a transfer ran is acted on now that nothing runs; after the
// session's end there is nothing left to do.
void CloseIfRemembered(MainWindow& main) {
    if (ui::TakeRememberedClose() && !ui::QuitPosted()) main.Close();
}

// What the main window asks of the application.
class Host : public MainWindowHost {
public:
    MainWindow* main = nullptr;
    bool RunCommand(UINT id) override {
        // A transfer serves only painting, timers and sent messages while it waits, so menus and
        // accelerators cannot fire then; a command another program sends meanwhile (or posts,
        // for a dialog of the transfer to pass on) is dropped rather than run inside it.
        if (ui::ServingInsideTransfer() || ui::Busy() || !main) return true;
        const bool known = ::RunCommand(id, *main);
        CloseIfRemembered(*main);
        return known;
    }
    DeviceLink CurrentLink() const override { return CurrentDeviceLink(); }
    void AdoptDeviceAddress(uint32_t ip) override { SetDeviceAddress(ip, AddressSource::StartupSearch); }
    void SessionEnding() override { ShutDown(); }
};

}  // namespace

int RunApplication(HINSTANCE instance) {
    App.ConfigChanged = 0;
    App.StartupSearchFlag = 0;
    App.CurrentLanguage = 0;
    App.DeviceIp = 0xC0A80064;  // 192.168.0.100
    sys::CreateProgramHeap(kProgramHeapSize);
    ui::Window::RegisterWindowClass(instance, L"Output", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                    static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));

    Settings settings;
    switch (ReadConfiguration(&settings)) {
        case kConfigRead:
            static_cast<Settings&>(App) = settings;
            SetDeviceAddress(settings.DeviceIp, AddressSource::Configuration);
            SetLogFolder(settings.LogPath);
            break;
        case kConfigNotOpened:
            // No language is chosen yet, so this one is always in Russian.
            MessageBoxW(nullptr, L"Файл конфигурации не открыт!\nВыход из программы.", ui::kAppName,
                        MB_OK | MB_ICONWARNING);
            return 1;
        case kConfigNoMemory:
            return 1;
    }
    SelectLanguage(App.CurrentLanguage);

    // Shut down after every window that draws with it is gone, on every way out.
    const ui::GdiplusSession gdiplus;

    int network = StartTransferSocket(&App.TransferSocket);
    if (network != kNetworkStarted) {
        std::u16string report = FatalNetworkReport(network);
        MessageBoxW(nullptr, W(report), W(CurrentTexts[kMsgError]), MB_OK);
        WriteLog(sys::ToAnsi(report).c_str());
        return network;
    }

    WriteLog("\r\n");
    WriteLog("Start Pelorin\r\n\r\n");
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    App.Frames.Folder = App.FramesPath;
    App.Frames.Rebuild();
    App.Frames.CurrentFrameIndex = 0;

    Host host;
    MainWindowOptions options;
    options.backgroundColor = App.BackgroundColor;
    options.foregroundColor = App.ForegroundColor;
    options.startupSearch = App.StartupSearchFlag == 1;
    options.language = App.CurrentLanguage;
    MainWindow mainWindow(host, App.Frames, options);
    host.main = &mainWindow;
    if (!mainWindow.CreateModeless(nullptr)) {
        const char16_t* text = kNoMainWindowText[App.CurrentLanguage < kLanguageCount ? App.CurrentLanguage : 0];
        WriteLog((ToCp1251(kNoMainWindowText[0]) + "\r\n").c_str());
        MessageBoxW(nullptr, W(text), W(CurrentTexts[kMsgError]), MB_OK | MB_ICONERROR);
        ShutDown();
        sys::NetStop();
        return kExitMainWindowFailed;
    }
    // A close during the start-up search.
    CloseIfRemembered(mainWindow);

    MSG message;
    // GetMessage gives 0 for the quit message and -1 when it fails; both end the loop. A quit
    // that a system dialog's own loop took (and did not post again) ends it too.
    while (!ui::QuitPosted() || PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
        // An accelerator's command goes to the message's own window: with the keyboard focus in
        // a commentary field, a function key's command goes to the field, which ignores it (the
        // field passes on the keys of its own, Ctrl+D and the browsing keys).
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    host.main = nullptr;
    ShutDown();
    sys::NetStop();
    return 0;
}
