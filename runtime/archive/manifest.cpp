#include "manifest.h"

#include <cctype>

namespace archive {
namespace {

bool fail(std::string *error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool isHeaderNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
}

}  // namespace

bool Manifest::parse(std::string_view text, std::string *error) {
    headers_.clear();
    size_t at = 0;
    size_t lineNumber = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? text.size() : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
        ++lineNumber;
        if (line.empty()) break;  // end of the main section
        if (line.find('\0') != std::string_view::npos)
            return fail(error, "manifest line " + std::to_string(lineNumber) + " holds a NUL byte");
        if (line.front() == ' ') {
            if (headers_.empty())
                return fail(error, "manifest line " + std::to_string(lineNumber) + " continues no header");
            headers_.back().second.append(line.substr(1));
            continue;
        }
        size_t colon = line.find(": ");
        if (colon == 0 || colon == std::string_view::npos)
            return fail(error, "manifest line " + std::to_string(lineNumber) + " is not a header");
        std::string_view name = line.substr(0, colon);
        for (char c : name) {
            if (!isHeaderNameChar(c))
                return fail(error, "manifest line " + std::to_string(lineNumber) + " has an invalid header name");
        }
        headers_.emplace_back(std::string(name), std::string(line.substr(colon + 2)));
    }
    return true;
}

const std::string *Manifest::find(std::string_view name) const {
    // A later header of the same name replaces an earlier one.
    for (auto it = headers_.rbegin(); it != headers_.rend(); ++it) {
        if (equalsIgnoringCase(it->first, name)) return &it->second;
    }
    return nullptr;
}

bool isValidClassName(std::string_view name) {
    if (name.empty()) return false;
    bool partStart = true;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '.') {
            if (partStart) return false;
            partStart = true;
            continue;
        }
        bool letter = std::isalpha(u) || c == '_' || c == '$';
        if (!letter && !(std::isdigit(u) && !partStart)) return false;
        partStart = false;
    }
    return !partStart;
}

std::string moduleEntryName(std::string_view className) {
    std::string entry(className);
    for (char &c : entry) {
        if (c == '.') c = '/';
    }
    return entry + ".dll";
}

}  // namespace archive
