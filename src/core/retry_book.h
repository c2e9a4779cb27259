// The files whose conversion keeps failing, and when each may be tried again.
// Free of Windows; the clock is the caller's.
#pragma once

#include "core/listed_name.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvalis {

// A failing file waits before its next attempt, twice as long after each
// failure in a row, from one polling interval up to kLongestWait. Without
// that, a fax that never converts would cost a log entry, a number and a
// converter process at every poll.
class RetryBook {
  public:
    static constexpr int64_t kLongestWait = 15 * 60 * 1000;

    // False while the file waits. A file whose stamp changed is due at once.
    bool Due(const std::string& key, const FileStamp& stamp, int64_t now_ms);

    // Records a failed attempt; true when it is the file's first in this run.
    // A file `set_aside` waits until it changes or every wait ends.
    bool RecordFailure(const std::string& key, const FileStamp& stamp, int64_t now_ms,
                       int32_t poll_ms, bool set_aside = false);

    // Records a file that can never be attempted (it has no usable name):
    // it is not due again while it stays.
    void RecordUnusable(const std::string& key, const FileStamp& stamp);

    void RecordSuccess(const std::string& key) { entries_.erase(key); }

    // Records a file converted and deleted whose name stays while another
    // program has it open: it is not taken again while it stays as it is.
    void RecordDeleted(const std::string& key, const FileStamp& stamp);

    // Records a conversion after which another file stood under the name.
    // Once, a new fax was copied over it. Again in a row, its own converter
    // changes it: true then, and it is to be set aside as failing, its
    // changes no longer ending the wait, or it would be stored anew at
    // every pass.
    bool RecordChanged(const std::string& key);

    // Drops every file that is no longer in the folder, so that the book
    // cannot outgrow the folder.
    void KeepOnly(const std::vector<std::string>& keys);

    // The user's "try everything now": every wait ends.
    void EndWaits();

    bool AnyFailing() const;

  private:
    struct Entry {
        FileStamp stamp;
        int failures = 0;
        int64_t due_ms = 0;
        bool unusable = false;
        bool failed = false;  // not merely changed once, nor deleted
        bool deleted = false; // converted, its name not gone yet
        int changed = 0;      // conversions in a row that found another file after
    };
    std::map<std::string, Entry> entries_;
};

} // namespace orvalis
