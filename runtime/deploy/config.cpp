// The module of com.sun.deploy.config.Config in the deployment library:
// getUserHome gives the user's deployment folder.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "runtime_api.h"

namespace {

// FOLDERID_LocalAppDataLow, defined here so that no GUID library is needed.
const GUID kLocalAppDataLow = {0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}};

using GetKnownFolderPathFn = HRESULT(WINAPI *)(REFGUID, DWORD, HANDLE, PWSTR *);

// Known folders exist from Windows Vista on, and only with wide paths: there
// is no ANSI variant, so the path is converted to the ANSI code page, and a
// path that the code page cannot hold counts as not found.
bool localAppDataLow(std::string *path) {
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (!shell) return false;
    FARPROC proc = GetProcAddress(shell, "SHGetKnownFolderPath");
    if (!proc) return false;
    GetKnownFolderPathFn getKnownFolderPath;
    std::memcpy(&getKnownFolderPath, &proc, sizeof proc);
    PWSTR wide = nullptr;
    if (FAILED(getKnownFolderPath(kLocalAppDataLow, 0, nullptr, &wide)) || !wide) {
        CoTaskMemFree(wide);
        return false;
    }
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
    bool ok = length > 1 && !lossy;
    if (ok) {
        path->assign(static_cast<size_t>(length), '\0');
        ok = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &(*path)[0], length, nullptr, &lossy) ==
                 length &&
             !lossy;
        path->resize(static_cast<size_t>(length) - 1);
    }
    CoTaskMemFree(wide);
    return ok;
}

// Windows XP keeps the deployment folder under the roaming application data.
bool roamingAppData(std::string *path) {
    char buffer[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) return false;
    *path = buffer;
    return true;
}

}  // namespace

extern "C" __declspec(dllexport) long getUserHome(char *buf, size_t size) {
    std::string base;
    if (!localAppDataLow(&base) && !roamingAppData(&base)) return -1;
    std::string home = base + "\\Sun\\Java\\Deployment";
    if (buf && size > 0) std::snprintf(buf, size, "%s", home.c_str());
    return static_cast<long>(home.size());
}

// Fails to compile if the export drifts from the interface's signature.
[[maybe_unused]] static constexpr RuntimeTextMethod kGetUserHome = &getUserHome;
