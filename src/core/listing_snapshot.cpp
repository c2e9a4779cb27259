#include "core/listing_snapshot.h"

namespace orvalis {

void ListingSnapshot::Fill(const std::vector<ListedFile>& files) {
    Invalidate();
    for (const ListedFile& file : files)
        by_key_[file.key] = files_.insert(files_.end(), file);
    valid_ = true;
}

void ListingSnapshot::Invalidate() {
    valid_ = false;
    files_.clear();
    by_key_.clear();
}

void ListingSnapshot::Changed(const std::string& key, bool removed) {
    const auto it = by_key_.find(key);
    if (removed && it != by_key_.end())
        Erase(it->second);
    else if (IsAwdName(key))
        Invalidate();
}

std::list<ListedFile>::iterator ListingSnapshot::Erase(std::list<ListedFile>::iterator file) {
    by_key_.erase(file->key);
    return files_.erase(file);
}

bool ListingSnapshot::Visit(const Visitor& visit, const Visitor& still_there) {
    for (auto it = files_.begin(); it != files_.end();) {
        if (visit(*it))
            ++it;
        else if (still_there(*it))
            return true;
        else
            it = Erase(it);
    }
    return false;
}

} // namespace orvalis
