// Pages a month calendar from January 1753 to December 9999, one month and
// one repaint a step, and does the same with the platform's SysMonthCal32
// beside it; prints the time per page and the object counts.
// Usage: month_calendar_paging [pages] [--row]   (default: the whole range;
// --row prints the rows of tools/bench's table instead)
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/table.h"

#include "toolkit/dpi.h"
#include "toolkit/handles.h"
#include "toolkit/month_calendar/month_calendar.h"

namespace {

constexpr int kWidth = 166;
constexpr int kHeight = 158;
constexpr int kWholeRange = (9999 - 1753 + 1) * 12 - 1;

struct Counts {
    DWORD gdi;
    DWORD user;
    long owned_gdi;
};

Counts Now() {
    return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), tk::LiveHandleCounts().gdi};
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

SYSTEMTIME FirstOf(int month_index) {  // 0 is January 1753
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(1753 + month_index / 12);
    st.wMonth = static_cast<WORD>(month_index % 12 + 1);
    st.wDay = 1;
    return st;
}

struct Run {
    double ms_per_page;
    double seconds;
    Counts before;
    Counts after;
    SYSTEMTIME last;
};

// Each step: select the first of the next month (the calendar shows it),
// then repaint at once.
Run Page(HWND calendar, int pages) {
    const SYSTEMTIME start = FirstOf(0);
    SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&start));
    for (int i = 1; i <= 24; ++i) {  // warm up: fonts, buffers, caches
        const SYSTEMTIME st = FirstOf(i);
        SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
        InvalidateRect(calendar, nullptr, TRUE);
        UpdateWindow(calendar);
    }
    SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&start));
    UpdateWindow(calendar);
    Pump();

    Run run{};
    run.before = Now();
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t0);
    for (int i = 1; i <= pages; ++i) {
        const SYSTEMTIME st = FirstOf(i);
        SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
        InvalidateRect(calendar, nullptr, TRUE);
        UpdateWindow(calendar);
        if ((i & 1023) == 0) Pump();
    }
    QueryPerformanceCounter(&t1);
    Pump();
    run.after = Now();
    run.seconds =
        static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(frequency.QuadPart);
    run.ms_per_page = run.seconds * 1000.0 / pages;
    SendMessageW(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&run.last));
    return run;
}

void PrintGui(DWORD before, DWORD after) {
    if (before == 0 && after == 0) {
        std::printf(" %15s", "n/a under Wine");
    } else {
        std::printf(" %7lu->%-7lu", before, after);
    }
}

void PrintRow(const char* name, const Run& r, bool owned) {
    std::printf("%-30s %9.4f %9.2f", name, r.ms_per_page, r.seconds);
    PrintGui(r.before.gdi, r.after.gdi);
    PrintGui(r.before.user, r.after.user);
    if (owned) {
        std::printf(" %6ld->%-6ld", r.before.owned_gdi, r.after.owned_gdi);
    } else {
        std::printf(" %14s", "-");
    }
    std::printf("  %04u-%02u-%02u\n", r.last.wYear, r.last.wMonth, r.last.wDay);
}

// Which comctl32 the manifest gave us: the side-by-side assembly 6.0, or
// the system's 5.8. (Wine's DllGetVersion answers 5 for both copies.)
int LoadedCommonControlsVersion() {
    const HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    wchar_t path[MAX_PATH]{};
    if (comctl == nullptr || GetModuleFileNameW(comctl, path, MAX_PATH) == 0) return 0;
    if (StrStrIW(path, L"common-controls_6595b64144ccf1df_6.") != nullptr) return 6;
    using DllGetVersionFn = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    const auto get_version = reinterpret_cast<DllGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    return get_version != nullptr && SUCCEEDED(get_version(&info))
               ? static_cast<int>(info.dwMajorVersion)
               : 0;
}

}  // namespace

