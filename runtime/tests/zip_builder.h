// Builds ZIP archives byte by byte for the reader's tests, so that a test
// can place every record and damage any field.
#ifndef RUNTIME_TESTS_ZIP_BUILDER_H
#define RUNTIME_TESTS_ZIP_BUILDER_H

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes &out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes &out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}
inline void set32(Bytes &out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void set16(Bytes &out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline Bytes deflateRaw(const std::string &data) {
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&s, data.size()) + 16);
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

struct Item {
    std::string name;
    std::string data;
    uint16_t method = 8;
    uint16_t flags = 0;
};

// An archive of ITEMS, written in order; positions of the records are kept
// so that tests can damage them.
struct Archive {
    Bytes bytes;
    std::vector<size_t> localOffsets;
    std::vector<size_t> centralOffsets;
    size_t endOffset = 0;
};

inline Archive build(const std::vector<Item> &items) {
    Archive a;
    struct Central {
        Item item;
        uint32_t crc, compressed, offset;
    };
    std::vector<Central> centrals;
    for (const Item &item : items) {
        Bytes data = item.method == 8 ? deflateRaw(item.data) : Bytes(item.data.begin(), item.data.end());
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef *>(item.data.data()), static_cast<uInt>(item.data.size()));
        a.localOffsets.push_back(a.bytes.size());
        centrals.push_back({item, crc, static_cast<uint32_t>(data.size()), static_cast<uint32_t>(a.bytes.size())});
        put32(a.bytes, 0x04034b50);
        put16(a.bytes, 20);
        put16(a.bytes, item.flags);
        put16(a.bytes, item.method);
        put32(a.bytes, 0);  // time, date
        put32(a.bytes, crc);
        put32(a.bytes, static_cast<uint32_t>(data.size()));
        put32(a.bytes, static_cast<uint32_t>(item.data.size()));
        put16(a.bytes, static_cast<uint32_t>(item.name.size()));
        put16(a.bytes, 0);
        a.bytes.insert(a.bytes.end(), item.name.begin(), item.name.end());
        a.bytes.insert(a.bytes.end(), data.begin(), data.end());
    }
    size_t cd = a.bytes.size();
    for (const Central &c : centrals) {
        a.centralOffsets.push_back(a.bytes.size());
        put32(a.bytes, 0x02014b50);
        put16(a.bytes, 20);
        put16(a.bytes, 20);
        put16(a.bytes, c.item.flags);
        put16(a.bytes, c.item.method);
        put32(a.bytes, 0);
        put32(a.bytes, c.crc);
        put32(a.bytes, c.compressed);
        put32(a.bytes, static_cast<uint32_t>(c.item.data.size()));
        put16(a.bytes, static_cast<uint32_t>(c.item.name.size()));
        put16(a.bytes, 0);
        put16(a.bytes, 0);
        put16(a.bytes, 0);
        put16(a.bytes, 0);
        put32(a.bytes, 0);
        put32(a.bytes, c.offset);
        a.bytes.insert(a.bytes.end(), c.item.name.begin(), c.item.name.end());
    }
    a.endOffset = a.bytes.size();
    put32(a.bytes, 0x06054b50);
    put16(a.bytes, 0);
    put16(a.bytes, 0);
    put16(a.bytes, static_cast<uint32_t>(items.size()));
    put16(a.bytes, static_cast<uint32_t>(items.size()));
    put32(a.bytes, static_cast<uint32_t>(a.endOffset - cd));
    put32(a.bytes, static_cast<uint32_t>(cd));
    put16(a.bytes, 0);
    return a;
}

// Central header fields by offset within the record.
constexpr size_t kCentralFlags = 8, kCentralMethod = 10, kCentralCrc = 16, kCentralCompressed = 20,
                 kCentralLength = 24, kCentralOffset = 42;
constexpr size_t kEndCount = 10, kEndCdLength = 12, kEndCdOffset = 16;

}  // namespace ziptest

#endif
