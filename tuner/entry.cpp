// The entry that the runtime host calls in the tuner's module (Lumaset.dll):
// it hands the runtime interface to the tuner and lets nothing escape.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Lumaset.h"
#include "Runtime.h"

// The module's entry, called by the runtime host on its main thread.
extern "C" __declspec(dllexport) void runtimeMain(const RuntimeApi *api, int argc, char **argv) {
    try {
        if (!api || api->version < RUNTIME_API_VERSION) {
            std::fprintf(stderr, "Lumaset: started without a usable runtime interface\n");
            return;
        }
        lumaset::setRuntime(api);
        std::vector<std::string> args;
        for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
        Lumaset::main(args);
    } catch (const std::exception &e) {
        ui::printTrace("Lumaset.main", &e);
    } catch (...) {
        ui::printTrace("Lumaset.main", nullptr);
    }
    std::fflush(nullptr);
}
