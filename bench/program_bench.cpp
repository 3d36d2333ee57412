// Measures the program from outside against the floor (an empty window of
// the same size, bench/floor.cpp): start-up until the calendar is on the
// screen, memory and GUI objects after start-up (also with the About window
// open), and CPU time while nobody touches either. Prints rows of the table
// tools/bench shows.
// Usage: program_bench TIMBUS.EXE FLOOR.EXE [runs of each, default 20]
//                      [idle seconds, default 10] [FLOOR_WITH_PICTURE.EXE]
// The second floor (bench/floor.cpp with the program's manifest, a button
// and the picture) gets its own ABBA series and rows, when given.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/process_figures.h"
#include "bench/table.h"
#include "tests/support/driver.h"

namespace {

constexpr wchar_t kProgramClass[] = L"TimbusForm";
constexpr wchar_t kCalendarClass[] = L"TimbusMonthCalendar";
constexpr wchar_t kFloorClass[] = L"TimbusFloor";
constexpr std::uint32_t kFloorBackground = 0x00C0C0FF;  // 0x00RRGGBB
constexpr DWORD kTimeoutMs = 10000;

double Now() {
    static const double ticks_per_ms = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

// What must be on the screen once a program is up: the pixels of a rectangle
// of its client area (where the calendar sits), exactly.
struct Expected {
    const wchar_t* window_class;
    RECT in_client;
    std::vector<std::uint32_t> pixels;
    RECT last_seen;  // on the screen, in the first start
};

RECT OnScreen(HWND window, const RECT& in_client) {
    const RECT client = driver::ClientRectOnScreen(window);
    RECT r = in_client;
    OffsetRect(&r, client.left, client.top);
    return r;
}

bool Shows(HWND window, const Expected& expected) {
    return driver::CaptureScreen(OnScreen(window, expected.in_client)).pixels == expected.pixels;
}

HWND WaitUntilShown(const bench::Started& process, const Expected& expected, double deadline) {
    for (;;) {
        const auto windows = driver::VisibleWindows(process.pid(), expected.window_class);
        if (!windows.empty() && Shows(windows.front(), expected)) return windows.front();
        if (Now() > deadline) return nullptr;
        Sleep(1);
    }
}

struct Timing {
    double input_idle_ms = 0;
    double shown_ms = 0;
};

// One start: from CreateProcess until WaitForInputIdle returns and the
// expected pixels are on the screen; then the program is closed again.
bool TimeStart(const std::wstring& exe, const Expected& expected, Timing& timing) {
    // The previous run's window must be gone from the screen first, or its
    // pixels could pass for this run's.
    const double clear_by = Now() + 3000;
    while (driver::CaptureScreen(expected.last_seen).pixels == expected.pixels) {
        if (Now() > clear_by) {
            std::fprintf(stderr, "the previous window stays on the screen\n");
            return false;
        }
        Sleep(10);
    }
    bench::Started process;
    const double t0 = Now();
    if (!process.Start(exe)) return false;
    if (WaitForInputIdle(process.handle(), kTimeoutMs) != 0) return false;
    timing.input_idle_ms = Now() - t0;
    if (WaitUntilShown(process, expected, t0 + kTimeoutMs) == nullptr) return false;
    timing.shown_ms = Now() - t0;
    process.Stop();
    return true;
}

struct Summary {
    double median = 0, low_quartile = 0, high_quartile = 0, min = 0, max = 0;
};

double Quantile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
}

Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {Quantile(values, 0.5), Quantile(values, 0.25), Quantile(values, 0.75), values.front(),
            values.back()};
}

std::string Spread(const Summary& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f-%.0f", s.low_quartile, s.high_quartile);
    return text;
}

std::string Range(const Summary& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f-%.0f", s.min, s.max);
    return text;
}

std::string Kib(unsigned long long bytes) { return bench::Integer((bytes + 512) / 1024); }

// The screen of the calendar once it is up, taken from a first start that is
// not timed; the floor must show its background in the same rectangle.
bool LearnExpected(const std::wstring& timbus, Expected& program, Expected& floor) {
    bench::Started process;
    if (!process.Start(timbus) || WaitForInputIdle(process.handle(), kTimeoutMs) != 0) {
        return false;
    }
    const auto windows = driver::WaitForWindows(process.pid(), kProgramClass, 1, kTimeoutMs);
    if (windows.empty()) return false;
    const HWND calendar = driver::FindChild(windows.front(), kCalendarClass);
    if (calendar == nullptr) return false;
    const RECT calendar_on_screen = driver::ClientRectOnScreen(calendar);
    const RECT client = driver::ClientRectOnScreen(windows.front());
    RECT in_client = calendar_on_screen;
    OffsetRect(&in_client, -client.left, -client.top);
    const driver::Image settled = driver::CaptureWhenSettled(calendar_on_screen, 5000);

    // A painted calendar has its backgrounds and its text: a rectangle of one
    // or two colours is not it.
    std::vector<std::uint32_t> colours = settled.pixels;
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (colours.size() < 3) {
        std::fprintf(stderr, "the calendar shows %zu colours only\n", colours.size());
        return false;
    }
    program = {kProgramClass, in_client, settled.pixels, calendar_on_screen};
    floor = {kFloorClass, in_client,
             std::vector<std::uint32_t>(settled.pixels.size(), kFloorBackground),
             calendar_on_screen};
    return true;
}

