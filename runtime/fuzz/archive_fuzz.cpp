// The archive reader and the manifest parser on arbitrary bytes: the input
// is opened as an archive (every entry read, the manifest parsed) and also
// parsed as a manifest text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "manifest.h"
#include "zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string error;
    archive::Manifest manifest;
    manifest.parse(std::string(reinterpret_cast<const char *>(data), size), &error);
    manifest.find("Main-Class");

    archive::ZipArchive zip;
    if (!zip.open(std::vector<uint8_t>(data, data + size), &error)) return 0;
    for (const archive::Entry &entry : zip.entries()) {
        std::vector<uint8_t> bytes;
        if (!zip.read(entry, &bytes, &error)) continue;
        if (entry.name == archive::kManifestPath && manifest.parse(std::string(bytes.begin(), bytes.end()), &error)) {
            if (const std::string *mainClass = manifest.find("Main-Class")) {
                if (archive::isValidClassName(*mainClass)) zip.find(archive::moduleEntryName(*mainClass));
            }
        }
    }
    return 0;
}
