// Text rules of the core that work on raw bytes while honouring character
// boundaries of the platform's encoding. Internal to the core; exposed for
// its tests and fuzzers.
#pragma once

#include <string>
#include <vector>

namespace lumaset::text {

// Whole-key match of "deployment", any character, "javaws", any character,
// "jre", any character, digits, any character, then the suffix ("args" or
// "enabled"). Returns the first run of digits of the key, or "".
std::string MatchJreKey(const std::string &key, const char *suffix);

// Length in bytes of the args prefix at the start of a line: white space,
// "deployment", any character, "javaws", any character, "jre", any
// character, digits, any character, "args", white space. npos when absent.
size_t MatchArgsPrefix(const std::string &line);

// Length in bytes of the one character at offset (at least 1).
size_t CharLengthAt(const std::string &text, size_t offset);

bool Contains(const std::string &text, const std::string &part);

// Splitting at single blanks: empty items at the end are dropped, so a text of
// blanks only gives no items; a text without blanks gives itself.
std::vector<std::string> SplitAtBlanks(const std::string &text);
std::string JoinWithBlanks(const std::vector<std::string> &items);

// White space inside an item that separates arguments (the blank never
// occurs in an item).
inline bool IsItemSpace(char c) { return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace lumaset::text
