#include "core/ini_rules.h"

#include "core/settings.h"

#include <climits>

namespace orvalis {

std::string IniValueFromLookup(const char* buffer, long copied, const std::string& default_text) {
    std::string value =
        copied < 1 ? default_text : std::string(buffer, static_cast<size_t>(copied));

    const size_t semicolon = value.find(';');
    if (semicolon != std::string::npos) {
        // Only blanks are trimmed: a tab before the comment stays part of the value.
        size_t first = 0;
        size_t last = semicolon;
        while (first < last && value[first] == ' ')
            ++first;
        while (last > first && value[last - 1] == ' ')
            --last;
        value = value.substr(first, last - first);
    }
    if (value.empty() || value == "-")
        return default_text;
    return value;
}

bool ParseInt32(const std::string& text, int32_t& value) {
    size_t i = 0;
    const size_t n = text.size();
    auto blank = [&](size_t k) { return text[k] == ' ' || text[k] == '\t'; };
    while (i < n && blank(i))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t digits_start = i;
    long long magnitude = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > static_cast<long long>(INT32_MAX) + 1)
            return false;
        ++i;
    }
    if (i == digits_start)
        return false;
    while (i < n && blank(i))
        ++i;
    if (i != n)
        return false;
    // The magnitude stops at 2^31, so only a positive value can be out of range.
    const long long signed_value = negative ? -magnitude : magnitude;
    if (signed_value > INT32_MAX)
        return false;
    value = static_cast<int32_t>(signed_value);
    return true;
}

namespace {

int32_t DefaultOf(const Setting& setting) {
    int32_t value = 0;
    ParseInt32(setting.default_text, value);
    return value;
}

} // namespace

int32_t CounterFromText(const std::string& text) {
    int32_t value = 0;
    return ParseInt32(text, value) ? value : DefaultOf(settings::kCurrent);
}

int32_t SettleWaitFromText(const std::string& text) {
    // A typo such as 5000000 must not hold every fax for hours.
    const int32_t longest = 60000;
    int32_t value = 0;
    if (!ParseInt32(text, value) || value < 0)
        return DefaultOf(settings::kV1);
    return value > longest ? longest : value;
}

int32_t PollIntervalFromText(const std::string& text) {
    int32_t value = 0;
    return ParseInt32(text, value) && value > 0 ? value : DefaultOf(settings::kV2);
}

} // namespace orvalis
