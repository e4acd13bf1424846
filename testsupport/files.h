// Whole-file helpers for tests of every build.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

// The file's bytes, or WHEN_MISSING when it cannot be opened.
inline std::string readFile(const std::string &path, const std::string &whenMissing = "") {
    std::ifstream in(path, std::ios::binary);
    if (!in) return whenMissing;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes BYTES as the whole file; false when it could not.
inline bool writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return !out.fail();
}

}  // namespace testsupport
