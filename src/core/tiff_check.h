// Whether a converted fax is a complete TIFF, judged from its structure
// alone. Free of Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvalis {

// Random access to the bytes of a file, so that the check reads only the
// directories and never the image data.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // False when the bytes [offset, offset + size) cannot all be read.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

// True when the file is a structurally whole TIFF: a classic header, a
// chain of at least one directory that ends, and in every directory strips
// or tiles that, like every value stored outside its entry, lie inside the
// file. A file cut short anywhere, or half written, fails; the image data
// itself is not decoded.
bool IsWholeTiff(ByteSource& file);

// The pages (directories) of a whole TIFF, counted by the same walk; 0 when
// the file is not whole.
int WholeTiffPages(ByteSource& file);

} // namespace orvalis
