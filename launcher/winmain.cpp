// Entry point and the one failure channel: any operation raises a constant
// text, caught here, shown in a box, then everything that exists is cleaned up.
#include "launcher.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    FILE* module = NULL;
    char* temporaryName = NULL;
    bool interactive = false;
    int result = 0;
    try {
        module = openModuleFile();
        locateArchive(module, &interactive);
        int32_t size = getRestOfFileSize(module);
        temporaryName = storeJarToTemporaryFile(module, size);
        runJar(temporaryName, interactive);
    } catch (const char* message) {
        // Shown before the clean-up: the temporary file still exists meanwhile.
        MessageBoxA(NULL, message, "Error", MB_OK | MB_ICONERROR);
        result = -1;
    }
    if (module != NULL)
        fclose(module);
    if (temporaryName != NULL) {
        remove(temporaryName);
        free(temporaryName);
    }
    return result;
}
