// pelorin-driver-hook.dll: the hook procedure that describes a window's menu for the driver.
#include "menu_hook.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "protocol.h"

std::wstring MenuBlockName(DWORD driverPid) { return L"PelorinDriver.Menu." + std::to_wstring(driverPid); }

std::string DescribeMenu(HMENU menu, int depth) {
    std::vector<std::string> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count && i < 100; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 255;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            items.push_back(JsonObject().Add("error", JsonNumber(GetLastError())).Text());
            continue;
        }
        JsonObject item;
        item.Add("text", JsonString(std::wstring(text)))
            .Add("id", JsonNumber(info.hSubMenu ? 0 : info.wID))
            .Add("separator", JsonBool((info.fType & MFT_SEPARATOR) != 0))
            .Add("grayed", JsonBool((info.fState & MFS_GRAYED) != 0))
            .Add("checked", JsonBool((info.fState & MFS_CHECKED) != 0));
        if (info.hSubMenu && depth < 4) item.Add("items", DescribeMenu(info.hSubMenu, depth + 1));
        items.push_back(item.Text());
    }
    return JsonArray(items);
}

std::string DescribeListBox(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && i < 2000; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        items.push_back(JsonString(text));
    }
    RECT first = {}, last = {}, client = {};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    if (count > 0) SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    GetClientRect(list, &client);
    JsonObject font;
    LOGFONTW logfont = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    // The widest item text as the list's font draws it, and the face the font really gets.
    int widest = 0;
    wchar_t drawnFace[LF_FACESIZE] = {};
    if (HDC dc = GetDC(list)) {
        HGDIOBJ previous = SelectObject(dc, handle ? handle : GetStockObject(SYSTEM_FONT));
        for (LRESULT i = 0; i < count && i < 2000; ++i) {
            const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
            std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
            const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
            SIZE extent = {};
            if (got > 0 && GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(got), &extent) && extent.cx > widest)
                widest = extent.cx;
        }
        GetTextFaceW(dc, LF_FACESIZE, drawnFace);
        SelectObject(dc, previous);
        ReleaseDC(list, dc);
    }
    if (handle && GetObjectW(handle, sizeof logfont, &logfont))
        font.Add("height", JsonNumber(logfont.lfHeight))
            .Add("weight", JsonNumber(logfont.lfWeight))
            .Add("charset", JsonNumber(logfont.lfCharSet))
            .Add("pitch_and_family", JsonNumber(logfont.lfPitchAndFamily))
            .Add("face", JsonString(std::wstring(logfont.lfFaceName)))
            .Add("drawn_face", JsonString(std::wstring(drawnFace)));
    return JsonObject()
        .Add("items", JsonArray(items))
        .Add("first_item", JsonRect(first))
        .Add("last_item", JsonRect(last))
        .Add("client", JsonRect(client))
        .Add("item_height", JsonNumber(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)))
        .Add("widest_text", JsonNumber(widest))
        .Add("font", handle ? font.Text() : "null")
        .Text();
}

std::string DescribeFont(HWND window) {
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ font = handle ? static_cast<HGDIOBJ>(handle) : GetStockObject(SYSTEM_FONT);
    LOGFONTW logfont = {};
    GetObjectW(font, sizeof logfont, &logfont);
    TEXTMETRICW metrics = {};
    if (HDC dc = GetDC(window)) {
        HGDIOBJ previous = SelectObject(dc, font);
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(window, dc);
    }
    return JsonObject()
        .Add("own", JsonBool(handle != nullptr))
        .Add("height", JsonNumber(logfont.lfHeight))
        .Add("width", JsonNumber(logfont.lfWidth))
        .Add("weight", JsonNumber(logfont.lfWeight))
        .Add("face", JsonString(std::wstring(logfont.lfFaceName)))
        .Add("drawn_height", JsonNumber(metrics.tmHeight))
        .Add("drawn_width", JsonNumber(metrics.tmAveCharWidth))
        .Text();
}

