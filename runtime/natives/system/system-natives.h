// The natives that face the rest of the system: printing through the print
// hooks, memory statistics, the clock, the environment, external commands,
// local file paths and the lexer's entry. Each has the native shape of
// native-call.h: arguments in the current frame, result in its first cell.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/cell.h"

namespace xel {

// The new-line flag of the last print (1) or prin (0), for the console.
extern uint32_t g_last_new_line;

// print and prin [value]: a block is reduced into the print buffer, the value
// formed (a string is used as it is) and handed to every value print hook
// with the new-line flag (print.cpp).
void natives_print_value(int new_line);
uint32_t natives_print(int check, const int32_t* refs);
uint32_t natives_prin(int check, const int32_t* refs);

// stats [/show /info]: the bytes of memory in use (stats.cpp).
uint32_t natives_stats(int check, const int32_t* refs);
// The result of stats without refinements: integer!, or float! above 2^31 - 1.
void natives_memory_in_use(Cell* result);

// now [/year /month /day /time /zone /date /weekday /yearday /precise /utc]
// and wait [value /all] (clock.cpp).
uint32_t natives_now(int check, const int32_t* refs);
uint32_t natives_wait(int check, const int32_t* refs);

// set-env [var value], get-env [var] (environment.cpp).
uint32_t natives_set_env(int check, const int32_t* refs);
uint32_t natives_get_env(int check, const int32_t* refs);
uint32_t natives_list_env(int check, const int32_t* refs);

// call [cmd /wait /show /console /shell /input in /output out /error err]
// (call.cpp).
uint32_t natives_call(int check, const int32_t* refs);

// to-local-file [path /full] and size? [file] (local-files.cpp).
uint32_t natives_to_local_file(int check, const int32_t* refs);
uint32_t natives_size(int check, const int32_t* refs);
// The local (POSIX) form of a file! or string! path from its position, as
// UTF-8; with full a relative path is put after the current directory.
std::string natives_local_path(const Cell* path, bool full);

// browse [url] (browse.cpp): opened by the desktop's handler (xdg-open).
uint32_t natives_browse(int check, const int32_t* refs);

// transcode [src /next /one /prescan /scan /part length /into dst /trace
// callback] (transcode.cpp).
uint32_t natives_transcode(int check, const int32_t* refs);

} // namespace xel
