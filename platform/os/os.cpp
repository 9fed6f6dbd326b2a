#include "platform/os/os.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "runtime/core/heap.h"

namespace xel {

bool g_stdout_is_console = false;

void os_init() {
    g_stdout_is_console = isatty(1) != 0;
}

double os_get_time(bool precise) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    double seconds = static_cast<double>(ts.tv_sec % 86400);
    if (precise) seconds += static_cast<double>(ts.tv_nsec / 100 * 100) / 1e9;
    return seconds;
}

uint32_t os_pack_date(int year, int month, int day, int offset_minutes) {
    int hours = offset_minutes / 60;
    uint32_t zone_hours = static_cast<uint32_t>(hours < 0 ? -hours : hours) & 15;
    if (offset_minutes < 0) zone_hours |= 0x10;
    int rest = offset_minutes % 60;
    if (rest < 0) rest = -rest;
    uint32_t quarters = static_cast<uint32_t>(rest / 15) & 3;
    uint32_t zone = zone_hours << 2 | quarters;
    return static_cast<uint32_t>(year) << 17 | static_cast<uint32_t>(month) << 12 |
           static_cast<uint32_t>(day) << 7 | zone;
}

uint32_t os_get_date(bool utc) {
    time_t now = time(nullptr);
    tm t{};
    if (utc) {
        gmtime_r(&now, &t);
        return os_pack_date(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, 0);
    }
    localtime_r(&now, &t);
    return os_pack_date(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                        static_cast<int>(t.tm_gmtoff / 60));
}

void os_sleep(double seconds, const volatile std::sig_atomic_t* stop) {
    double ms = seconds * 1000.0;
    if (!(ms >= 1.0)) ms = 1.0;
    if (ms > 1e12) ms = 1e12;
    using Clock = std::chrono::steady_clock;
    auto end = Clock::now() + std::chrono::milliseconds(static_cast<long long>(ms));
    // Watched in slices: the handler that sets *stop may run on another
    // thread, and then nothing interrupts this one.
    constexpr auto kSlice = std::chrono::milliseconds(50);
    while (!(stop && *stop)) {
        auto left = end - Clock::now();
        if (left <= Clock::duration::zero()) break;
        if (stop && left > kSlice) left = kSlice;
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        nanosleep(&ts, nullptr);
    }
}

char* os_get_current_dir(uint32_t* length) {
    for (size_t size = 256;; size *= 2) {
        auto* buf = static_cast<char*>(heap_alloc(size));
        if (getcwd(buf, size)) {
            *length = static_cast<uint32_t>(std::strlen(buf));
            return buf;
        }
        heap_free(buf);
        if (errno != ERANGE) {
            *length = 0;
            return nullptr;
        }
    }
}

bool os_set_current_dir(const char* path) {
    return chdir(path) == 0;
}

uint32_t os_get_env(const char* name, char* buffer, uint32_t size) {
    const char* value = std::getenv(name);
    if (!value) return 0;
    size_t len = std::strlen(value);
    if (len + 1 > size) return static_cast<uint32_t>(len + 1);
    std::memcpy(buffer, value, len + 1);
    return static_cast<uint32_t>(len);
}

char** os_environment() {
    return environ;
}

bool os_set_env(const char* name, const char* value) {
    return (value ? setenv(name, value, 1) : unsetenv(name)) == 0;
}

} // namespace xel
