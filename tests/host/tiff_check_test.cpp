#include "service/tiff_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class Source : public orvalis::ByteSource {
  public:
    explicit Source(Bytes bytes) : bytes_(std::move(bytes)) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        read += size;
        if (offset > bytes_.size() || size > bytes_.size() - offset)
            return false;
        if (size)
            std::memcpy(buffer, bytes_.data() + offset, size);
        return true;
    }
    uint64_t read = 0;

  private:
    Bytes bytes_;
};

bool Whole(Bytes bytes) {
    Source source(std::move(bytes));
    return orvalis::IsWholeTiff(source);
}

struct Kind {
    const char* name;
    bool big;
    bool ifd_first; // as a streaming writer does; others write the data first
    uint16_t type;  // of the offsets and byte counts: 3 SHORT, 4 LONG
    bool tiles;
    uint32_t pieces; // strips or tiles per page; arrays over 4 bytes go out of line
    int pages;
    uint32_t piece = 16; // bytes per strip or tile
};

void Poke(Bytes& b, size_t at, uint32_t value, int n, bool big = false) {
    for (int i = 0; i < n; ++i)
        b[at + (big ? i : n - 1 - i)] = static_cast<uint8_t>(value >> 8 * (n - 1 - i));
}

// Pages of 8x8 pixels with five entries: width, length, a description kept
// out of line, and the offsets and byte counts.
Bytes Build(const Kind& k) {
    Bytes b;
    auto put = [&](uint32_t value, int n) {
        b.resize(b.size() + n);
        Poke(b, b.size() - n, value, n, k.big);
    };
    put(k.big ? 0x4D4D : 0x4949, 2);
    put(42, 2);
    put(0, 4);
    size_t link = 4;
    const uint32_t size = k.type == 3 ? 2 : 4, array = k.pieces * size;
    const bool out = array > 4;
    const uint32_t ifd_length = 2 + 5 * 12 + 4;
    const uint32_t extras_length = 8 + (out ? 2 * array : 0) + k.pieces * k.piece;
    for (int page = 0; page < k.pages; ++page) {
        const uint32_t here = static_cast<uint32_t>(b.size());
        const uint32_t ifd = k.ifd_first ? here : here + extras_length;
        const uint32_t text = k.ifd_first ? here + ifd_length : here;
        const uint32_t offsets = text + 8, counts = offsets + (out ? array : 0);
        const uint32_t data = counts + (out ? array : 0);
        auto values = [&](bool of_offsets) {
            for (uint32_t i = 0; i < k.pieces; ++i)
                put(of_offsets ? data + i * k.piece : k.piece, size);
        };
        auto extras = [&] {
            for (char c : std::string("Orvalis", 8))
                put(c, 1);
            if (out) {
                values(true);
                values(false);
            }
            b.resize(b.size() + k.pieces * k.piece, 0xA5);
        };
        auto entry = [&](uint16_t tag, uint16_t type, uint32_t count) {
            put(tag, 2);
            put(type, 2);
            put(count, 4);
        };
        if (!k.ifd_first)
            extras();
        Poke(b, link, ifd, 4, k.big);
        put(5, 2);
        for (uint16_t tag : {256, 257}) {
            entry(tag, 3, 1);
            put(8, 2);
            put(0, 2);
        }
        entry(270, 2, 8);
        put(text, 4);
        for (bool of_offsets : {true, false}) {
            entry(k.tiles ? (of_offsets ? 324 : 325) : (of_offsets ? 273 : 279), k.type, k.pieces);
            out ? put(of_offsets ? offsets : counts, 4) : (values(of_offsets), put(0, 4 - array));
        }
        link = b.size();
        put(0, 4);
        if (k.ifd_first)
            extras();
    }
    return b;
}

const Kind kOnePage = {"LE, 1 page, 1 LONG strip, IFD first", false, true, 4, false, 1, 1};
const Kind kThreeStrips = {"LE, 1 page, 3 LONG strips, IFD first", false, true, 4, false, 3, 1};
const Kind kTwoPages = {"LE, 2 pages, 1 LONG strip, IFD first", false, true, 4, false, 1, 2};

TEST(Tiff, WholeFilesAreWholeAndEveryCutIsNot) {
    const Kind kinds[] = {
        kOnePage,
        kTwoPages,
        {"BE, 1 page, 1 LONG strip, data first", true, false, 4, false, 1, 1},
        {"LE, 3 pages, 2 SHORT strips inline, IFD first", false, true, 3, false, 2, 3},
        {"BE, 3 pages, 3 SHORT strips out of line, data first", true, false, 3, false, 3, 3},
        {"BE, 2 pages, 3 LONG strips out of line, IFD first", true, true, 4, false, 3, 2},
        {"LE, 2 pages, 4 LONG tiles, data first", false, false, 4, true, 4, 2},
        {"BE, 2 pages, 1 SHORT tile, IFD first", true, true, 3, true, 1, 2},
    };
    for (const Kind& k : kinds) {
        const Bytes whole = Build(k);
        EXPECT_TRUE(Whole(whole)) << k.name;
        std::string whole_cuts;
        for (size_t cut = 0; cut < whole.size(); ++cut)
            if (Whole(Bytes(whole.begin(), whole.begin() + cut)))
                whole_cuts += std::to_string(cut) + " ";
        EXPECT_EQ("", whole_cuts) << k.name << ", " << whole.size()
                                  << " bytes, counted whole when cut to these lengths";
    }
}

