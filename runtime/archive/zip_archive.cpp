// A small reader of the ZIP central directory over zlib's inflate: no ZIP
// library is packaged for the MinGW targets, and a Java archive needs only
// stored and deflated entries.
#include "zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace archive {
namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr size_t kLocalHeaderLength = 30;
constexpr size_t kCentralHeaderLength = 46;
constexpr size_t kEndLength = 22;
constexpr size_t kZip64LocatorLength = 20;
constexpr size_t kMaxCommentLength = 0xffff;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kMethodAes = 99;

uint16_t get16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool fail(std::string *error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// True when [offset, offset + length) lies within a buffer of SIZE bytes.
bool within(size_t size, size_t offset, size_t length) {
    return offset <= size && length <= size - offset;
}

// The offset of the end-of-central-directory record: the last signature whose
// comment ends exactly at the end of the file.
bool findEnd(const std::vector<uint8_t> &bytes, size_t *endOffset) {
    if (bytes.size() < kEndLength) return false;
    size_t last = bytes.size() - kEndLength;
    size_t first = last > kMaxCommentLength ? last - kMaxCommentLength : 0;
    for (size_t at = last + 1; at-- > first;) {
        const uint8_t *p = bytes.data() + at;
        if (get32(p) == kEndSignature && at + kEndLength + get16(p + 20) == bytes.size()) {
            *endOffset = at;
            return true;
        }
    }
    return false;
}

}  // namespace

bool isSafeEntryName(std::string_view name) {
    if (name.empty() || name.front() == '/') return false;
    size_t start = 0;
    while (start < name.size()) {
        size_t slash = name.find('/', start);
        bool last = slash == std::string_view::npos;
        std::string_view part = name.substr(start, last ? std::string_view::npos : slash - start);
        // A trailing slash marks a folder entry; any other empty part is a "//".
        if (part.empty() || part == "." || part == "..") return false;
        for (unsigned char c : part) {
            if (c < 0x20 || c == 0x7f || c == '\\' || c == ':') return false;
        }
        if (last) break;
        start = slash + 1;
    }
    return true;
}

