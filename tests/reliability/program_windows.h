// The program's windows built in the test process, where every handle they
// own is counted (tk::LiveHandleCounts) and messages can carry our pointers.
#pragma once

#include "about_window/about_window.h"
#include "calendar_window/calendar_window.h"
#include "tests/reliability/calendar_state.h"
#include "toolkit/app.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace reliability {

// What the windows hold: the handles they own, the process's GDI objects
// (measures.h) and the windows of this thread.
struct Holdings {
    tk::HandleCounts owned;
    std::optional<long> gdi;
    std::size_t windows = 0;
};
Holdings HoldingsNow();
::testing::AssertionResult SameHoldings(const Holdings& now, const Holdings& before);

// Modifier keys as GetKeyState reports them to this thread, until the end of
// the scope.
class HeldModifiers {
public:
    HeldModifiers(bool shift, bool ctrl, bool alt);
    ~HeldModifiers();
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;

private:
    BYTE saved_[256];
};

class ProgramWindows : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Handles everything queued, painting included.
    void Pump();
    tk::Form* OpenAbout();
    bool CloseAbout();
    // Opens the calendar window again if a message closed it.
    tk::Form* CalendarForm();
    HWND calendar() { return CalendarForm() ? CalendarForm()->Control(L"MonthView1") : nullptr; }
    bool Select(int year, int month, int day);
    // The calendar's state, checked; the first fault found, if any.
    std::string CalendarFaults();

    std::unique_ptr<tk::App> app_;
    tk::Form* form_ = nullptr;  // valid while app_->FormFor(form_window_) finds it
    HWND form_window_ = nullptr;
};

}  // namespace reliability
