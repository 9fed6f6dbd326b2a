// The rule keywords, found by symbol: a table indexed by symbol id. Each
// symbol's entry is settled on its first lookup (a case variant through its
// alias), so later lookups are one read.
#include <vector>

#include "runtime/datatypes/word/word.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel::parse {

namespace {

// An entry not looked up yet.
constexpr auto kUnsettled = static_cast<Kw>(0xFF);

std::vector<Kw> g_keywords;

void add(uint32_t symbol, Kw k) {
    uint32_t id = symbol_resolve(symbol);
    if (id >= g_keywords.size()) g_keywords.resize(id + 1, kUnsettled);
    g_keywords[id] = k;
}

} // namespace

void keywords_init() {
    g_keywords.assign(1, Kw::kNotKeyword);
    add(g_sym_skip, Kw::kSkip);
    add(g_sym_any, Kw::kAny);
    add(g_sym_some, Kw::kSome);
    add(g_sym_opt, Kw::kOpt);
    add(g_sym_to, Kw::kTo);
    add(g_sym_thru, Kw::kThru);
    add(g_sym_copy, Kw::kCopy);
    add(g_sym_set, Kw::kSet);
    add(g_sym_remove, Kw::kRemove);
    add(g_sym_break, Kw::kBreak);
    add(g_sym_reject, Kw::kReject);
    add(g_sym_fail, Kw::kFail);
    add(g_sym_keep, Kw::kKeep);
    add(g_sym_ahead, Kw::kAhead);
    add(g_sym_while, Kw::kWhile);
    add(g_sym_into, Kw::kInto);
    add(g_sym_insert, Kw::kInsert);
    add(word_symbol(g_word_change), Kw::kChange);
    add(g_sym_end, Kw::kEnd);
    add(g_sym_if, Kw::kIf);
    add(g_sym_not, Kw::kNot);
    add(g_sym_quote, Kw::kQuote);
    add(g_sym_collect, Kw::kCollect);
    add(g_sym_case, Kw::kCase);
    add(g_sym_none, Kw::kNone);
    add(g_sym_bar, Kw::kBar);
    add(g_sym_only, Kw::kOnly);
    add(g_sym_pick, Kw::kPick);
    add(g_sym_after, Kw::kAfter);
}

Kw keyword_of(const Cell* value) {
    if (type_of(value) != T_WORD) return Kw::kNotKeyword;
    uint32_t id = word_symbol(value);
    if (id < g_keywords.size() && g_keywords[id] != kUnsettled) return g_keywords[id];
    if (id >= g_keywords.size()) g_keywords.resize(id + 1, kUnsettled);
    uint32_t canonical = symbol_resolve(id);
    Kw k = Kw::kNotKeyword;
    if (canonical != id && canonical < g_keywords.size() && g_keywords[canonical] != kUnsettled)
        k = g_keywords[canonical];
    g_keywords[id] = k;
    return k;
}

} // namespace xel::parse
