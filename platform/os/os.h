// Thin wrappers over the OS for time, dates, sleeping, the environment and
// the current directory. Text crosses this border as UTF-8.
#pragma once
#include <csignal>
#include <cstdint>

namespace xel {

// Platform start-up: console output set-up (nothing else is needed on Linux).
void os_init();

// True when standard output is a terminal; recorded by os_init.
extern bool g_stdout_is_console;

// Seconds since midnight UTC; whole seconds unless precise (then 100 ns steps).
double os_get_time(bool precise);

// Packed date: year << 17 | month << 12 | day << 7 | zone, where zone is
// hours << 2 | quarter hours of the UTC offset, hours with 0x10 when negative.
uint32_t os_pack_date(int year, int month, int day, int offset_minutes);
uint32_t os_get_date(bool utc);

// Sleeps at least one millisecond; with stop, ends within a twentieth of a
// second of a signal handler setting *stop.
void os_sleep(double seconds, const volatile std::sig_atomic_t* stop);

// The current directory as a heap_alloc'd NUL-terminated UTF-8 text (the
// caller frees it with heap_free); *length receives its length in bytes.
char* os_get_current_dir(uint32_t* length);
bool os_set_current_dir(const char* path);

// Copies the variable's value into buffer (size bytes, NUL included) and
// returns its length; when it does not fit, returns the size needed (length
// plus one) and copies nothing; 0 when the variable is absent.
uint32_t os_get_env(const char* name, char* buffer, uint32_t size);
// A null value removes the variable.
bool os_set_env(const char* name, const char* value);

// The process environment: NAME=VALUE texts, ending with a null pointer.
char** os_environment();

} // namespace xel
