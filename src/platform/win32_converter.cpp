#include "platform/win32_converter.h"

#include "core/command_line.h"
#include "core/file_names.h"
#include "ui/message_pump.h"

namespace orvalis {

namespace {

std::string SystemCmdExe() {
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "cmd.exe";
    return std::string(folder, n) + "\\cmd.exe";
}

// Between two looks at a converter whose cmd.exe has ended but which left
// processes behind: a console host lingers for some milliseconds, and a
// fax must not wait for longer than that.
const DWORD kTreeLookMs = 5;
// What a converter that was ended may take to let go of its files.
const DWORD kEndingMs = 5000;

// Kills every process in it once its last handle closes, also when this
// process dies, and lets none break away.
HANDLE CreateConverterJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job &&
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        job = nullptr;
    }
    return job;
}

} // namespace

Win32Converter::Win32Converter(std::string app_folder, std::function<bool()> closing)
    : app_folder_(std::move(app_folder)), closing_(std::move(closing)), job_(CreateConverterJob()) {
}

Win32Converter::~Win32Converter() {
    if (process_)
        CloseHandle(process_);
    if (job_)
        CloseHandle(job_); // and with it whatever still runs in it
}

bool Win32Converter::Launch(const std::string& command, int32_t& task_id) {
    return Launch(command, task_id, 0);
}

bool Win32Converter::Launch(const std::string& command, int32_t& task_id, DWORD breakaway) {
    std::string line = CmdLaunchLine(SystemCmdExe(), command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    // Suspended until it is in the job, so that nothing it starts escapes.
    // It runs in the application folder ("C:" alone would be the drive's
    // current folder): the converter looks for DLLs in its current folder,
    // and ours is the one folder that is secured.
    if (!job_ || !CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW | CREATE_SUSPENDED | breakaway, nullptr,
                                 WithTrailingBackslash(app_folder_).c_str(), &startup, &process))
        return false;
    if (!AssignProcessToJobObject(job_, process.hProcess)) {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // Windows 7 puts a process in one job only: when Orvalis itself runs
        // in one, the converter leaves it for ours, where that job allows.
        if (breakaway != 0)
            return false;
        return Launch(command, task_id, CREATE_BREAKAWAY_FROM_JOB);
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    if (process_)
        CloseHandle(process_);
    process_ = process.hProcess;
    task_id = static_cast<int32_t>(process.dwProcessId);
    return true;
}

bool Win32Converter::Ended() {
    if (!process_)
        return true;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0)
        return false;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job = {};
    return !QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job, sizeof job,
                                      nullptr) ||
           job.ActiveProcesses == 0;
}

bool Win32Converter::WaitForEnd(int32_t ms) {
    const ULONGLONG deadline = GetTickCount64() + (ms > 0 ? static_cast<DWORD>(ms) : 0);
    for (;;) {
        if (Ended())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || closing_())
            return false;
        // cmd.exe's end is waited for as such; what it left behind is looked
        // at now and then.
        const bool cmd_runs = WaitForSingleObject(process_, 0) != WAIT_OBJECT_0;
        const DWORD left = static_cast<DWORD>(deadline - now);
        WaitHandlingMessages(cmd_runs ? process_ : nullptr,
                             cmd_runs ? left : (left < kTreeLookMs ? left : kTreeLookMs), closing_);
    }
}

void Win32Converter::End() {
    if (!process_)
        return;
    TerminateJobObject(job_, 1);
    // Their files are closed only once they are gone.
    WaitHandlingMessagesUntil([this] { return Ended(); }, kEndingMs, 10);
}

} // namespace orvalis