struct Footprint {
    bench::Memory memory;
    bench::GuiObjects objects;
};

// After start-up: the expected pixels are on the screen and the process
// has had a second to settle.
Footprint Measure(bench::Started& process) {
    driver::Settle(1000);
    return {process.ReadMemory(), process.ReadGuiObjects()};
}

std::string MemoryCell(const bench::Memory& m, bool private_bytes) {
    if (m.source == bench::Source::None) return "n/a";
    return Kib(private_bytes ? m.private_bytes : m.working_set);
}

std::string ObjectCell(const bench::GuiObjects& o, bool gdi) {
    if (o.stub) return "n/a (stub)";
    return bench::Integer(gdi ? o.gdi : o.user);
}

std::string RatioCell(double ours, double floor) {
    return floor > 0 ? bench::Ratio(ours / floor) : std::string("-");
}

struct Series {
    Summary shown[2];
    Summary input_idle[2];
};

// Starts A and B `runs` times each in ABBA order (A B, B A, A B, ...), so that
// neither side always goes first.
bool TimeSeries(const std::wstring* exe, const Expected* expected, int runs, Series& series) {
    std::vector<double> shown[2], input_idle[2];
    for (int pair = 0; pair < runs; ++pair) {
        for (int step = 0; step < 2; ++step) {
            const int side = (pair % 2 == 0) == (step == 0) ? 0 : 1;
            Timing t;
            if (!TimeStart(exe[side], expected[side], t)) {
                std::fprintf(stderr, "start %d of %ls failed\n", pair + 1, exe[side].c_str());
                return false;
            }
            shown[side].push_back(t.shown_ms);
            input_idle[side].push_back(t.input_idle_ms);
        }
    }
    for (int side = 0; side < 2; ++side) {
        series.shown[side] = Summarise(shown[side]);
        series.input_idle[side] = Summarise(input_idle[side]);
    }
    return true;
}

bool StartShown(bench::Started& process, const std::wstring& exe, const Expected& expected) {
    if (process.Start(exe) && WaitUntilShown(process, expected, Now() + kTimeoutMs) != nullptr) {
        return true;
    }
    std::fprintf(stderr, "%ls did not come up\n", exe.c_str());
    return false;
}

void PrintPrivate(const char* label, const Footprint& ours, const Footprint& about,
                  const Footprint& floor, const char* aim) {
    bench::PrintRow(label, MemoryCell(ours.memory, true), MemoryCell(about.memory, true),
                    MemoryCell(floor.memory, true),
                    RatioCell(static_cast<double>(ours.memory.private_bytes),
                              static_cast<double>(floor.memory.private_bytes)),
                    aim);
}

