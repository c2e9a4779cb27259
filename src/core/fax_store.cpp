#include "core/fax_store.h"

#include "core/file_names.h"

namespace orvalis {

void RemoveOwnLeftovers(const std::string& store_folder, FaxStore& store) {
    for (const std::string& marker : store.OwnMarkers(store_folder)) {
        const std::string target = marker.substr(0, marker.size() - MarkerOf("").size());
        if (!store.IsTargetComplete(target))
            store.Release(target);
        store.Release(marker);
    }
}

} // namespace orvalis
