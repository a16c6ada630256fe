#include "platform/host.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velomar {

int TodayInKorea() {
    constexpr std::time_t kKoreaOffset = 9 * 60 * 60;
    return static_cast<int>((std::time(nullptr) + kKoreaOffset) / (24 * 60 * 60));
}

LocalTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    return {local.tm_hour, local.tm_min};
}

std::filesystem::path ExecutableDirectory() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n == 0 || n == MAX_PATH) {
        return {};
    }
    return std::filesystem::path(buffer).parent_path();
#else
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return exe.parent_path();
#endif
}

void ExitImmediately(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace velomar
