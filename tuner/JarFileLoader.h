// The tuner's side of class loading: classes of other archives are reached
// through the runtime's loadClass, one location after another.
#pragma once

#include <string>
#include <vector>

#include "Runtime.h"

class JarFileLoader {
public:
    // LOCATIONS: archive paths searched in this order (the tuner passes none).
    explicit JarFileLoader(std::vector<std::string> locations = {}) : m_Locations(std::move(locations)) {}

    // Adds the archive at PATH as a location. Throws RuntimeError for an
    // empty path, which names no archive.
    void addFile(const std::string &path);

    // The class NAME from the first location that holds it. Only the added
    // locations are searched: the application's own Class-Path (deploy.jar
    // beside the archive, that is, in the temporary folder the launcher
    // extracted it to) is deliberately not, so that a deploy.jar planted
    // there cannot stand in for the runtime's. Throws RuntimeError when no
    // location holds the class.
    RuntimeClass *loadClass(const std::string &name) const;

    // The class NAME from the archive JAR_NAME in the runtime's lib folder
    // (java.home\lib\JAR_NAME). Throws RuntimeError when the runtime has no
    // home or the class cannot be loaded.
    static RuntimeClass *loadClassFromJAR(const std::string &jarName, const std::string &name);

private:
    std::vector<std::string> m_Locations;
};
