// What differs between Windows and the native build: how bytes decode into
// characters for classification, the line separator, and the atomic
// replacement of a file. One implementation file per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumaset::platform {

// One character decoded in the platform's default encoding (the ANSI code
// page on Windows, UTF-8 natively), used only to classify it. An undecodable
// byte is one character of its own with a code above 255.
struct DecodedChar {
    uint32_t code;
    size_t length; // bytes, at least 1
};

constexpr size_t kMaxCharLength = 4;
constexpr uint32_t kUndecodable = 0xFFFD;

// Decodes the character at bytes[0]; available >= 1. The caller passes at
// least kMaxCharLength bytes unless the input ends sooner.
DecodedChar DecodeChar(const unsigned char *bytes, size_t available);

// "\r\n" on Windows, "\n" natively.
const std::string &LineSeparator();

// A new file written beside a target and then put in its place in one step.
// The constructor creates (or empties) tempPath; Commit flushes it to disk and
// renames it over targetPath. Until Commit has succeeded the destructor closes
// and removes the temporary file, so the target never changes on failure.
// Every failure throws IoError naming the file and the cause.
class ReplacementFile {
public:
    ReplacementFile(const std::string &targetPath, const std::string &tempPath);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    void Write(const char *data, size_t length);
    void Commit();

private:
    void CloseHandle() noexcept;

    std::string target_;
    std::string temp_;
    intptr_t handle_; // a file descriptor or a HANDLE
    bool open_ = false;
    bool committed_ = false;
};

// Standard output passes bytes through unchanged (no LF to CR LF on Windows).
void SetBinaryStdout();

} // namespace lumaset::platform
