#include "bench/process_figures.h"

#include "tests/support/driver.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {
namespace {

// Linux counts process CPU time in ticks of 1/100 s (USER_HZ) on every
// architecture Wine runs on.
constexpr double kMsPerTick = 10.0;

// A whole file, or nothing read: a process that ended has no /proc files.
std::string ReadWholeFile(const std::wstring& path) {
    return driver::ReadWholeFile(path).value_or(std::string());
}

// Wine shows the Unix root as drive Z:.
std::wstring ProcPath(unsigned unix_pid, const wchar_t* leaf) {
    return L"Z:\\proc\\" + std::to_wstring(unix_pid) + L"\\" + leaf;
}

// A "Name:   123 kB" line of /proc/PID/status, in bytes.
std::optional<unsigned long long> StatusKib(const std::string& status, const char* name) {
    const std::string key = std::string("\n") + name + ":";
    const std::size_t at = status.find(key);
    if (at == std::string::npos) return std::nullopt;
    return std::strtoull(status.c_str() + at + key.size(), nullptr, 10) * 1024ULL;
}

}  // namespace

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

Started::~Started() {
    if (info_.hProcess == nullptr) return;
    Stop();
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

bool Started::Start(const std::wstring& exe) {
    static unsigned serial = 0;
    char marker[64];
    std::snprintf(marker, sizeof marker, "timbus-bench-%lu-%u", GetCurrentProcessId(), ++serial);
    marker_ = marker;
    unix_pid_.reset();

    // The marker goes after the program's name: the programs read no command
    // line, and Wine shows it in the Linux process's cmdline.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\" " + std::wstring(marker_.begin(), marker_.end());
    const BOOL ok = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &info_);
    if (!ok) info_ = {};
    return ok != FALSE;
}

void Started::Stop() {
    if (info_.hProcess == nullptr || WaitForSingleObject(info_.hProcess, 0) != WAIT_TIMEOUT) {
        return;
    }
    struct Closer {
        static BOOL CALLBACK Close(HWND window, LPARAM pid) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == static_cast<DWORD>(pid) && IsWindowVisible(window)) {
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            return TRUE;
        }
    };
    EnumWindows(Closer::Close, static_cast<LPARAM>(info_.dwProcessId));
    if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "process %lu did not close; ending it\n", info_.dwProcessId);
        TerminateProcess(info_.hProcess, 255);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

// The Linux process whose command line holds our marker: every Wine process
// is one, and Wine shows the Windows command line as its cmdline.
std::optional<unsigned> Started::UnixPid() {
    if (unix_pid_ || !RunningUnderWine()) return unix_pid_;
    const std::string needle = ' ' + marker_ + ' ';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<unsigned> matches;
    do {
        wchar_t* end = nullptr;
        const unsigned long pid = std::wcstoul(found.cFileName, &end, 10);
        if (end == found.cFileName || *end != L'\0') continue;
        std::string command = ReadWholeFile(ProcPath(pid, L"cmdline"));
        std::replace(command.begin(), command.end(), '\0', ' ');
        if (command.find(needle) != std::string::npos) matches.push_back(pid);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (matches.size() == 1) {
        unix_pid_ = matches.front();
    } else {
        std::fprintf(stderr, "marker %s: %zu Linux processes\n", marker_.c_str(), matches.size());
    }
    return unix_pid_;
}

Memory Started::ReadMemory() {
    Memory memory;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(info_.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters) &&
        counters.PrivateUsage != 0) {
        memory.source = Source::Windows;
        memory.private_bytes = counters.PrivateUsage;
        memory.working_set = counters.WorkingSetSize;
        return memory;
    }
    // Wine answers PrivateUsage 0: take the Linux process's anonymous and
    // resident memory instead.
    const std::optional<unsigned> pid = UnixPid();
    if (!pid) return memory;
    const std::string status = ReadWholeFile(ProcPath(*pid, L"status"));
    const auto anonymous = StatusKib(status, "RssAnon");
    const auto resident = StatusKib(status, "VmRSS");
    if (!anonymous || !resident) return memory;
    memory.source = Source::Proc;
    memory.private_bytes = *anonymous;
    memory.working_set = *resident;
    return memory;
}

GuiObjects Started::ReadGuiObjects() const {
    GuiObjects objects;
    objects.gdi = GetGuiResources(info_.hProcess, GR_GDIOBJECTS);
    objects.user = GetGuiResources(info_.hProcess, GR_USEROBJECTS);
    // A process with a window owns USER objects: none at all is a stub.
    objects.stub = objects.user == 0;
    return objects;
}

CpuTime Started::ReadCpuTime() {
    CpuTime time;
    if (RunningUnderWine()) {
        // Wine's GetProcessTimes knows only the calling process; the Linux
        // process's utime and stime (fields 14 and 15) count every thread.
        const std::optional<unsigned> pid = UnixPid();
        if (!pid) return time;
        const std::string stat = ReadWholeFile(ProcPath(*pid, L"stat"));
        const std::size_t name_end = stat.rfind(')');
        if (name_end == std::string::npos) return time;
        char state = 0;
        unsigned long long user_ticks = 0, system_ticks = 0;
        if (std::sscanf(stat.c_str() + name_end + 1,
                        " %c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &state,
                        &user_ticks, &system_ticks) != 3) {
            return time;
        }
        time.source = Source::Proc;
        time.ms = static_cast<double>(user_ticks + system_ticks) * kMsPerTick;
        return time;
    }
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(info_.hProcess, &created, &exited, &kernel, &user)) return time;
    const auto hundreds_of_ns = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    time.source = Source::Windows;
    time.ms = (hundreds_of_ns(kernel) + hundreds_of_ns(user)) / 10000.0;
    return time;
}

}  // namespace bench
