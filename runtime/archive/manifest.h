// The main section of a Java archive manifest (META-INF/MANIFEST.MF).
#ifndef RUNTIME_MANIFEST_H
#define RUNTIME_MANIFEST_H

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace archive {

constexpr std::string_view kManifestPath = "META-INF/MANIFEST.MF";

class Manifest {
public:
    // Parses the main section of TEXT: "Name: value" headers, continuation
    // lines that begin with one space, lines ending in CR LF, LF or CR. The
    // main section ends at the first empty line. False with *error set when
    // a line is not a header.
    bool parse(std::string_view text, std::string *error);

    // Value of the header NAME (names compare without regard to case), or null.
    const std::string *find(std::string_view name) const;

private:
    std::vector<std::pair<std::string, std::string>> headers_;
};

// True when NAME is a class name the host can map to an entry: dot-separated
// Java identifiers ("com.example.Main").
bool isValidClassName(std::string_view name);

// "com.example.Main" -> "com/example/Main.dll": the entry of the class's module.
std::string moduleEntryName(std::string_view className);

}  // namespace archive

#endif
