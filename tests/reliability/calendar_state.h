// The month calendar's state as its messages report it, and what makes such
// a state invalid. Read in this process or, through a buffer in the
// target's memory, in the program's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace reliability {

struct CalendarState {
    bool answered = false;  // every query was answered
    SYSTEMTIME selected{};
    SYSTEMTIME shown[2]{};  // MCM_GETMONTHRANGE, GMR_VISIBLE
    LRESULT shown_months = 0;
    LRESULT view = -1;
};

// Sends one query whose lParam points to `size` bytes (nullptr for none).
using CalendarQuery =
    std::function<bool(UINT message, WPARAM wparam, void* data, std::size_t size, LRESULT* result)>;

CalendarState ReadCalendar(const CalendarQuery& query);
CalendarState ReadCalendar(HWND calendar);  // a calendar of this process

// What is wrong with a state, empty when nothing is: the selection and the
// shown dates must be real days inside 1753-9999, the view one of the four,
// and in the month view the selection must be in the one month on show.
std::string Faults(const CalendarState& state);

bool ValidDate(const SYSTEMTIME& st);
std::string Text(const SYSTEMTIME& st);

}  // namespace reliability
