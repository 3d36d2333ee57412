// The program as a process: it starts with its window and ends, with exit
// code 0, when that window closes.
#include "tests/support/driver.h"
#include "tests/support/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(CalendarProcess, EndsWithCodeZeroWhenItsWindowCloses) {
    struct Case {
        const char* how;
        void (*close)(HWND);
    };
    const Case cases[] = {
        {"close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4",
         [](HWND w) {
             SetForegroundWindow(w);
             driver::Settle(200);
             driver::PressKey(VK_F4, false, false, /*alt=*/true);
         }},
    };
    for (const auto& c : cases) {
        driver::Process program;
        ASSERT_TRUE(program.Start(driver::ProgramPath())) << c.how;
        auto windows = driver::WaitForWindows(program.pid(), L"TimbusForm", 1, 10000);
        ASSERT_EQ(windows.size(), 1u) << c.how;
        RECT first;
        GetWindowRect(windows[0], &first);
        c.close(windows[0]);
        EXPECT_EQ(program.WaitForExit(10000), 0) << c.how;

        // The next start opens at the same place.
        driver::Process again;
        ASSERT_TRUE(again.Start(driver::ProgramPath()));
        auto next = driver::WaitForWindows(again.pid(), L"TimbusForm", 1, 10000);
        ASSERT_EQ(next.size(), 1u);
        RECT second;
        GetWindowRect(next[0], &second);
        EXPECT_TRUE(EqualRect(&first, &second)) << c.how;
        again.Stop();
    }
}

}  // namespace
