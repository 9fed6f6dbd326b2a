#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "runtime/datatypes/registry.h"
#include "runtime/runtime-init.h"

using namespace xel;

namespace {

Cell* fake_make(Cell*, Cell*, int) {
    return nullptr;
}
int fake_form(Cell*, Cell*, Cell*, int) {
    return 0;
}
int fake_form2(Cell*, Cell*, Cell*, int) {
    return 1;
}

TEST(Registry, InheritanceCopiesTheParentRowAsItStands) {
    runtime_init();
    ActionList series(T_SERIES, 0, "series!");
    series.set<A_FORM>(fake_form);
    datatype_register(series);
    ActionList block(T_BLOCK, T_SERIES, "block!");
    block.inherit(A_FORM).set<A_MAKE>(fake_make).inherit(A_MOLD);
    datatype_register(block);
    ActionList paren(T_PAREN, T_BLOCK, "paren!");
    paren.inherit_all();
    datatype_register(paren);
    // A later change of the grandparent reaches no child.
    ActionList series2(T_SERIES, 0, "series!");
    series2.set<A_FORM>(fake_form2);
    datatype_register(series2);

    EXPECT_EQ(action_of<A_FORM>(T_PAREN), &fake_form);
    EXPECT_EQ(action_of<A_MAKE>(T_PAREN), &fake_make);
    EXPECT_EQ(action_entry(T_PAREN, A_MOLD), 0u) << "inherited from a parent that lacks it";
    EXPECT_EQ(action_entry(T_BLOCK, A_COPY), 0u);
    EXPECT_EQ(g_type_names[T_PAREN].length, 5u);
    EXPECT_STREQ(g_type_names[T_PAREN].name, "paren!");
}

TEST(Registry, EveryTypeIsRegisteredInOrder) {
    runtime_init();
    EXPECT_EQ(g_highest_type, T_EVENT);
    for (int id = 1; id <= T_EVENT; id++)
        ASSERT_NE(g_type_names[id].name, nullptr) << id;
    EXPECT_STREQ(g_type_names[T_POINT2D].name, "point2D!");
    EXPECT_EQ(g_type_names[T_BLOCK].length, 5u);
}

TEST(Registry, AWrongActionCountIsReportedAndEndsTheProcess) {
    for (int count : {64, 66}) {
        std::string cmd = std::string(XEL_EXIT_PROBE) + " row" + std::to_string(count);
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string out;
        char buf[256];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        int status = pclose(p);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(out, "*** Datatype Error: invalid actions count for type: 31\n*** Found: " +
                           std::to_string(count - 3) + "\n*** Expected: 62\n");
    }
}

} // namespace
