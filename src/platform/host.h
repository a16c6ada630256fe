#pragma once

#include <filesystem>

namespace velomar {

// Screen size in pixels; on the desktop this is the emulated handheld screen.
struct ScreenSize {
    int width = 480;
    int height = 800;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

struct LocalTime {
    int hour = 0;
    int minute = 0;
};

// Today as days since 1970-01-01 in Korea (UTC+9 all year), the timetables' own time zone.
int TodayInKorea();

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
    // The day a search answers for unless another is chosen: TodayInKorea().
    virtual int today() const { return TodayInKorea(); }
};

// The host's local time.
class SystemClock : public Clock {
  public:
    LocalTime now() const override;
};

// A clock that always says the same time, for tests and scripted runs; the day is today
// unless one is given.
class FixedClock : public Clock {
  public:
    explicit FixedClock(LocalTime time) : m_time(time), m_today(TodayInKorea()) {}
    FixedClock(LocalTime time, int today) : m_time(time), m_today(today) {}
    LocalTime now() const override { return m_time; }
    int today() const override { return m_today; }
    void set(LocalTime time) { m_time = time; }
    void setToday(int today) { m_today = today; }

  private:
    LocalTime m_time;
    int m_today;
};

// Directory of the running executable; empty when it cannot be found.
std::filesystem::path ExecutableDirectory();

// Ends the process at once with the given status: no destructors, no flushing of windows.
[[noreturn]] void ExitImmediately(int status);

}  // namespace velomar
