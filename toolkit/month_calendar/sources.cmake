# The month calendar control: the pure model, the locale's words, the colour
# slots, the accessible object and the window class.
set(TIMBUS_MONTH_CALENDAR_SOURCES
  toolkit/month_calendar/calendar_model.cpp
  toolkit/month_calendar/calendar_locale.cpp
  toolkit/month_calendar/calendar_colours.cpp
  toolkit/month_calendar/calendar_accessible.cpp
  toolkit/month_calendar/month_calendar.cpp)
