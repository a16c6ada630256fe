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

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

// The host's local time.
class SystemClock : public Clock {
  public:
    LocalTime now() const override;
};

// A clock that always says the same time, for tests and scripted runs.
class FixedClock : public Clock {
  public:
    explicit FixedClock(LocalTime time) : m_time(time) {}
    LocalTime now() const override { return m_time; }
    void set(LocalTime time) { m_time = time; }

  private:
    LocalTime m_time;
};

// Directory of the running executable; empty when it cannot be found.
std::filesystem::path ExecutableDirectory();

// Ends the process at once with the given status: no destructors, no flushing of windows.
[[noreturn]] void ExitImmediately(int status);

}  // namespace velomar
