// The text console's ends: standard input read a line at a time, with a
// small line editor over termios when it is a terminal, and the size and
// title of the terminal on standard output.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace xel {

enum class LineEnd {
    kEnter,      // the line is complete
    kEscape,     // Esc or Ctrl+C: the line is dropped
    kTab,        // completion asked for at the caret
    kEndOfInput, // standard input ended (Ctrl+D on an empty line)
};

struct EditedLine {
    LineEnd end;
    std::string text; // UTF-8
    size_t caret;     // in code points from the start of text
};

bool terminal_input_is_tty();
bool terminal_output_is_tty();
// Columns and lines of the terminal on standard output; 0 when it has none.
int terminal_columns();
int terminal_lines();

// Reads one line. In a terminal the prompt is shown after lead (what the last
// output left open on its line), text is the starting input with the caret at
// caret, hide shows stars, and Up and Down recall history (newest first).
// Anywhere else it reads a plain line and shows nothing. Once the line is
// complete taken is called, before a terminal makes Ctrl+C a signal again: it
// may drop an interrupt that came while waiting without losing one that comes
// after.
EditedLine terminal_read_line(const std::string& lead, const std::string& prompt,
                              const std::string& text, size_t caret, bool hide,
                              const std::vector<std::string>& history, void (*taken)());

// Sets the terminal's title; false when standard output is no terminal.
bool terminal_set_title(const std::string& title);

} // namespace xel
