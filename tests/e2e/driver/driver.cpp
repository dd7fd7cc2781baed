// pelorin-driver: drives one program under test like a user, for the end-to-end scenarios.
//
// Runs under Wine beside the program (same wineserver), reads requests on standard input and
// answers each with one JSON line on standard output (protocol.h). The program runs inside a job
// object that kills it when the driver ends, however the driver ends. Every wait has a deadline
// given by the request ("timeout", milliseconds) and polls its condition; nothing waits blindly.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "menu_hook.h"
#include "protocol.h"

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kMessageTimeoutMs = 2000;  // for messages sent to the program's windows
// Texts are asked for with a short wait: while the program is busy (the start-up search), the
// window manager's own copy of the text is the answer.
constexpr UINT kTextTimeoutMs = 250;
constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text

struct Target {
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    DWORD pid = 0;
    DWORD threadId = 0;  // the program's first thread, which runs its windows
};

Target g_target;

// ---- replies

std::string Ok(JsonObject members = JsonObject()) {
    std::string body = members.Text();
    return body == "{}" ? "{\"ok\":true}" : "{\"ok\":true," + body.substr(1);
}

std::string Fail(const std::string& error) {
    return JsonObject().Add("ok", JsonBool(false)).Add("error", JsonString(error)).Text();
}

// Polls the condition until it holds or the time is up; true when it held.
bool PollUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
    const DWORD start = GetTickCount();
    while (true) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

DWORD Timeout(const Request& request, DWORD fallback) {
    long long value = request.NumberOr("timeout", fallback);
    return value < 0 ? 0 : static_cast<DWORD>(value);
}

// ---- windows

std::string HandleText(HWND hwnd) { return JsonNumber(static_cast<long long>(reinterpret_cast<UINT_PTR>(hwnd))); }

bool WindowField(const Request& request, const char* name, HWND* hwnd) {
    long long value;
    if (!request.Number(name, &value)) return false;
    *hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return true;
}

DWORD WindowPid(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// The text the system keeps for the window; no message reaches the window's thread.
std::wstring CaptionOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

// The window's text as the window itself gives it (WM_GETTEXT reaches across processes).
std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length))
        return CaptionOf(hwnd);
    // The text may grow between the two questions: a full buffer is asked again, larger.
    for (int attempt = 0;; ++attempt) {
        std::vector<wchar_t> buffer(length + 2, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                            kTextTimeoutMs, &copied);
        if (copied + 1 < buffer.size() || attempt == 3)
            return std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
        length = length * 2 + 64;
    }
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND hwnd, LPARAM list) -> BOOL {
            if (WindowPid(hwnd) == g_target.pid) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child && found.size() < 1000; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

// Everything the scenarios look at for one window. Rectangles: "rect" on the screen, "client"
// as GetClientRect gives it, "client_origin" the client area's top left on the screen, and
// "in_parent" the window's rectangle in its parent's client coordinates (the screen for a
// top-level window). With `ask` false the text is the one the system keeps for the window, and
// nothing is sent to the program (for a window whose thread is busy).
JsonObject DescribeWindow(HWND hwnd, bool ask = true) {
    RECT rect = {}, client = {}, inParent = {};
    GetWindowRect(hwnd, &rect);
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    HWND parent = GetAncestor(hwnd, GA_PARENT);
    inParent = rect;
    const bool child = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
    if (child && parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inParent), 2);
    return JsonObject()
        .Add("hwnd", HandleText(hwnd))
        .Add("class", JsonString(ClassOf(hwnd)))
        .Add("text", JsonString(ask ? TextOf(hwnd) : CaptionOf(hwnd)))
        .Add("id", JsonNumber(child ? GetDlgCtrlID(hwnd) : 0))
        .Add("visible", JsonBool(IsWindowVisible(hwnd) != FALSE))
        .Add("enabled", JsonBool(IsWindowEnabled(hwnd) != FALSE))
        .Add("style", JsonNumber(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE))))
        .Add("exstyle", JsonNumber(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE))))
        .Add("rect", JsonRect(rect))
        .Add("client", JsonRect(client))
        .Add("client_origin", JsonObject().Add("x", JsonNumber(origin.x)).Add("y", JsonNumber(origin.y)).Text())
        .Add("in_parent", JsonRect(inParent))
        .Add("parent", HandleText(child ? parent : nullptr))
        .Add("owner", HandleText(GetWindow(hwnd, GW_OWNER)))
        .Add("pid", JsonNumber(WindowPid(hwnd)));
}

std::string WindowReply(HWND hwnd) { return Ok(DescribeWindow(hwnd)); }

// A message box, as user32 builds one: a dialog whose children are its text (a static with id
// 0xFFFF), perhaps an icon (a static showing one) and push buttons, and nothing else. The check
// on every child keeps a program dialog with an unnumbered label from passing for one.
bool IsMessageBox(HWND hwnd) {
    if (ClassOf(hwnd) != L"#32770" || !IsWindowVisible(hwnd) || GetMenu(hwnd)) return false;
    bool text = false, icon = false, button = false;
    for (HWND child : DirectChildren(hwnd)) {
        std::wstring name = ClassOf(child);
        LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (name == L"Static" && GetDlgCtrlID(child) == kMessageBoxTextId && !text) text = true;
        else if (name == L"Static" && (style & SS_TYPEMASK) == SS_ICON && !icon) icon = true;
        else if (name == L"Button") button = true;
        else return false;
    }
    return text && button;
}

// A top-level window of the program that fits the request: "class", "title" (whole text),
// "contains" (part of the text), "owner" (a window handle), "msgbox" (1: only message boxes,
// 0: no message boxes); visible ones only unless visible=0.
bool Matches(HWND hwnd, const Request& request) {
    if (request.NumberOr("visible", 1) != 0 && !IsWindowVisible(hwnd)) return false;
    if (request.Has("class") && ClassOf(hwnd) != request.Wide("class")) return false;
    HWND owner;
    if (WindowField(request, "owner", &owner) && GetWindow(hwnd, GW_OWNER) != owner) return false;
    if (request.Has("msgbox") && IsMessageBox(hwnd) != (request.NumberOr("msgbox", 0) != 0)) return false;
    if (request.Has("title") || request.Has("contains")) {
        std::wstring text = TextOf(hwnd);
        if (request.Has("title") && text != request.Wide("title")) return false;
        if (request.Has("contains") && text.find(request.Wide("contains")) == std::wstring::npos) return false;
    }
    return true;
}

