// Reading of ZIP archives (Java archives) held in memory.
//
// The host reads archives that it did not write, so every offset and length
// is checked against the bytes before use, and what cannot be read safely is
// refused with a clear error: ZIP64, encryption, compression methods other
// than stored and deflated, unsafe entry names, overlapping entries.
#ifndef RUNTIME_ZIP_ARCHIVE_H
#define RUNTIME_ZIP_ARCHIVE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace archive {

// Archives and entries larger than this are refused rather than read into memory.
constexpr size_t kMaxArchiveLength = 256u * 1024u * 1024u;

struct Entry {
    std::string name;
    uint16_t method = 0;          // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint32_t compressedLength = 0;
    uint32_t length = 0;          // uncompressed
    uint32_t headerOffset = 0;    // local header
    size_t dataOffset = 0;        // first byte of the (compressed) data
};

class ZipArchive {
public:
    // Parses the central directory of BYTES (the whole archive file).
    // Returns false with *error set when the bytes are not a readable archive.
    bool open(std::vector<uint8_t> bytes, std::string *error);

    const std::vector<Entry> &entries() const { return entries_; }

    // The entry named NAME exactly, or null.
    const Entry *find(std::string_view name) const;

    // Decompresses ENTRY into *data and checks its CRC-32.
    bool read(const Entry &entry, std::vector<uint8_t> *data, std::string *error) const;

    // find + read; "no entry NAME" when it is missing.
    bool read(std::string_view name, std::vector<uint8_t> *data, std::string *error) const;

private:
    std::vector<uint8_t> bytes_;
    std::vector<Entry> entries_;
};

// Reads the whole file at PATH and opens it as an archive. The errors name
// the file's problem, not the path (the caller knows the path).
bool openArchiveFile(const std::string &path, ZipArchive *archive, std::string *error);

// True when NAME may be used as a path below a folder: relative, no "..",
// no empty or "." components, no backslash, drive colon or control bytes.
bool isSafeEntryName(std::string_view name);

}  // namespace archive

#endif
