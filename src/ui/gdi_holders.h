// Holders of GDI resources: each releases what it holds when it goes, so that no return path
// leaks a font, a brush or a device context, or leaves an object selected. Move-only.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

// A font, brush, pen or bitmap the program made (CreateFont, CreateSolidBrush...): DeleteObject.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            if (handle_) DeleteObject(handle_);
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (handle_) DeleteObject(handle_);
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

using FontHolder = GdiObject<HFONT>;
using BrushHolder = GdiObject<HBRUSH>;
using BitmapHolder = GdiObject<HBITMAP>;

// A device context the program owns (a printer's, from the print dialog): DeleteDC.
class OwnedDC {
public:
    explicit OwnedDC(HDC dc) : dc_(dc) {}
    OwnedDC(OwnedDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    OwnedDC& operator=(OwnedDC&&) = delete;
    ~OwnedDC() {
        if (dc_) DeleteDC(dc_);
    }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// The device context of a window's client area, borrowed with GetDC: ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(WindowDC&& other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDC& operator=(WindowDC&&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context; the one it replaced is selected back. A null
// object selects nothing.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    Selection(Selection&& other) noexcept : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
    Selection& operator=(Selection&&) = delete;
    ~Selection() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Painting a window in answer to WM_PAINT: BeginPaint, and EndPaint when the holder goes.
class PaintSession {
public:
    explicit PaintSession(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintSession(PaintSession&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), paint_(other.paint_), dc_(other.dc_) {}
    PaintSession& operator=(PaintSession&&) = delete;
    ~PaintSession() {
        if (window_) EndPaint(window_, &paint_);
    }

    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

}  // namespace ui