int main(int argc, char** argv) {
    int pages = kWholeRange;
    bool row = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--row") == 0) {
            row = true;
        } else {
            pages = std::max(1, std::min(kWholeRange, std::atoi(argv[i])));
        }
    }

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    if (!InitCommonControlsEx(&icc) || !tk::RegisterMonthCalendarClass(instance)) {
        std::fprintf(stderr, "cannot register the calendar classes\n");
        return 1;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TimbusPagingHost";
    if (!RegisterClassExW(&wc)) return 1;
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"paging", WS_POPUP | WS_VISIBLE, 50, 50,
                                2 * kWidth + 30, kHeight + 20, nullptr, nullptr, instance, nullptr);
    if (host == nullptr) return 1;

    const LOGFONTW lf = tk::DialogFont(tk::DpiForWindow(host));
    tk::UniqueFont font(CreateFontIndirectW(&lf));
    const tk::MonthCalendarSettings settings{
        {2004, 7, 19},
        {1753, 1, 1},
        {9999, 12, 31},
        {0x80000012, 0x00FFC0C0, 0x0063783C, 0x00C0FFC0, 0x00000000, 0x0000C000, 0x80000012}};

    HWND ours = CreateWindowExW(0, tk::kMonthCalendarClassName, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 10, 10, kWidth,
                                kHeight, host, reinterpret_cast<HMENU>(1), instance, nullptr);
    HWND peer = CreateWindowExW(
        0, MONTHCAL_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 20 + kWidth, 10,
        kWidth, kHeight, host, reinterpret_cast<HMENU>(2), instance, nullptr);
    if (ours == nullptr || peer == nullptr || !font) {
        std::fprintf(stderr, "cannot create the calendars\n");
        return 1;
    }
    for (HWND calendar : {ours, peer}) {
        SendMessageW(calendar, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    tk::ApplyMonthCalendarSettings(ours, settings);
    // The peer gets the same range and the same colours, resolved.
    SYSTEMTIME range[2]{};
    range[0] = {1753, 1, 0, 1, 0, 0, 0, 0};
    range[1] = {9999, 12, 0, 31, 0, 0, 0, 0};
    SendMessageW(peer, MCM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    for (int slot = MCSC_BACKGROUND; slot <= MCSC_TRAILINGTEXT; ++slot) {
        const LRESULT value = SendMessageW(ours, MCM_GETCOLOR, static_cast<WPARAM>(slot), 0);
        SendMessageW(peer, MCM_SETCOLOR, static_cast<WPARAM>(slot),
                     static_cast<LPARAM>(tk::ResolveColour(static_cast<tk::ColourValue>(value))));
    }
    UpdateWindow(host);
    Pump();

    const Run mine = Page(ours, pages);
    const Run theirs = Page(peer, pages);
    const int version = LoadedCommonControlsVersion();
    const bool grew = mine.after.owned_gdi > mine.before.owned_gdi ||
                      mine.after.gdi > mine.before.gdi || mine.after.user > mine.before.user;
    DestroyWindow(host);

    if (row) {
        char label[64];
        std::snprintf(label, sizeof label, "paging ms/page (vs SysMonthCal32 v%d)", version);
        bench::PrintRow(label, bench::Fixed(mine.ms_per_page, 4), "-",
                        bench::Fixed(theirs.ms_per_page, 4),
                        bench::Ratio(mine.ms_per_page / theirs.ms_per_page), "");
        std::snprintf(label, sizeof label, "  %d months: owned GDI objects", pages);
        char owned[32];
        std::snprintf(owned, sizeof owned, "%ld->%ld", mine.before.owned_gdi, mine.after.owned_gdi);
        bench::PrintRow(label, owned, "-", "-", "-", grew ? "no growth: GREW" : "no growth");
        return 0;
    }
    std::printf(
        "Paging %d months from January 1753, MCM_SETCURSEL + repaint per step, %dx%d px\n\n", pages,
        kWidth, kHeight);
    std::printf("%-30s %9s %9s %15s %15s %14s  %s\n", "calendar", "ms/page", "total s",
                "GDI objects", "USER objects", "owned GDI", "last shown");
    PrintRow("TimbusMonthCalendar", mine, true);
    char peer_name[64];
    std::snprintf(peer_name, sizeof(peer_name), "SysMonthCal32 (comctl32 v%d)", version);
    PrintRow(peer_name, theirs, false);
    std::printf("\nspeed-up (peer ms/page / ours): %.2fx\n", theirs.ms_per_page / mine.ms_per_page);
    std::printf("object counts of ours: %s\n", grew ? "GREW" : "no growth");
    return 0;
}
