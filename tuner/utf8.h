// Strict UTF-8 decoding of one character, shared by both platforms (a
// Windows machine may run with UTF-8 as its ANSI code page).
#pragma once

#include "platform.h"

namespace lumaset::platform {

inline DecodedChar DecodeUtf8(const unsigned char *p, size_t n) {
    const unsigned b = p[0];
    if (b < 0x80)
        return {b, 1};
    size_t length;
    uint32_t code;
    unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        code = b & 0x0F;
        if (b == 0xE0)
            low = 0xA0; // no overlong forms
        if (b == 0xED)
            high = 0x9F; // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        code = b & 0x07;
        if (b == 0xF0)
            low = 0x90;
        if (b == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        return {kUndecodable, 1};
    }
    if (n < length)
        return {kUndecodable, 1};
    for (size_t i = 1; i < length; ++i) {
        const unsigned c = p[i];
        const unsigned lo = i == 1 ? low : 0x80;
        const unsigned hi = i == 1 ? high : 0xBF;
        if (c < lo || c > hi)
            return {kUndecodable, 1};
        code = (code << 6) | (c & 0x3F);
    }
    return {code, length};
}

} // namespace lumaset::platform
