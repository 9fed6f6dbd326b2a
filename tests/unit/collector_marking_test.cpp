// Marking by datatype: a value of each layout is kept only on the argument
// stack; after a collection every series it refers to, however deep, is
// alive, and what it does not refer to is gone.
#include <vector>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/raw-array.h"
#include "tests/unit/collector_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

struct Witnesses {
    std::vector<Offset> alive;
    std::vector<Offset> dead;
};

Offset string_node(const char* s) {
    Cell c;
    string_make_at(&c, 16);
    string_concatenate_literal(&c, s);
    return c.data2;
}

// A block of the given cells.
Offset block_of(std::initializer_list<Cell> cells) {
    Cell b;
    block_make_at(&b, static_cast<int>(cells.size()));
    for (const Cell& c : cells)
        block_append_copy(&b, &c);
    return b.data2;
}

Cell string_cell(Offset node) {
    return Cell{T_STRING, 0, node, 0};
}

// A context of one word whose value is a string; its series go to nodes.
Offset context_with_string(std::vector<Offset>& nodes) {
    Offset ctx = context_make(1, kContextObject, 0, false, false);
    context_index_or_add(ctx, symbol_make("field"));
    Offset s = string_node("in the context");
    *context_value_at(ctx, 0) = string_cell(s);
    HashTable* t = hash_record(context_table(ctx));
    nodes.insert(nodes.end(), {ctx, context_table(ctx), t->flags, t->keys, t->block,
                               context_cell(ctx)->data2, s});
    return ctx;
}

// A five-cell function record: a body holding a string, and the owner slot.
Offset function_record(Witnesses& w, Cell owner) {
    Offset s = string_node("in the body");
    Offset body = block_of({string_cell(s)});
    Cell unset{T_UNSET, 0, 0, 0};
    w.alive.insert(w.alive.end(), {s, body});
    return block_of({Cell{T_BLOCK, 0, body, 0}, unset, unset, unset, owner});
}

// A function! (or a routine!, whose fifth record cell is a return type id,
// not a node) with an owner context.
Cell function_value(Witnesses& w, uint32_t header, bool routine) {
    Offset ctx = context_with_string(w.alive);
    Offset spec = block_of({});
    Offset owner = context_with_string(routine ? w.dead : w.alive);
    Cell fifth{T_INTEGER, 0, routine ? uint32_t{T_INTEGER} : owner, 0};
    Offset record = function_record(w, fifth);
    w.alive.insert(w.alive.end(), {spec, record});
    return Cell{header, ctx, spec, record};
}

Cell make_string_family(Witnesses& w, uint8_t type) {
    Offset s = string_node("text");
    Offset conversion = alloc_bytes(8);
    w.alive.insert(w.alive.end(), {s, conversion});
    return Cell{type, 0, s, conversion};
}

Cell make_block_kind(Witnesses& w, uint8_t type) {
    Offset s = string_node("inner");
    Offset inner = block_of({string_cell(s)});
    Offset outer = block_of({Cell{T_BLOCK, 0, inner, 0}});
    w.alive.insert(w.alive.end(), {s, inner, outer});
    return Cell{type, 0, outer, 0};
}

Cell make_bytes_kind(Witnesses& w, uint8_t type) {
    Offset bytes = alloc_bytes(32);
    w.alive.push_back(bytes);
    return Cell{type, 0, bytes, 0};
}

Cell make_object_kind(Witnesses& w, uint8_t type) {
    Offset ctx = context_with_string(w.alive);
    Offset spec = block_of({});
    Offset events = block_of({Cell{T_PAIR, 0, 0xFFFF0000, spec}, Cell{T_PAIR, 0, 0xFFFF0000, 0}});
    w.alive.insert(w.alive.end(), {spec, events});
    return Cell{type, ctx, 1000000, events};
}

Cell make_hash(Witnesses& w) {
    Cell one{T_INTEGER, 0, 1, 0};
    Cell block{T_BLOCK, 0, block_of({one, one, Cell{T_INTEGER, 0, 2, 0}}), 0};
    Offset table = hash_make(4, &block, kHashBlock, 0);
    HashTable* t = hash_record(table);
    w.alive.insert(w.alive.end(), {block.data2, table, t->flags, t->keys, t->aux, t->chains});
    Offset chain = static_cast<Offset>(array_get_int(t->chains, 1));
    w.alive.push_back(chain);
    return Cell{T_HASH, 0, block.data2, table};
}

Cell make_map(Witnesses& w) {
    Offset value = string_node("value");
    Cell block{T_BLOCK, 0, block_of({string_cell(string_node("key")), string_cell(value)}), 0};
    Offset table = hash_make(2, &block, kHashMap, 0);
    // The map stores a copy of a series key: watch the one it keeps.
    Offset key = at<Cell>(buffer_of(block.data2)->head)->data2;
    w.alive.insert(w.alive.end(), {key, value, block.data2, table});
    return Cell{T_MAP, 0, block.data2, table};
}

