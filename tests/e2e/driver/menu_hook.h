// Reading a window's menu from inside the program that owns it.
//
// Wine keeps a menu's items in the process that loaded it: GetMenuItemCount and
// GetMenuItemInfo on another process's menu handle fail there. So the driver hooks the program's
// window thread with a hook procedure in pelorin-driver-hook.dll, which Wine loads into the
// program; a registered message sent to the window makes the hook describe the window's menu
// into a shared memory block that the driver created and then reads.
#pragma once

#include <windows.h>

#include <string>

// The message the driver sends; wParam is the driver's process id (names the shared block).
constexpr const wchar_t* kReadMenuMessageName = L"PelorinDriver.ReadMenu";
constexpr DWORD kMenuBlockSize = 256 * 1024;

// The message that asks for a list box's items instead (LB_GETTEXT and LB_GETITEMRECT answer
// into the caller's memory, which does not cross processes), written to the same block.
constexpr const wchar_t* kReadListMessageName = L"PelorinDriver.ReadList";

// The message that asks for the font a window draws with (its LOGFONT and text metrics),
// written to the same block.
constexpr const wchar_t* kReadFontMessageName = L"PelorinDriver.ReadFont";

// The message that has the hook tell the window, inside the program, that it is on a monitor of
// the dpi in lParam now (WM_DPICHANGED); the rectangle suggested with it is in the block (a byte
// count of 16, then the RECT). A pointer in a message does not cross processes.
constexpr const wchar_t* kDpiChangedMessageName = L"PelorinDriver.DpiChanged";
// The message that asks for a list view's columns, rows and selection (LVM_GETITEMTEXT and its
// kind answer into the caller's memory too), written to the same block.
constexpr const wchar_t* kReadListViewMessageName = L"PelorinDriver.ReadListView";
// The rows a list view's description carries at most, from the first.
constexpr int kListViewRowsRead = 200;

// The shared block: a 32-bit byte count (0 = nothing written), then that many bytes of JSON.
std::wstring MenuBlockName(DWORD driverPid);

// The menu bar of the window as a JSON array of items (text, id, separator, grayed, checked,
// and "items" for a popup).
std::string DescribeMenu(HMENU menu, int depth);

// The list box's item texts, the rectangles of its first item (its column width in a
// multi-column list) and its last, its client rectangle, item height, the widest item text as
// its font draws it, and its font (with the face it really draws with), as a JSON object.
std::string DescribeListBox(HWND list);

// The window's font (WM_GETFONT; the system font when it has none): its height, width, weight
// and face as asked for, and the height and average width it draws with, as a JSON object.
std::string DescribeFont(HWND window);
// The list view's item count, its columns (title, width, the sort arrow its header shows, and
// the title's width in the header's font), its first kListViewRowsRead rows' texts, the
// selected and focused items, the top item and the items' rectangles on screen, the header's
// items' rectangles, and the widest text of each column among the rows read, in the list's
// font, as a JSON object.
std::string DescribeListView(HWND list);
