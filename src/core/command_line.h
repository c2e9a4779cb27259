// The converter's command line and the error-log entry. Free of Windows.
//
// The batch file is run by cmd.exe, which parses the whole line: a file name
// such as "a&del x.awd" would run its own commands if passed bare. Parts are
// therefore quoted whenever they hold anything but the plainest characters,
// and parts that even quotes cannot protect are never launched.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

// True when the text can reach a batch file intact inside double quotes.
// "%" is expanded by cmd.exe even there, and a quote or a control character
// would end the argument.
bool CanPassToCmd(const std::string& part);

// The part bare when it holds only letters, digits and . _ - ~ : \,
// otherwise in double quotes.
std::string QuoteForCmd(const std::string& part);

// BatchFile, source and target, separated by single blanks.
std::string BuildCommand(const std::string& batch_file, const std::string& source,
                         const std::string& target);

// The line handed to CreateProcess: the system's cmd.exe without AutoRun and
// delayed expansion, with the command wrapped in one more pair of quotes that
// cmd /s /c strips again.
std::string CmdLaunchLine(const std::string& cmd_exe, const std::string& command);

// The two CR LF ended lines of one failed conversion.
std::string ErrorLogEntry(int32_t task_id, const std::string& command);

// The text of the balloon that announces a file's first failure.
std::string FailureNotice(const std::string& name);

} // namespace orvalis
