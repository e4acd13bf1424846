// A stand-in deployment library that someone planted: its getUserHome names
// the folder in LUMASET_PLANTED_HOME. The tuner must never load it from
// beside its own archive.
#include <windows.h>

#include <cstddef>

extern "C" __declspec(dllexport) long getUserHome(char *buf, size_t size) {
    char home[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("LUMASET_PLANTED_HOME", home, sizeof home);
    if (length == 0 || length >= sizeof home) return -1;
    if (size > length) lstrcpynA(buf, home, static_cast<int>(size));
    return static_cast<long>(length);
}
