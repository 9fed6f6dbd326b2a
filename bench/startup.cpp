// Start-up: the program from exec to the end of the environment's top level
// (xel without a script ends right there), and the parts of it in process:
// decoding the boot data into a fresh root block, and the whole run-time
// init with the top level. Each is the median of many runs.
//   bench-startup [runs]
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

#include "boot/boot-data.h"
#include "boot/boot-load.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/runtime-init.h"
#include "runtime/symbols/symbols.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// exec of the program to its exit; spawned without copying this process's
// mappings, whose cost would count against the program.
double run_program_once() {
    char* args[] = {const_cast<char*>(XEL_PROGRAM), nullptr};
    auto t = Clock::now();
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, XEL_PROGRAM, nullptr, nullptr, args, environ) != 0) {
        std::fprintf(stderr, "cannot start the program\n");
        std::exit(1);
    }
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the program failed (status %d)\n", status);
        std::exit(1);
    }
    return ms_since(t);
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    size_t size = 0;
    const uint8_t* blob = boot_data(&size);

    std::vector<double> process, init, decode;
    for (int i = 0; i < runs; i++)
        process.push_back(run_program_once());
    for (int i = 0; i < runs; i++) {
        auto t = Clock::now();
        runtime_init();
        g_boot_recording = false;
        boot_run_top_level();
        init.push_back(ms_since(t));
        Cell target;
        block_make_at(&target, 1);
        t = Clock::now();
        xelbin_decode(blob, size, &target, kXelbinBoot);
        decode.push_back(ms_since(t));
    }
    std::printf("boot data: %zu bytes\n", size);
    std::printf("exec to exit of the program:          %8.3f ms (median of %d)\n", median(process),
                runs);
    std::printf("run-time init and top level, in process: %8.3f ms\n", median(init));
    std::printf("decoding the boot data:               %8.3f ms\n", median(decode));
    return 0;
}
