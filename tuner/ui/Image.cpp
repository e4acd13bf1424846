#include "ui/Image.h"

#include <objbase.h>
#include <shlwapi.h>
// GDI+ decodes GIF with its palette transparency on Windows and under Wine alike.
#include <gdiplus.h>

#include <cstring>
#include <memory>

namespace ui {
namespace {

// GDI+ for one decode: started and shut down again, so that no GDI+ thread
// or hidden window outlives the loading of the logo.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession &) = delete;
    GdiplusSession &operator=(const GdiplusSession &) = delete;
    bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

struct StreamRelease {
    void operator()(IStream *stream) const { stream->Release(); }
};

// A memory DC with one bitmap selected, for one scope.
class MemoryDc {
public:
    MemoryDc(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)) {
        if (dc_) old_ = SelectObject(dc_, bitmap);
    }
    ~MemoryDc() {
        if (!dc_) return;
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc &) = delete;
    MemoryDc &operator=(const MemoryDc &) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

Image Image::decode(const void *data, size_t size) {
    Image image;
    if (!data || size == 0 || size > 0x7fffffff) return image;
    GdiplusSession gdiplus;
    if (!gdiplus.ok()) return image;
    std::unique_ptr<IStream, StreamRelease> stream(
        SHCreateMemStream(static_cast<const BYTE *>(data), static_cast<UINT>(size)));
    if (!stream) return image;

    Gdiplus::Bitmap bitmap(stream.get());
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return image;
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    if (width <= 0 || height <= 0) return image;

    // Premultiplied ARGB is what AlphaBlend draws; a top-down DIB of the same layout.
    Gdiplus::Rect whole(0, 0, width, height);
    Gdiplus::BitmapData pixels{};
    if (bitmap.LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &pixels) != Gdiplus::Ok) {
        return image;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    GdiObject<HBITMAP> dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dib && bits) {
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        for (int y = 0; y < height; ++y) {
            std::memcpy(static_cast<BYTE *>(bits) + rowBytes * y,
                        static_cast<const BYTE *>(pixels.Scan0) + static_cast<ptrdiff_t>(pixels.Stride) * y,
                        rowBytes);
        }
        image.bitmap_ = std::move(dib);
        image.width_ = width;
        image.height_ = height;
    }
    bitmap.UnlockBits(&pixels);
    return image;
}

void Image::draw(HDC dc, int x, int y) const {
    if (empty()) return;
    MemoryDc source(dc, bitmap_.get());
    if (!source.get()) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width_, height_, source.get(), 0, 0, width_, height_, blend);
}

}  // namespace ui
