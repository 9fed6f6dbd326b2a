// The routines of the text console: printed output to standard output, one
// input line from standard input, the terminal's size and title, and Ctrl+C
// as a halt of the evaluation.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/terminal.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

// What the last output left open on its line: the line editor shows the
// prompt after it. Kept short; only its end is ever on the screen.
std::string g_open_line;
constexpr size_t kOpenLineKept = 256;

void write_out(const char* text, size_t length, bool new_line) {
    std::fwrite(text, 1, length, stdout);
    if (new_line) std::fputc('\n', stdout);
    std::string_view s(text, length);
    size_t nl = s.rfind('\n');
    if (new_line)
        g_open_line.clear();
    else if (nl != std::string_view::npos)
        g_open_line.assign(s.substr(nl + 1));
    else
        g_open_line.append(s);
    if (g_open_line.size() > kOpenLineKept)
        g_open_line.erase(0, g_open_line.size() - kOpenLineKept);
    if (new_line || nl != std::string_view::npos) std::fflush(stdout);
}

void print_value(const Cell* string, int new_line) {
    std::string text = string_utf8_text(string);
    write_out(text.data(), text.size(), new_line != 0);
}

void print_text(const char* text, uint32_t length, int new_line) {
    write_out(text, length, new_line != 0);
}

// Typed or piped bytes that are no UTF-8 (a Latin-1 file fed to the console)
// become U+FFFD each: the line is reported on as bad code, where the error of
// the string loader would end the console.
std::string replace_invalid_utf8(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    std::string out;
    for (size_t i = 0; i < text.size();) {
        auto avail = static_cast<uint32_t>(text.size() - i);
        int32_t cp = utf8_decode_char_replacing(bytes + i, &avail);
        if (cp == kUtf8TooShort || cp == kUtf8Refused) {
            out += "\xEF\xBF\xBD";
            i++;
        } else {
            out.append(text, i, avail);
            i += avail;
        }
    }
    return out;
}

// The first Ctrl+C asks the evaluator to halt; a second one before it did
// ends the process as the signal would.
void on_interrupt(int) {
    if (g_interrupt_requested) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    g_interrupt_requested = 1;
}

RoutineValue routine_start_output(const RoutineValue*, uint32_t) {
    printhooks_add(print_value, print_text);
    struct sigaction sa {};
    sa.sa_handler = on_interrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    return routine_unset();
}

RoutineValue routine_terminal(const RoutineValue*, uint32_t) {
    Cell truth;
    set_logic(&truth, terminal_input_is_tty());
    return routine_answer(truth);
}

// Without a terminal the console is as wide as the classic one.
RoutineValue routine_size(const RoutineValue*, uint32_t) {
    int columns = terminal_columns();
    int lines = terminal_lines();
    Cell size;
    pair_make_at(&size, columns > 0 ? columns : 80, lines > 0 ? lines : 24);
    return routine_answer(size);
}

// [prompt text caret hide history] -> [end text caret], end one of the words
// enter, escape, tab and eof.
RoutineValue routine_read_line(const RoutineValue* args, uint32_t) {
    std::string prompt = string_utf8_text(args[0].cell);
    std::string text = string_utf8_text(args[1].cell);
    int32_t caret = integer_get(args[2].cell);
    bool hide = value_truth(args[3].cell);
    std::vector<std::string> history;
    Cell hist = *args[4].cell;
    for (int i = 0, n = block_length_at(&hist); i < n; i++) {
        const Cell* entry = block_cell_at(&hist, static_cast<uint32_t>(i));
        if (type_of(entry) == T_STRING) history.push_back(string_utf8_text(entry));
    }
    std::fflush(stdout);
    // An interrupt that came while waiting for input stops nothing; one that
    // comes as soon as the line is taken halts what the line starts.
    EditedLine line =
        terminal_read_line(g_open_line, prompt, text, caret > 0 ? static_cast<size_t>(caret) : 0,
                           hide, history, [] { g_interrupt_requested = 0; });
    if (line.end != LineEnd::kTab) g_open_line.clear();
    const char* end = line.end == LineEnd::kEnter    ? "enter"
                      : line.end == LineEnd::kEscape ? "escape"
                      : line.end == LineEnd::kTab    ? "tab"
                                                     : "eof";
    Cell* out = stack_push_cell();
    block_make_at(out, 3);
    block_append_copy(out, word_load(end));
    std::string typed_text = replace_invalid_utf8(line.text);
    Cell* typed = stack_push_cell();
    string_load_at(reinterpret_cast<const uint8_t*>(typed_text.data()),
                   static_cast<uint32_t>(typed_text.size()), typed, kEncodingUtf8);
    block_append_copy(out, typed);
    Cell at;
    set_integer(&at, static_cast<int32_t>(line.caret));
    block_append_copy(out, &at);
    RoutineValue r;
    r.cell = out;
    return r;
}

RoutineValue routine_set_title(const RoutineValue* args, uint32_t) {
    if (!terminal_set_title(string_utf8_text(args[0].cell))) {
        const char message[] = "SetConsoleTitle failed!";
        printhooks_call_text_hooks(message, sizeof message - 1, 1);
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return routine_unset();
}

} // namespace

void routines_register_terminal() {
    routine_register("text-console/start-output", routine_start_output);
    routine_register("text-console/terminal?", routine_terminal);
    routine_register("text-console/size", routine_size);
    routine_register("text-console/read-line", routine_read_line);
    routine_register("console/set-title", routine_set_title);
}

} // namespace xel
