// Downloads a 100 MB body from a server on 127.0.0.1, with `read/binary` and
// `read` (text) in a child run-time and with the curl program, in
// interleaved runs. Reports for each the median wall time net of start-up
// (the same command fetching an empty body), the throughput and the peak
// resident set of the child.
//   bench-http_download                run the comparison
//   bench-http_download --fetch URL E  (child) evaluate E with {url} as URL
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "boot/boot-load.h"
#include "boot/entry.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "tests/support/loopback-http-server.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kBodyBytes = 100u << 20;
constexpr size_t kSliceBytes = 1u << 20;
constexpr int kRuns = 5;

std::string g_code;

void fetch_body() {
    runtime_init();
    g_boot_recording = false;
    boot_run_top_level();
    Cell* source = string_load(reinterpret_cast<const uint8_t*>(g_code.data()),
                               static_cast<uint32_t>(g_code.size()), 0);
    Cell text = *source;
    Cell code;
    lexer_load_string(&code, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    stack_reset();
    if (interp_eval_block(&code, true).exit_pending()) exit_take();
    Cell value = *stack_arguments();
    Cell out;
    string_make_at(&out, 64);
    actions_mold_typed(&value, &out, false, false, false, nullptr, INT32_MAX, 0);
    std::printf("%s\n", string_utf8_text(&out).c_str());
    std::fflush(stdout);
}

struct Run {
    double seconds;
    long peak_kb;
};

// Runs argv with its output thrown away; wall time and peak resident set.
Run measure(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    auto start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        FILE* null = std::fopen("/dev/null", "w");
        dup2(fileno(null), 1);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "failed: %s\n", argv[0].c_str());
    return {seconds, usage.ru_maxrss};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Side {
    const char* name;
    std::vector<std::string> big, empty;
    std::vector<double> net;
    long peak_kb = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--fetch") == 0) {
        g_code = argv[3];
        for (size_t at; (at = g_code.find("{url}")) != std::string::npos;)
            g_code.replace(at, 5, argv[2]);
        run_program(argc, argv, fetch_body);
    }
    // One slice sent again and again, so this process stays small: a child's
    // peak resident set counts what it shared of its parent before exec.
    std::string slice(kSliceBytes, 'x');
    for (size_t i = 0; i < slice.size(); i += 64)
        slice[i] = '\n';
    test::LoopbackHttpServer server(false);
    server.route("/big", [&](const test::RecordedRequest&, test::Exchange& x) {
        x.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodyBytes) + "\r\n\r\n");
        for (size_t sent = 0; sent < kBodyBytes; sent += kSliceBytes)
            if (!x.send(slice)) return;
    });
    server.route("/empty", [](const test::RecordedRequest&, test::Exchange& x) {
        x.send(test::http_reply(200, {}, ""));
    });
    std::string big = server.base() + "/big", empty = server.base() + "/empty";
    std::string self = "/proc/self/exe";
    char path[4096];
    ssize_t n = readlink(self.c_str(), path, sizeof path - 1);
    if (n > 0) self.assign(path, static_cast<size_t>(n));

    Side sides[] = {
        {"xel read/binary",
         {self, "--fetch", big, "length? read/binary {url}"},
         {self, "--fetch", empty, "length? read/binary {url}"},
         {},
         0},
        {"xel read (text)",
         {self, "--fetch", big, "length? read {url}"},
         {self, "--fetch", empty, "length? read {url}"},
         {},
         0},
        {"curl -o /dev/null",
         {"curl", "-s", "-o", "/dev/null", big},
         {"curl", "-s", "-o", "/dev/null", empty},
         {},
         0},
    };
    for (int run = 0; run <= kRuns; run++) {
        for (Side& s : sides) {
            Run whole = measure(s.big);
            Run start = measure(s.empty);
            if (run == 0) continue; // warm-up
            s.net.push_back(whole.seconds - start.seconds);
            s.peak_kb = std::max(s.peak_kb, whole.peak_kb);
        }
    }
    double mb = static_cast<double>(kBodyBytes) / (1 << 20);
    std::printf("%d interleaved runs of a %.0f MB body over 127.0.0.1, medians net of start-up\n",
                kRuns, mb);
    for (const Side& s : sides) {
        double t = median(s.net);
        std::printf("%-18s %7.3f s  %8.0f MB/s  peak RSS %7ld kB\n", s.name, t, mb / t, s.peak_kb);
    }
    double curl_t = median(sides[2].net);
    std::printf("time ratio to curl: read/binary %.2f, read %.2f\n", median(sides[0].net) / curl_t,
                median(sides[1].net) / curl_t);
}
