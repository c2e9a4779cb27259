// The archive index in the store folder, which several PCs append to, and
// the lines that wait for it in the application folder.
#pragma once

#include "core/fax_index.h"
#include "core/index_backlog.h"

#include <string>

namespace orvalis {

class FaxIndexFile {
  public:
    // `store_folder`: the short ANSI form, with a trailing "\";
    // `app_folder`: the long ANSI form, without one. Takes over the lines
    // that the last run left waiting; the first Flush writes them.
    FaxIndexFile(const std::string& store_folder, const std::string& app_folder);

    // The fax's line: written now when the index takes it, else it waits.
    void Add(const IndexEntry& entry);

    // Writes the waiting lines that the index takes now, in order, and keeps
    // the waiting file to what still waits. Costs nothing when none wait.
    void Flush();

    FaxIndexFile(const FaxIndexFile&) = delete;
    FaxIndexFile& operator=(const FaxIndexFile&) = delete;

  private:
    void SaveWaiting();

    std::wstring index_;
    std::string waiting_, waiting_new_;
    IndexBacklog backlog_;
    std::string saved_; // what the waiting file holds, "" when there is none
};

// The local time now, into the entry's Stored fields.
void SetStoredNow(IndexEntry& entry);

// This computer's name, UTF-8.
std::string ComputerNameUtf8();

} // namespace orvalis
