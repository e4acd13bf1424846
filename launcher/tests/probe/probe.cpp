// Stands in for javaw.exe in the launcher's tests: records how it was started
// and a copy of the archive it was given, then exits with the code the test
// chose. LUMASET_PROBE_OUT names the record; LUMASET_PROBE_EXIT the exit code.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct File {
    FILE* stream;
    ~File() { if (stream != NULL) fclose(stream); }
};

// Copies the archive to RECORD.jar; false when it cannot be read.
bool copyArchive(const char* archive, const char* record)
{
    char target[MAX_PATH + 8];
    if (snprintf(target, sizeof target, "%s.jar", record) >= (int)sizeof target)
        return false;
    File in = {fopen(archive, "rb")};
    File out = {fopen(target, "wb")};
    if (in.stream == NULL || out.stream == NULL)
        return false;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, in.stream)) > 0)
        if (fwrite(block, 1, got, out.stream) != got)
            return false;
    return ferror(in.stream) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("LUMASET_PROBE_OUT", record, sizeof record);
    if (length > 0 && length < sizeof record) {
        File out = {fopen(record, "wb")};
        if (out.stream != NULL) {
            char module[MAX_PATH * 2] = "";
            GetModuleFileNameA(NULL, module, sizeof module);
            char directory[MAX_PATH * 2] = "";
            GetCurrentDirectoryA(sizeof directory, directory);
            fprintf(out.stream, "module=%s\ncmdline=%s\ncwd=%s\nargc=%d\n", module, GetCommandLineA(), directory,
                    __argc);
            for (int i = 1; i < __argc; ++i)
                fprintf(out.stream, "arg%d=%s\n", i, __argv[i]);
            if (__argc > 2 && strcmp(__argv[1], "-jar") == 0)
                fprintf(out.stream, "archive-copied=%d\n", copyArchive(__argv[2], record) ? 1 : 0);
        }
    }
    char code[32];
    length = GetEnvironmentVariableA("LUMASET_PROBE_EXIT", code, sizeof code);
    return length > 0 && length < sizeof code ? (int)strtoul(code, NULL, 0) : 0;
}
