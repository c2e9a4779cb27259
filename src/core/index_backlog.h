// The index lines that wait while the index cannot be written: Excel keeps
// an open CSV locked against writers, a share is away. Free of Windows; the
// caller does the files.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace orvalis {

// The file of the application folder that keeps the waiting lines over a
// restart, and the one it is written to first, so that a crash while saving
// leaves either the old lines or the new ones.
constexpr char kWaitingName[] = "Orvalis.idx.waiting";
constexpr char kWaitingNewName[] = "Orvalis.idx.waiting.new";

// The lines go out in the order they came, each once. One step is in doubt:
// a write that failed, or one before a crash, may still have landed. So
// before writing, the caller lets BeginWrite note where the index ends and
// saves that with the lines; the next BeginWrite, in this run or the next,
// first drops the lines that the index holds from there on. Each line is
// unique (its TIF, time and PC), so finding it proves that it landed.
class IndexBacklog {
  public:
    void Add(const std::string& line) { lines_.push_back(line); }
    bool Empty() const { return lines_.empty(); }

    // Call once the index is open to append, before Flush: `index_size` is
    // its size now, and `read_from(offset)` gives its bytes from `offset` on
    // (as many as can hold the lines in doubt; "" when they cannot be read).
    // Then save the lines (Saved) before Flush, so that a crash while
    // writing leaves the doubt on record.
    void BeginWrite(uint64_t index_size, const std::function<std::string(uint64_t)>& read_from);

    // Writes the lines in order through `append`, which returns false when
    // the index does not take a line now: that line and the rest wait, in
    // order. True when none wait; the doubt then ends with them.
    bool Flush(const std::function<bool(const std::string&)>& append);

    // The text of the file that keeps the lines over a restart: a first line
    // with the index's size before a write in doubt, in decimal, or empty;
    // then the lines as they go into the index. "" when no line waits.
    std::string Saved() const;
    // The lines of such a text; a last record that was cut short is dropped,
    // as it never was a whole line.
    static IndexBacklog Load(const std::string& text);

  private:
    // Drops the lines that `written`, the index's bytes from where the doubt
    // began, holds as whole records.
    void DropWritten(const std::string& written);

    std::deque<std::string> lines_;
    std::optional<uint64_t> in_doubt_from_;
};

} // namespace orvalis
