// Read then rewrite any input. Beyond not crashing: a second rewrite with the
// same values changes nothing; every line that is not an args line of an
// enabled entry comes out byte-identical; the other arguments of a rewritten
// line all survive, in order; reads split anywhere give the same result.
#include "fuzz_support.h"
#include "text.h"

#include <set>
#include <vector>

namespace {

const char *const kNames[3] = {"-Dsun.java2d.d3d\\", "-Dsun.java2d.noddraw\\", "-Dsun.java2d.ddforcevram\\"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\n' || c == '\r'; }
bool IsPatternSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Pieces(const std::string &text) {
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsSpace(text[pos]))
            ++pos;
        size_t end = pos;
        while (end < text.size() && !IsSpace(text[end]))
            ++end;
        if (end > pos)
            pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

int NamesIn(const std::string &piece) {
    int count = 0;
    for (const char *name : kNames)
        count += piece.find(name) != std::string::npos;
    return count;
}

// Length of the part of line in front of its argument string when it is an
// args line of one of the numbers (the white space after the key included),
// otherwise 0.
size_t ArgsKeyLength(const std::string &line, const std::set<std::string> &numbers, std::string &matched) {
    size_t start = 0;
    while (start < line.size() && IsPatternSpace(line[start]))
        ++start;
    for (const std::string &number : numbers) {
        const std::string key = "deployment.javaws.jre." + number + ".args";
        if (line.compare(start, key.size(), key) != 0)
            continue;
        size_t end = start + key.size();
        while (end < line.size() && IsPatternSpace(line[end]))
            ++end;
        if (end == line.size() || line[end] == '=' || line[end] == ':' || end > start + key.size() ||
            !IsKeyChar(line[end])) {
            matched = number;
            return end;
        }
    }
    return 0;
}

std::string Rewrite(const LumasetCore &core, const std::string &text, const LumasetCore::ParamsValues &values,
                    size_t chunk) {
    ChunkSource in(text, chunk);
    StringSink out;
    core.Rewrite(in, out, values, "\n");
    return out.text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    LumasetCore::ParamsValues values;
    values.m_bD3D = data[0] & 1;
    values.m_bNoDDraw = data[0] & 2;
    values.m_bForceVram = data[0] & 4;
    const std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);

    LumasetCore core;
    ChunkSource all(text, text.size() + 1);
    core.ParseFile(all);

    const std::string once = Rewrite(core, text, values, text.size() + 1);
    FUZZ_CHECK(Rewrite(core, text, values, 1 + (data[0] >> 3) % 5) == once);

    std::set<std::string> numbers(core.m_EnabledJRE.begin(), core.m_EnabledJRE.begin() + core.m_nEnabledJRE);
    const auto in = Lines(text);
    const auto out = Lines(once);
    FUZZ_CHECK(once.empty() || once.back() == '\n');

    bool stable = true;
    std::set<std::string> hasArgsLine;
    for (size_t i = 0; i < in.size(); ++i) {
        std::string number;
        const size_t keyLength = ArgsKeyLength(in[i], numbers, number);
        if (keyLength == 0) {
            FUZZ_CHECK(out[i] == in[i]);
            continue;
        }
        hasArgsLine.insert(number);
        FUZZ_CHECK(out[i].compare(0, keyLength, in[i], 0, keyLength) == 0);
        FUZZ_CHECK(out[i].size() > keyLength && out[i][keyLength] == '=');
        size_t argsStart = keyLength;
        if (keyLength < in[i].size()) {
            const char next = in[i][keyLength];
            if (next == '=' || next == ':')
                argsStart += 1;
            else if (!IsPatternSpace(in[i][keyLength - 1]))
                argsStart += lumaset::text::CharLengthAt(in[i], keyLength);
        }
        // Every argument without a switch name is still there, in order.
        const std::string after = out[i].substr(keyLength + 1);
        size_t from = 0;
        for (const std::string &piece : Pieces(in[i].substr(argsStart))) {
            const int names = NamesIn(piece);
            if (names > 1)
                stable = false; // one piece holding two switches cannot keep both
            if (names > 0)
                continue;
            const size_t at = after.find(piece, from);
            FUZZ_CHECK(at != std::string::npos);
            from = at + piece.size();
        }
    }
    // Appended: one args line for each enabled number without one, in order.
    std::vector<std::string> appended;
    std::set<std::string> seen;
    for (int i = 0; i < core.m_nEnabledJRE; ++i) {
        const std::string &number = core.m_EnabledJRE[i];
        if (seen.insert(number).second && !hasArgsLine.count(number))
            appended.push_back("deployment.javaws.jre." + number + ".args=" + LumasetCore::OptionText(values));
    }
    FUZZ_CHECK(out.size() == in.size() + appended.size());
    for (size_t i = 0; i < appended.size(); ++i)
        FUZZ_CHECK(out[in.size() + i] == appended[i]);

    if (stable)
        FUZZ_CHECK(Rewrite(core, once, values, once.size() + 1) == once);
    return 0;
}
