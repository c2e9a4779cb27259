#include "core/tiff_check.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

namespace orvalis {
namespace {

// Nothing but the header may start before this byte; it also makes an
// offset of 0, which TIFF uses for "none", point outside.
constexpr uint64_t kHeaderSize = 8;
constexpr size_t kEntrySize = 12;
// A fax runs to tens of pages. A chain far longer is garbage, and following
// it would only cost time.
constexpr size_t kMaxPages = 10000;
// Strip and tile arrays are read in blocks, so that a huge array needs no
// huge buffer.
constexpr uint32_t kBlock = 256;

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
// Offsets then byte counts, of strips then of tiles.
constexpr uint16_t kDataTags[] = {273, 279, 324, 325};

// Bytes per value of the TIFF 6.0 field types, 0 for types it does not
// define: their size is unknown, so such entries cannot be checked.
unsigned TypeSize(uint16_t type) {
    static const unsigned char sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < sizeof sizes ? sizes[type] : 0;
}

struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    const unsigned char* value = nullptr; // the 4-byte value or offset field
};

class Checker {
  public:
    Checker(ByteSource& file, bool big_endian)
        : file_(file), size_(file.Size()), big_(big_endian) {}

    uint16_t U16(const unsigned char* p) const {
        return static_cast<uint16_t>(big_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
    }
    uint32_t U32(const unsigned char* p) const {
        const uint32_t first = U16(p), second = U16(p + 2);
        return big_ ? first << 16 | second : second << 16 | first;
    }

    // Checks the directory at `offset` and gives the offset of the next one.
    bool PageIsWhole(uint32_t offset, uint32_t* next) {
        unsigned char head[2];
        if (!Inside(offset, sizeof head) || !file_.ReadAt(offset, head, sizeof head))
            return false;
        const size_t entries = U16(head);
        const size_t length = 2 + entries * kEntrySize + 4;
        if (entries == 0 || !Inside(offset, length))
            return false;
        std::vector<unsigned char> ifd(length);
        if (!file_.ReadAt(offset, ifd.data(), length))
            return false;
        Entry data[std::size(kDataTags)];
        for (size_t i = 0; i < entries; ++i) {
            const unsigned char* p = &ifd[2 + i * kEntrySize];
            const Entry e{U16(p), U16(p + 2), U32(p + 4), p + 8};
            const uint64_t bytes = uint64_t{e.count} * TypeSize(e.type);
            if (bytes > 4 && !Inside(U32(e.value), bytes))
                return false;
            const auto tag = std::find(std::begin(kDataTags), std::end(kDataTags), e.tag);
            if (tag == std::end(kDataTags))
                continue;
            // Two arrays for the same thing leave the layout in doubt.
            Entry& slot = data[tag - std::begin(kDataTags)];
            if (slot.value)
                return false;
            slot = e;
        }
        *next = U32(&ifd[length - 4]);
        // Strips and tiles exclude each other; a reader would pick one and
        // might miss data missing from the other.
        const bool strips = data[0].value || data[1].value;
        const bool tiles = data[2].value || data[3].value;
        if (strips == tiles)
            return false;
        return strips ? PiecesInside(data[0], data[1]) : PiecesInside(data[2], data[3]);
    }

  private:
    bool Inside(uint64_t offset, uint64_t length) const {
        return offset >= kHeaderSize && offset <= size_ && length <= size_ - offset;
    }

    bool PiecesInside(const Entry& offsets, const Entry& counts) {
        if (!offsets.value || !counts.value || offsets.count == 0 ||
            offsets.count != counts.count || !IsShortOrLong(offsets.type) ||
            !IsShortOrLong(counts.type))
            return false;
        uint32_t offset[kBlock], length[kBlock];
        for (uint64_t first = 0; first < offsets.count; first += kBlock) {
            const uint32_t n =
                static_cast<uint32_t>(std::min<uint64_t>(kBlock, offsets.count - first));
            if (!Values(offsets, first, n, offset) || !Values(counts, first, n, length))
                return false;
            // An empty strip is what a writer leaves before it fills the
            // counts in; a fax page always has some data.
            for (uint32_t i = 0; i < n; ++i)
                if (length[i] == 0 || !Inside(offset[i], length[i]))
                    return false;
        }
        return true;
    }

    static bool IsShortOrLong(uint16_t type) { return type == kShort || type == kLong; }

    // Values [first, first + n) of a SHORT or LONG entry, n <= kBlock.
    bool Values(const Entry& e, uint64_t first, uint32_t n, uint32_t* out) {
        const unsigned size = TypeSize(e.type);
        unsigned char raw[kBlock * 4];
        const unsigned char* p = e.value;
        if (uint64_t{e.count} * size > 4) {
            if (!file_.ReadAt(U32(e.value) + first * size, raw, n * size))
                return false;
            p = raw;
        }
        for (uint32_t i = 0; i < n; ++i)
            out[i] = size == 2 ? U16(p + 2 * i) : U32(p + 4 * i);
        return true;
    }

    ByteSource& file_;
    const uint64_t size_;
    const bool big_;
};

} // namespace

bool IsWholeTiff(ByteSource& file) {
    return WholeTiffPages(file) > 0;
}

int WholeTiffPages(ByteSource& file) {
    unsigned char header[kHeaderSize];
    if (!file.ReadAt(0, header, sizeof header))
        return 0;
    const bool big = header[0] == 'M';
    if (header[0] != header[1] || (header[0] != 'I' && !big))
        return 0;
    Checker tiff(file, big);
    if (tiff.U16(header + 2) != 42)
        return 0;
    std::set<uint32_t> seen;
    uint32_t offset = tiff.U32(header + 4);
    do {
        if (seen.size() == kMaxPages || !seen.insert(offset).second ||
            !tiff.PageIsWhole(offset, &offset))
            return 0;
    } while (offset != 0);
    return static_cast<int>(seen.size());
}

} // namespace orvalis