HWND FindTopLevel(const Request& request) {
    for (HWND hwnd : TopLevelWindows())
        if (Matches(hwnd, request)) return hwnd;
    return nullptr;
}

// The window keys go to: the focus of the program's window thread, else its active window.
HWND KeyboardTarget() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(g_target.threadId, &info)) return nullptr;
    return info.hwndFocus ? info.hwndFocus : info.hwndActive;
}

// ---- keys

void PostKey(HWND target, UINT vk, bool down) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM lParam = 1 | (static_cast<LPARAM>(scan) << 16);
    if (!down) lParam |= (1u << 30) | (1u << 31);
    PostMessageW(target, down ? WM_KEYDOWN : WM_KEYUP, vk, lParam);
}

bool SendKeyInput(UINT vk) {
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = static_cast<WORD>(vk);
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        inputs[i].ki.dwFlags = i == 1 ? KEYEVENTF_KEYUP : 0;
    }
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

// One key event as the keyboard makes it.
INPUT KeyEvent(UINT vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    // The keys of the block beside the letters, not those of the number pad.
    const UINT extended[] = {VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_INSERT, VK_DELETE};
    for (UINT e : extended)
        if (vk == e) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    if (up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
    return input;
}

// The virtual key of a key's name ("tab", "next", "f4", "d"...); 0 for none.
UINT KeyNamed(const std::string& name) {
    struct Named {
        const char* name;
        UINT vk;
    };
    static const Named keys[] = {
        {"tab", VK_TAB},     {"return", VK_RETURN}, {"escape", VK_ESCAPE}, {"space", VK_SPACE}, {"back", VK_BACK},
        {"delete", VK_DELETE}, {"next", VK_NEXT},   {"prior", VK_PRIOR},   {"home", VK_HOME},   {"end", VK_END},
        {"up", VK_UP},       {"down", VK_DOWN},     {"left", VK_LEFT},     {"right", VK_RIGHT}, {"alt", VK_MENU},
        {"ctrl", VK_CONTROL}, {"shift", VK_SHIFT},
    };
    for (const Named& key : keys)
        if (name == key.name) return key.vk;
    if (name.size() >= 2 && name[0] == 'f' && name.size() <= 3) {
        const int number = std::atoi(name.c_str() + 1);
        if (number >= 1 && number <= 12) return VK_F1 + static_cast<UINT>(number - 1);
    }
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9')))
        return static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
    return 0;
}

// The key events of chords such as "ctrl+next", "shift+tab", "alt+f4" or "alt", separated by
// blanks: each chord's keys pressed in order and released in reverse. False for a name that is
// no key.
bool ChordEvents(const std::string& chords, std::vector<INPUT>* events, std::string* wrong) {
    size_t at = 0;
    while (at < chords.size()) {
        const size_t end = std::min(chords.find(' ', at), chords.size());
        std::vector<UINT> held;
        for (size_t part = at; part < end;) {
            const size_t plus = std::min(chords.find('+', part), end);
            const std::string name = chords.substr(part, plus - part);
            const UINT vk = KeyNamed(name);
            if (!vk) return *wrong = name, false;
            held.push_back(vk);
            part = plus + 1;
        }
        for (UINT vk : held) events->push_back(KeyEvent(vk, false));
        for (auto vk = held.rbegin(); vk != held.rend(); ++vk) events->push_back(KeyEvent(*vk, true));
        at = end + 1;
    }
    return true;
}

// Brings the window that keys would go to (or `hwnd`) to the foreground, so that input from
// the system's queue reaches it; that window, or null when it would not come.
HWND KeyboardWindowInFront(const Request& request, std::string* error) {
    HWND target = nullptr;
    if (!WindowField(request, "hwnd", &target)) target = KeyboardTarget();
    if (!target || !IsWindow(target)) return *error = "no window to send the keys to", nullptr;
    HWND top = GetAncestor(target, GA_ROOT);
    // Asked again while waiting: right after a dialog of the program closes, Wine may still
    // be handing the activation back and take the first request for nothing.
    if (!PollUntil(Timeout(request, 3000), [&] {
            if (GetForegroundWindow() == top) return true;
            SetForegroundWindow(top);
            return false;
        }))
        return *error = "the window did not come to the foreground", nullptr;
    return target;
}

// ---- commands

std::string Hello(const Request&) {
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    return Ok(JsonObject()
                  .Add("acp", JsonNumber(GetACP()))
                  .Add("user_locale", JsonString(std::wstring(locale)))
                  .Add("oemcp", JsonNumber(GetOEMCP()))
                  .Add("screen_width", JsonNumber(GetSystemMetrics(SM_CXSCREEN)))
                  .Add("screen_height", JsonNumber(GetSystemMetrics(SM_CYSCREEN))));
}

// The menu reader's hook belongs to one run of the program (menu_hook.h).
void ForgetMenuHook();

// start exe=<path> cwd=<folder>: the program, suspended until it is inside the job.
std::string Start(const Request& request) {
    if (g_target.process && WaitForSingleObject(g_target.process, 0) != WAIT_OBJECT_0)
        return Fail("a program is already started");
    if (g_target.process) {
        // The earlier run has ended: a scenario may start the program again.
        ForgetMenuHook();
        CloseHandle(g_target.process);
        CloseHandle(g_target.job);
        g_target = Target();
    }
    if (!request.Has("exe") || !request.Has("cwd")) return Fail("start needs exe and cwd");
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return Fail("CreateJobObject failed: " + std::to_string(GetLastError()));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return Fail("SetInformationJobObject failed: " + std::to_string(GetLastError()));
    }
    std::wstring exe = request.Wide("exe");
    std::wstring cwd = request.Wide("cwd");
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Right after an earlier run of the same program ended, Wine now and then refuses the
    // next start with an internal error: a few tries, a moment apart.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           cwd.c_str(), &startup, &info)) {
            error = 0;
            break;
        }
        error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR) break;
        Sleep(200);
    }
    if (error != 0) {
        CloseHandle(job);
        return Fail("CreateProcess failed: " + std::to_string(error));
    }
    if (!AssignProcessToJobObject(job, info.hProcess)) {
        DWORD error = GetLastError();
        TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        CloseHandle(job);
        return Fail("AssignProcessToJobObject failed: " + std::to_string(error));
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    g_target = {job, info.hProcess, info.dwProcessId, info.dwThreadId};
    return Ok(JsonObject().Add("pid", JsonNumber(info.dwProcessId)));
}

