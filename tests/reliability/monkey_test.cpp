// Random input from outside, as an impatient user gives it: mouse moves,
// clicks, double-clicks and wheel turns on and just around both windows,
// keys, and closing windows. After every batch the program must be alive and
// answering, or have ended with code 0 because its last window closed (then
// it is started again); hold at most one About window and no stray windows;
// keep its calendar's selection and shown dates inside 1753-9999; and not
// grow in memory.
//
// The run prints its seed. Replay a failure with the same seed and count:
//   reliability_tests --gtest_filter=Monkey.* --seed=N --events=M
// (or TIMBUS_MONKEY_SEED=N TIMBUS_MONKEY_EVENTS=M); tools/soak runs 100,000.
#include "tests/reliability/calendar_state.h"
#include "tests/reliability/measures.h"
#include "tests/support/driver.h"
#include "tests/support/paths.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFormClass[] = L"TimbusForm";
constexpr wchar_t kCalendarCaption[] = L"Тимбус V 1.3";
constexpr wchar_t kAboutCaption[] = L"О программе !";
constexpr int kDefaultEvents = 2500;
constexpr int kBatch = 25;
// The controls each window's table holds: more would be leaked windows.
constexpr std::size_t kCalendarWindowChildren = 3;
constexpr std::size_t kAboutWindowChildren = 8;
// Private memory a process may gain after its first batches. The program
// holds about 8 MB under Wine; a leak of a bitmap, or of a few kilobytes an
// event, crosses this within a few thousand events.
constexpr long kAllowedGrowthKb = 16 * 1024;
constexpr DWORD kAnswerTimeoutMs = 5000;

// A small generator whose sequence does not depend on the standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint32_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }

private:
    std::uint64_t state_;
};

struct Options {
    std::uint32_t seed;
    int events;
};

std::optional<unsigned long> Number(const std::wstring& text) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0') return std::nullopt;
    return value;
}

// --seed=N and --events=M after the test arguments, else the environment,
// else a fresh seed and the CI-sized count.
Options ReadOptions() {
    Options options{static_cast<std::uint32_t>(GetTickCount() ^ (GetCurrentProcessId() << 16)),
                    kDefaultEvents};
    wchar_t value[32];
    if (GetEnvironmentVariableW(L"TIMBUS_MONKEY_SEED", value, 32) > 0) {
        if (auto n = Number(value)) options.seed = static_cast<std::uint32_t>(*n);
    }
    if (GetEnvironmentVariableW(L"TIMBUS_MONKEY_EVENTS", value, 32) > 0) {
        if (auto n = Number(value)) options.events = static_cast<int>(*n);
    }
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args != nullptr && i < count; ++i) {
        const std::wstring arg = args[i];
        if (arg.rfind(L"--seed=", 0) == 0) {
            if (auto n = Number(arg.substr(7))) options.seed = static_cast<std::uint32_t>(*n);
        } else if (arg.rfind(L"--events=", 0) == 0) {
            if (auto n = Number(arg.substr(9))) options.events = static_cast<int>(*n);
        }
    }
    LocalFree(args);
    return options;
}

std::wstring Caption(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

struct ChildCount {
    std::size_t count = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++reinterpret_cast<ChildCount*>(param)->count;
    return TRUE;
}

std::size_t Descendants(HWND window) {
    ChildCount counted;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&counted));
    return counted.count;
}

struct FormList {
    DWORD pid;
    std::vector<HWND> forms;  // visible or not
};

BOOL CALLBACK CollectForm(HWND window, LPARAM param) {
    auto* list = reinterpret_cast<FormList*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (owner == list->pid && lstrcmpW(name, kFormClass) == 0) list->forms.push_back(window);
    return TRUE;
}

std::vector<HWND> AllForms(DWORD pid) {
    FormList list{pid, {}};
    EnumWindows(CollectForm, reinterpret_cast<LPARAM>(&list));
    return list.forms;
}

