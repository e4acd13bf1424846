// The native modules that the host has loaded from archives, and the files
// they were loaded from.
#ifndef RUNTIME_MODULE_SET_H
#define RUNTIME_MODULE_SET_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A handle whose "empty" covers both NULL and INVALID_HANDLE_VALUE, since
// CreateFileA and the rest disagree on how they fail.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle(Handle &&other) noexcept : handle_(other.release()) {}
    Handle &operator=(Handle &&other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Handle() { reset(); }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(HANDLE handle = nullptr) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// Each module is written to a new file in a folder of its own under the
// user's temporary folder, held open against writing and deleting while it
// is loaded by its full path, and removed when the set is released. The
// folder holds nothing but our modules, so the loader's search next to a
// module finds nothing that someone else put there.
class ModuleSet {
public:
    ModuleSet() = default;
    ModuleSet(const ModuleSet &) = delete;
    ModuleSet &operator=(const ModuleSet &) = delete;
    ~ModuleSet() { releaseAll(); }

    // Loads IMAGE as a module; BASE_NAME ("Main") names its file. Null with
    // *error set on failure; nothing is left on disk then.
    HMODULE load(const std::vector<uint8_t> &image, const std::string &baseName, std::string *error);

    // Frees every module, newest first, and removes their files and folder.
    void releaseAll();

private:
    struct Loaded {
        HMODULE module;
        Handle file;  // read-only, shares reading only, deletes on close
        std::string path;
    };
    bool makeFolder(std::string *error);

    std::string folder_;
    std::vector<Loaded> loaded_;
    unsigned counter_ = 0;
};

// The system's text for a Windows error code, on one line.
std::string windowsErrorText(DWORD code);

#endif