std::string Windows(const Request& request) {
    std::vector<std::string> list;
    for (HWND hwnd : TopLevelWindows())
        if (Matches(hwnd, request)) list.push_back(DescribeWindow(hwnd).Text());
    return Ok(JsonObject().Add("windows", JsonArray(list)));
}

// find [class=] [title=] [contains=] [owner=] [visible=1] [timeout=0]
std::string Find(const Request& request) {
    HWND found = nullptr;
    PollUntil(Timeout(request, 0), [&] { return (found = FindTopLevel(request)) != nullptr; });
    if (!found) return Ok(JsonObject().Add("found", JsonBool(false)));
    return Ok(DescribeWindow(found).Add("found", JsonBool(true)));
}

// wait_gone hwnd= [timeout=]: until the window is destroyed or hidden.
std::string WaitGone(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd)) return Fail("wait_gone needs hwnd");
    bool gone = PollUntil(Timeout(request, 5000), [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
    return Ok(JsonObject().Add("gone", JsonBool(gone)));
}

std::string Info(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd)) return Fail("info needs hwnd");
    if (!IsWindow(hwnd)) return Fail("no such window");
    return WindowReply(hwnd);
}

std::string Children(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("children needs an existing hwnd");
    std::vector<std::string> list;
    for (HWND child : DirectChildren(hwnd)) list.push_back(DescribeWindow(child).Text());
    return Ok(JsonObject().Add("children", JsonArray(list)));
}

// child hwnd= id= [timeout=0]: the child control with that id.
std::string Child(const Request& request) {
    HWND parent;
    long long id;
    if (!WindowField(request, "hwnd", &parent) || !request.Number("id", &id)) return Fail("child needs hwnd and id");
    HWND found = nullptr;
    PollUntil(Timeout(request, 0), [&] { return (found = GetDlgItem(parent, static_cast<int>(id))) != nullptr; });
    if (!found) return Ok(JsonObject().Add("found", JsonBool(false)));
    return Ok(DescribeWindow(found).Add("found", JsonBool(true)));
}

std::string Text(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("text needs an existing hwnd");
    return Ok(JsonObject().Add("text", JsonString(TextOf(hwnd))));
}

std::string SetText(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("set_text needs an existing hwnd");
    std::wstring text = request.Wide("text");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &result);
    return Ok();
}

// The program's side of menu reading (menu_hook.h): the hook, and the block it writes into.
struct MenuReader {
    HHOOK hook = nullptr;
    HANDLE block = nullptr;
    unsigned char* view = nullptr;
};

MenuReader g_menuReader;

void ForgetMenuHook() {
    if (g_menuReader.hook) UnhookWindowsHookEx(g_menuReader.hook);
    g_menuReader.hook = nullptr;
}

bool PrepareMenuReader(std::string* error) {
    if (g_menuReader.hook) return true;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll = path;
    dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"pelorin-driver-hook.dll";
    HMODULE module = LoadLibraryW(dll.c_str());
    auto procedure = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "DriverCallWndProc"))) : nullptr;
    if (!procedure) {
        *error = "cannot load pelorin-driver-hook.dll: " + std::to_string(GetLastError());
        return false;
    }
    if (!g_menuReader.block) {
        g_menuReader.block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMenuBlockSize,
                                                MenuBlockName(GetCurrentProcessId()).c_str());
        if (g_menuReader.block)
            g_menuReader.view = static_cast<unsigned char*>(MapViewOfFile(g_menuReader.block, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (!g_menuReader.view) {
            *error = "cannot create the shared block: " + std::to_string(GetLastError());
            return false;
        }
    }
    g_menuReader.hook = SetWindowsHookExW(WH_CALLWNDPROC, procedure, module, g_target.threadId);
    if (!g_menuReader.hook) {
        *error = "SetWindowsHookEx failed: " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

// Asks the hook inside the program (menu_hook.h) to describe the window with the registered
// message of that name; false with the error when there is no answer.
bool AskHook(HWND hwnd, const wchar_t* messageName, std::string* json, std::string* error) {
    if (WindowPid(hwnd) != g_target.pid) return *error = "not a window of the program", false;
    if (!PrepareMenuReader(error)) return false;
    DWORD size = 0;
    std::memcpy(g_menuReader.view, &size, 4);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, RegisterWindowMessageW(messageName), GetCurrentProcessId(), 0, SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &result))
        return *error = "the window did not answer", false;
    std::memcpy(&size, g_menuReader.view, 4);
    if (size == 0 || size + 4 > kMenuBlockSize) return *error = "the hook wrote nothing", false;
    json->assign(reinterpret_cast<const char*>(g_menuReader.view) + 4, size);
    return true;
}

// font hwnd=: the font the window draws its text with, read inside the program (menu_hook.h).
std::string Font(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("font needs an existing hwnd");
    std::string font, error;
    if (!AskHook(hwnd, kReadFontMessageName, &font, &error)) return Fail(error);
    return Ok(JsonObject().Add("font", font));
}

// dpi_changed hwnd= dpi= left= top= right= bottom=: the window is told, inside the program, that
// it is now on a monitor of `dpi`, and the rectangle Windows suggests for it there, as when it is
// moved to another monitor (one screen cannot show that under Wine).
std::string DpiChanged(const Request& request) {
    HWND hwnd;
    long long dpi;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd) || !request.Number("dpi", &dpi))
        return Fail("dpi_changed needs an existing hwnd and dpi");
    std::string error;
    if (WindowPid(hwnd) != g_target.pid) return Fail("not a window of the program");
    if (!PrepareMenuReader(&error)) return Fail(error);
    const RECT suggested = {static_cast<LONG>(request.NumberOr("left", 0)), static_cast<LONG>(request.NumberOr("top", 0)),
                            static_cast<LONG>(request.NumberOr("right", 0)), static_cast<LONG>(request.NumberOr("bottom", 0))};
    const DWORD size = sizeof suggested;
    std::memcpy(g_menuReader.view, &size, 4);
    std::memcpy(g_menuReader.view + 4, &suggested, sizeof suggested);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, RegisterWindowMessageW(kDpiChangedMessageName), GetCurrentProcessId(),
                             static_cast<LPARAM>(dpi), SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
        return Fail("the window did not answer");
    return Ok();
}

