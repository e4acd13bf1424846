// Extraction of the payload archive to a temporary file, and the start of
// the Java runtime on it.
#include "launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <stdlib.h>
#include <string.h>

// Tests replace these to reach failures that Wine cannot produce.
#ifndef LAUNCHER_STRDUP
#define LAUNCHER_STRDUP strdup
#endif
#ifndef LAUNCHER_GET_TEMP_PATH
#define LAUNCHER_GET_TEMP_PATH GetTempPathA
#endif
#ifndef LAUNCHER_FCLOSE
#define LAUNCHER_FCLOSE fclose
#endif
#ifndef LAUNCHER_REG_QUERY_VALUE
#define LAUNCHER_REG_QUERY_VALUE RegQueryValueExA
#endif

namespace {

struct OutputFile {
    FILE* stream;
    ~OutputFile() { if (stream != NULL) fclose(stream); }
};

struct RegistryKey {
    HKEY handle;
    ~RegistryKey() { if (handle != NULL) RegCloseKey(handle); }
};

void copyBytes(FILE* source, FILE* target, int32_t size)
{
    char block[4096];
    while (size > 0) {
        size_t got = fread(block, 1, sizeof block, source);
        // Tested first: bytes read before a failure are not written.
        if (ferror(source))
            throw "File read error in \"storeJarToTemporaryFile\"";
        if (got == 0)
            throw "Premature end of file in \"storeMSIToTemporaryFile\"";
        if (got > (size_t)size)
            got = (size_t)size;
        if (fwrite(block, 1, got, target) != got)
            throw "File write error in \"storeMSIToTemporaryFile\"";
        size -= (int32_t)got;
    }
}

}  // namespace

char* storeJarToTemporaryFile(FILE* source, int32_t size)
{
    char directory[4096];
    DWORD length = LAUNCHER_GET_TEMP_PATH(sizeof directory, directory);
    // A longer path comes back as the length it would need, not as a path.
    if (length == 0 || length >= sizeof directory)
        throw "Unable to obtain path for temporary files";
    char name[MAX_PATH];
    if (GetTempFileNameA(directory, "jar", 0, name) == 0)
        throw "Unable to obtain temporary file name";
    // The system created the file: remove it again on any failure below.
    try {
        OutputFile output = {fopen(name, "wb")};
        if (output.stream == NULL)
            throw "Unable to create temporary file";
        copyBytes(source, output.stream, size);
        // The last block reaches the file only at the close: its failure is a write error too.
        FILE* stream = output.stream;
        output.stream = NULL;
        if (LAUNCHER_FCLOSE(stream) != 0)
            throw "File write error in \"storeMSIToTemporaryFile\"";
    } catch (const char*) {
        remove(name);
        throw;
    }
    char* copy = LAUNCHER_STRDUP(name);
    if (copy == NULL) {
        remove(name);
        throw "Unable to obtain temporary file name";
    }
    return copy;
}

void runJar(const char* path, bool interactive)
{
    // Room for the longest path GetTempFileNameA gives, in quotes, and " silent".
    char parameters[MAX_PATH + 32];
    // The runtime splits its parameters at blanks (temp folders under
    // "Documents and Settings"), so such a path goes in quotes.
    const char* quote = strchr(path, ' ') != NULL ? "\"" : "";
    int length = snprintf(parameters, sizeof parameters, interactive ? "-jar %s%s%s" : "-jar %s%s%s silent",
                          quote, path, quote);
    if (length < 0 || (size_t)length >= sizeof parameters)
        throw "Unable to execute Java Runtime";

    char runtime[MAX_PATH];
    findJavaw(runtime, sizeof runtime);

    SHELLEXECUTEINFOA start;
    memset(&start, 0, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT;
    start.hwnd = NULL;
    start.lpVerb = "open";
    start.lpFile = runtime;
    start.lpParameters = parameters;
    start.lpDirectory = NULL;
    start.nShow = SW_SHOW;
    start.hInstApp = 0;
    if (!ShellExecuteExA(&start))
        throw "Unable to execute Java Runtime";
    // A start through the shell may hand back no process; then there is nothing to wait on.
    if (start.hProcess != NULL) {
        WaitForSingleObject(start.hProcess, INFINITE);
        CloseHandle(start.hProcess);
    }
}

void findJavaw(char* buffer, unsigned capacity)
{
    if (buffer == NULL || capacity == 0)
        return;
    snprintf(buffer, capacity, "%s", "javaw.exe");
    buffer[capacity - 1] = '\0';

    RegistryKey key = {NULL};
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6", 0,
                      KEY_QUERY_VALUE, &key.handle) != ERROR_SUCCESS) {
        key.handle = NULL;
        return;
    }
    char home[MAX_PATH];
    memset(home, 0, sizeof home);
    DWORD type = 0;
    DWORD size = sizeof home;
    if (LAUNCHER_REG_QUERY_VALUE(key.handle, "JavaHome", NULL, &type, (BYTE*)home, &size) != ERROR_SUCCESS
        || type != REG_SZ)
        return;
    // A value that fills the buffer without a terminator is no usable text.
    if (memchr(home, '\0', sizeof home) == NULL)
        return;
    snprintf(buffer, capacity, "%s\\bin\\javaw.exe", home);
    buffer[capacity - 1] = '\0';
}
