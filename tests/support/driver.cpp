#include "tests/support/driver.h"

#include <cstdio>

namespace driver {

Process::~Process() {
    if (info_.hProcess != nullptr) {
        if (running()) Stop();
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool Process::Start(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_)) {
        info_ = {};
        return false;
    }
    WaitForInputIdle(info_.hProcess, 10000);
    return true;
}

bool Process::running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

long Process::WaitForExit(DWORD timeout_ms) {
    if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

void Process::Stop() {
    for (HWND window : VisibleWindows(pid()))
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForExit(5000) < 0) {
        TerminateProcess(info_.hProcess, 255);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

namespace {

struct EnumState {
    DWORD pid;
    const wchar_t* class_name;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != state->pid || !IsWindowVisible(window)) return TRUE;
    if (state->class_name != nullptr) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (lstrcmpiW(name, state->class_name) != 0) return TRUE;
    }
    state->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    const wchar_t* class_name;
    const wchar_t* text;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, search->class_name) != 0) return TRUE;
    if (search->text != nullptr) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (lstrcmpW(text, search->text) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

}  // namespace

std::vector<HWND> VisibleWindows(DWORD pid, const wchar_t* class_name) {
    EnumState state{pid, class_name, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::vector<HWND> WaitForWindows(DWORD pid, const wchar_t* class_name, std::size_t count,
                                 DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        auto windows = VisibleWindows(pid, class_name);
        if (windows.size() >= count || GetTickCount() - start > timeout_ms) return windows;
        Settle(50);
    }
}

HWND FindChild(HWND parent, const wchar_t* class_name, const wchar_t* text) {
    ChildSearch search{class_name, text};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ClickAt(POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (auto& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
        input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof inputs[0]);
}

void ClickCentre(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void PressKey(WORD vk, bool shift, bool ctrl, bool alt) {
    if (shift) SendKey(VK_SHIFT, false);
    if (ctrl) SendKey(VK_CONTROL, false);
    if (alt) SendKey(VK_MENU, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (alt) SendKey(VK_MENU, true);
    if (ctrl) SendKey(VK_CONTROL, true);
    if (shift) SendKey(VK_SHIFT, true);
}

void Settle(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

namespace {

// The pixels of whatever `draw` puts into a 32-bit top-down DIB of the size.
template <typename Draw>
Image DrawIntoImage(int width, int height, Draw draw) {
    Image image;
    if (width <= 0 || height <= 0) return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    draw(memory, screen);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = source[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

}  // namespace

Image CaptureScreen(const RECT& rect) {
    return DrawIntoImage(rect.right - rect.left, rect.bottom - rect.top,
                         [&](HDC memory, HDC screen) {
                             BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                                    screen, rect.left, rect.top, SRCCOPY);
                         });
}

Image ImageOfBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || !GetObjectW(bitmap, sizeof info, &info)) return {};
    return DrawIntoImage(info.bmWidth, info.bmHeight, [&](HDC memory, HDC) {
        HDC source = CreateCompatibleDC(memory);
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(memory, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    });
}

RECT ClientRectOnScreen(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

RECT UnionRect(const std::vector<HWND>& windows) {
    RECT all{};
    for (HWND window : windows) {
        RECT r;
        GetWindowRect(window, &r);
        if (IsRectEmpty(&all)) {
            all = r;
        } else {
            ::UnionRect(&all, &all, &r);
        }
    }
    return all;
}

Image CaptureWhenSettled(const RECT& rect, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    Image last = CaptureScreen(rect);
    int same = 0;
    while (same < 3 && GetTickCount() - start < timeout_ms) {
        Settle(100);
        Image now = CaptureScreen(rect);
        same = now.pixels == last.pixels ? same + 1 : 0;
        last = std::move(now);
    }
    return last;
}

namespace {

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char type[4],
              const std::vector<unsigned char>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(body.data(), body.size()));
}

}  // namespace

// An RGB PNG with stored (uncompressed) deflate blocks: no zlib needed.
bool WritePng(const std::wstring& path, const Image& image) {
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(image.height) * (image.width * 3 + 1));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            raw.push_back(static_cast<unsigned char>(p >> 16));
            raw.push_back(static_cast<unsigned char>(p >> 8));
            raw.push_back(static_cast<unsigned char>(p));
        }
    }
    std::vector<unsigned char> zlib = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
        const std::size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        const bool last = pos + n >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<unsigned char>(n));
        zlib.push_back(static_cast<unsigned char>(n >> 8));
        zlib.push_back(static_cast<unsigned char>(~n));
        zlib.push_back(static_cast<unsigned char>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<long>(pos),
                    raw.begin() + static_cast<long>(pos + n));
        pos += n;
        if (last) break;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});

    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    const bool ok = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && ok;
}

bool Process::Start(const std::wstring& exe, const std::wstring& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_)) {
        info_ = {};
        return false;
    }
    WaitForInputIdle(info_.hProcess, 10000);
    return true;
}

namespace {

// An absolute mouse event at a screen point (SendInput's 0-65535 scale).
INPUT MouseInput(POINT screen, DWORD flags, DWORD data = 0) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    input.mi.mouseData = data;
    return input;
}

}  // namespace

void MoveMouseTo(POINT screen) {
    INPUT input = MouseInput(screen, MOUSEEVENTF_MOVE);
    SendInput(1, &input, sizeof input);
}

void DoubleClickAt(POINT screen) {
    INPUT inputs[5] = {
        MouseInput(screen, MOUSEEVENTF_MOVE), MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
        MouseInput(screen, MOUSEEVENTF_LEFTUP), MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
        MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    SendInput(5, inputs, sizeof inputs[0]);
}

void WheelAt(POINT screen, int delta) {
    INPUT inputs[2] = {MouseInput(screen, MOUSEEVENTF_MOVE),
                       MouseInput(screen, MOUSEEVENTF_WHEEL, static_cast<DWORD>(delta))};
    SendInput(2, inputs, sizeof inputs[0]);
}

bool SendWithRemoteBuffer(HANDLE process, HWND window, UINT message, WPARAM wparam, void* data,
                          std::size_t size, DWORD timeout_ms, LRESULT* result) {
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr) return false;
    SIZE_T moved = 0;
    bool ok = WriteProcessMemory(process, remote, data, size, &moved) && moved == size;
    DWORD_PTR answer = 0;
    ok = ok && SendMessageTimeoutW(window, message, wparam, reinterpret_cast<LPARAM>(remote),
                                   SMTO_ABORTIFHUNG, timeout_ms, &answer) != 0;
    ok = ok && ReadProcessMemory(process, remote, data, size, &moved) && moved == size;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (ok && result != nullptr) *result = static_cast<LRESULT>(answer);
    return ok;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

}  // namespace driver