// menu hwnd=: the window's menu bar with every item, read inside the program (menu_hook.h).
std::string Menu(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("menu needs an existing hwnd");
    std::string items, error;
    if (!AskHook(hwnd, kReadMenuMessageName, &items, &error)) return Fail(error);
    if (items == "null") return Ok(JsonObject().Add("has_menu", JsonBool(false)));
    return Ok(JsonObject().Add("has_menu", JsonBool(true)).Add("items", items));
}

// command hwnd= id=: a menu or accelerator command, as the menu sends it (lParam 0).
std::string Command(const Request& request) {
    HWND hwnd;
    long long id;
    if (!WindowField(request, "hwnd", &hwnd) || !request.Number("id", &id)) return Fail("command needs hwnd and id");
    if (!PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0))
        return Fail("PostMessage failed: " + std::to_string(GetLastError()));
    return Ok();
}

// key vk= [hwnd=] [input=0]: one key press and release. Posted to the given window, or to the
// keyboard focus of the program; with input=1 the window is brought to the foreground and the
// key goes through the system's input queue instead.
std::string Key(const Request& request) {
    long long vk;
    if (!request.Number("vk", &vk)) return Fail("key needs vk");
    HWND target = nullptr;
    if (!WindowField(request, "hwnd", &target)) target = KeyboardTarget();
    if (!target || !IsWindow(target)) return Fail("no window to send the key to");
    if (request.NumberOr("input", 0) != 0) {
        std::string error;
        if (!KeyboardWindowInFront(request, &error)) return Fail(error);
        if (!SendKeyInput(static_cast<UINT>(vk))) return Fail("SendInput failed");
    } else {
        PostKey(target, static_cast<UINT>(vk), true);
        PostKey(target, static_cast<UINT>(vk), false);
    }
    return Ok(JsonObject().Add("target", HandleText(target)));
}

// keys seq= [hwnd=]: key chords through the system's input queue, as the keyboard makes them
// ("shift+tab ctrl+next alt down return"), to the program's window in front (see key). The
// reply names the window that had the keyboard focus.
std::string Keys(const Request& request) {
    std::vector<INPUT> events;
    std::string wrong, error;
    if (!ChordEvents(request.Text("seq"), &events, &wrong)) return Fail("no key named " + wrong);
    HWND target = KeyboardWindowInFront(request, &error);
    if (!target) return Fail(error);
    if (SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) != events.size())
        return Fail("SendInput failed");
    return Ok(JsonObject().Add("target", HandleText(target)));
}

// type text= [hwnd=]: the text typed on the keyboard, one key press and release per character
// through the system's input queue (Unicode key events, so any letter of any language).
std::string TypeText(const Request& request) {
    std::vector<INPUT> events;
    for (wchar_t c : request.Wide("text")) {
        for (bool up : {false, true}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            events.push_back(input);
        }
    }
    std::string error;
    HWND target = KeyboardWindowInFront(request, &error);
    if (!target) return Fail(error);
    if (!events.empty() && SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) != events.size())
        return Fail("SendInput failed");
    return Ok(JsonObject().Add("target", HandleText(target)));
}

// chars text= [hwnd=]: characters typed into the window (or the program's keyboard focus).
std::string Chars(const Request& request) {
    HWND target = nullptr;
    if (!WindowField(request, "hwnd", &target)) target = KeyboardTarget();
    if (!target || !IsWindow(target)) return Fail("no window to type into");
    for (wchar_t c : request.Wide("text")) PostMessageW(target, WM_CHAR, c, 1);
    return Ok(JsonObject().Add("target", HandleText(target)));
}

// click hwnd= [mouse=0]: a button pressed as by the mouse (radio buttons get checked, dialogs
// notified). With mouse=1 any control gets a left button press and release at its top left,
// as when the user clicks into a field.
std::string Click(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("click needs an existing hwnd");
    bool posted = request.NumberOr("mouse", 0) != 0
                      ? PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)) &&
                            PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(4, 4))
                      : PostMessageW(hwnd, BM_CLICK, 0, 0);
    if (!posted) return Fail("PostMessage failed: " + std::to_string(GetLastError()));
    return Ok();
}

// press hwnd= id=: clicks the button with that id in the dialog.
std::string Press(const Request& request) {
    HWND dialog;
    long long id;
    if (!WindowField(request, "hwnd", &dialog) || !request.Number("id", &id)) return Fail("press needs hwnd and id");
    HWND button = GetDlgItem(dialog, static_cast<int>(id));
    if (!button) return Fail("the dialog has no control " + std::to_string(id));
    if (!PostMessageW(button, BM_CLICK, 0, 0)) return Fail("PostMessage failed: " + std::to_string(GetLastError()));
    return Ok();
}

std::string Checked(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("checked needs an existing hwnd");
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state))
        return Fail("BM_GETCHECK got no answer");
    return Ok(JsonObject().Add("checked", JsonBool(state == BST_CHECKED)));
}

// scroll hwnd=: range and position of a scroll bar control.
std::string Scroll(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("scroll needs an existing hwnd");
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    if (!GetScrollInfo(hwnd, SB_CTL, &info)) return Fail("GetScrollInfo failed");
    return Ok(JsonObject()
                  .Add("min", JsonNumber(info.nMin))
                  .Add("max", JsonNumber(info.nMax))
                  .Add("pos", JsonNumber(info.nPos)));
}

// A message with no pointers in it, sent to a window of the program; false when unanswered.
bool Ask(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) return false;
    *answer = static_cast<LRESULT>(result);
    return true;
}

