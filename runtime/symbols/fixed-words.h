// The words and symbols the run-time's own code tests against, interned once
// at start-up (spec and parse keywords, event fields, change-event action
// words, error categories, OS names), each kept in a global: g_sym_<name>
// (symbol ids), g_gword_<name> (global words) and g_word_<name> (words), with
// "!" spelled _type, "?" _q, "*" _star, "-" _, "<name>" name_marker, "|" bar
// and "-" alone dash. The word globals point at their cells in the root block.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

// clang-format off
#define XEL_FIXED_SYMBOLS(X) \
    X(spec, "spec") \
    X(body, "body") \
    X(words, "words") \
    X(class, "class") \
    X(logic_type, "logic!") \
    X(integer_type, "integer!") \
    X(char_type, "char!") \
    X(float_type, "float!") \
    X(percent_type, "percent!") \
    X(any_type_type, "any-type!") \
    X(exit, "exit") \
    X(return, "return") \
    X(Windows, "Windows") \
    X(Syllable, "Syllable") \
    X(macOS, "macOS") \
    X(Linux, "Linux") \
    X(NetBSD, "NetBSD") \
    X(repeat, "repeat") \
    X(foreach, "foreach") \
    X(map_each, "map-each") \
    X(remove_each, "remove-each") \
    X(any, "any") \
    X(break, "break") \
    X(copy, "copy") \
    X(end, "end") \
    X(fail, "fail") \
    X(into, "into") \
    X(opt, "opt") \
    X(not, "not") \
    X(quote, "quote") \
    X(case, "case") \
    X(reject, "reject") \
    X(set, "set") \
    X(skip, "skip") \
    X(some, "some") \
    X(thru, "thru") \
    X(to, "to") \
    X(none, "none") \
    X(bar, "|") \
    X(dash, "-") \
    X(if, "if") \
    X(remove, "remove") \
    X(while, "while") \
    X(insert, "insert") \
    X(only, "only") \
    X(collect, "collect") \
    X(keep, "keep") \
    X(pick, "pick") \
    X(ahead, "ahead") \
    X(after, "after") \
    X(x, "x") \
    X(y, "y") \
    X(z, "z") \
    X(self, "self") \
    X(values, "values") \
    X(owner, "owner") \
    X(owned, "owned") \
    X(events_q, "events?") \
    X(true, "true") \
    X(false, "false") \
    X(yes, "yes") \
    X(no, "no") \
    X(on, "on") \
    X(off, "off") \
    X(type, "type") \
    X(face, "face") \
    X(window, "window") \
    X(offset, "offset") \
    X(key, "key") \
    X(flag, "flag") \
    X(code, "code") \
    X(picked, "picked") \
    X(flags, "flags") \
    X(away_q, "away?") \
    X(ctrl_q, "ctrl?") \
    X(shift_q, "shift?") \
    X(down_q, "down?") \
    X(mid_down_q, "mid-down?") \
    X(alt_down_q, "alt-down?") \
    X(aux_down_q, "aux-down?") \
    X(orientation, "orientation") \
    X(get, "get") \
    X(put, "put") \
    X(post, "post") \
    X(head, "head") \
    X(size, "size") \
    X(rgb, "rgb") \
    X(alpha, "alpha") \
    X(argb, "argb") \
    X(date, "date") \
    X(year, "year") \
    X(month, "month") \
    X(day, "day") \
    X(zone, "zone") \
    X(isoweek, "isoweek") \
    X(week, "week") \
    X(weekday, "weekday") \
    X(yearday, "yearday") \
    X(julian, "julian") \
    X(time, "time") \
    X(hour, "hour") \
    X(minute, "minute") \
    X(second, "second") \
    X(timezone, "timezone") \
    X(amount, "amount") \
    X(user, "user") \
    X(host, "host") \
    X(system, "system") \
    X(system_global, "system-global") \
    X(stack, "stack") \
    X(trace, "trace") \
    X(no_trace, "no-trace")

#define XEL_FIXED_GLOBAL_WORDS(X) \
    X(Windows, "Windows") \
    X(Syllable, "Syllable") \
    X(macOS, "macOS") \
    X(Linux, "Linux") \
    X(NetBSD, "NetBSD") \
    X(to, "to") \
    X(thru, "thru") \
    X(not, "not") \
    X(remove, "remove") \
    X(while, "while") \
    X(collect, "collect") \
    X(keep, "keep") \
    X(ahead, "ahead") \
    X(bar, "|") \
    X(any, "any") \
    X(some, "some") \
    X(copy, "copy") \
    X(opt, "opt") \
    X(into, "into") \
    X(insert, "insert") \
    X(if, "if") \
    X(quote, "quote") \
    X(set, "set") \
    X(case, "case") \
    X(end, "end")

