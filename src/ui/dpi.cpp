// The screen's scale as Windows gives it.
#include "ui/dpi.h"

#include <initializer_list>

namespace ui {

namespace {

// The per-monitor awareness contexts (DPI_AWARENESS_CONTEXT values of windef.h, Windows 10).
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(-4);
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(-3);
constexpr int kProcessPerMonitorDpiAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE, Windows 8.1
constexpr DWORD kDialogDisableAll = 1;        // DDC_DISABLE_ALL, Windows 10 1703

using SetAwarenessContext = BOOL(WINAPI*)(HANDLE);
using SetProcessAwareness = HRESULT(WINAPI*)(int);
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using SetDialogDpiBehavior = BOOL(WINAPI*)(HWND, DWORD, DWORD);

template <typename Call>
Call Find(const wchar_t* module, const char* name) {
    HMODULE loaded = GetModuleHandleW(module);
    if (!loaded) loaded = LoadLibraryW(module);
    return loaded ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(loaded, name))) : nullptr;
}

RECT WorkAreaOfMonitor(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

void DeclareDpiAwareness() {
    // Refused as already set (the manifest said it): nothing further to try.
    if (auto set = Find<SetAwarenessContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        for (HANDLE context : {kPerMonitorAwareV2, kPerMonitorAware}) {
            if (set(context) || GetLastError() == ERROR_ACCESS_DENIED) return;
        }
    }
    if (auto set = Find<SetProcessAwareness>(L"shcore.dll", "SetProcessDpiAwareness")) {
        const HRESULT result = set(kProcessPerMonitorDpiAware);
        if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
    }
    SetProcessDPIAware();
}

int WindowDpi(HWND window) {
    static const auto forWindow = Find<GetDpiForWindowCall>(L"user32.dll", "GetDpiForWindow");
    if (forWindow && window) {
        const UINT dpi = forWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    const WindowDC dc(window);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

RECT WorkAreaOf(HWND window) { return WorkAreaOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }

RECT WorkAreaAt(const RECT& place) { return WorkAreaOfMonitor(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST)); }

void LayOutOwnDpiChanges(HWND dialog) {
    static const auto set = Find<SetDialogDpiBehavior>(L"user32.dll", "SetDialogDpiChangeBehavior");
    if (set) set(dialog, kDialogDisableAll, kDialogDisableAll);
}

FontHolder DefaultFontOfSize(int height, int width) {
    LOGFONTW shape = {};
    if (!GetObjectW(GetStockObject(SYSTEM_FONT), sizeof shape, &shape)) return FontHolder();
    if (shape.lfHeight == height && shape.lfWidth == width) return FontHolder();
    shape.lfHeight = height;
    shape.lfWidth = width;
    return FontHolder(CreateFontIndirectW(&shape));
}

}  // namespace ui
