// The store folder as the conversion pass sees it: numbers taken by markers
// that several PCs sharing the folder respect, and the TIF files judged
// complete. Free of Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

enum class ReserveResult { Reserved, Taken, Failed };
enum class TargetCheck { Absent, Present, Failed };

// A marker that our own earlier run left, and the AWD file it was for
// ("" where the marker does not say).
struct Leftover {
    std::string marker, awd;
    uint64_t awd_bytes = 0;
};

class FaxStore {
  public:
    virtual ~FaxStore() = default;

    virtual bool FileExists(const std::string& path) = 0;
    // Creates the marker if, and only if, it does not exist yet, in one step
    // that the file server performs: of several PCs sharing the store, one
    // gets Reserved and the others Taken. Failed: any other answer, as from
    // a store that cannot be written. The marker says which AWD file is
    // converted into its number (`awd`: its long name, UTF-8).
    virtual ReserveResult Reserve(const std::string& marker, const std::string& awd,
                                  uint64_t awd_bytes) = 0;
    // Whether the target exists, as the file server itself says (a share's
    // client may answer a mere look from its cache). Leaves nothing behind.
    // Failed when the server does not say.
    virtual TargetCheck TargetAbsent(const std::string& target) = 0;
    // Removes a file of ours, a marker or what an ended converter left
    // unfinished at our number; what cannot go yet (a share away) is tried
    // again later, in the same order.
    virtual void Release(const std::string& path) = 0;
    // Markers that this application folder wrote on this PC: the leftovers
    // of a run that could not clean up (a crash, a power cut).
    virtual std::vector<Leftover> OwnMarkers(const std::string& store_folder) = 0;
    // True when nobody writes the TIF any more and it holds a whole TIFF.
    virtual bool IsTargetComplete(const std::string& path) = 0;
    // The archive index's line for a fax stored at `target`, last judged
    // complete, whose AWD (`awd`: its long name, UTF-8) is gone now. What
    // cannot be written yet waits, in order; a fax never waits for it.
    virtual void RecordStored(const std::string& target, const std::string& awd, uint64_t awd_bytes,
                              int64_t converter_ms) = 0;
};

// At start: what our own earlier run left in the store. A TIF that is
// complete stays, as it may be all there is of its fax, and gets its line in
// the index: its AWD, still there, is converted again, and the index then
// says so twice.
void RemoveOwnLeftovers(const std::string& store_folder, FaxStore& store);

} // namespace orvalis
