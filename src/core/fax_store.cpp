#include "core/fax_store.h"

#include "core/file_names.h"

namespace orvalis {

void RemoveOwnLeftovers(const std::string& store_folder, FaxStore& store) {
    for (const Leftover& left : store.OwnMarkers(store_folder)) {
        const std::string target = left.marker.substr(0, left.marker.size() - MarkerOf("").size());
        if (!store.IsTargetComplete(target))
            store.Release(target);
        else if (!left.awd.empty()) // its converter's time died with the run
            store.RecordStored(target, left.awd, left.awd_bytes, 0);
        store.Release(left.marker);
    }
}

} // namespace orvalis
