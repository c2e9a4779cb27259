#include "core/tiff_check.h"

#include <gtest/gtest.h>

#include <algorithm>

struct Source : orvalis::ByteSource {
    explicit Source(std::vector<uint8_t> b) : bytes(std::move(b)) {}
    std::vector<uint8_t> bytes;
    uint64_t read = 0;
    bool Whole() { return orvalis::IsWholeTiff(*this); }
    uint64_t Size() const override { return bytes.size(); }
    bool ReadAt(uint64_t at, void* out, size_t n) override {
        read += n;
        const bool inside = at <= bytes.size() && n <= bytes.size() - at;
        std::copy_n(bytes.begin() + (inside ? at : 0), inside ? n : 0, static_cast<uint8_t*>(out));
        return inside;
    }
};

static void Set(std::vector<uint8_t>& b, size_t at, uint32_t value, int n = 4, bool big = false) {
    for (int i = 0; i < n; ++i)
        b[at + i] = static_cast<uint8_t>(value >> 8 * (big ? n - 1 - i : i));
}

// A layout's bits: 1 big-endian, 2 directories before the data (as a streaming
// writer puts them) rather than after, 4 tiles rather than strips, 8 SHORT
// rather than LONG offsets and byte counts; bits / 16 % 3 + 1 strips or tiles
// on each of bits / 48 + 1 pages, unless `many` says how many. Each directory
// has three entries, an image width and the offsets and byte counts, kept in
// the entry while they fit.
static std::vector<uint8_t> Build(uint32_t bits, uint32_t piece = 16, uint32_t many = 0) {
    const bool big = bits & 1, ifd_first = bits & 2;
    const uint32_t size = bits & 8 ? 2 : 4, pieces = many ? many : bits / 16 % 3 + 1;
    const uint32_t pages = bits / 48 + 1;
    const uint32_t out = pieces * size > 4 ? pieces * size : 0, extras = 2 * out + pieces * piece;
    const uint32_t ifds = ifd_first ? 8 : 8 + pages * extras, type = size == 2 ? 3 : 4;
    const uint32_t offsets_tag = bits & 4 ? 324 : 273, counts_tag = bits & 4 ? 325 : 279;
    std::vector<uint8_t> b(8 + pages * (42 + extras));
    size_t at = 0;
    auto put = [&](std::initializer_list<std::pair<uint32_t, uint32_t>> fields) {
        for (const auto& [value, n] : fields)
            Set(b, (at += n) - n, value, n, big);
    };
    put({{big ? 0x4D4D : 0x4949, 2}, {42, 2}, {ifds, 4}});
    for (uint32_t page = 0; page < pages; ++page) {
        const uint32_t arrays = (ifd_first ? 8 + pages * 42 : 8) + page * extras;
        at = ifds + page * 42;
        put({{3, 2}, {256, 2}, {4, 2}, {1, 4}, {8, 4}});
        for (bool offsets : {true, false}) {
            const uint32_t array = out ? arrays + (offsets ? 0 : out) : 0;
            put({{offsets ? offsets_tag : counts_tag, 2}, {type, 2}, {pieces, 4}, {array, 4}});
            size_t field = out ? array : at - 4;
            for (uint32_t i = 0; i < pieces; ++i, field += size)
                Set(b, field, offsets ? arrays + 2 * out + i * piece : piece, size, big);
        }
        put({{page + 1 < pages ? at + 4 : 0, 4}});
    }
    return b;
}

TEST(TiffCheck, OfAllLengthsOfAWholeFileOnlyTheWholeIsWhole) {
    for (uint32_t bits = 0; bits < 144; ++bits) {
        const auto whole = Build(bits);
        std::string whole_lengths;
        for (size_t length = 0; length <= whole.size(); ++length)
            if (Source({whole.begin(), whole.begin() + length}).Whole())
                whole_lengths += std::to_string(length) + " ";
        EXPECT_EQ(std::to_string(whole.size()) + " ", whole_lengths) << "layout " << bits;
        Source big(Build(bits, 4096));
        EXPECT_EQ(int(bits / 48 + 1), orvalis::WholeTiffPages(big))
            << "layout " << bits << ", 4096-byte pieces: pages";
        EXPECT_GT(4096u, big.read) << "layout " << bits << ": bytes read, the image data not";
    }
}

TEST(TiffCheck, ArraysLongerThanOneReadAreCheckedToTheEnd) {
    for (uint32_t bits : {0u, 1u, 8u, 9u}) { // LONG and SHORT, either byte order
        auto bytes = Build(bits, 16, 600);
        EXPECT_TRUE(Source(bytes).Whole()) << "layout " << bits;
        const uint32_t size = bits & 8 ? 2 : 4;
        Set(bytes, 8 + 600 * size + 599 * size, 0xFFFF, size, bits & 1); // the last byte count
        EXPECT_FALSE(Source(bytes).Whole()) << "layout " << bits << ": the last strip runs out";
    }
}

TEST(TiffCheck, DamageIsFound) {
    // Where the first of two little-endian directories, with a strip each, keeps
    // its entries' fields.
    const size_t kWidth = 10, kOffsets = 22, kCounts = 34, kType = 2, kNumber = 4, kValue = 8;
    const std::tuple<const char*, size_t, uint32_t, int, bool> cases[] = {
        {"byte orders mixed", 1, 'M', 1, false},
        {"43, not 42", 2, 43, 2, false},
        // The second directory starts 42 bytes after the first; its link is at 46.
        {"second directory links back to the first", 42 + 46, 8, 4, false},
        {"strip end wraps 32 bits", kOffsets + kValue, 0xFFFFFFF8, 4, false},
        {"strip in the header", kOffsets + kValue, 0, 4, false},
        {"strip of 0 bytes", kCounts + kValue, 0, 4, false},
        {"fewer byte counts than offsets", kCounts + kNumber, 0, 4, false},
        {"offsets of type SLONG", kOffsets + kType, 9, 2, false},
        {"65536 widths run past the end", kWidth + kNumber, 65536, 4, false},
        {"a second StripOffsets", kWidth, 273, 2, false},
        {"a tile beside the strips", kWidth, 324, 2, false},
        // A type TIFF does not define has no known size: passed over.
        {"type 99 with 65535 values", kWidth + kType, 0xFFFF0063, 4, true}};
    for (const auto& [name, at, value, n, whole] : cases) {
        auto bytes = Build(2 + 48);
        Set(bytes, at, value, n);
        EXPECT_EQ(whole, Source(bytes).Whole()) << name;
    }
    Source longest(Build(2 + 48 * 9999));
    EXPECT_EQ(10000, orvalis::WholeTiffPages(longest));
    EXPECT_FALSE(Source(Build(2 + 48 * 10000)).Whole()) << "a longer chain is garbage";
}