void PrintWorkingSet(const char* label, const Footprint& ours, const Footprint& about,
                     const Footprint& floor) {
    bench::PrintRow(label, MemoryCell(ours.memory, false), MemoryCell(about.memory, false),
                    MemoryCell(floor.memory, false),
                    RatioCell(static_cast<double>(ours.memory.working_set),
                              static_cast<double>(floor.memory.working_set)),
                    "");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: program_bench TIMBUS.EXE FLOOR.EXE [runs] [idle seconds] "
                     "[FLOOR_WITH_PICTURE.EXE]\n");
        return 2;
    }
    const std::wstring exes[3] = {argv[1], argv[2], argc > 5 ? argv[5] : L""};
    const int runs = argc > 3 ? std::max(2, _wtoi(argv[3])) : 20;
    const int idle_seconds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 10;
    const bool second_floor = !exes[2].empty();
    const bool wine = bench::RunningUnderWine();

    Expected expected[3];
    if (!LearnExpected(exes[0], expected[0], expected[1])) {
        std::fprintf(stderr, "cannot see the calendar of %ls\n", exes[0].c_str());
        return 1;
    }
    expected[2] = expected[1];
    // Warm-up: one more start of each, not counted.
    Timing warm;
    for (int i = 0; i < (second_floor ? 3 : 2); ++i) {
        if (!TimeStart(exes[i], expected[i], warm)) {
            std::fprintf(stderr, "the warm-up start of %ls failed\n", exes[i].c_str());
            return 1;
        }
    }
    Series series, picture_series;
    if (!TimeSeries(exes, expected, runs, series)) return 1;
    const std::wstring picture_pair[2] = {exes[0], exes[2]};
    const Expected picture_expected[2] = {expected[0], expected[2]};
    if (second_floor && !TimeSeries(picture_pair, picture_expected, runs, picture_series)) {
        return 1;
    }

    // Footprint: the program, the program with About open, the floors.
    bench::Started program_process, floor_process, picture_process;
    if (!StartShown(program_process, exes[0], expected[0])) return 1;
    const Footprint alone = Measure(program_process);
    const auto windows = driver::VisibleWindows(program_process.pid(), kProgramClass);
    const HWND about_button =
        windows.empty() ? nullptr : driver::FindChild(windows.front(), L"Button");
    if (about_button == nullptr) {
        std::fprintf(stderr, "no About button\n");
        return 1;
    }
    PostMessageW(about_button, BM_CLICK, 0, 0);
    if (driver::WaitForWindows(program_process.pid(), kProgramClass, 2, kTimeoutMs).size() < 2) {
        std::fprintf(stderr, "the About window did not open\n");
        return 1;
    }
    const Footprint with_about = Measure(program_process);
    if (!StartShown(floor_process, exes[1], expected[1])) return 1;
    const Footprint empty = Measure(floor_process);
    Footprint picture;
    if (second_floor) {
        if (!StartShown(picture_process, exes[2], expected[2])) return 1;
        picture = Measure(picture_process);
        picture_process.Stop();
    }

    // Idle: both of the program's windows and the floor's stay open, untouched.
    const bench::CpuTime program_before = program_process.ReadCpuTime();
    const bench::CpuTime floor_before = floor_process.ReadCpuTime();
    Sleep(static_cast<DWORD>(idle_seconds) * 1000);
    const bench::CpuTime program_after = program_process.ReadCpuTime();
    const bench::CpuTime floor_after = floor_process.ReadCpuTime();

    char label[64];
    const Summary* shown = series.shown;
    std::snprintf(label, sizeof label, "start-up until shown, median ms (%d)", runs);
    bench::PrintRow(label, bench::Fixed(shown[0].median, 1), "-", bench::Fixed(shown[1].median, 1),
                    RatioCell(shown[0].median, shown[1].median), "<= 1.10x");
    bench::PrintRow("  quartiles, ms", Spread(shown[0]), "-", Spread(shown[1]), "-", "");
    bench::PrintRow("  min-max, ms", Range(shown[0]), "-", Range(shown[1]), "-", "");
    const Summary* input_idle = series.input_idle;
    bench::PrintRow("  of which until input idle, median", bench::Fixed(input_idle[0].median, 1),
                    "-", bench::Fixed(input_idle[1].median, 1),
                    RatioCell(input_idle[0].median, input_idle[1].median), "");
    if (second_floor) {
        const Summary* vs_picture = picture_series.shown;
        bench::PrintRow("  vs floor + picture + CC6, median", bench::Fixed(vs_picture[0].median, 1),
                        "-", bench::Fixed(vs_picture[1].median, 1),
                        RatioCell(vs_picture[0].median, vs_picture[1].median), "info");
    }

    PrintPrivate(wine ? "private KiB (Wine: /proc RssAnon)" : "private KiB", alone, with_about,
                 empty, "<= 1.50x");
    if (second_floor) {
        PrintPrivate("  vs floor + picture + CC6", alone, with_about, picture, "info");
    }
    PrintWorkingSet(wine ? "working set KiB (Wine: /proc VmRSS)" : "working set KiB", alone,
                    with_about, empty);
    if (second_floor) PrintWorkingSet("  vs floor + picture + CC6", alone, with_about, picture);
    bench::PrintRow("GDI objects", ObjectCell(alone.objects, true),
                    ObjectCell(with_about.objects, true), ObjectCell(empty.objects, true), "-", "");
    bench::PrintRow("USER objects", ObjectCell(alone.objects, false),
                    ObjectCell(with_about.objects, false), ObjectCell(empty.objects, false), "-",
                    "");

    std::snprintf(label, sizeof label, "idle CPU ms in %d s%s", idle_seconds,
                  wine ? " (Wine: /proc)" : "");
    const bool have_cpu =
        program_after.source != bench::Source::None && floor_after.source != bench::Source::None;
    bench::PrintRow(label, "-",
                    have_cpu ? bench::Fixed(program_after.ms - program_before.ms, 0) : "n/a",
                    have_cpu ? bench::Fixed(floor_after.ms - floor_before.ms, 0) : "n/a", "-", "0");
    return 0;
}
