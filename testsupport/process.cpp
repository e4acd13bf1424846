#include "testsupport.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>

namespace testsupport {
namespace {

std::string lastErrorText(const char *what) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s failed (error %lu)", what, GetLastError());
    return buf;
}

std::string tempCapturePath(const char *prefix) {
    char dir[MAX_PATH + 1];
    char path[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n >= sizeof dir || GetTempFileNameA(dir, prefix, 0, path) == 0) {
        throw std::runtime_error(lastErrorText("creating a capture file"));
    }
    return path;
}

HANDLE openInheritable(const std::string &path) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw std::runtime_error(lastErrorText(("opening " + path).c_str()));
    }
    return h;
}

// The parent's environment with the requested changes, as a sorted block.
std::string environmentBlock(const std::vector<std::pair<std::string, std::string>> &changes) {
    std::map<std::string, std::string> vars;  // keyed by upper-case name
    std::map<std::string, std::string> names;
    char *block = GetEnvironmentStringsA();
    for (const char *p = block; p && *p; p += std::strlen(p) + 1) {
        std::string entry(p);
        size_t eq = entry.find('=', 1);
        if (eq == std::string::npos) continue;
        std::string name = entry.substr(0, eq);
        std::string key = name;
        CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
        vars[key] = entry.substr(eq + 1);
        names[key] = name;
    }
    if (block) FreeEnvironmentStringsA(block);
    for (const auto &change : changes) {
        std::string key = change.first;
        CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
        if (change.second.empty()) {
            vars.erase(key);
            names.erase(key);
        } else {
            vars[key] = change.second;
            names[key] = change.first;
        }
    }
    std::string out;
    for (const auto &var : vars) {
        out += names[var.first] + "=" + var.second;
        out.push_back('\0');
    }
    out.push_back('\0');
    return out;
}

}  // namespace

Process::Process(const std::string &commandLine, const RunOptions &options) : timeoutMs_(options.timeoutMs) {
    outPath_ = tempCapturePath("out");
    errPath_ = tempCapturePath("err");
    HANDLE out = openInheritable(outPath_);
    HANDLE err = openInheritable(errPath_);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    std::string env = environmentBlock(options.environment);
    std::string cmd = commandLine;
    BOOL ok = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, &env[0],
                             options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &si, &pi);
    DWORD startError = GetLastError();
    CloseHandle(out);
    CloseHandle(err);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (!ok) {
        DeleteFileA(outPath_.c_str());
        DeleteFileA(errPath_.c_str());
        SetLastError(startError);
        throw std::runtime_error(lastErrorText(("starting " + commandLine).c_str()));
    }
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    // The job takes whatever the process starts, so a time-out kills the whole tree.
    job_ = CreateJobObjectA(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        AssignProcessToJobObject(job_, process_);
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
}

Process::~Process() {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    if (job_) CloseHandle(job_);  // kills what is left of the tree
    DeleteFileA(outPath_.c_str());
    DeleteFileA(errPath_.c_str());
}

bool Process::wait(DWORD timeoutMs) { return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0; }

std::string Process::readCapture(const std::string &path) const {
    std::string text;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

RunResult Process::finish() {
    RunResult result;
    if (!wait(timeoutMs_)) {
        result.timedOut = true;
        result.windowsAtTimeout = describeJobWindows();
        if (job_) TerminateJobObject(job_, 1);
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    GetExitCodeProcess(process_, &result.exitCode);
    result.out = readCapture(outPath_);
    result.err = readCapture(errPath_);
    return result;
}

std::string Process::describeJobWindows() const {
    std::string text;
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } ids{};
    if (job_ && QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) {
        for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
            text += describeWindows(static_cast<DWORD>(ids.list.ProcessIdList[i]));
        }
        return text;
    }
    return describeWindows(pid_);
}

RunResult runProcess(const std::string &commandLine, const RunOptions &options) {
    Process process(commandLine, options);
    return process.finish();
}

std::string quoteArg(const std::string &arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        out.append(backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

}  // namespace testsupport
