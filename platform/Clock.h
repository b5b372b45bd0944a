// The wall-clock time, for the time stamps of the run log and the time of the run's
// status.
#pragma once

namespace qc {

struct DateTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  // Windows' bias in minutes, daylight saving included: UTC = this time + bias (300 for
  // US Eastern, -60 for Central European winter time); 0 for a time in UTC.
  int biasMinutes = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  // The local time, with the bias in effect.
  virtual DateTime Now() = 0;
  virtual DateTime NowUtc() = 0;
};

}  // namespace qc
