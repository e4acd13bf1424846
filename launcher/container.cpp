// The payload container: the launcher image, one signature, then the archive
// to the end of the file. The signature in front of the archive sets the mode.
#include "launcher.h"

#ifdef _WIN32
#include <windows.h>

// Tests replace this to reach a cut-short path, which Wine cannot start.
#ifndef LAUNCHER_GET_MODULE_FILE_NAME
#define LAUNCHER_GET_MODULE_FILE_NAME GetModuleFileNameA
#endif
#endif

// One array, so that the silent text lies before the interactive one in the
// image and neither is emitted twice.
static const char signatures[2][SIGNATURE_LENGTH + 1] = {
    "{687BCF32-1A77-43f0-8707-FED476A09A0D}",
    "{59A39A45-C95C-46c8-BFF3-BDF22943DFDA}",
};
const char* const silentSignature = signatures[0];
const char* const interactiveSignature = signatures[1];

#ifdef _WIN32
FILE* openModuleFile()
{
    char path[MAX_PATH];
    DWORD length = LAUNCHER_GET_MODULE_FILE_NAME(NULL, path, MAX_PATH);
    // A result of MAX_PATH means the path was cut short and names another file.
    if (length == 0 || length >= MAX_PATH)
        throw "Unable to open module file";
    FILE* stream = fopen(path, "rb");
    if (stream == NULL)
        throw "Unable to open module file";
    return stream;
}
#endif

bool setPosBySignature(FILE* stream, const char* text, int length)
{
    if (stream == NULL || text == NULL || length < 1)
        throw "Invalid argumets passed to \"setPosBySignature\"";
    int matched = 0;
    for (;;) {
        int c = fgetc(stream);
        // A read error ends the scan like the end of the file: reading on
        // would never reach either.
        if (feof(stream) || ferror(stream))
            return false;
        // A byte that breaks a match is not compared with the first character again.
        if ((char)c == text[matched])
            ++matched;
        else
            matched = 0;
        if (matched == length)
            return true;
    }
}

void locateArchive(FILE* stream, bool* interactive)
{
    // The first two scans pass the image's own copies of the texts.
    if (!setPosBySignature(stream, silentSignature, SIGNATURE_LENGTH))
        throw "Jar signature not found.";
    if (!setPosBySignature(stream, interactiveSignature, SIGNATURE_LENGTH))
        throw "Jar signature not found.";
    long resume = ftell(stream);
    if (setPosBySignature(stream, interactiveSignature, SIGNATURE_LENGTH)) {
        *interactive = true;
        return;
    }
    // The reposition also clears the end-of-file indicator the last scan set.
    fseek(stream, resume, SEEK_SET);
    if (!setPosBySignature(stream, silentSignature, SIGNATURE_LENGTH))
        throw "Jar signature not found.";
}

int32_t getRestOfFileSize(FILE* stream)
{
    if (stream == NULL)
        throw "Invalid argumet passed to \"getRestOfFileSize\"";
    long first = ftell(stream);
    fseek(stream, 0, SEEK_END);
    long end = ftell(stream);
    fseek(stream, first, SEEK_SET);
    return (int32_t)(end - first);
}
