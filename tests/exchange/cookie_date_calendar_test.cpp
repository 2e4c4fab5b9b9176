// Cookie dates are computed by calendar arithmetic (Windows has no timegm);
// here they are checked against the standard library's calendar over dates
// that stress it: leap years, month ends, days past a month's end, a leap
// second, and years far from the epoch.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

#include "exchange/cookie_jar.h"

namespace pellora::exchange {
namespace {

// `month` counts from 0, as struct tm's. A day past the month's end runs on
// into the next month, as the C library's timegm has it.
std::time_t referenceTime(int year, int month, int day, int hour, int minute, int second) {
  using namespace std::chrono;
  const sys_days first = std::chrono::year(year) / std::chrono::month(month + 1) / 1;
  const auto time = first + days(day - 1) + hours(hour) + minutes(minute) + seconds(second);
  return static_cast<std::time_t>(time.time_since_epoch().count());
}

TEST(CookieDateCalendar, AgreesWithTheStandardCalendar) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  struct Case {
    int year, month, day, hour, minute, second;
  };
  const Case cases[] = {
      {1970, 0, 1, 0, 0, 0},      {1969, 11, 31, 23, 59, 59}, {1601, 0, 1, 0, 0, 0},
      {2000, 1, 29, 12, 0, 0},    {1999, 11, 31, 23, 59, 59}, {2100, 1, 28, 23, 59, 59},
      {2023, 1, 31, 0, 0, 0},     {2024, 1, 30, 1, 2, 3},     {2023, 3, 31, 0, 0, 0},
      {2016, 11, 31, 23, 59, 60}, {2038, 0, 19, 3, 14, 8},    {9999, 11, 31, 23, 59, 59},
  };
  for (const Case& c : cases) {
    const std::string text = std::to_string(c.day) + " " + kMonths[c.month] + " " +
                             std::to_string(c.year) + " " + std::to_string(c.hour) + ":" +
                             std::to_string(c.minute) + ":" + std::to_string(c.second) + " GMT";
    SCOPED_TRACE(text);
    EXPECT_EQ(parseCookieDate(text),
              referenceTime(c.year, c.month, c.day, c.hour, c.minute, c.second));
  }
}

}  // namespace
}  // namespace pellora::exchange
