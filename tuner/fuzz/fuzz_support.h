// Byte sources and checks shared by the core's fuzz targets.
#pragma once

#include "LumasetCore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                                      \
    do {                                                                                                           \
        if (!(condition)) {                                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                 \
            std::abort();                                                                                          \
        }                                                                                                          \
    } while (0)

// Hands out the text in pieces of at most chunk bytes, so that characters and
// CR LF pairs also fall across reads.
class ChunkSource : public lumaset::ByteSource {
public:
    ChunkSource(const std::string &text, size_t chunk) : text_(text), chunk_(chunk) {}
    size_t Read(char *buffer, size_t capacity) override {
        const size_t count = std::min({capacity, chunk_, text_.size() - pos_});
        text_.copy(buffer, count, pos_);
        pos_ += count;
        return count;
    }

private:
    const std::string &text_;
    size_t chunk_;
    size_t pos_ = 0;
};

class StringSink : public lumaset::ByteSink {
public:
    void Write(const char *data, size_t length) override { text.append(data, length); }
    std::string text;
};

inline std::string DescribeReader(const LumasetCore &core) {
    std::string out;
    for (const auto &[number, v] : core.m_Args)
        out += number + (v.m_bD3D ? "T" : "F") + (v.m_bNoDDraw ? "T" : "F") + (v.m_bForceVram ? "T" : "F") + ";";
    for (int i = 0; i < core.m_nEnabledJRE; ++i)
        out += "e" + core.m_EnabledJRE[i] + ";";
    return out;
}

inline bool AllDigits(const std::string &text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}
