#include "Runtime.h"

namespace lumaset {

namespace {
const RuntimeApi *theRuntime = nullptr;
}

void setRuntime(const RuntimeApi *api) { theRuntime = api; }

const RuntimeApi &runtime() {
    if (!theRuntime) throw RuntimeError("the tuner was not started by a Java runtime");
    return *theRuntime;
}

std::optional<std::string> getProperty(const char *name) {
    if (!theRuntime || !theRuntime->getProperty) return std::nullopt;
    const char *value = theRuntime->getProperty(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

std::string fileSeparator() {
    std::optional<std::string> separator = getProperty("file.separator");
    return separator && !separator->empty() ? *separator : std::string("\\");
}

std::string runtimeLastError() {
    const char *text = theRuntime && theRuntime->lastError ? theRuntime->lastError() : nullptr;
    return text && *text ? std::string(text) : std::string("no reason given");
}

}  // namespace lumaset
