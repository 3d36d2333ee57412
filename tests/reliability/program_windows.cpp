#include "tests/reliability/program_windows.h"

#include "tests/reliability/measures.h"

#include <commctrl.h>

#include <cstring>

namespace reliability {
namespace {

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<std::size_t*>(param);
    ++*count;
    EnumChildWindows(
        window, [](HWND, LPARAM p) { return ++*reinterpret_cast<std::size_t*>(p), TRUE; }, param);
    return TRUE;
}

}  // namespace

Holdings HoldingsNow() {
    Holdings h;
    h.owned = tk::LiveHandleCounts();
    h.gdi = GdiObjectCount();
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&h.windows));
    return h;
}

::testing::AssertionResult SameHoldings(const Holdings& now, const Holdings& before) {
    const bool same = now.owned.gdi == before.owned.gdi && now.owned.user == before.owned.user &&
                      now.gdi == before.gdi && now.windows == before.windows;
    if (same) return ::testing::AssertionSuccess();
    const auto gdi = [](const std::optional<long>& n) {
        return n ? std::to_string(*n) : std::string("?");
    };
    return ::testing::AssertionFailure()
           << "owned GDI " << now.owned.gdi << " (was " << before.owned.gdi << "), owned USER "
           << now.owned.user << " (was " << before.owned.user << "), GDI objects " << gdi(now.gdi)
           << " (was " << gdi(before.gdi) << "), windows " << now.windows << " (was "
           << before.windows << ")";
}

HeldModifiers::HeldModifiers(bool shift, bool ctrl, bool alt) {
    GetKeyboardState(saved_);
    BYTE state[256];
    std::memcpy(state, saved_, sizeof state);
    const auto hold = [&state](int vk, bool down) { state[vk] = down ? 0x80 : 0; };
    hold(VK_SHIFT, shift);
    hold(VK_LSHIFT, shift);
    hold(VK_CONTROL, ctrl);
    hold(VK_LCONTROL, ctrl);
    hold(VK_MENU, alt);
    hold(VK_LMENU, alt);
    SetKeyboardState(state);
}

HeldModifiers::~HeldModifiers() { SetKeyboardState(saved_); }

void ProgramWindows::SetUp() {
    app_ = std::make_unique<tk::App>(GetModuleHandleW(nullptr));
    ASSERT_TRUE(app_->Init());
    form_ = calendar_window::Open(*app_);
    ASSERT_NE(form_, nullptr);
    form_window_ = form_->hwnd();
    ASSERT_NE(calendar(), nullptr);
    Pump();
}

void ProgramWindows::TearDown() { app_.reset(); }

void ProgramWindows::Pump() {
    app_->PumpPending();
    for (HWND window :
         {form_window_, about_window::Instance() ? about_window::Instance()->hwnd() : nullptr}) {
        if (IsWindow(window))
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

tk::Form* ProgramWindows::OpenAbout() {
    tk::Form* about = about_window::Open(*app_);
    Pump();
    return about;
}

bool ProgramWindows::CloseAbout() {
    if (tk::Form* about = about_window::Instance()) about->Close();
    Pump();
    return about_window::Instance() == nullptr;
}

tk::Form* ProgramWindows::CalendarForm() {
    if (tk::Form* open = app_->FormFor(form_window_)) return open;
    form_ = calendar_window::Open(*app_);
    form_window_ = form_ ? form_->hwnd() : nullptr;
    Pump();
    return form_;
}

bool ProgramWindows::Select(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    const bool taken =
        SendMessageW(calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st)) != 0;
    Pump();
    return taken;
}

std::string ProgramWindows::CalendarFaults() {
    HWND cal = calendar();
    if (cal == nullptr) return "no calendar";
    return Faults(ReadCalendar(cal));
}

}  // namespace reliability