// The program under test, started again whenever it ends.
class Program {
public:
    bool Start(int instance) {
        process_ = std::make_unique<driver::Process>();
        const std::string tag = "--monkey-instance=" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(instance);
        if (!process_->Start(driver::ProgramPath(), std::wstring(tag.begin(), tag.end())))
            return false;
        if (driver::WaitForWindows(process_->pid(), kFormClass, 1, 10000).empty()) return false;
        linux_pid_ = reliability::LinuxPidWithTag(tag);
        first_kb_.reset();
        batches_ = 0;
        return true;
    }

    driver::Process& process() { return *process_; }
    DWORD pid() const { return process_->pid(); }

    HWND Form(const wchar_t* caption) const {
        for (HWND w : driver::VisibleWindows(process_->pid(), kFormClass)) {
            if (Caption(w) == caption) return w;
        }
        return nullptr;
    }

    // The private memory's growth since the process's fourth batch, when it
    // has settled; nothing when it cannot be read.
    std::optional<long> MemoryGrowthKb() {
        const std::optional<long> now =
            reliability::PrivateMemoryKb(process_->handle(), linux_pid_);
        if (!now) return std::nullopt;
        if (++batches_ == 4) first_kb_ = *now;
        if (!first_kb_) return 0;
        return *now - *first_kb_;
    }

private:
    std::unique_ptr<driver::Process> process_;
    std::optional<int> linux_pid_;
    std::optional<long> first_kb_;
    int batches_ = 0;
};

struct Key {
    WORD vk;
    bool shift;
    bool ctrl;
    const char* name;
};

const Key kKeys[] = {
    {VK_TAB, false, false, "Tab"},
    {VK_TAB, true, false, "Shift+Tab"},
    {VK_LEFT, false, false, "Left"},
    {VK_RIGHT, false, false, "Right"},
    {VK_UP, false, false, "Up"},
    {VK_DOWN, false, false, "Down"},
    {VK_HOME, false, false, "Home"},
    {VK_END, false, false, "End"},
    {VK_PRIOR, false, false, "PageUp"},
    {VK_NEXT, false, false, "PageDown"},
    {VK_PRIOR, false, true, "Ctrl+PageUp"},
    {VK_NEXT, false, true, "Ctrl+PageDown"},
    {VK_RETURN, false, false, "Enter"},
    {VK_ESCAPE, false, false, "Esc"},
    {VK_SPACE, false, false, "Space"},
};

// Sends one random event; a line for the log of recent events.
class Monkey {
public:
    Monkey(Random& random, Program& program) : random_(random), program_(program) {}

    std::string Act() {
        // The calendar window more often than the About window.
        const HWND calendar_window = program_.Form(kCalendarCaption);
        const HWND about = program_.Form(kAboutCaption);
        if (calendar_window == nullptr && about == nullptr) return "no window";
        const HWND form = about == nullptr || (calendar_window != nullptr && random_.Below(10) < 7)
                              ? calendar_window
                              : about;
        const int roll = random_.Below(1000);
        if (roll < 100) return Move(form);
        if (roll < 380) return Click(form);
        if (roll < 440) return DoubleClick(form);
        if (roll < 520) return Wheel(form);
        if (roll < 995) return Press();
        if (roll < 998) return CloseBox(form);
        return AltF4();
    }

private:
    // Anywhere on the window or up to 12 pixels outside it, on the screen;
    // often on one of its controls, most often the calendar, where most of
    // the behaviour is.
    POINT Somewhere(HWND form) {
        RECT r;
        GetWindowRect(form, &r);
        const int where = random_.Below(100);
        HWND calendar = driver::FindChild(form, L"TimbusMonthCalendar");
        if (where < 40 && calendar != nullptr) {
            GetWindowRect(calendar, &r);
        } else if (where < 60) {
            std::vector<HWND> controls;
            EnumChildWindows(
                form,
                [](HWND child, LPARAM list) {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&controls));
            if (!controls.empty())
                GetWindowRect(controls[static_cast<std::size_t>(
                                  random_.Below(static_cast<int>(controls.size())))],
                              &r);
        } else {
            InflateRect(&r, 12, 12);
        }
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        POINT p{random_.Between(r.left, r.right - 1), random_.Between(r.top, r.bottom - 1)};
        p.x = std::max(0L, std::min<LONG>(p.x, width - 1));
        p.y = std::max(0L, std::min<LONG>(p.y, height - 1));
        return p;
    }

