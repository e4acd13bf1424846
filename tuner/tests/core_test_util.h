// Small helpers shared by the core's tests.
#pragma once

#include "LumasetCore.h"

#include <sstream>
#include <string>
#include <vector>

namespace core_test {

using Values = LumasetCore::ParamsValues;

inline Values MakeValues(bool d3d, bool noddraw, bool forcevram) {
    Values values;
    values.m_bD3D = d3d;
    values.m_bNoDDraw = noddraw;
    values.m_bForceVram = forcevram;
    return values;
}

inline const Values kSilent = MakeValues(false, true, true);

inline std::string Describe(const Values &v) {
    return std::string(v.m_bD3D ? "T" : "F") + (v.m_bNoDDraw ? "T" : "F") + (v.m_bForceVram ? "T" : "F");
}

// The reader's results in one line: "args N XYZ; ... enabled N; ..."
inline std::string Describe(const LumasetCore &core) {
    std::string out;
    for (const auto &[number, values] : core.m_Args)
        out += "args " + number + " " + Describe(values) + "; ";
    for (int i = 0; i < core.m_nEnabledJRE; ++i)
        out += "enabled " + core.m_EnabledJRE[i] + "; ";
    return out;
}

inline LumasetCore Parse(const std::string &content) {
    LumasetCore core;
    std::istringstream in(content);
    core.ParseFile(in);
    return core;
}

class StringSource : public lumaset::ByteSource {
public:
    explicit StringSource(const std::string &text) : text_(text) {}
    size_t Read(char *buffer, size_t capacity) override {
        const size_t count = std::min(capacity, text_.size() - pos_);
        text_.copy(buffer, count, pos_);
        pos_ += count;
        return count;
    }

private:
    std::string text_;
    size_t pos_ = 0;
};

// A source that hands out one byte per read, to split characters and line ends.
class TrickleSource : public lumaset::ByteSource {
public:
    explicit TrickleSource(std::string text) : text_(std::move(text)) {}
    size_t Read(char *buffer, size_t) override {
        if (pos_ == text_.size())
            return 0;
        buffer[0] = text_[pos_++];
        return 1;
    }

private:
    std::string text_;
    size_t pos_ = 0;
};

class StringSink : public lumaset::ByteSink {
public:
    void Write(const char *data, size_t length) override { text.append(data, length); }
    std::string text;
};

// Reads content for its enabled list, then rewrites it with LF line ends.
inline std::string ReadAndRewrite(const std::string &content, const Values &values) {
    LumasetCore core = Parse(content);
    StringSource in(content);
    StringSink out;
    core.Rewrite(in, out, values, "\n");
    return out.text;
}

// A character above 255 in the platform's default encoding: the euro sign.
#ifdef _WIN32
inline const std::string kEuro = "\x80"; // code page 1252
#else
inline const std::string kEuro = "\xE2\x82\xAC";
#endif

} // namespace core_test
