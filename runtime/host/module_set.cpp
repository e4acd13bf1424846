#include "module_set.h"

#include <cstdio>
#include <cstring>

std::string windowsErrorText(DWORD code) {
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                  text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        text[--length] = '\0';
    for (DWORD i = 0; i < length; ++i) {
        if (text[i] == '\r' || text[i] == '\n') text[i] = ' ';
    }
    if (length == 0) std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(code));
    return text;
}

namespace {

bool fail(std::string *error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

bool writeAll(HANDLE file, const uint8_t *data, size_t length) {
    while (length > 0) {
        DWORD chunk = length > (1u << 20) ? (1u << 20) : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        length -= written;
    }
    return true;
}

// True when FILE holds exactly IMAGE.
bool holdsExactly(HANDLE file, const std::vector<uint8_t> &image) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) != image.size()) return false;
    std::vector<uint8_t> block(65536);
    size_t at = 0;
    while (at < image.size()) {
        DWORD got = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) || got == 0) return false;
        if (got > image.size() - at || std::memcmp(block.data(), image.data() + at, got) != 0) return false;
        at += got;
    }
    return true;
}

}  // namespace

bool ModuleSet::makeFolder(std::string *error) {
    if (!folder_.empty()) return true;
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return fail(error, "no usable temporary folder");
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char folder[MAX_PATH];
        int n = std::snprintf(folder, sizeof folder, "%sjrt%lu-%lx-%u", temp,
                              static_cast<unsigned long>(GetCurrentProcessId()),
                              static_cast<unsigned long>(GetTickCount()), attempt);
        if (n < 0 || static_cast<size_t>(n) >= sizeof folder) return fail(error, "temporary folder path too long");
        if (CreateDirectoryA(folder, nullptr)) {
            folder_ = folder;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return fail(error, "cannot create a temporary folder: " + windowsErrorText(GetLastError()));
    }
    return fail(error, "cannot create a temporary folder");
}

HMODULE ModuleSet::load(const std::vector<uint8_t> &image, const std::string &baseName, std::string *error) {
    if (!makeFolder(error)) return nullptr;
    char path[MAX_PATH];
    int n = std::snprintf(path, sizeof path, "%s\\%u-%s.dll", folder_.c_str(), ++counter_, baseName.c_str());
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
        fail(error, "module path too long");
        return nullptr;
    }
    {
        // A new file only: an existing one, whoever made it, is never reused.
        Handle out(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!out.valid()) {
            fail(error, "cannot create the module file: " + windowsErrorText(GetLastError()));
            return nullptr;
        }
        if (!writeAll(out.get(), image.data(), image.size())) {
            DWORD code = GetLastError();
            out.reset();
            DeleteFileA(path);
            fail(error, "cannot write the module file: " + windowsErrorText(code));
            return nullptr;
        }
    }
    // The loader must open the file for reading, which a handle with write
    // access would forbid; so the writer closes and this reader, which lets
    // nobody write, rename or delete, takes over. Reading the file back
    // through it proves that nobody changed it in between.
    Handle held(CreateFileA(path, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!held.valid()) {
        DWORD code = GetLastError();
        DeleteFileA(path);
        fail(error, "cannot reopen the module file: " + windowsErrorText(code));
        return nullptr;
    }
    if (!holdsExactly(held.get(), image)) {
        fail(error, "the module file was changed by someone else");
        return nullptr;  // closing the handle deletes the file
    }
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        fail(error, windowsErrorText(GetLastError()));
        return nullptr;
    }
    loaded_.push_back({module, std::move(held), path});
    return module;
}

void ModuleSet::releaseAll() {
    while (!loaded_.empty()) {
        Loaded &last = loaded_.back();
        FreeLibrary(last.module);
        last.file.reset();          // deletes the file
        DeleteFileA(last.path.c_str());  // in case the system kept it
        loaded_.pop_back();
    }
    if (!folder_.empty()) {
        RemoveDirectoryA(folder_.c_str());
        folder_.clear();
    }
}