bool ZipArchive::open(std::vector<uint8_t> bytes, std::string *error) {
    bytes_.clear();
    entries_.clear();
    if (bytes.size() > kMaxArchiveLength) return fail(error, "archive too large");
    size_t end = 0;
    if (!findEnd(bytes, &end)) return fail(error, "not an archive (no end of central directory)");
    const uint8_t *e = bytes.data() + end;
    if (end >= kZip64LocatorLength && get32(bytes.data() + end - kZip64LocatorLength) == kZip64LocatorSignature)
        return fail(error, "ZIP64 archives are not supported");
    uint16_t disk = get16(e + 4), cdDisk = get16(e + 6);
    uint16_t diskEntries = get16(e + 8), count = get16(e + 10);
    uint32_t cdLength = get32(e + 12), cdOffset = get32(e + 16);
    if (count == 0xffff || cdLength == 0xffffffff || cdOffset == 0xffffffff)
        return fail(error, "ZIP64 archives are not supported");
    if (disk != 0 || cdDisk != 0 || diskEntries != count)
        return fail(error, "multi-part archives are not supported");
    if (cdOffset > end || cdLength > end - cdOffset)
        return fail(error, "central directory lies outside the archive");

    struct Span {
        size_t begin, end;
        size_t entry;
    };
    std::vector<Span> spans;
    std::vector<Entry> entries;
    entries.reserve(count);
    size_t at = cdOffset;
    const size_t cdEnd = size_t{cdOffset} + cdLength;
    for (size_t i = 0; i < count; ++i) {
        if (!within(cdEnd, at, kCentralHeaderLength) || get32(bytes.data() + at) != kCentralHeaderSignature)
            return fail(error, "damaged central directory");
        const uint8_t *c = bytes.data() + at;
        uint16_t flags = get16(c + 8), method = get16(c + 10);
        uint16_t nameLength = get16(c + 28), extraLength = get16(c + 30), commentLength = get16(c + 32);
        size_t recordLength = kCentralHeaderLength + nameLength + extraLength + commentLength;
        if (!within(cdEnd, at, recordLength)) return fail(error, "damaged central directory");
        Entry entry;
        entry.name.assign(reinterpret_cast<const char *>(c + kCentralHeaderLength), nameLength);
        entry.method = method;
        entry.crc = get32(c + 16);
        entry.compressedLength = get32(c + 20);
        entry.length = get32(c + 24);
        entry.headerOffset = get32(c + 42);
        at += recordLength;

        const std::string &name = entry.name;
        if (entry.compressedLength == 0xffffffff || entry.length == 0xffffffff ||
            entry.headerOffset == 0xffffffff || get16(c + 34) == 0xffff)
            return fail(error, "ZIP64 entries are not supported: " + name);
        if ((flags & (kFlagEncrypted | kFlagStrongEncryption)) || method == kMethodAes)
            return fail(error, "encrypted entries are not supported: " + name);
        if (method != kMethodStored && method != kMethodDeflated)
            return fail(error, "unsupported compression method " + std::to_string(method) + ": " + name);
        if (name.find('\0') != std::string::npos || !isSafeEntryName(name))
            return fail(error, "unsafe entry name: " + name);
        if (method == kMethodStored && entry.compressedLength != entry.length)
            return fail(error, "stored entry with two lengths: " + name);
        if (entry.length > kMaxArchiveLength) return fail(error, "entry too large: " + name);

        // The local header repeats the name; its own lengths place the data.
        size_t local = entry.headerOffset;
        if (!within(cdOffset, local, kLocalHeaderLength) || get32(bytes.data() + local) != kLocalHeaderSignature)
            return fail(error, "damaged local header: " + name);
        const uint8_t *l = bytes.data() + local;
        if (get16(l + 6) & (kFlagEncrypted | kFlagStrongEncryption))
            return fail(error, "encrypted entries are not supported: " + name);
        size_t localName = get16(l + 26), localExtra = get16(l + 28);
        size_t data = local + kLocalHeaderLength + localName + localExtra;
        if (localName != nameLength || !within(cdOffset, local + kLocalHeaderLength, localName + localExtra) ||
            !std::equal(name.begin(), name.end(), l + kLocalHeaderLength))
            return fail(error, "damaged local header: " + name);
        if (!within(cdOffset, data, entry.compressedLength)) return fail(error, "entry data lies outside the archive: " + name);
        entry.dataOffset = data;
        spans.push_back({local, data + entry.compressedLength, entries.size()});
        entries.push_back(std::move(entry));
    }
    if (at != cdEnd) return fail(error, "damaged central directory");

    // Entries that share bytes are refused: they make an archive that
    // decompresses to far more than its size, or two names for one content.
    std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.begin < b.begin; });
    for (size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].begin < spans[i - 1].end)
            return fail(error, "overlapping entries: " + entries[spans[i - 1].entry].name + " and " +
                                   entries[spans[i].entry].name);
    }
    std::vector<const Entry *> byName;
    for (const Entry &entry : entries) byName.push_back(&entry);
    std::sort(byName.begin(), byName.end(), [](const Entry *a, const Entry *b) { return a->name < b->name; });
    for (size_t i = 1; i < byName.size(); ++i) {
        if (byName[i]->name == byName[i - 1]->name) return fail(error, "duplicate entry: " + byName[i]->name);
    }

    bytes_ = std::move(bytes);
    entries_ = std::move(entries);
    return true;
}

const Entry *ZipArchive::find(std::string_view name) const {
    for (const Entry &entry : entries_) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

bool ZipArchive::read(const Entry &entry, std::vector<uint8_t> *data, std::string *error) const {
    data->assign(entry.length, 0);
    const uint8_t *source = bytes_.data() + entry.dataOffset;
    if (entry.method == kMethodStored) {
        std::copy(source, source + entry.length, data->begin());
    } else {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return fail(error, "out of memory");
        stream.next_in = const_cast<Bytef *>(source);
        stream.avail_in = entry.compressedLength;
        // One extra byte of room shows an entry that inflates to more than it says.
        uint8_t spare = 0;
        stream.next_out = entry.length ? data->data() : &spare;
        stream.avail_out = entry.length ? entry.length : 1;
        int status = inflate(&stream, Z_FINISH);
        if ((status == Z_OK || status == Z_BUF_ERROR) && stream.avail_out == 0 && entry.length) {
            stream.next_out = &spare;
            stream.avail_out = 1;
            status = inflate(&stream, Z_FINISH);
        }
        bool ended = status == Z_STREAM_END;
        uLong produced = stream.total_out;
        inflateEnd(&stream);
        if (!ended || produced != entry.length) return fail(error, "damaged compressed data: " + entry.name);
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, data->data(), static_cast<uInt>(data->size()));
    if (crc != entry.crc) return fail(error, "CRC mismatch: " + entry.name);
    return true;
}

bool ZipArchive::read(std::string_view name, std::vector<uint8_t> *data, std::string *error) const {
    const Entry *entry = find(name);
    if (!entry) return fail(error, "no entry " + std::string(name));
    return read(*entry, data, error);
}

bool openArchiveFile(const std::string &path, ZipArchive *archive, std::string *error) {
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return fail(error, "cannot open the file");
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    bool ok = true;
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        if (bytes.size() + got > kMaxArchiveLength) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (!ok) return fail(error, "archive too large");
    if (readError) return fail(error, "cannot read the file");
    return archive->open(std::move(bytes), error);
}

}  // namespace archive