// listbox hwnd= [items=1]: a list box's item count, selected indices and top index; with
// items=1 also its item texts, its first item's rectangle and its font, read inside the
// program by the hook (menu_hook.h).
std::string ListBox(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("listbox needs an existing hwnd");
    LRESULT count = 0, top = 0;
    if (!Ask(hwnd, LB_GETCOUNT, 0, 0, &count) || !Ask(hwnd, LB_GETTOPINDEX, 0, 0, &top))
        return Fail("the list box did not answer");
    std::vector<std::string> selected;
    for (LRESULT i = 0; i < count && i < 2000; ++i) {
        LRESULT state = 0;
        if (!Ask(hwnd, LB_GETSEL, static_cast<WPARAM>(i), 0, &state)) return Fail("LB_GETSEL got no answer");
        if (state > 0) selected.push_back(JsonNumber(i));
    }
    JsonObject reply;
    reply.Add("count", JsonNumber(count)).Add("selected", JsonArray(selected)).Add("top", JsonNumber(top));
    if (request.NumberOr("items", 0) != 0) {
        std::string contents, error;
        if (!AskHook(hwnd, kReadListMessageName, &contents, &error)) return Fail(error);
        reply.Add("contents", contents);
    }
    return Ok(reply);
}

// listview hwnd=: a list view's columns, rows and selection, read inside the program by the
// hook (menu_hook.h).
std::string ListView(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("listview needs an existing hwnd");
    std::string contents, error;
    if (!AskHook(hwnd, kReadListViewMessageName, &contents, &error)) return Fail(error);
    return Ok(JsonObject().Add("contents", contents));
}

// click_at hwnd= x= y= [ctrl=0] [shift=0]: a click of the left button at a point of the window's
// client area, as the mouse posts it, with Ctrl or Shift held as the message says.
std::string ClickAt(const Request& request) {
    HWND hwnd;
    long long x, y;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd) || !request.Number("x", &x) || !request.Number("y", &y))
        return Fail("click_at needs an existing hwnd, x and y");
    const LPARAM at = MAKELPARAM(static_cast<int>(x), static_cast<int>(y));
    WPARAM keys = 0;
    if (request.NumberOr("ctrl", 0)) keys |= MK_CONTROL;
    if (request.NumberOr("shift", 0)) keys |= MK_SHIFT;
    if (!PostMessageW(hwnd, WM_LBUTTONDOWN, keys | MK_LBUTTON, at) || !PostMessageW(hwnd, WM_LBUTTONUP, keys, at))
        return Fail("PostMessage failed: " + std::to_string(GetLastError()));
    return Ok();
}

// double_click hwnd= x= y=: a double click of the left button at a point of the window's
// client area, as the mouse posts it.
std::string DoubleClick(const Request& request) {
    HWND hwnd;
    long long x, y;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd) || !request.Number("x", &x) || !request.Number("y", &y))
        return Fail("double_click needs an existing hwnd, x and y");
    const LPARAM at = MAKELPARAM(static_cast<int>(x), static_cast<int>(y));
    const UINT sequence[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    for (UINT message : sequence)
        if (!PostMessageW(hwnd, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at))
            return Fail("PostMessage failed: " + std::to_string(GetLastError()));
    return Ok();
}

// msgbox [timeout=0]: the program's message box: caption, text and buttons.
std::string MessageBoxInfo(const Request& request) {
    HWND box = nullptr;
    PollUntil(Timeout(request, 0), [&] {
        for (HWND hwnd : TopLevelWindows())
            if (IsMessageBox(hwnd)) return (box = hwnd) != nullptr;
        return false;
    });
    if (!box) return Ok(JsonObject().Add("found", JsonBool(false)));
    std::vector<std::string> buttons;
    int count = 0;
    for (HWND child : DirectChildren(box)) {
        if (ClassOf(child) != L"Button" || !IsWindowVisible(child)) continue;
        ++count;
        buttons.push_back(JsonObject()
                              .Add("id", JsonNumber(GetDlgCtrlID(child)))
                              .Add("text", JsonString(TextOf(child)))
                              .Add("hwnd", HandleText(child))
                              .Text());
    }
    int boxes = 0;
    for (HWND hwnd : TopLevelWindows())
        if (IsMessageBox(hwnd)) ++boxes;
    // user32 keeps the icon's static in a box without an icon, empty.
    bool icon = false;
    for (HWND child : DirectChildren(box)) {
        DWORD_PTR shown = 0;
        if (ClassOf(child) == L"Static" && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &shown) && shown)
            icon = true;
    }
    return Ok(DescribeWindow(box)
                  .Add("found", JsonBool(true))
                  .Add("message", JsonString(TextOf(GetDlgItem(box, kMessageBoxTextId))))
                  .Add("buttons", JsonArray(buttons))
                  .Add("count", JsonNumber(boxes))
                  .Add("icon", JsonBool(icon)));
}

// wait_exit [timeout=]: the program's end and its exit code.
std::string WaitExit(const Request& request) {
    if (!g_target.process) return Fail("no program started");
    DWORD waited = WaitForSingleObject(g_target.process, Timeout(request, 10000));
    if (waited != WAIT_OBJECT_0) return Ok(JsonObject().Add("exited", JsonBool(false)));
    DWORD code = 0;
    GetExitCodeProcess(g_target.process, &code);
    return Ok(JsonObject().Add("exited", JsonBool(true)).Add("code", JsonNumber(code)));
}

// idle [timeout=]: until the program waits for input with none pending (start-up done).
std::string Idle(const Request& request) {
    if (!g_target.process) return Fail("no program started");
    DWORD result = WaitForInputIdle(g_target.process, Timeout(request, 10000));
    if (result == WAIT_FAILED) return Fail("WaitForInputIdle failed: " + std::to_string(GetLastError()));
    return Ok(JsonObject().Add("idle", JsonBool(result == 0)));
}

std::string Focus(const Request&) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(g_target.threadId, &info);
    return Ok(JsonObject()
                  .Add("foreground", HandleText(GetForegroundWindow()))
                  .Add("active", HandleText(info.hwndActive))
                  .Add("focus", HandleText(info.hwndFocus))
                  .Add("capture", HandleText(info.hwndCapture)));
}

