#include "platform/os/terminal.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace xel {

namespace {

// Code points; a vector rather than a u32string, whose inlined copies g++ 12
// misreads as overlapping.
using Text = std::vector<char32_t>;

// Bytes read from a pipe or file beyond the current line.
std::string g_pending;
bool g_input_ended = false;

Text decode(const std::string& s) {
    Text out;
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
        i++;
        for (int k = 0; k < extra && i < s.size(); k++, i++)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        out.push_back(cp);
    }
    return out;
}

std::string encode(const Text& s) {
    std::string out;
    for (char32_t cp : s) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

void put(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
}

EditedLine read_plain_line() {
    std::fflush(stdout);
    while (true) {
        size_t nl = g_pending.find('\n');
        if (nl != std::string::npos) {
            std::string line = g_pending.substr(0, nl);
            g_pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return {LineEnd::kEnter, line, decode(line).size()};
        }
        if (g_input_ended) {
            if (g_pending.empty()) return {LineEnd::kEndOfInput, "", 0};
            std::string line;
            line.swap(g_pending);
            return {LineEnd::kEnter, line, decode(line).size()};
        }
        char chunk[4096];
        ssize_t n = read(0, chunk, sizeof chunk);
        if (n > 0)
            g_pending.append(chunk, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            g_input_ended = true;
    }
}

// Raw keys for the editor's whole read; the saved modes come back however
// the read ends.
struct RawMode {
    termios saved{};
    bool active = false;
    RawMode() {
        if (tcgetattr(0, &saved) != 0) return;
        termios raw = saved;
        raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | IXON | INLCR | IGNCR);
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        active = tcsetattr(0, TCSADRAIN, &raw) == 0;
    }
    ~RawMode() {
        if (active) tcsetattr(0, TCSADRAIN, &saved);
    }
};

// One byte of input; -1 at the end of input. With a wait in milliseconds,
// -2 when nothing came in that time.
int read_byte(int wait_ms = -1) {
    if (wait_ms >= 0) {
        pollfd p{0, POLLIN, 0};
        int r;
        do
            r = poll(&p, 1, wait_ms);
        while (r < 0 && errno == EINTR);
        if (r == 0) return -2;
    }
    unsigned char c;
    while (true) {
        ssize_t n = read(0, &c, 1);
        if (n == 1) return c;
        if (n == 0 || errno != EINTR) return -1;
    }
}

enum Key : int {
    kKeyUp = 0x110000,
    kKeyDown,
    kKeyLeft,
    kKeyRight,
    kKeyHome,
    kKeyEnd,
    kKeyDelete,
    kKeyEscape,
    kKeyNone,
    kKeyEof,
};

// A key after ESC: an escape sequence, or Esc itself when nothing follows soon.
int read_escape() {
    int c = read_byte(50);
    if (c == -2) return kKeyEscape;
    if (c != '[' && c != 'O') return c < 0 ? kKeyEof : kKeyNone;
    int number = 0;
    int b;
    // Only small numbers name keys; a longer run is read and not counted.
    while ((b = read_byte(50)) >= '0' && b <= '9')
        if (number < 1000) number = number * 10 + (b - '0');
    while (b == ';') {
        while ((b = read_byte(50)) >= '0' && b <= '9') {
        }
    }
    switch (b) {
    case 'A':
        return kKeyUp;
    case 'B':
        return kKeyDown;
    case 'C':
        return kKeyRight;
    case 'D':
        return kKeyLeft;
    case 'H':
        return kKeyHome;
    case 'F':
        return kKeyEnd;
    case '~':
        if (number == 1 || number == 7) return kKeyHome;
        if (number == 4 || number == 8) return kKeyEnd;
        if (number == 3) return kKeyDelete;
        return kKeyNone;
    default:
        return b < 0 && b != -2 ? kKeyEof : kKeyNone;
    }
}

// A whole key: a code point, a control byte or one of the keys above.
int read_key() {
    int c = read_byte();
    if (c < 0) return kKeyEof;
    if (c == 27) return read_escape();
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    int cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
    for (int k = 0; k < extra; k++) {
        int b = read_byte();
        if (b < 0) return kKeyEof;
        cp = (cp << 6) | (b & 0x3F);
    }
    return cp;
}

struct Editor {
    Text lead;
    Text prompt;
    Text text;
    size_t caret = 0;
    size_t offset = 0; // first character shown when the line is wider than the terminal
    bool hide = false;

    void render() {
        Text head = lead;
        head.insert(head.end(), prompt.begin(), prompt.end());
        size_t columns = static_cast<size_t>(terminal_columns());
        if (columns == 0) columns = 80;
        // Keep the prompt and at least ten characters of input on the line.
        size_t head_room = columns > 20 ? columns - 11 : 1;
        if (head.size() > head_room)
            head.erase(head.begin(), head.end() - static_cast<long>(head_room));
        size_t room = columns > head.size() + 1 ? columns - head.size() - 1 : 1;
        if (caret < offset) offset = caret;
        if (caret > offset + room) offset = caret - room;
        size_t shown_end = offset + room < text.size() ? offset + room : text.size();
        Text shown(text.begin() + static_cast<long>(offset),
                   text.begin() + static_cast<long>(shown_end));
        if (hide) shown.assign(shown.size(), U'*');
        put("\r");
        put(encode(head));
        put(encode(shown));
        put("\x1b[K\r");
        size_t column = head.size() + caret - offset;
        if (column) std::fprintf(stdout, "\x1b[%zuC", column);
        std::fflush(stdout);
    }

    void insert(char32_t c) {
        text.insert(text.begin() + static_cast<long>(caret), c);
        caret++;
    }
    void erase(size_t from, size_t to) {
        text.erase(text.begin() + static_cast<long>(from), text.begin() + static_cast<long>(to));
    }

    void kill_word_back() {
        size_t start = caret;
        while (start > 0 && text[start - 1] == U' ')
            start--;
        while (start > 0 && text[start - 1] != U' ')
            start--;
        erase(start, caret);
        caret = start;
    }
};

} // namespace

