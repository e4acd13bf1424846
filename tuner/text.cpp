#include "text.h"

#include "platform.h"

#include <cstring>

namespace lumaset::text {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsRegexSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Matches literal at pos, then one whole character; returns the offset
// behind both or npos.
size_t LiteralThenAnyChar(const std::string &s, size_t pos, const char *literal) {
    const size_t length = std::strlen(literal);
    if (s.compare(pos, length, literal) != 0 || pos + length >= s.size())
        return std::string::npos;
    pos += length;
    return pos + CharLengthAt(s, pos);
}

// "deployment" . "javaws" . "jre" . from pos; returns the offset of the digits.
size_t MatchHead(const std::string &s, size_t pos) {
    for (const char *part : {"deployment", "javaws", "jre"}) {
        pos = LiteralThenAnyChar(s, pos, part);
        if (pos == std::string::npos)
            return pos;
    }
    return pos;
}

} // namespace

size_t CharLengthAt(const std::string &text, size_t offset) {
    const size_t available = text.size() - offset;
    const auto decoded = platform::DecodeChar(reinterpret_cast<const unsigned char *>(text.data()) + offset,
                                              available < platform::kMaxCharLength ? available
                                                                                   : platform::kMaxCharLength);
    return decoded.length;
}

std::string MatchJreKey(const std::string &key, const char *suffix) {
    const size_t digits = MatchHead(key, 0);
    if (digits == std::string::npos)
        return {};
    size_t run = 0;
    while (digits + run < key.size() && IsDigit(key[digits + run]))
        ++run;
    const size_t suffixLength = std::strlen(suffix);
    // Digits are greedy but give back one at a time, as a regex engine does.
    for (size_t take = run; take >= 1; --take) {
        const size_t any = digits + take;
        if (any >= key.size())
            continue;
        const size_t rest = any + CharLengthAt(key, any);
        if (key.size() - rest == suffixLength && key.compare(rest, suffixLength, suffix) == 0) {
            // The JRE number is the first run of digits anywhere in the key.
            size_t first = 0;
            while (!IsDigit(key[first]))
                ++first;
            size_t end = first;
            while (end < key.size() && IsDigit(key[end]))
                ++end;
            return key.substr(first, end - first);
        }
    }
    return {};
}

size_t MatchArgsPrefix(const std::string &line) {
    size_t pos = 0;
    while (pos < line.size() && IsRegexSpace(line[pos]))
        ++pos;
    if (pos == line.size() || line[pos] != 'd')
        return std::string::npos;
    const size_t digits = MatchHead(line, pos);
    if (digits == std::string::npos)
        return std::string::npos;
    size_t run = 0;
    while (digits + run < line.size() && IsDigit(line[digits + run]))
        ++run;
    for (size_t take = run; take >= 1; --take) {
        const size_t any = digits + take;
        if (any >= line.size())
            continue;
        size_t end = any + CharLengthAt(line, any);
        if (line.compare(end, 4, "args") != 0)
            continue;
        end += 4;
        while (end < line.size() && IsRegexSpace(line[end]))
            ++end;
        return end;
    }
    return std::string::npos;
}

bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

std::vector<std::string> SplitAtBlanks(const std::string &text) {
    std::vector<std::string> items;
    if (text.find(' ') == std::string::npos) {
        items.push_back(text);
        return items;
    }
    size_t start = 0;
    for (;;) {
        const size_t blank = text.find(' ', start);
        if (blank == std::string::npos) {
            items.push_back(text.substr(start));
            break;
        }
        items.push_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    while (!items.empty() && items.back().empty())
        items.pop_back();
    return items;
}

std::string JoinWithBlanks(const std::vector<std::string> &items) {
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            joined += ' ';
        joined += items[i];
    }
    return joined;
}

} // namespace lumaset::text