    static std::string At(const char* what, POINT p) {
        return std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
    }

    std::string Move(HWND form) {
        const POINT p = Somewhere(form);
        driver::MoveMouseTo(p);
        return At("move", p);
    }
    std::string Click(HWND form) {
        const POINT p = Somewhere(form);
        driver::ClickAt(p);
        return At("click", p);
    }
    std::string DoubleClick(HWND form) {
        const POINT p = Somewhere(form);
        driver::DoubleClickAt(p);
        return At("double-click", p);
    }
    std::string Wheel(HWND form) {
        static const int kDeltas[] = {120, -120, 240, -240, 40, -40, 600, -600};
        const int delta = kDeltas[random_.Below(8)];
        const POINT p = Somewhere(form);
        driver::WheelAt(p, delta);
        return At(("wheel " + std::to_string(delta)).c_str(), p);
    }
    std::string Press() {
        const int pick = random_.Below(static_cast<int>(std::size(kKeys)) + 36);
        if (pick < static_cast<int>(std::size(kKeys))) {
            const Key& key = kKeys[pick];
            driver::PressKey(key.vk, key.shift, key.ctrl);
            return std::string("key ") + key.name;
        }
        const int n = pick - static_cast<int>(std::size(kKeys));
        const char c = static_cast<char>(n < 26 ? 'A' + n : '0' + (n - 26));
        driver::PressKey(static_cast<WORD>(c));
        return std::string("key ") + c;
    }
    // The caption's close box, found by asking the window what each point is.
    std::string CloseBox(HWND form) {
        RECT r;
        GetWindowRect(form, &r);
        for (int y = r.top; y < r.top + 40 && y < r.bottom; y += 2) {
            for (int x = r.right - 1; x > r.right - 60 && x > r.left; x -= 2) {
                DWORD_PTR hit = 0;
                if (SendMessageTimeoutW(form, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG,
                                        kAnswerTimeoutMs, &hit) &&
                    hit == HTCLOSE) {
                    driver::ClickAt({x, y});
                    return At(Caption(form) == kAboutCaption ? "close box of About" : "close box",
                              {x, y});
                }
            }
        }
        return "close box not found";
    }
    // Only while one of the program's windows is in front: Alt+F4 elsewhere
    // would reach Wine's desktop.
    std::string AltF4() {
        DWORD owner = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &owner);
        if (owner != program_.pid()) return "Alt+F4 skipped: not in front";
        driver::PressKey(VK_F4, false, false, true);
        return "Alt+F4";
    }

    Random& random_;
    Program& program_;
};

// What the batches met, printed at the end: a run that never reached the
// About window or the zoomed views proves little.
struct Coverage {
    int batches = 0;
    int about_open = 0;
    int views[4] = {};
    int selection_moves = 0;
    std::string last_selection;
    long growth_kb = 0;
};

