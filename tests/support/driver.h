// Drives the real program from outside, as a user would: starts the exe,
// finds its windows, clicks and types with SendInput and reads the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// A started process; the handles close with it. The process itself is ended
// by Stop(), or by the destructor if still running.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start(const std::wstring& exe);
    // With extra arguments after the program's name (the program ignores
    // them; they tell its processes apart, e.g. in /proc under Wine).
    bool Start(const std::wstring& exe, const std::wstring& arguments);
    DWORD pid() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    bool running() const;
    // Waits for the exit; the exit code, or -1 on time-out.
    long WaitForExit(DWORD timeout_ms);
    // Closes every window of the process, then ends it if it does not exit.
    void Stop();

private:
    PROCESS_INFORMATION info_{};
};

// The visible top-level windows of a process, of a window class (or any).
std::vector<HWND> VisibleWindows(DWORD pid, const wchar_t* class_name = nullptr);

// Waits until a process shows `count` visible windows of a class.
std::vector<HWND> WaitForWindows(DWORD pid, const wchar_t* class_name, std::size_t count,
                                 DWORD timeout_ms);

// The first child window of a class with the given text, searched in depth.
HWND FindChild(HWND parent, const wchar_t* class_name, const wchar_t* text = nullptr);

// Mouse and keyboard through SendInput, as real input.
void ClickAt(POINT screen);
void ClickCentre(HWND window);
void PressKey(WORD vk, bool shift = false, bool ctrl = false, bool alt = false);

// Lets other processes and this one handle what is queued, for a while.
void Settle(DWORD ms);

// More mouse input through SendInput, at screen points.
void MoveMouseTo(POINT screen);
void DoubleClickAt(POINT screen);
void WheelAt(POINT screen, int delta);

// Sends a message whose lParam points to `size` bytes to a window of another
// process. A pointer into our memory means nothing there (neither Windows nor
// Wine copies the struct of an MCM_* message across), so the bytes go through
// a buffer in the target's memory: written before, read back after. False if
// the buffer could not be used or the window did not answer in time.
// A whole file, read until its end (files in /proc report a size of 0);
// nothing if it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

bool SendWithRemoteBuffer(HANDLE process, HWND window, UINT message, WPARAM wparam, void* data,
                          std::size_t size, DWORD timeout_ms, LRESULT* result);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top-down

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The screen's pixels in a rectangle.
Image CaptureScreen(const RECT& rect);

// A bitmap's pixels.
Image ImageOfBitmap(HBITMAP bitmap);

// A window's client area in screen coordinates.
RECT ClientRectOnScreen(HWND window);

// The union of the window rectangles.
RECT UnionRect(const std::vector<HWND>& windows);

// Waits until the screen in `rect` stops changing; the last capture.
Image CaptureWhenSettled(const RECT& rect, DWORD timeout_ms);

bool WritePng(const std::wstring& path, const Image& image);

}  // namespace driver
