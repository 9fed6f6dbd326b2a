#include "boot/entry.h"

int main(int argc, char** argv) {
    xel::run_program(argc, argv, nullptr);
}
