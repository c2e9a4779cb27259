#include "core/command_line.h"

namespace orvalis {

namespace {

bool IsPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || c == '~' || c == ':' || c == '\\';
}

} // namespace

bool CanPassToCmd(const std::string& part) {
    for (unsigned char c : part) {
        if (c == '%' || c == '"' || c < 0x20)
            return false;
    }
    return true;
}

std::string QuoteForCmd(const std::string& part) {
    for (unsigned char c : part) {
        if (!IsPlain(c))
            return "\"" + part + "\"";
    }
    return part;
}

std::string BuildCommand(const std::string& batch_file, const std::string& source,
                         const std::string& target) {
    return QuoteForCmd(batch_file) + " " + QuoteForCmd(source) + " " + QuoteForCmd(target);
}

std::string CmdLaunchLine(const std::string& cmd_exe, const std::string& command) {
    return QuoteForCmd(cmd_exe) + " /d /v:OFF /s /c \"" + command + "\"";
}

std::string ErrorLogEntry(int32_t task_id, const std::string& command) {
    return "ERROR: Cannot convert the awd file! [" + std::to_string(task_id) + "]\r\n" +
           "           " + command + "\r\n";
}

std::string FailureNotice(const std::string& name) {
    return "Cannot convert " + name + ". See Orvalis.err.";
}

} // namespace orvalis
