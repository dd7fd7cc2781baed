// The connection status line at the bottom left of the main window: every 10 seconds a
// connection attempt to the detector's port 1533, started without waiting and looked at until
// it is answered, refused or 100 ms old; cyan when the detector answered, red otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "net/probe.h"
#include "ui/gdi_holders.h"

class StatusLine {
public:
    StatusLine() = default;
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;
    ~StatusLine();

    // The first probe of `address`, and the 10-second timer of the window `window`.
    void Start(HWND window, const sys::Endpoint& address);
    // A WM_TIMER of the window: true when it was one of the status line's. `address` is the
    // detector's now (the IP address dialog may have changed it).
    bool OnTimer(UINT_PTR id, const sys::Endpoint& address);
    // The window's layout scale: where the line stands and how large it writes.
    void SetScale(double scale);
    // Draws the line into the window's client area `client`, in the system's own font at the
    // scale.
    void Paint(HDC dc, const RECT& client) const;
    // Has the window draw the line again (after the language changed).
    void Invalidate() const;

private:
    void Probe(const sys::Endpoint& address);
    void Check();
    void Show(ProbeOutcome outcome);

    HWND window_ = nullptr;
    ProbeAttempt probe_;          // the probe under way, if open
    sys::Endpoint address_;       // the address the line shows
    int connectionStatus_ = 0;    // 1: the detector answered the last probe
    double scale_ = 1;
    ui::FontHolder font_;         // none where the device context's own has the height
};

// The start-up search: the message window over the main window with the range and then the
// result, the attempts to .100 to .199 of `deviceIp`'s network all at once, and the result's
// pause. A detector that answered is handed to `adopt` before the pause, so that the address is
// the program's even if it ends meanwhile. The message window is laid out at the main window's
// `scale`. True when a detector answered.
bool RunStartupSearch(HWND mainWindow, uint32_t deviceIp, const std::function<void(uint32_t)>& adopt, double scale);
