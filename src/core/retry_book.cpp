#include "core/retry_book.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace orvalis {

bool RetryBook::Due(const std::string& key, const FileStamp& stamp, int64_t now_ms) {
    auto it = entries_.find(key);
    if (it == entries_.end())
        return true;
    Entry& entry = it->second;
    if (entry.deleted) {
        if (entry.stamp == stamp)
            return false;
        entries_.erase(it); // a new fax under the name
        return true;
    }
    if (entry.unusable)
        return false;
    if (entry.stamp != stamp && entry.changed < 2) {
        // Replaced or finished: a new start, though still failing until it
        // converts, so that the warning stays until then.
        entry.failures = 0;
        entry.due_ms = now_ms;
    }
    entry.stamp = stamp;
    return now_ms >= entry.due_ms;
}

bool RetryBook::RecordFailure(const std::string& key, const FileStamp& stamp, int64_t now_ms,
                              int32_t poll_ms, bool set_aside) {
    Entry& entry = entries_[key];
    const bool first = !entry.failed;
    entry.failed = true;
    entry.stamp = stamp;
    ++entry.failures;
    int64_t wait = std::max<int64_t>(poll_ms, 1);
    for (int i = 1; i < entry.failures && wait < kLongestWait; ++i)
        wait *= 2;
    entry.due_ms = set_aside ? INT64_MAX : now_ms + std::min(wait, kLongestWait);
    return first;
}

void RetryBook::RecordUnusable(const std::string& key, const FileStamp& stamp) {
    Entry& entry = entries_[key];
    entry.stamp = stamp;
    entry.unusable = entry.failed = true;
}

void RetryBook::RecordDeleted(const std::string& key, const FileStamp& stamp) {
    Entry& entry = entries_[key];
    entry = Entry();
    entry.stamp = stamp;
    entry.deleted = true;
}

bool RetryBook::RecordChanged(const std::string& key) {
    return ++entries_[key].changed >= 2;
}

bool RetryBook::AnyFailing() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const auto& entry) { return entry.second.failed; });
}

void RetryBook::KeepOnly(const std::vector<std::string>& keys) {
    const std::set<std::string> present(keys.begin(), keys.end());
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (present.count(it->first))
            ++it;
        else
            it = entries_.erase(it);
    }
}

void RetryBook::EndWaits() {
    for (auto& entry : entries_)
        entry.second.due_ms = 0;
}

} // namespace orvalis
