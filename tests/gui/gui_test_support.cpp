#include "tests/gui/gui_test_support.h"
#include "tests/support/program-args.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "boot/entry.h"
#include "gui/backend/backend.h"
#include "tests/runner/eval-text.h"

namespace xel_test {

std::string eval(const std::string& code) {
    return xel::eval_text(code).text;
}

xel::gtk::WidgetId widget_of(const std::string& face) {
    std::string m = eval("mold/all " + face + "/state/1");
    size_t at = m.find("handle! ");
    return at == std::string::npos
               ? 0
               : static_cast<xel::gtk::WidgetId>(std::stoul(m.substr(at + 8, 8), nullptr, 16));
}

void pump() {
    for (int i = 0; i < 50; i++)
        xel::gui::do_events(true);
}

} // namespace xel_test

namespace {

void body() {
    xel_test::ProgramArgs args = xel_test::program_args();
    ::testing::InitGoogleTest(&args.argc, args.argv);
    int status = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::exit(status);
}

} // namespace

int main(int argc, char** argv) {
    xel::run_program(argc, argv, body);
}
