// The last whole listing of the drop folder, kept up to date from what the
// folder reports as changed. Free of Windows. Reading a folder that holds a
// backlog of thousands for every fax would make each fax cost as much as the
// whole backlog; with this, a pass reads it once.
#pragma once

#include "core/listed_name.h"

#include <functional>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvalis {

class ListingSnapshot {
  public:
    using Visitor = std::function<bool(const ListedFile&)>;

    void Fill(const std::vector<ListedFile>& files);
    void Invalidate();
    bool Valid() const { return valid_; }

    // A change that the folder reported. Only the removal of a listed file
    // leaves the rest as it was; a new or changed *.awd file may come
    // anywhere in the platform's order, so the folder must be read again.
    void Changed(const std::string& key, bool removed);

    // Hands the files to `visit` in their order until it returns false; a
    // file so chosen is handed out only while `still_there` says so (its
    // removal may not have been reported yet). True when it stopped.
    bool Visit(const Visitor& visit, const Visitor& still_there);

  private:
    std::list<ListedFile>::iterator Erase(std::list<ListedFile>::iterator file);

    bool valid_ = false;
    std::list<ListedFile> files_;
    std::unordered_map<std::string, std::list<ListedFile>::iterator> by_key_;
};

} // namespace orvalis
