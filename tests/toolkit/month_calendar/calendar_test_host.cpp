#include "calendar_test_host.h"

#include "toolkit/dpi.h"

namespace tk::test {

namespace {

constexpr wchar_t kHostClass[] = L"TimbusCalendarTestHost";
constexpr int kCalendarId = 101;

// Counts the input messages the thread takes from its queue, so a test
// knows its SendInput has been handled.
int g_input_seen = 0;

LRESULT CALLBACK InputWatch(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lp);
        if (msg->message == WM_LBUTTONUP || msg->message == WM_KEYUP ||
            msg->message == WM_MOUSEWHEEL) {
            ++g_input_seen;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

HHOOK g_watch = nullptr;

bool SendAndWait(std::vector<INPUT> inputs) {
    if (g_watch == nullptr) {
        g_watch = SetWindowsHookExW(WH_GETMESSAGE, InputWatch, nullptr, GetCurrentThreadId());
    }
    const int before = g_input_seen;
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) !=
        inputs.size()) {
        return false;
    }
    const bool arrived = PumpUntil([before] { return g_input_seen > before; });
    PumpFor(10);
    return arrived;
}

INPUT MouseInput(POINT screen, DWORD flags, int wheel = 0) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    input.mi.mouseData = static_cast<DWORD>(wheel);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    const bool extended = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN ||
                          key == VK_PRIOR || key == VK_NEXT || key == VK_HOME || key == VK_END;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

}  // namespace

MonthCalendarSettings ProgramSettings() {
    return {{2004, 7, 19},
            {1753, 1, 1},
            {9999, 12, 31},
            {0x80000012, 0x00FFC0C0, 0x0063783C, 0x00C0FFC0, 0x00000000, 0x0000C000, 0x80000012}};
}

SYSTEMTIME Day(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    return st;
}

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

CalendarHost::CalendarHost(unsigned dpi, bool apply_settings) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterMonthCalendarClass(instance)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kHostClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.hInstance = instance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kHostClass;
        if (!RegisterClassExW(&wc)) return;
    }
    const int width = MulDiv(166, static_cast<int>(dpi), 96);
    const int height = MulDiv(158, static_cast<int>(dpi), 96);
    host_ = CreateWindowExW(0, kHostClass, L"host", WS_POPUP | WS_VISIBLE, 100, 100, width + 40,
                            height + 40, nullptr, nullptr, instance, this);
    if (host_ == nullptr) return;
    calendar_ = CreateWindowExW(
        0, kMonthCalendarClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 20, 20,
        width, height, host_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCalendarId)), instance,
        nullptr);
    if (calendar_ == nullptr) return;
    const LOGFONTW lf = DialogFont(dpi);
    font_ = UniqueFont(CreateFontIndirectW(&lf));
    SendMessageW(calendar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    if (apply_settings) ApplyMonthCalendarSettings(calendar_, ProgramSettings());
    UpdateWindow(host_);
    PumpFor(20);
}

CalendarHost::~CalendarHost() {
    if (host_ != nullptr) DestroyWindow(host_);  // takes the calendar with it
    PumpFor(5);
}

bool CalendarHost::Activate() {
    SetForegroundWindow(host_);
    SetFocus(calendar_);
    return PumpUntil([this] { return GetForegroundWindow() == host_ && GetFocus() == calendar_; });
}

SYSTEMTIME CalendarHost::Selection() const {
    SYSTEMTIME st{};
    SendMessageW(calendar_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    return st;
}

int CalendarHost::View() const {
    return static_cast<int>(SendMessageW(calendar_, MCM_GETCURRENTVIEW, 0, 0));
}

LRESULT CALLBACK CalendarHost::HostProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (message == WM_NOTIFY) {
        auto* self = reinterpret_cast<CalendarHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (self != nullptr && header->idFrom == kCalendarId) {
            Notification n{header->code, {}};
            if (header->code == MCN_SELCHANGE || header->code == MCN_SELECT) {
                n.selected = reinterpret_cast<const NMSELCHANGE*>(lp)->stSelStart;
            }
            self->notifications.push_back(n);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wp, lp);
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

bool ClickAt(HWND window, POINT point) {
    ClientToScreen(window, &point);
    return SendAndWait({MouseInput(point, 0), MouseInput(point, MOUSEEVENTF_LEFTDOWN),
                        MouseInput(point, MOUSEEVENTF_LEFTUP)});
}

bool WheelAt(HWND window, POINT point, int delta) {
    ClientToScreen(window, &point);
    return SendAndWait({MouseInput(point, 0), MouseInput(point, MOUSEEVENTF_WHEEL, delta)});
}

bool PressKey(WORD key, bool with_control) {
    std::vector<INPUT> inputs;
    if (with_control) inputs.push_back(KeyInput(VK_CONTROL, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    if (with_control) inputs.push_back(KeyInput(VK_CONTROL, true));
    return SendAndWait(inputs);
}

std::optional<POINT> FindHit(HWND calendar,
                             const std::function<bool(const MCHITTESTINFO&)>& wanted) {
    RECT client{};
    GetClientRect(calendar, &client);
    for (int y = 0; y < client.bottom; y += 2) {
        for (int x = 0; x < client.right; x += 2) {
            MCHITTESTINFO info{};
            info.cbSize = sizeof(info);
            info.pt = {x, y};
            SendMessageW(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
            if (wanted(info)) {
                return POINT{(info.rc.left + info.rc.right) / 2,
                             (info.rc.top + info.rc.bottom) / 2};
            }
        }
    }
    return std::nullopt;
}

std::optional<POINT> FindDate(HWND calendar, const SYSTEMTIME& date) {
    return FindHit(calendar, [&date](const MCHITTESTINFO& info) {
        return (info.uHit & MCHT_CALENDARDATE) == MCHT_CALENDARDATE && SameDay(info.st, date);
    });
}

std::optional<POINT> FindPart(HWND calendar, UINT hit) {
    return FindHit(calendar, [hit](const MCHITTESTINFO& info) { return info.uHit == hit; });
}

int Image::Count(const RECT& area, COLORREF colour) const {
    int count = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height); ++y) {
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width); ++x) {
            count += At(x, y) == colour;
        }
    }
    return count;
}

Image Render(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    Image image;
    image.width = client.right;
    image.height = client.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.width;
    bi.bmiHeader.biHeight = -image.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return {};
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return {};
    {
        ScopedSelect select(dc.get(), bitmap.get());
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        image.pixels.resize(static_cast<size_t>(image.width * image.height));
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            const std::uint32_t p = pixels[i];
            image.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
    }
    return image;
}

RECT HitRect(HWND calendar, POINT point) {
    MCHITTESTINFO info{};
    info.cbSize = sizeof(info);
    info.pt = point;
    SendMessageW(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
    return info.rc;
}

}  // namespace tk::test