#define XEL_FIXED_WORDS(X) \
    X(at, "at") \
    X(back, "back") \
    X(find, "find") \
    X(head, "head") \
    X(head_q, "head?") \
    X(index_q, "index?") \
    X(length_q, "length?") \
    X(next, "next") \
    X(pick, "pick") \
    X(skip, "skip") \
    X(select, "select") \
    X(tail, "tail") \
    X(tail_q, "tail?") \
    X(change, "change") \
    X(changed, "changed") \
    X(clear, "clear") \
    X(cleared, "cleared") \
    X(set_path, "set-path") \
    X(append, "append") \
    X(appended, "appended") \
    X(move, "move") \
    X(moved, "moved") \
    X(poke, "poke") \
    X(poked, "poked") \
    X(put, "put") \
    X(put_ed, "put-ed") \
    X(removed, "removed") \
    X(random, "random") \
    X(randomized, "randomized") \
    X(reverse, "reverse") \
    X(reversed, "reversed") \
    X(sort, "sort") \
    X(sorted, "sorted") \
    X(swap, "swap") \
    X(swaped, "swaped") \
    X(take, "take") \
    X(taken, "taken") \
    X(trim, "trim") \
    X(trimmed, "trimmed") \
    X(inserted, "inserted") \
    X(uppercase, "uppercase") \
    X(lowercase, "lowercase") \
    X(checksum, "checksum") \
    X(push, "push") \
    X(pop, "pop") \
    X(fetch, "fetch") \
    X(match, "match") \
    X(iterate, "iterate") \
    X(paren, "paren") \
    X(anon_marker, "<anon>") \
    X(body_marker, "<body>") \
    X(not_found_marker, "<not-found>") \
    X(add, "add") \
    X(subtract, "subtract") \
    X(divide, "divide") \
    X(on_parse_event, "on-parse-event") \
    X(on_change_star, "on-change*") \
    X(on_deep_change_star, "on-deep-change*") \
    X(type, "type") \
    X(id, "id") \
    X(try, "try") \
    X(catch, "catch") \
    X(name, "name") \
    X(multiply, "multiply") \
    X(browse, "browse") \
    X(open, "open") \
    X(create, "create") \
    X(close, "close") \
    X(delete, "delete") \
    X(modify, "modify") \
    X(query, "query") \
    X(read, "read") \
    X(rename, "rename") \
    X(update, "update") \
    X(write, "write") \
    X(prescan, "prescan") \
    X(scan, "scan") \
    X(load, "load") \
    X(error, "error") \
    X(comment, "comment") \
    X(init, "init") \
    X(exec, "exec") \
    X(call, "call") \
    X(return, "return") \
    X(enter, "enter") \
    X(exit, "exit") \
    X(prolog, "prolog") \
    X(epilog, "epilog") \
    X(throw, "throw") \
    X(expr, "expr") \
    X(interp_callback_marker, "<interp-callback>") \
    X(lexer_callback_marker, "<lexer-callback>") \
    X(parse_callback_marker, "<parse-callback>") \
    X(compare_callback_marker, "<compare-callback>") \
    X(note, "note") \
    X(syntax, "syntax") \
    X(script, "script") \
    X(math, "math") \
    X(access, "access") \
    X(user, "user") \
    X(internal, "internal") \
    X(invalid_error, "invalid-error") \
    X(local, "local") \
    X(applied_marker, "<applied>")
// clang-format on

namespace xel {

#define XEL_DECLARE_SYMBOL(id, name) extern uint32_t g_sym_##id;
#define XEL_DECLARE_GLOBAL_WORD(id, name) extern const Cell* g_gword_##id;
#define XEL_DECLARE_WORD(id, name) extern const Cell* g_word_##id;
XEL_FIXED_SYMBOLS(XEL_DECLARE_SYMBOL)
XEL_FIXED_GLOBAL_WORDS(XEL_DECLARE_GLOBAL_WORD)
XEL_FIXED_WORDS(XEL_DECLARE_WORD)
#undef XEL_DECLARE_SYMBOL
#undef XEL_DECLARE_GLOBAL_WORD
#undef XEL_DECLARE_WORD

// The refinements /local, /extern, /compare, /part, /skip, /with (unbound).
extern const Cell* g_ref_local;
extern const Cell* g_ref_extern;
extern const Cell* g_ref_compare;
extern const Cell* g_ref_part;
extern const Cell* g_ref_skip;
extern const Cell* g_ref_with;
// The issue #ooo.
extern const Cell* g_issue_ooo;

// Interns the fixed symbols, global words and words, in their fixed order.
void words_init();
void words_init_refinements();
void words_init_ooo();
// The name word of every registered datatype, into the registry.
void words_load_static_table();

} // namespace xel
