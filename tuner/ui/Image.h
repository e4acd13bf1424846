// A decoded picture with its transparency, ready to be drawn by GDI.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/Win32Ui.h"

namespace ui {

class Image {
public:
    Image() = default;

    // Decodes the bytes of a GIF (or another format GDI+ reads) into a
    // premultiplied 32-bit bitmap; an empty image when they cannot be decoded.
    static Image decode(const void *data, size_t size);

    bool empty() const { return !bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Draws the picture at its natural size with its top-left corner at
    // (X, Y); transparent pixels leave what is below.
    void draw(HDC dc, int x, int y) const;

private:
    GdiObject<HBITMAP> bitmap_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace ui
