// Holders of GDI+ resources (through its flat API): each releases what it holds when it goes.
// Move-only.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <utility>

namespace ui {

// GDI+ for the program's run: GdiplusStartup, and GdiplusShutdown when the holder goes, on
// every way out of the program.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession() {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }

private:
    ULONG_PTR token_ = 0;
};

// GDI+ drawing on a device context: GdipCreateFromHDC, GdipDeleteGraphics.
class GdiplusGraphics {
public:
    explicit GdiplusGraphics(HDC dc) {
        if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &graphics_) != Gdiplus::Ok) graphics_ = nullptr;
    }
    GdiplusGraphics(GdiplusGraphics&& other) noexcept : graphics_(std::exchange(other.graphics_, nullptr)) {}
    GdiplusGraphics& operator=(GdiplusGraphics&&) = delete;
    ~GdiplusGraphics() {
        if (graphics_) Gdiplus::DllExports::GdipDeleteGraphics(graphics_);
    }

    Gdiplus::GpGraphics* get() const { return graphics_; }
    explicit operator bool() const { return graphics_ != nullptr; }

private:
    Gdiplus::GpGraphics* graphics_ = nullptr;
};

// A picture decoded by GDI+ from bytes in memory (GdipLoadImageFromStream on a stream over a
// copy of them): GdipDisposeImage, then the stream released. GDI+ may read the stream for as
// long as the picture lives, so the two go together. Loading from the file instead would keep
// the file open as long as the picture is held.
class GdiplusImage {
public:
    GdiplusImage() = default;
    // Empty when the bytes cannot be decoded.
    GdiplusImage(const void* bytes, UINT size) : stream_(SHCreateMemStream(static_cast<const BYTE*>(bytes), size)) {
        if (!stream_ || Gdiplus::DllExports::GdipLoadImageFromStream(stream_, &image_) != Gdiplus::Ok) {
            image_ = nullptr;
            Release();
        }
    }
    GdiplusImage(GdiplusImage&& other) noexcept
        : stream_(std::exchange(other.stream_, nullptr)), image_(std::exchange(other.image_, nullptr)) {}
    GdiplusImage& operator=(GdiplusImage&& other) noexcept {
        if (this != &other) {
            Release();
            stream_ = std::exchange(other.stream_, nullptr);
            image_ = std::exchange(other.image_, nullptr);
        }
        return *this;
    }
    GdiplusImage(const GdiplusImage&) = delete;
    GdiplusImage& operator=(const GdiplusImage&) = delete;
    ~GdiplusImage() { Release(); }

    Gdiplus::GpImage* get() const { return image_; }
    explicit operator bool() const { return image_ != nullptr; }

private:
    void Release() {
        if (image_) Gdiplus::DllExports::GdipDisposeImage(image_);
        image_ = nullptr;
        if (stream_) stream_->Release();
        stream_ = nullptr;
    }

    IStream* stream_ = nullptr;
    Gdiplus::GpImage* image_ = nullptr;
};

}  // namespace ui