// Everything that must hold between batches; empty when it does.
std::string Broken(Program& program, Coverage& seen) {
    const DWORD pid = program.pid();
    std::vector<HWND> forms = AllForms(pid);
    int calendars = 0;
    int abouts = 0;
    for (HWND form : forms) {
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                 &ignored)) {
            if (!IsWindow(form)) continue;
            return "a window did not answer within 5 s";
        }
        const std::wstring caption = Caption(form);
        const std::size_t children = Descendants(form);
        if (caption == kCalendarCaption) {
            ++calendars;
            if (children != kCalendarWindowChildren)
                return "the calendar window holds " + std::to_string(children) + " windows";
        } else if (caption == kAboutCaption) {
            ++abouts;
            if (children != kAboutWindowChildren)
                return "the About window holds " + std::to_string(children) + " windows";
        } else {
            return "a window with an unknown caption";
        }
    }
    if (calendars > 1) return std::to_string(calendars) + " calendar windows";
    if (abouts > 1) return std::to_string(abouts) + " About windows";
    ++seen.batches;
    seen.about_open += abouts;

    if (HWND window = program.Form(kCalendarCaption)) {
        HWND calendar = driver::FindChild(window, L"TimbusMonthCalendar");
        if (calendar == nullptr) return "the calendar window has no calendar";
        HANDLE process = program.process().handle();
        const reliability::CalendarState state = reliability::ReadCalendar(
            [&](UINT message, WPARAM wparam, void* data, std::size_t size, LRESULT* result) {
                if (data != nullptr)
                    return driver::SendWithRemoteBuffer(process, calendar, message, wparam, data,
                                                        size, kAnswerTimeoutMs, result);
                DWORD_PTR answer = 0;
                const bool ok = SendMessageTimeoutW(calendar, message, wparam, 0, SMTO_ABORTIFHUNG,
                                                    kAnswerTimeoutMs, &answer) != 0;
                *result = static_cast<LRESULT>(answer);
                return ok;
            });
        if (std::string fault = reliability::Faults(state); !fault.empty()) return fault;
        ++seen.views[state.view];
        if (reliability::Text(state.selected) != seen.last_selection) {
            ++seen.selection_moves;
            seen.last_selection = reliability::Text(state.selected);
        }
        // No input changes the range the program set.
        LRESULT answer = 0;
        SYSTEMTIME limits[2]{};
        if (!driver::SendWithRemoteBuffer(process, calendar, MCM_GETRANGE, 0, limits, sizeof limits,
                                          kAnswerTimeoutMs, &answer) ||
            answer != (GDTR_MIN | GDTR_MAX) || reliability::Text(limits[0]) != "1753-01-01" ||
            reliability::Text(limits[1]) != "9999-12-31")
            return "the range became " + reliability::Text(limits[0]) + " to " +
                   reliability::Text(limits[1]);
    }

    const std::optional<long> growth = program.MemoryGrowthKb();
    if (!growth) return "its memory could not be read";
    seen.growth_kb = std::max(seen.growth_kb, *growth);
    if (*growth > kAllowedGrowthKb) return "its memory grew by " + std::to_string(*growth) + " kB";
    return {};
}

TEST(Monkey, RandomInputNeverBreaksTheProgram) {
    const Options options = ReadOptions();
    std::printf("monkey: --seed=%u --events=%d\n", options.seed, options.events);
    std::fflush(stdout);
    RecordProperty("seed", std::to_string(options.seed));
    Random random(options.seed);

    Program program;
    int instance = 0;
    ASSERT_TRUE(program.Start(++instance));
    Monkey monkey(random, program);
    std::deque<std::string> recent;
    int restarts = 0;
    Coverage seen;
    int sent = 0;
    while (sent < options.events) {
        for (int i = 0; i < kBatch && sent < options.events && program.process().running();
             ++i, ++sent) {
            recent.push_back(std::to_string(sent) + ": " + monkey.Act());
            if (recent.size() > 2 * kBatch) recent.pop_front();
            Sleep(8);
        }
        driver::Settle(60);
        std::string broken;
        if (!program.process().running()) {
            const long code = program.process().WaitForExit(5000);
            if (code != 0) broken = "ended with code " + std::to_string(code);
        } else {
            broken = Broken(program, seen);
        }
        if (!broken.empty()) {
            std::string log;
            for (const std::string& line : recent)
                log += "  " + line + "\n";
            FAIL() << broken << "\nafter event " << sent << " of seed " << options.seed
                   << "; the last events:\n"
                   << log;
        }
        if (!program.process().running()) {
            ++restarts;
            ASSERT_TRUE(program.Start(++instance)) << "could not start the program again";
        }
    }
    program.process().Stop();
    std::printf(
        "monkey: %d events, %d restarts after the last window closed, largest memory growth %ld "
        "kB\n"
        "  of %d batches: About open after %d; month, year, decade, century view after %d, %d, %d, "
        "%d; the selection moved %d times\n",
        sent, restarts, seen.growth_kb, seen.batches, seen.about_open, seen.views[0], seen.views[1],
        seen.views[2], seen.views[3], seen.selection_moves);
    RecordProperty("restarts", restarts);
    RecordProperty("memory_growth_kb", static_cast<int>(seen.growth_kb));
}

}  // namespace
