// A class of a second archive, loaded by the probe through loadClass.
#include <cstdio>

#include "runtime_api.h"

extern "C" __declspec(dllexport) long greet(char *buf, size_t size) {
    const char text[] = "hello from the library";
    if (buf && size > 0) std::snprintf(buf, size, "%s", text);
    return static_cast<long>(sizeof text - 1);
}

[[maybe_unused]] static constexpr RuntimeTextMethod kGreet = &greet;
