// javaw.exe: the runtime host. `javaw -jar ARCHIVE [ARG...]` loads the
// native module that the archive's manifest names as its main class and
// calls its entry with the program arguments and the runtime interface
// (runtime_api.h). It knows nothing of the application it runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "manifest.h"
#include "module_set.h"
#include "runtime_api.h"
#include "zip_archive.h"

struct RuntimeClass {
    HMODULE module;
    std::string name;
};

namespace {

// The one runtime of this process: the C interface carries no context.
struct Runtime {
    std::string home;
    std::string version;
    bool hasVersion = false;
    archive::ZipArchive application;
    ModuleSet modules;
    std::map<std::string, std::unique_ptr<RuntimeClass>> classes;
    std::recursive_mutex mutex;
};
Runtime *runtime;

thread_local char lastErrorText[1024];

void setLastError(const std::string &text) {
    std::snprintf(lastErrorText, sizeof lastErrorText, "%s", text.c_str());
}

// One line on standard error for the host's own failures.
int hostFailure(const std::string &text) {
    std::fprintf(stderr, "Error: %s\n", text.c_str());
    std::fflush(stderr);
    return 1;
}

std::string parentFolder(const std::string &path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// java.home is the folder above the host's own folder (<home>\bin\javaw.exe).
std::string findHome() {
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return std::string();
    std::string bin = parentFolder(path);
    std::string home = parentFolder(bin);
    return home.empty() ? bin : home;
}

// JAVA_VERSION="..." in <home>\release, if the file and the line are there.
bool readVersion(const std::string &home, std::string *version) {
    FILE *file = std::fopen((home + "\\release").c_str(), "rb");
    if (!file) return false;
    char line[1024];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const std::string key = "JAVA_VERSION=";
        if (text.compare(0, key.size(), key) != 0) continue;
        std::string value = text.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        *version = value;
        found = true;
    }
    std::fclose(file);
    return found;
}

std::string baseName(const std::string &className) {
    size_t dot = className.rfind('.');
    return dot == std::string::npos ? className : className.substr(dot + 1);
}

void *procAddress(HMODULE module, const char *name) {
    FARPROC proc = GetProcAddress(module, name);
    void *address;
    static_assert(sizeof address == sizeof proc, "code and data pointers differ");
    std::memcpy(&address, &proc, sizeof address);
    return address;
}

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
        *reinterpret_cast<bool *>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// A window that was never shown, such as the owner of a message box, does
// not keep the process alive, as an undisplayed frame does not in Java.
bool applicationHasWindow() {
    bool found = false;
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void dispatchWhileWindowsExist() {
    MSG msg;
    while (applicationHasWindow()) {
        // Wakes up now and then for windows that another thread owns.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Windows of this thread go while their window procedures are still loaded.
void destroyThreadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (IsWindow(window)) DestroyWindow(window);
    }
}

// --- the runtime interface ---------------------------------------------------

const char *getProperty(const char *name) {
    if (!name) return nullptr;
    if (std::strcmp(name, "java.home") == 0) return runtime->home.c_str();
    if (std::strcmp(name, "file.separator") == 0) return "\\";
    if (std::strcmp(name, "java.version") == 0) return runtime->hasVersion ? runtime->version.c_str() : nullptr;
    return nullptr;
}

int readResource(const char *path, void **data, size_t *size) {
    if (!path || !data || !size) {
        setLastError("readResource: null argument");
        return -1;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    {
        std::lock_guard<std::recursive_mutex> lock(runtime->mutex);
        if (!runtime->application.read(path, &bytes, &error)) {
            setLastError(error);
            return -1;
        }
    }
    void *buffer = std::malloc(bytes.empty() ? 1 : bytes.size());
    if (!buffer) {
        setLastError("out of memory");
        return -1;
    }
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    *data = buffer;
    *size = bytes.size();
    return 0;
}

void freeBuffer(void *data) { std::free(data); }

RuntimeClass *loadClass(const char *archivePath, const char *className) {
    if (!archivePath || !className) {
        setLastError("loadClass: null argument");
        return nullptr;
    }
    if (!archive::isValidClassName(className)) {
        setLastError(std::string("invalid class name: ") + className);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> lock(runtime->mutex);
    std::string key = std::string(archivePath) + '\n' + className;
    auto known = runtime->classes.find(key);
    if (known != runtime->classes.end()) return known->second.get();

    archive::ZipArchive library;
    std::string error;
    if (!archive::openArchiveFile(archivePath, &library, &error)) {
        setLastError(std::string(archivePath) + ": " + error);
        return nullptr;
    }
    std::vector<uint8_t> image;
    if (!library.read(archive::moduleEntryName(className), &image, &error)) {
        setLastError(std::string("class ") + className + " not found in " + archivePath + ": " + error);
        return nullptr;
    }
    HMODULE module = runtime->modules.load(image, baseName(className), &error);
    if (!module) {
        setLastError(std::string("cannot load class ") + className + ": " + error);
        return nullptr;
    }
    auto cls = std::make_unique<RuntimeClass>(RuntimeClass{module, className});
    RuntimeClass *result = cls.get();
    runtime->classes.emplace(key, std::move(cls));
    return result;
}

void *getMethod(RuntimeClass *cls, const char *name) {
    if (!cls || !name) {
        setLastError("getMethod: null argument");
        return nullptr;
    }
    void *method = procAddress(cls->module, name);
    if (!method) setLastError("class " + cls->name + " has no method " + name);
    return method;
}

const char *lastError() { return lastErrorText; }

void releaseModules() {
    std::lock_guard<std::recursive_mutex> lock(runtime->mutex);
    runtime->modules.releaseAll();
}

[[noreturn]] void exitProcess(int code) {
    // A window procedure that ends the process again while its window is
    // being destroyed here skips straight to the end.
    static bool exiting = false;
    std::fflush(nullptr);
    if (!exiting) {
        exiting = true;
        destroyThreadWindows();
    }
    releaseModules();
    ExitProcess(static_cast<UINT>(code));
}

// An application that crashes ends with one line and the exception's code
// as its exit code, and its module files still go: no debugger dialog that
// would wait for a user, nothing left in the temporary folder.
LONG WINAPI onUnhandledException(EXCEPTION_POINTERS *info) {
    DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 1;
    std::fprintf(stderr, "Error: the application ended with exception 0x%08lX\n", static_cast<unsigned long>(code));
    std::fflush(nullptr);
    // Another thread may hold the lock for good; its modules stay then.
    if (runtime->mutex.try_lock()) runtime->modules.releaseAll();
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

const RuntimeApi kApi = {RUNTIME_API_VERSION, getProperty, readResource, freeBuffer, loadClass,
                         getMethod,           lastError,   exitProcess};

// Everything up to the entry's call; the host's failures return their line.
int run(int argc, char **argv) {
    if (argc < 3 || std::strcmp(argv[1], "-jar") != 0)
        return hostFailure("usage: javaw -jar ARCHIVE [ARG...]");
    const std::string archivePath = argv[2];
    std::string error;
    if (GetFileAttributesA(archivePath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return hostFailure("Unable to access jarfile " + archivePath);
    if (!archive::openArchiveFile(archivePath, &runtime->application, &error))
        return hostFailure("Invalid or corrupt jarfile " + archivePath + ": " + error);
    std::vector<uint8_t> manifestBytes;
    if (!runtime->application.find(archive::kManifestPath))
        return hostFailure("no manifest in " + archivePath);
    if (!runtime->application.read(archive::kManifestPath, &manifestBytes, &error))
        return hostFailure("Invalid or corrupt jarfile " + archivePath + ": " + error);
    archive::Manifest manifest;
    if (!manifest.parse(std::string(manifestBytes.begin(), manifestBytes.end()), &error))
        return hostFailure("Invalid or corrupt jarfile " + archivePath + ": " + error);
    const std::string *mainClass = manifest.find("Main-Class");
    if (!mainClass) return hostFailure("no main manifest attribute, in " + archivePath);
    if (!archive::isValidClassName(*mainClass)) return hostFailure("invalid Main-Class " + *mainClass);

    std::vector<uint8_t> image;
    if (!runtime->application.read(archive::moduleEntryName(*mainClass), &image, &error))
        return hostFailure("Could not find or load main class " + *mainClass + ": " + error);
    HMODULE module = runtime->modules.load(image, baseName(*mainClass), &error);
    if (!module) return hostFailure("Could not load main class " + *mainClass + ": " + error);
    auto entry = reinterpret_cast<RuntimeMainFn>(procAddress(module, RUNTIME_MAIN_NAME));
    if (!entry) return hostFailure("Main class " + *mainClass + " has no entry " RUNTIME_MAIN_NAME);

    entry(&kApi, argc - 3, argv + 3);
    dispatchWhileWindowsExist();
    std::fflush(nullptr);
    destroyThreadWindows();
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    // No module, nor anything a module imports, comes from the current folder.
    SetDllDirectoryA("");
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(onUnhandledException);
    Runtime state;
    runtime = &state;
    state.home = findHome();
    state.hasVersion = readVersion(state.home, &state.version);
    int code = run(argc, argv);
    releaseModules();
    return code;
}