struct Row {
    const char* name;
    Cell (*make)(Witnesses& w);
};

const Row kRows[] = {
    {"string!", [](Witnesses& w) { return make_string_family(w, T_STRING); }},
    {"file!", [](Witnesses& w) { return make_string_family(w, T_FILE); }},
    {"url!", [](Witnesses& w) { return make_string_family(w, T_URL); }},
    {"tag!", [](Witnesses& w) { return make_string_family(w, T_TAG); }},
    {"email!", [](Witnesses& w) { return make_string_family(w, T_EMAIL); }},
    {"ref!", [](Witnesses& w) { return make_string_family(w, T_REF); }},
    {"symbol!",
     [](Witnesses& w) {
         Offset spelling = string_node("name");
         Offset utf8 = alloc_bytes(8);
         w.alive.insert(w.alive.end(), {spelling, utf8});
         return Cell{T_SYMBOL, 0, spelling, utf8};
     }},
    {"block!", [](Witnesses& w) { return make_block_kind(w, T_BLOCK); }},
    {"paren!", [](Witnesses& w) { return make_block_kind(w, T_PAREN); }},
    {"path!", [](Witnesses& w) { return make_block_kind(w, T_PATH); }},
    {"lit-path!", [](Witnesses& w) { return make_block_kind(w, T_LIT_PATH); }},
    {"set-path!", [](Witnesses& w) { return make_block_kind(w, T_SET_PATH); }},
    {"get-path!", [](Witnesses& w) { return make_block_kind(w, T_GET_PATH); }},
    {"word! bound to a context",
     [](Witnesses& w) {
         Offset ctx = context_with_string(w.alive);
         return Cell{T_WORD, ctx, symbol_make("field"), 0};
     }},
    {"context!",
     [](Witnesses& w) {
         // A copy of the cell: the word table's entries, bound to the
         // context, keep the context series too.
         Offset ctx = context_with_string(w.alive);
         return *context_cell(ctx);
     }},
    {"native! with its record's context cell",
     [](Witnesses& w) {
         Offset ctx = context_with_string(w.alive);
         Offset spec = block_of({});
         Offset record = block_of({*context_cell(ctx), Cell{T_NONE, 0, 0, 0}});
         w.alive.insert(w.alive.end(), {spec, record});
         return Cell{T_NATIVE, 1, spec, record};
     }},
    {"function! with its owner", [](Witnesses& w) { return function_value(w, T_FUNCTION, false); }},
    {"op! made from a function!",
     [](Witnesses& w) { return function_value(w, T_OP | T_FUNCTION << 16, false); }},
    {"routine!", [](Witnesses& w) { return function_value(w, T_ROUTINE, true); }},
    {"bitset!", [](Witnesses& w) { return make_bytes_kind(w, T_BITSET); }},
    {"vector!", [](Witnesses& w) { return make_bytes_kind(w, T_VECTOR); }},
    {"binary!", [](Witnesses& w) { return make_bytes_kind(w, T_BINARY); }},
    {"image!", [](Witnesses& w) { return make_bytes_kind(w, T_IMAGE); }},
    {"object! with its event record", [](Witnesses& w) { return make_object_kind(w, T_OBJECT); }},
    {"error!", [](Witnesses& w) { return make_object_kind(w, T_ERROR); }},
    {"port!", [](Witnesses& w) { return make_object_kind(w, T_PORT); }},
    {"hash! with a chain of equal values", make_hash},
    {"map!", make_map},
};

// The value goes to the argument stack only: nothing on the machine stack
// refers to what it holds once this returns.
[[gnu::noinline]] void push_row(const Row& row, Witnesses& w) {
    Offset control = string_node("garbage");
    w.dead.push_back(control);
    Cell value = row.make(w);
    stack_push(&value);
}

// Reads the witnesses in a frame of its own, which the next row's
// collection wipes before it scans.
[[gnu::noinline]] void check(const Witnesses& w) {
    for (Offset n : w.alive)
        EXPECT_FALSE(node_is_free(n)) << "node " << n << " was freed";
    for (Offset n : w.dead)
        EXPECT_TRUE(node_is_free(n)) << "node " << n << " was kept";
    EXPECT_EQ(heap_fault(), "");
}

class CollectorMarking : public CollectorFixture {};

TEST_F(CollectorMarking, EveryLayoutKeepsWhatItRefersTo) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        Witnesses w;
        stack_reset();
        push_row(row, w);
        collect_clean();
        check(w);
    }
}

// Records whose fields only their owner's cell knows how to follow, with the
// record's node.
struct RecordRow {
    const char* name;
    Cell (*make)(Witnesses& w);
    Offset (*record)(const Cell& value);
};

Offset word3(const Cell& value) {
    return value.data3;
}