// send hwnd= msg= [wparam=0] [lparam=0]: SendMessage with plain numbers (no pointers: they do
// not cross processes); the reply carries the result.
std::string Send(const Request& request) {
    HWND hwnd;
    long long message;
    if (!WindowField(request, "hwnd", &hwnd) || !request.Number("msg", &message)) return Fail("send needs hwnd and msg");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, static_cast<UINT>(message), static_cast<WPARAM>(request.NumberOr("wparam", 0)),
                             static_cast<LPARAM>(request.NumberOr("lparam", 0)), SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &result))
        return Fail("the window did not answer");
    return Ok(JsonObject().Add("result", JsonNumber(static_cast<long long>(result))));
}

// post hwnd= msg= [wparam=] [lparam=]: PostMessage with plain numbers, as another program posts
// WM_CLOSE; the reply comes at once.
std::string Post(const Request& request) {
    HWND hwnd;
    long long message;
    if (!WindowField(request, "hwnd", &hwnd) || !request.Number("msg", &message)) return Fail("post needs hwnd and msg");
    if (!PostMessageW(hwnd, static_cast<UINT>(message), static_cast<WPARAM>(request.NumberOr("wparam", 0)),
                      static_cast<LPARAM>(request.NumberOr("lparam", 0))))
        return Fail("PostMessage failed: " + std::to_string(GetLastError()));
    return Ok();
}

double ElapsedMs(const LARGE_INTEGER& start);

// watch_child id= [timeout=20000]: follows a child window of the program's main window (a
// dialog without owner) that shows for a while during start-up, looking every millisecond and
// sending the program nothing (its thread is busy meanwhile). The reply describes the child as
// first seen and gives, in milliseconds, when it appeared after the request ("appeared_ms"), how
// long it was there ("shown_ms") and how long after its appearance the main window answered a
// message again ("ready_ms").
std::string WatchChild(const Request& request) {
    long long id;
    if (!request.Number("id", &id)) return Fail("watch_child needs id");
    const double limit = static_cast<double>(Timeout(request, 20000));
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    HWND main = nullptr, child = nullptr;
    while (!child) {
        if (ElapsedMs(begin) >= limit) return Ok(JsonObject().Add("found", JsonBool(false)));
        for (HWND hwnd : TopLevelWindows()) {
            HWND c = ClassOf(hwnd) == L"#32770" && !GetWindow(hwnd, GW_OWNER) ? GetDlgItem(hwnd, static_cast<int>(id)) : nullptr;
            if (c && IsWindowVisible(c)) {
                main = hwnd;
                child = c;
            }
        }
        if (!child) Sleep(1);
    }
    const double appeared = ElapsedMs(begin);
    JsonObject reply = DescribeWindow(child, false);
    while (IsWindow(child)) {
        if (ElapsedMs(begin) - appeared >= limit) return Fail("the child window is still there");
        Sleep(1);
    }
    const double gone = ElapsedMs(begin);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(limit), &result))
        return Fail("the main window did not answer");
    const double ready = ElapsedMs(begin);
    return Ok(reply.Add("found", JsonBool(true))
                  .Add("appeared_ms", JsonNumber(static_cast<long long>(appeared)))
                  .Add("shown_ms", JsonNumber(static_cast<long long>(gone - appeared)))
                  .Add("ready_ms", JsonNumber(static_cast<long long>(ready - appeared))));
}

// dialog_key owner= vk= [timeout=]: waits for a dialog box owned by the window and posts the key
// to it the moment it shows, before the program can start any work of its own.
std::string DialogKey(const Request& request) {
    HWND owner;
    long long vk;
    if (!WindowField(request, "owner", &owner) || !request.Number("vk", &vk)) return Fail("dialog_key needs owner and vk");
    HWND dialog = nullptr;
    const DWORD start = GetTickCount();
    PollUntil(Timeout(request, 5000), [&] {
        for (HWND hwnd : TopLevelWindows())
            if (ClassOf(hwnd) == L"#32770" && GetWindow(hwnd, GW_OWNER) == owner && IsWindowVisible(hwnd) &&
                !IsMessageBox(hwnd))
                return (dialog = hwnd) != nullptr;
        return false;
    });
    if (!dialog) return Ok(JsonObject().Add("found", JsonBool(false)));
    const DWORD waited = GetTickCount() - start;
    PostKey(dialog, static_cast<UINT>(vk), true);
    PostKey(dialog, static_cast<UINT>(vk), false);
    return Ok(JsonObject().Add("found", JsonBool(true)).Add("hwnd", HandleText(dialog)).Add("waited_ms", JsonNumber(waited)));
}

// Files the driver keeps open, as another program on the machine would.
std::vector<HANDLE> g_heldFiles;