bool terminal_input_is_tty() {
    return isatty(0) == 1;
}

bool terminal_output_is_tty() {
    return isatty(1) == 1;
}

int terminal_columns() {
    winsize w{};
    if (ioctl(1, TIOCGWINSZ, &w) != 0) return 0;
    return w.ws_col;
}

int terminal_lines() {
    winsize w{};
    if (ioctl(1, TIOCGWINSZ, &w) != 0) return 0;
    return w.ws_row;
}

EditedLine terminal_read_line(const std::string& lead, const std::string& prompt,
                              const std::string& text, size_t caret, bool hide,
                              const std::vector<std::string>& history, void (*taken)()) {
    if (!terminal_input_is_tty()) {
        EditedLine line = read_plain_line();
        taken();
        return line;
    }
    // The modes come back as raw goes, after finish has called taken: until
    // then Ctrl+C is a key, so none can come between the two.
    RawMode raw;
    Editor e;
    e.lead = decode(lead);
    e.prompt = decode(prompt);
    e.text = decode(text);
    e.caret = caret > e.text.size() ? e.text.size() : caret;
    e.hide = hide;
    // History browsing: 0 is the user's own text, kept aside meanwhile.
    size_t hist_idx = 0;
    Text own;
    size_t own_caret = 0;
    auto recall = [&](int step) {
        if (hist_idx == 0) {
            own = e.text;
            own_caret = e.caret;
        }
        if (step < 0 && hist_idx == 0) return;
        size_t next = step > 0 ? hist_idx + 1 : hist_idx - 1;
        if (next > history.size()) next = history.size();
        hist_idx = next;
        if (hist_idx == 0) {
            e.text = own;
            e.caret = own_caret;
        } else {
            e.text = decode(history[hist_idx - 1]);
            e.caret = e.text.size();
        }
    };
    auto finish = [&](LineEnd end) {
        if (end == LineEnd::kTab) {
            // The completion may print its candidates where the line was;
            // the next read draws the line again.
            put("\r\x1b[K");
        } else {
            e.caret = e.text.size();
            e.render();
            put("\n");
        }
        std::fflush(stdout);
        taken();
        return EditedLine{end, encode(e.text), e.caret};
    };
    e.render();
    while (true) {
        int key = read_key();
        switch (key) {
        case kKeyEof:
            return finish(LineEnd::kEndOfInput);
        case 4: // Ctrl+D: the end of input on an empty line
            if (e.text.empty()) return finish(LineEnd::kEndOfInput);
            [[fallthrough]];
        case kKeyDelete:
            if (e.caret < e.text.size()) e.erase(e.caret, e.caret + 1);
            break;
        case '\r':
        case '\n':
            return finish(LineEnd::kEnter);
        case 3: // Ctrl+C
        case kKeyEscape:
            return finish(LineEnd::kEscape);
        case '\t':
            return finish(LineEnd::kTab);
        case 1: // Ctrl+A
        case kKeyHome:
            e.caret = 0;
            break;
        case 5: // Ctrl+E
        case kKeyEnd:
            e.caret = e.text.size();
            break;
        case 2: // Ctrl+B
        case kKeyLeft:
            if (e.caret > 0) e.caret--;
            break;
        case 6: // Ctrl+F
        case kKeyRight:
            if (e.caret < e.text.size()) e.caret++;
            break;
        case 8:
        case 127:
            if (e.caret > 0) {
                e.caret--;
                e.erase(e.caret, e.caret + 1);
            }
            break;
        case 11: // Ctrl+K
            e.erase(e.caret, e.text.size());
            break;
        case 21: // Ctrl+U
            e.erase(0, e.caret);
            e.caret = 0;
            break;
        case 23: // Ctrl+W
            e.kill_word_back();
            break;
        case 12: // Ctrl+L
            put("\x1b[H\x1b[2J");
            e.lead.clear();
            break;
        case 16: // Ctrl+P
        case kKeyUp:
            recall(1);
            break;
        case 14: // Ctrl+N
        case kKeyDown:
            recall(-1);
            break;
        default:
            if (key >= 32 && key < kKeyUp && key != 127) e.insert(static_cast<char32_t>(key));
            break;
        }
        e.render();
    }
}

bool terminal_set_title(const std::string& title) {
    if (!terminal_output_is_tty()) return false;
    put("\x1b]0;" + title + "\x07");
    std::fflush(stdout);
    return true;
}

} // namespace xel