const RecordRow kRecordRows[] = {
    {"object!'s event record", [](Witnesses& w) { return make_object_kind(w, T_OBJECT); }, word3},
    {"context!'s word table",
     [](Witnesses& w) {
         Offset ctx = context_with_string(w.alive);
         return *context_cell(ctx);
     },
     [](const Cell& value) { return value.data1; }},
    {"map!'s table", make_map, word3},
    {"hash!'s table with its chains", make_hash, word3},
};

// A cell of another kind naming a node, as a stale cell would after the
// node was reused.
struct StaleRow {
    const char* name;
    Cell (*stale)(Offset node);
};

// Cells that name a record before its own value does, as stale cells would:
// one that marks the node as a plain series, one that takes it for a record
// of its own kind (an object's event record) and finds another shape there.
const StaleRow kStaleRecordCells[] = {
    {"binary! cell",
     [](Offset record) {
         return Cell{T_BINARY, 0, record, 0};
     }},
    {"object! cell",
     [](Offset record) {
         return Cell{T_OBJECT, 0, 0, record};
     }},
};

// The value sits in a block on the argument stack, so its cell is marked
// after the machine stack's nodes. With a stale cell, that cell comes before
// it in the block; without, the record's node is returned for the caller to
// keep on the machine stack.
[[gnu::noinline]] Offset push_record_row(const RecordRow& row, Witnesses& w,
                                         const StaleRow* stale) {
    Cell value = row.make(w);
    Offset record = row.record(value);
    Cell block{T_BLOCK, 0, stale ? block_of({stale->stale(record), value}) : block_of({value}), 0};
    stack_push(&block);
    return stale ? 0 : record;
}

TEST_F(CollectorMarking, ARecordMarkedFirstByAnotherPathStillKeepsWhatItNames) {
    for (const RecordRow& row : kRecordRows) {
        std::vector<const StaleRow*> firsts{nullptr};
        for (const StaleRow& stale : kStaleRecordCells)
            firsts.push_back(&stale);
        for (const StaleRow* stale : firsts) {
            SCOPED_TRACE(std::string(row.name) + ", " + (stale ? stale->name : "machine stack"));
            Witnesses w;
            stack_reset();
            volatile Offset held = push_record_row(row, w, stale);
            collect_clean();
            check(w);
            if (!stale) {
                EXPECT_FALSE(node_is_free(held));
            }
        }
    }
}

} // namespace

namespace {

// A hash table while it is being built is named only by its record's node on
// the machine stack; a string holding the same words names nothing.
struct StackRow {
    const char* name;
    Offset (*make)(Witnesses& w);
};

const StackRow kStackRows[] = {
    {"hash! record",
     [](Witnesses& w) {
         Cell value = make_hash(w);
         return value.data3;
     }},
    {"string! holding node numbers",
     [](Witnesses& w) {
         Offset named = string_node("named by a string's bytes");
         w.dead.push_back(named);
         Cell s;
         string_make_at(&s, 16);
         Offset kept = s.data2;
         SeriesBuf* b = buffer_of(kept);
         *at<Offset>(b->head) = named;
         b->tail += 4;
         w.alive.push_back(kept);
         return kept;
     }},
};

[[gnu::noinline]] Offset make_stack_row(const StackRow& row, Witnesses& w) {
    return row.make(w);
}

TEST_F(CollectorMarking, OnlyByteSeriesThatHoldNodesAreReadFromTheMachineStack) {
    for (const StackRow& row : kStackRows) {
        SCOPED_TRACE(row.name);
        Witnesses w;
        stack_reset();
        volatile Offset held = make_stack_row(row, w);
        collect_clean();
        check(w);
        EXPECT_FALSE(node_is_free(held));
    }
}

} // namespace

namespace {

// Cells of other kinds that name a block: the path that marks the block
// first must still walk it.
const StaleRow kStaleRows[] = {
    {"object! whose event record it is",
     [](Offset b) {
         return Cell{T_OBJECT, 0, 0, b};
     }},
    {"hash! whose table it is",
     [](Offset b) {
         return Cell{T_HASH, 0, 0, b};
     }},
    {"string! whose text it is",
     [](Offset b) {
         return Cell{T_STRING, 0, b, 0};
     }},
};

// A block holding a string, named by the stale cell and then by a block cell.
[[gnu::noinline]] void push_stale_row(const StaleRow& row, Witnesses& w) {
    Offset s = string_node("held by the block");
    Offset b = block_of({string_cell(s)});
    w.alive.insert(w.alive.end(), {s, b});
    Cell root{T_BLOCK, 0, block_of({row.stale(b), Cell{T_BLOCK, 0, b, 0}}), 0};
    stack_push(&root);
}

TEST_F(CollectorMarking, ABlockNamedFirstByACellOfAnotherKindStillKeepsItsCells) {
    for (const StaleRow& row : kStaleRows) {
        SCOPED_TRACE(row.name);
        Witnesses w;
        stack_reset();
        push_stale_row(row, w);
        collect_clean();
        check(w);
    }
}

} // namespace
