#include "tests/reliability/measures.h"

#include "tests/support/driver.h"

#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <vector>

namespace reliability {
namespace {

long GuiResourcesGdi() {
    return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

long ProbedGdi() {
    long count = 0;
    for (ULONG_PTR slot = 1; slot <= 0xFFFF; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++count;
    }
    return count;
}

// True when `measure` sees one more object while a brush lives, and one less
// once it is deleted.
bool CountsABrush(long (*measure)()) {
    const long before = measure();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    if (brush == nullptr) return false;
    const long during = measure();
    DeleteObject(brush);
    const long after = measure();
    return before > 0 && during == before + 1 && after == before;
}

long (*WorkingGdiMeasure())() {
    static long (*const measure)() = CountsABrush(GuiResourcesGdi) ? GuiResourcesGdi
                                     : CountsABrush(ProbedGdi)     ? ProbedGdi
                                                                   : nullptr;
    return measure;
}

std::optional<long> FieldKb(const std::string& status, const char* name) {
    const std::string key = std::string("\n") + name + ":";
    const std::size_t at = status.find(key);
    if (at == std::string::npos) return std::nullopt;
    return std::strtol(status.c_str() + at + key.size(), nullptr, 10);
}

}  // namespace

std::optional<long> GdiObjectCount() {
    long (*measure)() = WorkingGdiMeasure();
    if (measure == nullptr) return std::nullopt;
    return measure();
}

std::optional<long> PrivateMemoryKb(HANDLE process, std::optional<int> linux_pid) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters) &&
        counters.PrivateUsage > 0) {
        return static_cast<long>(counters.PrivateUsage / 1024);
    }
    if (!linux_pid) return std::nullopt;
    const std::optional<LinuxMemory> memory = LinuxMemoryOf(*linux_pid);
    if (!memory) return std::nullopt;
    return memory->anonymous_kb;
}

std::optional<LinuxMemory> LinuxMemoryOf(int linux_pid) {
    const std::optional<std::string> status =
        driver::ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(linux_pid) + L"\\status");
    if (!status) return std::nullopt;
    const std::optional<long> resident = FieldKb(*status, "VmRSS");
    const std::optional<long> anonymous = FieldKb(*status, "RssAnon");
    if (!resident || !anonymous) return std::nullopt;
    return LinuxMemory{*resident, *anonymous};
}

std::optional<int> LinuxPidWithTag(const std::string& tag) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<int> found;
    do {
        const wchar_t* name = entry.cFileName;
        if (*name < L'1' || *name > L'9') continue;
        wchar_t* end = nullptr;
        const long pid = std::wcstol(name, &end, 10);
        if (*end != L'\0') continue;
        const std::optional<std::string> command =
            driver::ReadWholeFile(std::wstring(L"Z:\\proc\\") + name + L"\\cmdline");
        if (command && command->find(tag) != std::string::npos)
            found.push_back(static_cast<int>(pid));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    if (found.size() != 1) return std::nullopt;
    return found.front();
}

}  // namespace reliability
