// What a running process costs: memory, GUI objects and CPU time, read with
// the Windows calls where they work. Under Wine some of them are stubs
// (PrivateUsage reads 0, GetGuiResources returns 0); there the figures come
// from the process's Linux side in /proc, found by a marker on its command
// line, and a stub is reported as such, never as a zero.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace bench {

bool RunningUnderWine();

// Where a figure came from, for the table's labels.
enum class Source { Windows, Proc, None };

struct Memory {
    Source source = Source::None;
    unsigned long long private_bytes = 0;  // PrivateUsage, or RssAnon under Wine
    unsigned long long working_set = 0;    // WorkingSetSize, or VmRSS under Wine
};

struct GuiObjects {
    bool stub = true;  // GetGuiResources answered 0 for a process with windows
    DWORD gdi = 0;
    DWORD user = 0;
};

struct CpuTime {
    Source source = Source::None;
    double ms = 0;  // user + kernel
};

// A process started with a marker of its own as its argument, so that its
// Linux process can be told apart under Wine.
class Started {
public:
    Started() = default;
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    bool Start(const std::wstring& exe);
    HANDLE handle() const { return info_.hProcess; }
    DWORD pid() const { return info_.dwProcessId; }
    // Closes its windows, then ends it if it does not exit.
    void Stop();

    Memory ReadMemory();
    GuiObjects ReadGuiObjects() const;
    CpuTime ReadCpuTime();

private:
    std::optional<unsigned> UnixPid();

    PROCESS_INFORMATION info_{};
    std::string marker_;
    std::optional<unsigned> unix_pid_;
};

}  // namespace bench
