// The launcher's operations. Every failure is raised as `throw "constant text";`
// and caught only in WinMain, which shows it and exits with -1.
#pragma once

#include <stdint.h>
#include <stdio.h>

// Each signature text is 38 characters; in a container it stands without terminator.
const int SIGNATURE_LENGTH = 38;

// The image's own copies of the two texts: the silent one lies first in the
// read-only data, each exactly once (checked after every build).
extern const char* const silentSignature;
extern const char* const interactiveSignature;

// Container and signature scan (container.cpp).
FILE* openModuleFile();
bool setPosBySignature(FILE* stream, const char* text, int length);
void locateArchive(FILE* stream, bool* interactive);
int32_t getRestOfFileSize(FILE* stream);

// Extraction and runtime start (extraction.cpp).
char* storeJarToTemporaryFile(FILE* source, int32_t size);
void runJar(const char* path, bool interactive);
void findJavaw(char* buffer, unsigned capacity);
