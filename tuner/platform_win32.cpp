// Windows platform: the ANSI code page, CR LF line ends, replacement by
// FlushFileBuffers + MoveFileExA.
#include "platform.h"

#include "LumasetCore.h"
#include "utf8.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace lumaset::platform {

namespace {

std::string ErrorText(DWORD error) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string result(text, length < sizeof text ? length : 0);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' ||
                               result.back() == '.'))
        result.pop_back();
    if (result.empty())
        result = "error " + std::to_string(error);
    return result;
}

[[noreturn]] void Fail(const std::string &path, const char *what, DWORD error) {
    throw IoError(path + ": " + what + ": " + ErrorText(error));
}

// How each byte of the ANSI code page begins a character.
struct CodePage {
    bool utf8 = false;
    bool lead[256] = {};
    uint32_t single[256] = {};

    CodePage() {
        if (GetACP() == CP_UTF8) {
            utf8 = true;
            return;
        }
        for (int b = 0; b < 256; ++b) {
            lead[b] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != 0;
            const char byte = static_cast<char>(b);
            wchar_t wide[2];
            const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, wide, 2);
            single[b] = count == 1 ? static_cast<uint32_t>(wide[0]) : kUndecodable;
        }
    }
};

const CodePage &AnsiCodePage() {
    static const CodePage page;
    return page;
}

} // namespace

DecodedChar DecodeChar(const unsigned char *bytes, size_t available) {
    const CodePage &page = AnsiCodePage();
    if (page.utf8)
        return DecodeUtf8(bytes, available);
    const unsigned b = bytes[0];
    if (b < 0x80)
        return {b, 1};
    if (page.lead[b]) {
        if (available < 2)
            return {kUndecodable, 1};
        wchar_t wide[2];
        const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, reinterpret_cast<const char *>(bytes), 2,
                                              wide, 2);
        if (count == 1)
            return {static_cast<uint32_t>(wide[0]), 2};
        return {kUndecodable, 1};
    }
    return {page.single[b], 1};
}

const std::string &LineSeparator() {
    static const std::string separator = "\r\n";
    return separator;
}

ReplacementFile::ReplacementFile(const std::string &targetPath, const std::string &tempPath)
    : target_(targetPath), temp_(tempPath), handle_(0) {
    const HANDLE file = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail(temp_, "cannot create temporary file", GetLastError());
    handle_ = reinterpret_cast<intptr_t>(file);
    open_ = true;
}

ReplacementFile::~ReplacementFile() {
    if (committed_)
        return;
    CloseHandle();
    DeleteFileA(temp_.c_str());
}

void ReplacementFile::CloseHandle() noexcept {
    if (open_) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        open_ = false;
    }
}

void ReplacementFile::Write(const char *data, size_t length) {
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    while (length > 0) {
        const DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr))
            Fail(temp_, "cannot write", GetLastError());
        if (written == 0)
            Fail(temp_, "cannot write", ERROR_DISK_FULL);
        data += written;
        length -= written;
    }
}

void ReplacementFile::Commit() {
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    if (!FlushFileBuffers(file))
        Fail(temp_, "cannot flush to disk", GetLastError());
    open_ = false;
    if (!::CloseHandle(file))
        Fail(temp_, "cannot close", GetLastError());
    if (!MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(target_, "cannot replace with temporary file", GetLastError());
    committed_ = true;
}

void SetBinaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace lumaset::platform