namespace {

int ExtentOf(HDC dc, const std::wstring& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

std::string DescribeListView(HWND list) {
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    HDC dc = GetDC(list);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    std::vector<std::string> columnList, headerRects, rows;
    std::vector<int> widest(static_cast<size_t>(std::max(columns, 0)), 0);
    for (int c = 0; c < columns && c < 64; ++c) {
        wchar_t title[256] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
        item.pszText = title;
        item.cchTextMax = 255;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        const char* sort = (item.fmt & HDF_SORTUP) ? "up" : (item.fmt & HDF_SORTDOWN) ? "down" : "";
        columnList.push_back(JsonObject()
                                 .Add("text", JsonString(std::wstring(title)))
                                 .Add("width", JsonNumber(item.cxy))
                                 .Add("sort", JsonString(std::string(sort)))
                                 .Add("title_width", JsonNumber(ExtentOf(dc, title)))
                                 .Text());
        RECT rect = {};
        SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&rect));
        headerRects.push_back(JsonRect(rect));
    }
    for (int i = 0; i < count && i < kListViewRowsRead; ++i) {
        std::vector<std::string> cells;
        for (int c = 0; c < columns; ++c) {
            wchar_t text[1024] = {};
            LVITEMW item = {};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = 1023;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            cells.push_back(JsonString(std::wstring(text)));
            widest[static_cast<size_t>(c)] = std::max(widest[static_cast<size_t>(c)], ExtentOf(dc, text));
        }
        rows.push_back(JsonArray(cells));
    }
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    std::vector<std::string> selected, widths;
    for (int at = -1; static_cast<int>(selected.size()) < count;) {
        at = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(at), LVNI_SELECTED));
        if (at < 0) break;
        selected.push_back(JsonNumber(at));
    }
    for (int w : widest) widths.push_back(JsonNumber(w));
    // The rectangles of the items on screen, in the list's client coordinates.
    const int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    std::vector<std::string> itemRects;
    for (int i = top; i >= 0 && i < count && i <= top + perPage; ++i) {
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
        itemRects.push_back(JsonRect(rect));
    }
    return JsonObject()
        .Add("count", JsonNumber(count))
        .Add("columns", JsonArray(columnList))
        .Add("header", JsonObject()
                           .Add("hwnd", JsonNumber(static_cast<long long>(reinterpret_cast<UINT_PTR>(header))))
                           .Add("items", JsonArray(headerRects))
                           .Text())
        .Add("rows", JsonArray(rows))
        .Add("widest", JsonArray(widths))
        .Add("selected", JsonArray(selected))
        .Add("focused", JsonNumber(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)))
        .Add("top", JsonNumber(top))
        .Add("item_rects", JsonArray(itemRects))
        .Text();
}

namespace {

// The rectangle the driver put into its shared block for a dpi change.
bool ReadSuggestedRect(DWORD driverPid, RECT* rect) {
    HANDLE block = OpenFileMappingW(FILE_MAP_READ, FALSE, MenuBlockName(driverPid).c_str());
    if (!block) return false;
    bool read = false;
    if (auto* view = static_cast<const unsigned char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, kMenuBlockSize))) {
        DWORD size = 0;
        std::memcpy(&size, view, 4);
        if (size == sizeof *rect) {
            std::memcpy(rect, view + 4, sizeof *rect);
            read = true;
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(block);
    return read;
}

// Writes the JSON text into the driver's shared block.
void WriteBlock(DWORD driverPid, std::string json) {
    HANDLE block = OpenFileMappingW(FILE_MAP_WRITE, FALSE, MenuBlockName(driverPid).c_str());
    if (!block) return;
    auto* view = static_cast<unsigned char*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, kMenuBlockSize));
    if (view) {
        DWORD size = static_cast<DWORD>(json.size());
        if (size + 4 > kMenuBlockSize) json = "\"too large\"", size = static_cast<DWORD>(json.size());
        std::memcpy(view + 4, json.data(), size);
        std::memcpy(view, &size, 4);
        UnmapViewOfFile(view);
    }
    CloseHandle(block);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT readMenu = RegisterWindowMessageW(kReadMenuMessageName);
    static const UINT readList = RegisterWindowMessageW(kReadListMessageName);
    static const UINT readFont = RegisterWindowMessageW(kReadFontMessageName);
    static const UINT dpiChanged = RegisterWindowMessageW(kDpiChangedMessageName);
    static const UINT readListView = RegisterWindowMessageW(kReadListViewMessageName);
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == readMenu) {
            HMENU menu = GetMenu(message->hwnd);
            WriteBlock(static_cast<DWORD>(message->wParam), menu ? DescribeMenu(menu, 0) : "null");
        }
        if (message->message == readList)
            WriteBlock(static_cast<DWORD>(message->wParam), DescribeListBox(message->hwnd));
        if (message->message == readFont)
            WriteBlock(static_cast<DWORD>(message->wParam), DescribeFont(message->hwnd));
        RECT suggested;
        if (message->message == dpiChanged && ReadSuggestedRect(static_cast<DWORD>(message->wParam), &suggested)) {
            const WORD dpi = static_cast<WORD>(message->lParam);
            SendMessageW(message->hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        }
        if (message->message == readListView)
            WriteBlock(static_cast<DWORD>(message->wParam), DescribeListView(message->hwnd));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
