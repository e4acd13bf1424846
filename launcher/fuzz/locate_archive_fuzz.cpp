// Any file given to the container scan ends in a position inside the file or
// in one of the launcher's failure texts: never a crash or an endless read.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../launcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == NULL)
        return 0;  // fmemopen refuses an empty buffer
    bool interactive = false;
    try {
        locateArchive(stream, &interactive);
        long position = ftell(stream);
        int32_t rest = getRestOfFileSize(stream);
        if (position < SIGNATURE_LENGTH || (size_t)position > size || (size_t)position + rest != size)
            abort();
        // The archive begins right after the signature that selected the mode.
        const char* signature = interactive ? interactiveSignature : silentSignature;
        if (memcmp(data + position - SIGNATURE_LENGTH, signature, SIGNATURE_LENGTH) != 0)
            abort();
    } catch (const char* message) {
        if (strcmp(message, "Jar signature not found.") != 0)
            abort();
    }
    fclose(stream);
    return 0;
}
