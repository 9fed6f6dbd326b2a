#include "runtime/datatypes/block/block-actions.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class BlockMold : public SeriesFixture {
  protected:
    static Cell word(const char* name, uint8_t type = T_WORD) {
        Cell w = *word_load(name);
        cell_set_type(&w, type);
        return w;
    }
};

TEST_F(BlockMold, NewLineMarkersIndentTheBlock) {
    // As loaded from "[\n1 2\n3\n]".
    Cell b = block({nl(integer(1)), integer(2), nl(integer(3))});
    EXPECT_EQ(mold(b), "[\n    1 2\n    3\n]");
    EXPECT_EQ(mold(b, false, false, true), "[1 2 3]") << "mold/flat";
    EXPECT_EQ(mold(b, true), "1 2\n3") << "mold/only";
    EXPECT_EQ(form(b), "1 2 3");
}

TEST_F(BlockMold, NestedIndentation) {
    Cell inner = block({nl(word("b")), word("c")});
    Cell outer = block({nl(word("a")), nl(inner), nl(word("d"))});
    EXPECT_EQ(mold(outer), "[\n    a\n    [\n        b c\n    ]\n    d\n]");
    EXPECT_EQ(mold(outer, false, false, true), "[a [b c] d]");
    Cell marked_later = block({word("a"), nl(word("b"))});
    EXPECT_EQ(mold(marked_later), "[a\nb]")
        << "a marker after the first cell raises no indent and adds no closing line";
}

TEST_F(BlockMold, PlainNestingParensAndPositions) {
    Cell p = block({word("x"), integer(2)}, T_PAREN);
    Cell b = block({integer(1), block({integer(2), block({})}), none(), p});
    EXPECT_EQ(mold(b), "[1 [2 []] none (x 2)]");
    EXPECT_EQ(mold(b, true), "1 [2 []] none (x 2)") << "/only applies to the outer block";
    EXPECT_EQ(mold(p), "(x 2)");
    EXPECT_EQ(mold(p, true), "x 2");
    EXPECT_EQ(mold(at_index(b, 2)), "[none (x 2)]");
    EXPECT_EQ(mold(at_index(b, 9)), "[]") << "a position past the tail";
    EXPECT_EQ(mold(block({word("a", T_SET_WORD), word("b", T_LIT_WORD)})), "[a: 'b]");
}

TEST_F(BlockMold, AllAndFlatReachTheElements) {
    Cell n = none();
    Cell b = block({none()});
    EXPECT_EQ(mold(b, false, true), "[" + mold(n, false, true) + "]");
}

TEST_F(BlockMold, PartLimitStopsTheWalk) {
    Cell b = block({integer(11), integer(22), integer(33), integer(44)});
    int left = 0;
    EXPECT_EQ(mold(b, false, false, false, 3, &left), "[11");
    EXPECT_EQ(left, -1) << "[ and 11 use the limit, the walk stops, ] uses one more";
    EXPECT_EQ(mold(b, false, false, false, 7, &left), "[11 22 ");
    EXPECT_EQ(left, -3);
    EXPECT_EQ(mold(b, false, false, false, 100, &left), "[11 22 33 44]");
    EXPECT_EQ(left, 87);
    Cell marked = block({nl(integer(1))});
    EXPECT_EQ(mold(marked, false, false, false, 100, &left), "[\n    1\n]");
    EXPECT_EQ(left, 100 - 9) << "line feeds and indent blanks use the limit too";
}

TEST_F(BlockMold, ABlockThatContainsItself) {
    Cell b = block({integer(1)});
    block_append_copy(&b, &b);
    EXPECT_EQ(mold(b), "[1 [...]]");
    EXPECT_EQ(form(b), "1 ...");
    EXPECT_EQ(cycles_depth(), 0u);
    Cell p = block({integer(1)}, T_PAREN);
    block_append_copy(&p, &p);
    EXPECT_EQ(mold(p), "(1 (...))");
}

TEST_F(BlockMold, FormSpacing) {
    Cell b = block({integer(1), text("a"), block({integer(2), integer(3)})});
    EXPECT_EQ(form(b), "1 a 2 3");
    EXPECT_EQ(form(block({text("a\n"), text("b"), text("c\t"), text("d")})), "a\nb c\td")
        << "no blank after a line feed or a tab";
    EXPECT_EQ(form(block({})), "");
    EXPECT_EQ(form(block({integer(1), integer(22), integer(3)}), 3), "1 22 ")
        << "form stops once the limit is used up (the caller cuts the text)";
}

} // namespace
