#include "JarFileLoader.h"

using lumaset::RuntimeError;

void JarFileLoader::addFile(const std::string &path) {
    if (path.empty()) throw RuntimeError("JarFileLoader.addFile: an empty path names no archive");
    m_Locations.push_back(path);
}

RuntimeClass *JarFileLoader::loadClass(const std::string &name) const {
    const RuntimeApi &api = lumaset::runtime();
    std::string reasons;
    for (const std::string &location : m_Locations) {
        if (RuntimeClass *cls = api.loadClass(location.c_str(), name.c_str())) return cls;
        reasons += "\n\t" + lumaset::runtimeLastError();
    }
    throw RuntimeError("class " + name + " not found" + (reasons.empty() ? " (no location to search)" : reasons));
}

RuntimeClass *JarFileLoader::loadClassFromJAR(const std::string &jarName, const std::string &name) {
    std::optional<std::string> home = lumaset::getProperty("java.home");
    if (!home || home->empty()) throw RuntimeError("the runtime names no java.home");
    const std::string separator = lumaset::fileSeparator();
    JarFileLoader loader;
    loader.addFile(*home + separator + "lib" + separator + jarName);
    return loader.loadClass(name);
}
