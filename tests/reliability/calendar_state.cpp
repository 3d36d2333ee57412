#include "tests/reliability/calendar_state.h"

#include <commctrl.h>

#include <cstdio>

namespace reliability {
namespace {

long Ordinal(const SYSTEMTIME& st) { return (st.wYear * 13L + st.wMonth) * 32L + st.wDay; }

}  // namespace

bool ValidDate(const SYSTEMTIME& st) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (st.wYear < 1753 || st.wYear > 9999 || st.wMonth < 1 || st.wMonth > 12) return false;
    const bool leap = (st.wYear % 4 == 0 && st.wYear % 100 != 0) || st.wYear % 400 == 0;
    const int days = kDays[st.wMonth - 1] + (st.wMonth == 2 && leap ? 1 : 0);
    return st.wDay >= 1 && st.wDay <= days;
}

std::string Text(const SYSTEMTIME& st) {
    char text[32];
    std::snprintf(text, sizeof text, "%u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
    return text;
}

CalendarState ReadCalendar(const CalendarQuery& query) {
    CalendarState state;
    LRESULT selected = 0;
    state.answered = query(MCM_GETCURSEL, 0, &state.selected, sizeof state.selected, &selected) &&
                     selected != 0 &&
                     query(MCM_GETMONTHRANGE, GMR_VISIBLE, state.shown, sizeof state.shown,
                           &state.shown_months) &&
                     query(MCM_GETCURRENTVIEW, 0, nullptr, 0, &state.view);
    return state;
}

CalendarState ReadCalendar(HWND calendar) {
    return ReadCalendar(
        [calendar](UINT message, WPARAM wparam, void* data, std::size_t, LRESULT* result) {
            *result = SendMessageW(calendar, message, wparam, reinterpret_cast<LPARAM>(data));
            return true;
        });
}

std::string Faults(const CalendarState& state) {
    if (!state.answered) return "the calendar did not answer";
    if (!ValidDate(state.selected)) return "selection " + Text(state.selected);
    if (!ValidDate(state.shown[0]) || !ValidDate(state.shown[1]) ||
        Ordinal(state.shown[0]) > Ordinal(state.shown[1]) || state.shown_months < 1)
        return "shown " + Text(state.shown[0]) + " to " + Text(state.shown[1]) + " (" +
               std::to_string(state.shown_months) + " months)";
    if (state.view < MCMV_MONTH || state.view > MCMV_CENTURY)
        return "view " + std::to_string(state.view);
    if (state.view == MCMV_MONTH &&
        (state.shown_months != 1 || Ordinal(state.selected) < Ordinal(state.shown[0]) ||
         Ordinal(state.selected) > Ordinal(state.shown[1])))
        return "selection " + Text(state.selected) + " is not in the month on show, " +
               Text(state.shown[0]) + " to " + Text(state.shown[1]);
    return {};
}

}  // namespace reliability
