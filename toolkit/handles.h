// Move-only owners for Win32 handles, and scoped helpers that undo what they
// did on exit. "Owned" handles are closed by their wrapper; system brushes and
// stock objects are borrowed and never pass through these types.
#pragma once

#include <windows.h>

#include <utility>

namespace tk {

// Counts live owned handles of each family; tests read it to prove that a
// window gives back everything it took.
struct HandleCounts {
    long gdi = 0;
    long user = 0;
};
HandleCounts& LiveHandleCounts();

enum class HandleFamily { Gdi, User };

template <typename H, BOOL(WINAPI* Close)(H), HandleFamily Family>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) noexcept : handle_(handle) { Track(+1); }
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

    // Gives up ownership without closing (e.g. a window that destroys itself).
    H release() noexcept {
        Track(-1);
        return std::exchange(handle_, nullptr);
    }

    void reset(H handle = nullptr) noexcept {
        if (handle_ != nullptr) {
            Track(-1);
            Close(handle_);
        }
        handle_ = handle;
        Track(+1);
    }

private:
    void Track(long delta) const noexcept {
        if (handle_ == nullptr) return;
        auto& counts = LiveHandleCounts();
        (Family == HandleFamily::Gdi ? counts.gdi : counts.user) += delta;
    }

    H handle_ = nullptr;
};

namespace detail {
template <typename H>
BOOL WINAPI DeleteGdiObject(H object) {
    return DeleteObject(object);
}
}  // namespace detail

using UniqueFont = UniqueHandle<HFONT, detail::DeleteGdiObject<HFONT>, HandleFamily::Gdi>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteGdiObject<HBRUSH>, HandleFamily::Gdi>;
using UniquePen = UniqueHandle<HPEN, detail::DeleteGdiObject<HPEN>, HandleFamily::Gdi>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject<HBITMAP>, HandleFamily::Gdi>;
using UniqueRegion = UniqueHandle<HRGN, detail::DeleteGdiObject<HRGN>, HandleFamily::Gdi>;
using UniqueDC = UniqueHandle<HDC, DeleteDC, HandleFamily::Gdi>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon, HandleFamily::User>;
using UniqueWindow = UniqueHandle<HWND, DestroyWindow, HandleFamily::User>;

// Selects an object into a DC for the lifetime of the scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint/EndPaint as a scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) { dc_ = BeginPaint(window, &ps_); }
    ~PaintScope() { EndPaint(window_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const noexcept { return dc_; }
    const RECT& dirty() const noexcept { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC/ReleaseDC as a scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// SetBkMode/SetTextColor and friends are restored by saving the whole DC state.
class SavedDC {
public:
    explicit SavedDC(HDC dc) noexcept : dc_(dc), id_(SaveDC(dc)) {}
    ~SavedDC() {
        if (id_ != 0) RestoreDC(dc_, id_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int id_;
};

}  // namespace tk
