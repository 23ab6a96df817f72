#pragma once
// The date-time value used throughout the agent: days since 1899-12-30 00:00
// local time as a double, the fraction being the time of day. 0 means "not set".

#include <optional>
#include <string>

namespace platform {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// nullopt when the parts name no valid date or time of day.
std::optional<double> EncodeDateTime(const DateParts& parts);
DateParts DecodeDateTime(double value);

// "dd.mm.yyyy hh:nn:ss", the form of log lines and of stored dates.
std::string FormatDateTime(double value);

}  // namespace platform
