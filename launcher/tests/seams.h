// Replacements that the test build of the operations calls instead of the
// system's, to reach failures Wine cannot produce.
#pragma once

#include <windows.h>

#include <stdio.h>

char* testStrdup(const char* text);
DWORD testGetTempPath(DWORD capacity, LPSTR buffer);
DWORD testGetModuleFileName(HMODULE module, LPSTR buffer, DWORD capacity);
LONG testRegQueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
int testFclose(FILE* stream);
