#include "boot/console-start.h"
#include "boot/entry.h"

int main(int argc, char** argv) {
    xel::run_program(argc, argv, xel::console_start);
}