// hold_file path= [share=3]: opens the file for reading and writing with the given sharing
// (FILE_SHARE_READ 1 | FILE_SHARE_WRITE 2 | FILE_SHARE_DELETE 4) and keeps it open until
// release_files or the driver's end.
std::string HoldFile(const Request& request) {
    if (!request.Has("path")) return Fail("hold_file needs path");
    HANDLE file = CreateFileW(request.Wide("path").c_str(), GENERIC_READ | GENERIC_WRITE,
                              static_cast<DWORD>(request.NumberOr("share", FILE_SHARE_READ | FILE_SHARE_WRITE)), nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("CreateFile failed: " + std::to_string(GetLastError()));
    g_heldFiles.push_back(file);
    return Ok();
}

// delete_file path=: deletes the file as another program would (Explorer, the operator); fails
// while a program holds it open without sharing its deletion.
std::string DeleteFileRequest(const Request& request) {
    if (!request.Has("path")) return Fail("delete_file needs path");
    if (!DeleteFileW(request.Wide("path").c_str())) return Fail("DeleteFile failed: " + std::to_string(GetLastError()));
    return Ok();
}

// move_file from= to=: moves the file over `to` in one step, as a program that stores a new
// version of it would; fails while `to` is held open without sharing its deletion.
std::string MoveFileRequest(const Request& request) {
    if (!request.Has("from") || !request.Has("to")) return Fail("move_file needs from and to");
    if (!MoveFileExW(request.Wide("from").c_str(), request.Wide("to").c_str(), MOVEFILE_REPLACE_EXISTING))
        return Fail("MoveFileEx failed: " + std::to_string(GetLastError()));
    return Ok();
}

std::string ReleaseFiles(const Request&) {
    for (HANDLE file : g_heldFiles) CloseHandle(file);
    g_heldFiles.clear();
    return Ok();
}

// counters: what the system says the program holds, for the long-running benchmarks: kernel
// handles, GDI and USER objects (and its windows, which are USER objects), private bytes,
// commit charge (pagefile) and working set. A figure the system does not give is null (Wine
// answers some with 0 or not at all).
std::string Counters(const Request&) {
    if (!g_target.process) return Fail("no program started");
    JsonObject answer;
    DWORD handles = 0;
    answer.Add("handles", GetProcessHandleCount(g_target.process, &handles) ? JsonNumber(handles) : "null");
    SetLastError(0);
    const DWORD gdi = GetGuiResources(g_target.process, GR_GDIOBJECTS);
    answer.Add("gdi", gdi || GetLastError() == 0 ? JsonNumber(gdi) : "null");
    SetLastError(0);
    const DWORD user = GetGuiResources(g_target.process, GR_USEROBJECTS);
    answer.Add("user", user || GetLastError() == 0 ? JsonNumber(user) : "null");
    // The windows among the USER objects, which Wine does count: top-level and child windows.
    long long windows = 0;
    for (HWND top : TopLevelWindows()) {
        ++windows;
        EnumChildWindows(
            top, [](HWND, LPARAM count) -> BOOL { return ++*reinterpret_cast<long long*>(count) > 0; },
            reinterpret_cast<LPARAM>(&windows));
    }
    answer.Add("windows", JsonNumber(windows));
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(g_target.process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        answer.Add("private_bytes", JsonNumber(static_cast<long long>(memory.PrivateUsage)));
        answer.Add("pagefile", JsonNumber(static_cast<long long>(memory.PagefileUsage)));
        answer.Add("working_set", JsonNumber(static_cast<long long>(memory.WorkingSetSize)));
    } else {
        answer.Add("private_bytes", "null").Add("pagefile", "null").Add("working_set", "null");
    }
    return Ok(answer);
}

// ---- painting

// True while the window or one of its descendants still has something to paint.
bool PaintPending(HWND top) {
    if (GetUpdateRect(top, nullptr, FALSE)) return true;
    bool pending = false;
    EnumChildWindows(
        top,
        [](HWND child, LPARAM flag) -> BOOL {
            if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
                *reinterpret_cast<bool*>(flag) = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return pending;
}

double ElapsedMs(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Waits until `top` has nothing left to paint and, when given, `ready` holds; the time since
// `start` in milliseconds, or -1 when the deadline passed first.
long long TimeUntilPainted(HWND top, const LARGE_INTEGER& start, DWORD timeoutMs, const std::function<bool()>& ready) {
    const DWORD begin = GetTickCount();
    while (true) {
        if ((!ready || ready()) && !PaintPending(top)) return static_cast<long long>(ElapsedMs(start) * 1000.0);
        if (GetTickCount() - begin >= timeoutMs) return -1;
        Sleep(1);
    }
}

// hscroll hwnd= code= [timed=0]: a click on an arrow of the scroll bar `hwnd` (code 0 left,
// 1 right), as its parent gets it. With timed=1 the message is sent and the reply gives "us",
// the microseconds until the parent had painted everything (-1: not within the timeout).
std::string HScroll(const Request& request) {
    HWND bar;
    long long code;
    if (!WindowField(request, "hwnd", &bar) || !request.Number("code", &code)) return Fail("hscroll needs hwnd and code");
    HWND parent = GetParent(bar);
    if (!parent) return Fail("the scroll bar has no parent");
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(code), 0);
    if (request.NumberOr("timed", 0) == 0) {
        if (!PostMessageW(parent, WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(bar))) return Fail("PostMessage failed");
        return Ok();
    }
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(parent, WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(bar), SMTO_ABORTIFHUNG,
                             Timeout(request, 10000), &result))
        return Fail("the window did not take the scroll message");
    return Ok(JsonObject().Add("us", JsonNumber(TimeUntilPainted(parent, start, Timeout(request, 10000), nullptr))));
}

// press_timed hwnd= id= top= class= [replaces=] [text=]: clicks the button, then waits until
// `top` has a visible child of the class (other than `replaces`, a child that is to give way to
// a new one; with `text`, one showing that text) and nothing left to paint; "us" as for hscroll.
std::string PressTimed(const Request& request) {
    HWND dialog, top;
    long long id;
    if (!WindowField(request, "hwnd", &dialog) || !WindowField(request, "top", &top) || !request.Number("id", &id) ||
        !request.Has("class"))
        return Fail("press_timed needs hwnd, id, top and class");
    HWND button = GetDlgItem(dialog, static_cast<int>(id));
    if (!button) return Fail("the dialog has no control " + std::to_string(id));
    const std::wstring wanted = request.Wide("class");
    HWND old = nullptr;
    WindowField(request, "replaces", &old);
    const bool anyText = !request.Has("text");
    const std::wstring text = anyText ? std::wstring() : request.Wide("text");
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!PostMessageW(button, BM_CLICK, 0, 0)) return Fail("PostMessage failed");
    // The text as the window manager keeps it: no message to the program while it works.
    auto showsText = [&](HWND child) {
        wchar_t buffer[1024] = {};
        InternalGetWindowText(child, buffer, 1024);
        return text == buffer;
    };
    auto shown = [&] {
        for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (child != old && ClassOf(child) == wanted && IsWindowVisible(child) && (anyText || showsText(child)))
                return true;
        return false;
    };
    return Ok(JsonObject().Add("us", JsonNumber(TimeUntilPainted(top, start, Timeout(request, 10000), shown))));
}

// redraw hwnd=: the window and its children are to be painted again, as when uncovered.
std::string Redraw(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("redraw needs an existing hwnd");
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return Ok();
}

// painted hwnd= [timeout=0]: whether the window and its children have nothing left to paint.
std::string Painted(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("painted needs an existing hwnd");
    bool done = PollUntil(Timeout(request, 0), [&] { return !PaintPending(hwnd); });
    return Ok(JsonObject().Add("painted", JsonBool(done)));
}

// ---- how long the program keeps another program waiting

// A thread that sends WM_NULL to one window every few milliseconds, as a program that asks
// another's windows about their state does, and notes how long each answer took.
struct NullSampler {
    HWND hwnd = nullptr;
    DWORD intervalMs = 5;
    UINT timeoutMs = 5000;
    double slowMs = 50;  // waits longer than this are counted apart
    volatile LONG stop = 0;
    HANDLE thread = nullptr;
    // Written by the thread, read once it has ended.
    long long count = 0, unanswered = 0, slow = 0;
    double longestMs = 0, longestAtMs = 0, totalMs = 0;
    std::vector<std::string> slowWaits;  // [at, ms] of the first 50 slow ones, from the start
};

NullSampler g_sampler;

DWORD WINAPI SampleNullWaits(void*) {
    NullSampler& s = g_sampler;
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    // Bounded: an hour of samples at most, whatever the harness does.
    for (long long i = 0; i < 720000 && !InterlockedCompareExchange(&s.stop, 0, 0) && IsWindow(s.hwnd); ++i) {
        const double at = ElapsedMs(begin);
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutW(s.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, s.timeoutMs, &result) != 0;
        const double waited = ElapsedMs(begin) - at;
        if (!answered && !IsWindow(s.hwnd)) break;  // the window went while it was asked
        ++s.count;
        if (!answered) ++s.unanswered;
        s.totalMs += waited;
        if (waited > s.longestMs) {
            s.longestMs = waited;
            s.longestAtMs = at;
        }
        if (waited > s.slowMs && ++s.slow <= 50)
            s.slowWaits.push_back(
                JsonArray({JsonNumber(static_cast<long long>(at)), JsonNumber(static_cast<long long>(waited + 0.5))}));
        Sleep(s.intervalMs);
    }
    return 0;
}

// null_waits_start hwnd= [interval=5]: starts sending WM_NULL to the window every `interval` ms
// (SendMessageTimeout, 5 s at most each) until null_waits_stop or the window's end.
std::string NullWaitsStart(const Request& request) {
    HWND hwnd;
    if (!WindowField(request, "hwnd", &hwnd) || !IsWindow(hwnd)) return Fail("null_waits_start needs an existing hwnd");
    if (g_sampler.thread) return Fail("already sampling");
    g_sampler = NullSampler();
    g_sampler.hwnd = hwnd;
    g_sampler.intervalMs = static_cast<DWORD>(request.NumberOr("interval", 5));
    g_sampler.slowMs = static_cast<double>(request.NumberOr("slow", 50));
    g_sampler.thread = CreateThread(nullptr, 0, SampleNullWaits, nullptr, 0, nullptr);
    if (!g_sampler.thread) return Fail("CreateThread failed: " + std::to_string(GetLastError()));
    return Ok();
}

// null_waits_stop: ends the sampling; "count" answers asked for, "unanswered", "slow" (waits
// over the start's `slow` ms) and "slow_waits" ([ms after the start, ms waited] of the first 50
// of them), "longest_us", "longest_at_ms" and "mean_us" of the waits.
std::string NullWaitsStop(const Request&) {
    if (!g_sampler.thread) return Fail("not sampling");
    InterlockedExchange(&g_sampler.stop, 1);
    WaitForSingleObject(g_sampler.thread, INFINITE);  // one SendMessageTimeout at most
    CloseHandle(g_sampler.thread);
    g_sampler.thread = nullptr;
    const NullSampler& s = g_sampler;
    return Ok(JsonObject()
                  .Add("count", JsonNumber(s.count))
                  .Add("unanswered", JsonNumber(s.unanswered))
                  .Add("slow", JsonNumber(s.slow))
                  .Add("slow_waits", JsonArray(s.slowWaits))
                  .Add("longest_at_ms", JsonNumber(static_cast<long long>(s.longestAtMs)))
                  .Add("longest_us", JsonNumber(static_cast<long long>(s.longestMs * 1000)))
                  .Add("mean_us", JsonNumber(s.count ? static_cast<long long>(s.totalMs / s.count * 1000) : 0)));
}

struct CommandEntry {
    const char* name;
    std::string (*run)(const Request&);
};

const CommandEntry kCommands[] = {
    {"hello", Hello},         {"start", Start},       {"windows", Windows},       {"find", Find},
    {"wait_gone", WaitGone},  {"info", Info},         {"children", Children},     {"child", Child},
    {"text", Text},           {"set_text", SetText},  {"menu", Menu},             {"command", Command},
    {"key", Key},             {"chars", Chars},       {"click", Click},           {"press", Press},
    {"checked", Checked},     {"scroll", Scroll},     {"msgbox", MessageBoxInfo}, {"wait_exit", WaitExit}, {"idle", Idle},
    {"focus", Focus},
    {"send", Send},           {"post", Post},         {"dialog_key", DialogKey},  {"hold_file", HoldFile}, {"release_files", ReleaseFiles},
    {"delete_file", DeleteFileRequest}, {"move_file", MoveFileRequest},
    {"hscroll", HScroll},     {"press_timed", PressTimed}, {"redraw", Redraw},     {"painted", Painted},
    {"listbox", ListBox},     {"double_click", DoubleClick}, {"watch_child", WatchChild},
    {"listview", ListView},   {"click_at", ClickAt},
    {"null_waits_start", NullWaitsStart}, {"null_waits_stop", NullWaitsStop}, {"counters", Counters},
    {"keys", Keys},           {"type", TypeText},     {"font", Font},             {"dpi_changed", DpiChanged},
};

std::string Dispatch(const std::string& line, bool* quit) {
    Request request;
    std::string error;
    if (!ParseRequest(line, &request, &error)) return Fail(error);
    if (request.command == "quit") {
        *quit = true;
        return Ok();
    }
    for (const CommandEntry& entry : kCommands)
        if (request.command == entry.name) return entry.run(request);
    return Fail("unknown command: " + request.command);
}

void WriteLine(HANDLE out, const std::string& text) {
    std::string line = text + "\n";
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

int wmain() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    bool quit = false;
    while (!quit) {
        size_t newline = pending.find('\n');
        if (newline == std::string::npos) {
            DWORD got = 0;
            if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0) break;  // the harness is gone
            pending.append(buffer, got);
            continue;
        }
        std::string line = pending.substr(0, newline);
        pending.erase(0, newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        WriteLine(out, Dispatch(line, &quit));
    }
    // Closing the job ends the program if it still runs.
    if (g_target.job) CloseHandle(g_target.job);
    return 0;
}
