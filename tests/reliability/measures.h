// What a process holds, measured in ways that also work under Wine, where
// GetGuiResources, GetProcessHandleCount and GetProcessMemoryInfo's
// PrivateUsage all answer 0.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace reliability {

// Live GDI objects of this process (stock objects included): GetGuiResources
// where it answers; otherwise the handles found by asking GetObjectType about
// every handle slot, which Wine keeps in the low word of a GDI handle. Either
// measure is used only once it has been seen to count a brush being created
// and deleted; nothing when neither does.
std::optional<long> GdiObjectCount();

// The private memory of another process in kB: PrivateUsage where
// GetProcessMemoryInfo reports it, else RssAnon of the Linux process (see
// below); nothing when neither can be read.
std::optional<long> PrivateMemoryKb(HANDLE process, std::optional<int> linux_pid);

// A process's memory as Linux sees it: under Wine every Windows process is a
// Linux process, whose /proc/<pid>/status Wine programs can read as a file
// on drive Z:.
struct LinuxMemory {
    long resident_kb = 0;   // VmRSS
    long anonymous_kb = 0;  // RssAnon: the heaps, without mapped files
};
std::optional<LinuxMemory> LinuxMemoryOf(int linux_pid);

// The Linux pid of the one process whose command line holds `tag` (a Wine
// process's Linux command line is its Windows one); nothing when there is
// none, or more than one, or no /proc to look in (as on Windows).
std::optional<int> LinuxPidWithTag(const std::string& tag);

}  // namespace reliability
