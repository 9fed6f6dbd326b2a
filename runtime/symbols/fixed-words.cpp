#include "runtime/symbols/fixed-words.h"

#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel {

#define XEL_DEFINE_SYMBOL(id, name) uint32_t g_sym_##id = 0;
#define XEL_DEFINE_GLOBAL_WORD(id, name) const Cell* g_gword_##id = nullptr;
#define XEL_DEFINE_WORD(id, name) const Cell* g_word_##id = nullptr;
XEL_FIXED_SYMBOLS(XEL_DEFINE_SYMBOL)
XEL_FIXED_GLOBAL_WORDS(XEL_DEFINE_GLOBAL_WORD)
XEL_FIXED_WORDS(XEL_DEFINE_WORD)
#undef XEL_DEFINE_SYMBOL
#undef XEL_DEFINE_GLOBAL_WORD
#undef XEL_DEFINE_WORD

const Cell* g_ref_local = nullptr;
const Cell* g_ref_extern = nullptr;
const Cell* g_ref_compare = nullptr;
const Cell* g_ref_part = nullptr;
const Cell* g_ref_skip = nullptr;
const Cell* g_ref_with = nullptr;
const Cell* g_issue_ooo = nullptr;

namespace {

struct SymbolEntry {
    uint32_t* global;
    const char* name;
};
struct WordEntry {
    const Cell** global;
    const char* name;
};

// The interning order; a name listed twice is interned twice, as the boot
// data expects.
// clang-format off
const SymbolEntry kSymbols[] = {
    {&g_sym_spec, "spec"},
    {&g_sym_body, "body"},
    {&g_sym_words, "words"},
    {&g_sym_class, "class"},
    {&g_sym_logic_type, "logic!"},
    {&g_sym_integer_type, "integer!"},
    {&g_sym_char_type, "char!"},
    {&g_sym_float_type, "float!"},
    {&g_sym_percent_type, "percent!"},
    {&g_sym_any_type_type, "any-type!"},
    {&g_sym_exit, "exit"},
    {&g_sym_return, "return"},
    {&g_sym_Windows, "Windows"},
    {&g_sym_Syllable, "Syllable"},
    {&g_sym_macOS, "macOS"},
    {&g_sym_Linux, "Linux"},
    {&g_sym_NetBSD, "NetBSD"},
    {&g_sym_repeat, "repeat"},
    {&g_sym_foreach, "foreach"},
    {&g_sym_map_each, "map-each"},
    {&g_sym_remove_each, "remove-each"},
    {&g_sym_any, "any"},
    {&g_sym_break, "break"},
    {&g_sym_copy, "copy"},
    {&g_sym_end, "end"},
    {&g_sym_fail, "fail"},
    {&g_sym_into, "into"},
    {&g_sym_opt, "opt"},
    {&g_sym_not, "not"},
    {&g_sym_quote, "quote"},
    {&g_sym_case, "case"},
    {&g_sym_reject, "reject"},
    {&g_sym_set, "set"},
    {&g_sym_skip, "skip"},
    {&g_sym_some, "some"},
    {&g_sym_thru, "thru"},
    {&g_sym_to, "to"},
    {&g_sym_none, "none"},
    {&g_sym_bar, "|"},
    {&g_sym_dash, "-"},
    {&g_sym_if, "if"},
    {&g_sym_remove, "remove"},
    {&g_sym_while, "while"},
    {&g_sym_insert, "insert"},
    {&g_sym_only, "only"},
    {&g_sym_collect, "collect"},
    {&g_sym_keep, "keep"},
    {&g_sym_pick, "pick"},
    {&g_sym_ahead, "ahead"},
    {&g_sym_after, "after"},
    {&g_sym_x, "x"},
    {&g_sym_y, "y"},
    {&g_sym_z, "z"},
    {&g_sym_self, "self"},
    {&g_sym_values, "values"},
    {&g_sym_owner, "owner"},
    {&g_sym_owned, "owned"},
    {&g_sym_events_q, "events?"},
    {&g_sym_true, "true"},
    {&g_sym_false, "false"},
    {&g_sym_yes, "yes"},
    {&g_sym_no, "no"},
    {&g_sym_on, "on"},
    {&g_sym_off, "off"},
    {&g_sym_type, "type"},
    {&g_sym_face, "face"},
    {&g_sym_window, "window"},
    {&g_sym_offset, "offset"},
    {&g_sym_key, "key"},
    {&g_sym_flag, "flag"},
    {&g_sym_code, "code"},
    {&g_sym_picked, "picked"},
    {&g_sym_flags, "flags"},
    {&g_sym_away_q, "away?"},
    {&g_sym_ctrl_q, "ctrl?"},
    {&g_sym_shift_q, "shift?"},
    {&g_sym_down_q, "down?"},
    {&g_sym_mid_down_q, "mid-down?"},
    {&g_sym_alt_down_q, "alt-down?"},
    {&g_sym_aux_down_q, "aux-down?"},
    {&g_sym_orientation, "orientation"},
    {&g_sym_get, "get"},
    {&g_sym_put, "put"},
    {&g_sym_post, "post"},
    {&g_sym_head, "head"},
    {&g_sym_size, "size"},
    {&g_sym_rgb, "rgb"},
    {&g_sym_alpha, "alpha"},
    {&g_sym_argb, "argb"},
    {&g_sym_date, "date"},
    {&g_sym_year, "year"},
    {&g_sym_month, "month"},
    {&g_sym_day, "day"},
    {&g_sym_zone, "zone"},
    {&g_sym_isoweek, "isoweek"},
    {&g_sym_week, "week"},
    {&g_sym_weekday, "weekday"},
    {&g_sym_yearday, "yearday"},
    {&g_sym_julian, "julian"},
    {&g_sym_time, "time"},
    {&g_sym_hour, "hour"},
    {&g_sym_minute, "minute"},
    {&g_sym_second, "second"},
    {&g_sym_timezone, "timezone"},
    {&g_sym_code, "code"},
    {&g_sym_amount, "amount"},
    {&g_sym_user, "user"},
    {&g_sym_host, "host"},
    {&g_sym_system, "system"},
    {&g_sym_system_global, "system-global"},
    {&g_sym_stack, "stack"},
    {&g_sym_trace, "trace"},
    {&g_sym_no_trace, "no-trace"},
};

const WordEntry kGlobalWords[] = {
    {&g_gword_Windows, "Windows"},
    {&g_gword_Syllable, "Syllable"},
    {&g_gword_macOS, "macOS"},
    {&g_gword_Linux, "Linux"},
    {&g_gword_NetBSD, "NetBSD"},
    {&g_gword_to, "to"},
    {&g_gword_thru, "thru"},
    {&g_gword_not, "not"},
    {&g_gword_remove, "remove"},
    {&g_gword_while, "while"},
    {&g_gword_collect, "collect"},
    {&g_gword_keep, "keep"},
    {&g_gword_ahead, "ahead"},
    {&g_gword_bar, "|"},
    {&g_gword_any, "any"},
    {&g_gword_some, "some"},
    {&g_gword_copy, "copy"},
    {&g_gword_opt, "opt"},
    {&g_gword_into, "into"},
    {&g_gword_insert, "insert"},
    {&g_gword_if, "if"},
    {&g_gword_quote, "quote"},
    {&g_gword_collect, "collect"},
    {&g_gword_set, "set"},
    {&g_gword_case, "case"},
    {&g_gword_end, "end"},
};

const WordEntry kWords[] = {
    {&g_word_at, "at"},
    {&g_word_back, "back"},
    {&g_word_find, "find"},
    {&g_word_head, "head"},
    {&g_word_head_q, "head?"},
    {&g_word_index_q, "index?"},
    {&g_word_length_q, "length?"},
    {&g_word_next, "next"},
    {&g_word_pick, "pick"},
    {&g_word_skip, "skip"},
    {&g_word_select, "select"},
    {&g_word_tail, "tail"},
    {&g_word_tail_q, "tail?"},
    {&g_word_change, "change"},
    {&g_word_changed, "changed"},
    {&g_word_clear, "clear"},
    {&g_word_cleared, "cleared"},
    {&g_word_set_path, "set-path"},
    {&g_word_append, "append"},
    {&g_word_appended, "appended"},
    {&g_word_move, "move"},
    {&g_word_moved, "moved"},
    {&g_word_poke, "poke"},
    {&g_word_poked, "poked"},
    {&g_word_put, "put"},
    {&g_word_put_ed, "put-ed"},
    {&g_word_removed, "removed"},
    {&g_word_random, "random"},
    {&g_word_randomized, "randomized"},
    {&g_word_reverse, "reverse"},
    {&g_word_reversed, "reversed"},
    {&g_word_sort, "sort"},
    {&g_word_sorted, "sorted"},
    {&g_word_swap, "swap"},
    {&g_word_swaped, "swaped"},
    {&g_word_take, "take"},
    {&g_word_taken, "taken"},
    {&g_word_trim, "trim"},
    {&g_word_trimmed, "trimmed"},
    {&g_word_inserted, "inserted"},
    {&g_word_uppercase, "uppercase"},
    {&g_word_lowercase, "lowercase"},
    {&g_word_checksum, "checksum"},
    {&g_word_push, "push"},
    {&g_word_pop, "pop"},
    {&g_word_fetch, "fetch"},
    {&g_word_match, "match"},
    {&g_word_iterate, "iterate"},
    {&g_word_paren, "paren"},
    {&g_word_anon_marker, "<anon>"},
    {&g_word_body_marker, "<body>"},
    {&g_word_not_found_marker, "<not-found>"},
    {&g_word_add, "add"},
    {&g_word_subtract, "subtract"},
    {&g_word_divide, "divide"},
    {&g_word_on_parse_event, "on-parse-event"},
    {&g_word_on_change_star, "on-change*"},
    {&g_word_on_deep_change_star, "on-deep-change*"},
    {&g_word_type, "type"},
    {&g_word_id, "id"},
    {&g_word_try, "try"},
    {&g_word_catch, "catch"},
    {&g_word_name, "name"},
    {&g_word_multiply, "multiply"},
    {&g_word_browse, "browse"},
    {&g_word_open, "open"},
    {&g_word_create, "create"},
    {&g_word_close, "close"},
    {&g_word_delete, "delete"},
    {&g_word_modify, "modify"},
    {&g_word_query, "query"},
    {&g_word_read, "read"},
    {&g_word_rename, "rename"},
    {&g_word_update, "update"},
    {&g_word_write, "write"},
    {&g_word_prescan, "prescan"},
    {&g_word_scan, "scan"},
    {&g_word_load, "load"},
    {&g_word_error, "error"},
    {&g_word_comment, "comment"},
    {&g_word_init, "init"},
    {&g_word_exec, "exec"},
    {&g_word_call, "call"},
    {&g_word_return, "return"},
    {&g_word_enter, "enter"},
    {&g_word_exit, "exit"},
    {&g_word_prolog, "prolog"},
    {&g_word_epilog, "epilog"},
    {&g_word_throw, "throw"},
    {&g_word_expr, "expr"},
    {&g_word_interp_callback_marker, "<interp-callback>"},
    {&g_word_lexer_callback_marker, "<lexer-callback>"},
    {&g_word_parse_callback_marker, "<parse-callback>"},
    {&g_word_compare_callback_marker, "<compare-callback>"},
    {&g_word_throw, "throw"},
    {&g_word_note, "note"},
    {&g_word_syntax, "syntax"},
    {&g_word_script, "script"},
    {&g_word_math, "math"},
    {&g_word_access, "access"},
    {&g_word_user, "user"},
    {&g_word_internal, "internal"},
    {&g_word_invalid_error, "invalid-error"},
    {&g_word_local, "local"},
    {&g_word_applied_marker, "<applied>"},
};
// clang-format on

} // namespace

void words_init() {
    for (const SymbolEntry& e : kSymbols)
        *e.global = symbol_make(e.name);
    for (const WordEntry& e : kGlobalWords)
        *e.global = context_add_global(symbol_make(e.name));
    for (const WordEntry& e : kWords)
        *e.global = word_load(e.name);
}

void words_init_refinements() {
    g_ref_local = refinement_load("local");
    g_ref_extern = refinement_load("extern");
    g_ref_compare = refinement_load("compare");
    g_ref_part = refinement_load("part");
    g_ref_skip = refinement_load("skip");
    g_ref_with = refinement_load("with");
}

void words_init_ooo() {
    Cell* issue = refinement_load("ooo");
    cell_set_type(issue, T_ISSUE);
    g_issue_ooo = issue;
}

void words_load_static_table() {
    g_type_word_maker = [](const char* name) -> const Cell* { return word_load(name); };
    registry_make_name_words();
}

} // namespace xel