void Set16(Bytes& b, size_t at, uint32_t value) {
    Poke(b, at, value, 2);
}
void Set32(Bytes& b, size_t at, uint32_t value) {
    Poke(b, at, value, 4);
}

// Where the first directory of an IFD-first little-endian file keeps things.
constexpr size_t kCount = 8, kWidth = 10, kLength = 22, kText = 34, kOffsets = 46, kCounts = 58,
                 kNext = 70, kType = 2, kNumber = 4, kValue = 8;
// Bytes per page of kTwoPages: the IFD, the description and the strip.
constexpr size_t kPage = 66 + 8 + 16;

TEST(Tiff, DamageIsFound) {
    const struct {
        const char* name;
        Kind kind;
        void (*damage)(Bytes&);
        bool whole;
    } cases[] = {
        {"byte orders mixed", kOnePage, [](Bytes& b) { b[1] = 'M'; }, false},
        {"43, not 42", kOnePage, [](Bytes& b) { b[2] = 43; }, false},
        {"first IFD offset 0", kOnePage, [](Bytes& b) { Set32(b, 4, 0); }, false},
        {"first IFD past the end", kOnePage, [](Bytes& b) { Set32(b, 4, b.size()); }, false},
        {"entry count runs past the end", kOnePage, [](Bytes& b) { Set16(b, kCount, 8); }, false},
        {"IFD points at itself", kOnePage, [](Bytes& b) { Set32(b, kNext, 8); }, false},
        {"second IFD points at the first", kTwoPages, [](Bytes& b) { Set32(b, kPage + kNext, 8); },
         false},
        {"strip starts at the end", kOnePage,
         [](Bytes& b) { Set32(b, kOffsets + kValue, b.size()); }, false},
        {"strip ends a byte past the end", kOnePage,
         [](Bytes& b) { Set32(b, kCounts + kValue, 17); }, false},
        {"strip end wraps 32 bits", kOnePage,
         [](Bytes& b) { Set32(b, kOffsets + kValue, 0xFFFFFFF8); }, false},
        {"strip in the header", kOnePage, [](Bytes& b) { Set32(b, kOffsets + kValue, 0); }, false},
        {"strip of 0 bytes", kOnePage, [](Bytes& b) { Set32(b, kCounts + kValue, 0); }, false},
        {"byte counts missing", kOnePage, [](Bytes& b) { Set16(b, kCounts, 280); }, false},
        {"fewer byte counts than offsets", kThreeStrips,
         [](Bytes& b) { Set32(b, kCounts + kNumber, 2); }, false},
        {"offsets of type SLONG", kOnePage, [](Bytes& b) { Set16(b, kOffsets + kType, 9); }, false},
        {"offsets array runs past the end", kThreeStrips,
         [](Bytes& b) { Set32(b, kOffsets + kValue, b.size() - 8); }, false},
        {"description runs past the end", kOnePage,
         [](Bytes& b) { Set32(b, kText + kValue, b.size() - 4); }, false},
        {"second StripOffsets", kOnePage, [](Bytes& b) { Set16(b, kLength, 273); }, false},
        {"tiles beside strips", kOnePage,
         [](Bytes& b) {
             Set16(b, kWidth, 324);
             Set16(b, kLength, 325);
         },
         false},
        {"unknown type with a huge count is skipped", kOnePage,
         [](Bytes& b) {
             Set16(b, kText + kType, 99);
             Set32(b, kText + kNumber, 0xFFFFFFFF);
         },
         true},
    };
    for (const auto& c : cases) {
        Bytes bytes = Build(c.kind);
        ASSERT_TRUE(Whole(bytes)) << c.kind.name;
        c.damage(bytes);
        EXPECT_EQ(c.whole, Whole(bytes)) << c.name;
    }
}

TEST(Tiff, LongChainsEndAtTenThousandPages) {
    Kind k = kOnePage;
    k.pages = 10000;
    EXPECT_TRUE(Whole(Build(k)));
    k.pages = 10001;
    EXPECT_FALSE(Whole(Build(k)));
}

TEST(Tiff, ReadsOnlyTheDirectories) {
    Kind k = kThreeStrips;
    k.piece = 100000;
    Source source(Build(k));
    EXPECT_TRUE(orvalis::IsWholeTiff(source));
    EXPECT_GT(200u, source.read) << "bytes read of " << source.Size();
}

} // namespace
