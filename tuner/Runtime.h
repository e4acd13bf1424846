// The tuner's view of the runtime that started its module: the interface
// handed to the entry, kept for the static operations that need it
// (version gate, settings-file lookup) as the runtime's own statics would be.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "runtime_api.h"

namespace lumaset {

// A failure met through the runtime interface; what() carries the runtime's
// own explanation.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Set once by the module's entry, before anything else runs.
void setRuntime(const RuntimeApi *api);
// The runtime interface; throws RuntimeError when the module was not started
// by a runtime.
const RuntimeApi &runtime();
// The system property NAME, or none when the runtime has no such property
// (or there is no runtime).
std::optional<std::string> getProperty(const char *name);
// The platform's file name separator, a backslash when the runtime names none.
std::string fileSeparator();
// The runtime's explanation of its last failure on this thread.
std::string runtimeLastError();

}  // namespace lumaset
