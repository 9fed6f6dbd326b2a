// The writers' shared state: the symbol table, and the table of series and
// contexts already written with the path of each, through which a value met a
// second time (shared or cyclic) is written as a reference.
//
// Writers read values and append to C++ buffers only: nothing is allocated in
// series memory while they walk, so no collection can move what they hold.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/cell.h"

namespace xel {

struct XelbinSymbols {
    std::vector<uint32_t> ids; // table order
    std::unordered_map<uint32_t, uint32_t> index_of;
    std::vector<uint8_t> names; // each name UTF-8 and NUL-ended
    std::vector<uint32_t> offsets;

    // The table index of a symbol, added on first use; fill pads each name
    // with zero bytes to a multiple of that many bytes of the names area.
    uint32_t index(uint32_t symbol, uint32_t fill);
};

struct XelbinPaths {
    std::vector<uint32_t> levels; // the counters of the open levels
    uint32_t counter = 0;         // position among the parent's values
    std::unordered_map<Offset, std::vector<uint32_t>> written;

    // The stored path of a node, or nullptr.
    const std::vector<uint32_t>* find(Offset node) const;
    // Opens a level for a value whose node is recorded with its path.
    void open(Offset node);
    void open_level();
    void close();
};

// Compact records of top-level values and definitions; boot true writes the
// boot data (word binding by the boot rule: every word is global).
class CompactWriter {
  public:
    explicit CompactWriter(bool boot) : boot_(boot) {}
    void value(const Cell* v);
    void definition(const Cell* word, const Cell* v);
    // Magic to the last record.
    std::vector<uint8_t> finish(uint32_t root_count);

  private:
    void byte(uint8_t b) { out_.push_back(b); }
    void varint(uint32_t v);
    void zigzag(int32_t v);
    void raw32(uint32_t v);
    void bytes(const uint8_t* p, size_t n);
    void type_byte(uint8_t type, bool flag);
    void real(uint8_t type, double d, double scale, double limit);
    void series(const Cell* v, bool reference);
    void word(const Cell* v);
    void context(Offset ctx);
    void object(const Cell* v);
    void function(const Cell* v);
    void native(const Cell* v, uint8_t type);
    void path(const std::vector<uint32_t>& p);
    void scalar(const Cell* v);
    bool nodal(const Cell* v);

    bool boot_;
    std::vector<uint8_t> out_;
    XelbinSymbols symbols_;
    XelbinPaths paths_;
};

// The word encoding of one value.
std::vector<uint8_t> xelbin_write_words(const Cell* value);

// The node that decides whether a value was written before: the context of a
// non-global word, object! or function!, the series of a series; 0 for
// values written in place.
Offset xelbin_shared_node(const Cell* v);

// Whether a context's values are written: held in a block (not on the
// stack) and at least one of them set.
bool xelbin_context_values_written(Offset ctx);

// Raises access no-codec naming the value.
[[noreturn]] void xelbin_no_codec(const Cell* v);

} // namespace xel
