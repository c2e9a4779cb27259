#include "core/index_backlog.h"

#include <algorithm>
#include <charconv>

namespace orvalis {

void IndexBacklog::DropWritten(const std::string& written) {
    // `written` starts where a record starts, and every record ends in
    // CR LF: a whole one stands at the start or right after a line feed.
    const auto landed = [&written](const std::string& line) {
        return written.compare(0, line.size(), line) == 0 ||
               written.find("\n" + line) != std::string::npos;
    };
    lines_.erase(std::remove_if(lines_.begin(), lines_.end(), landed), lines_.end());
}

void IndexBacklog::BeginWrite(uint64_t index_size,
                              const std::function<std::string(uint64_t)>& read_from) {
    if (in_doubt_from_)
        DropWritten(read_from(*in_doubt_from_));
    in_doubt_from_ = lines_.empty() ? std::nullopt : std::optional<uint64_t>(index_size);
}

bool IndexBacklog::Flush(const std::function<bool(const std::string&)>& append) {
    while (!lines_.empty() && append(lines_.front()))
        lines_.pop_front();
    if (lines_.empty())
        in_doubt_from_.reset();
    return lines_.empty();
}

std::string IndexBacklog::Saved() const {
    if (lines_.empty())
        return std::string();
    std::string text = in_doubt_from_ ? std::to_string(*in_doubt_from_) : std::string();
    text += "\r\n";
    for (const std::string& line : lines_)
        text += line;
    return text;
}

IndexBacklog IndexBacklog::Load(const std::string& text) {
    IndexBacklog backlog;
    const size_t first_end = text.find("\r\n");
    if (first_end == std::string::npos)
        return backlog;
    uint64_t from = 0;
    const char* const end = text.data() + first_end;
    const auto parsed = std::from_chars(text.data(), end, from);
    if (first_end > 0 && parsed.ec == std::errc() && parsed.ptr == end)
        backlog.in_doubt_from_ = from;
    // A record may hold line breaks inside quotes; only one outside ends it.
    // Doubled quotes inside a field toggle twice and change nothing.
    bool quoted = false;
    size_t start = first_end + 2;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && text[i] == '\n' && i > start && text[i - 1] == '\r') {
            backlog.lines_.push_back(text.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    return backlog;
}

} // namespace orvalis
