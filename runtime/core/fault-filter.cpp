// Processor faults reach the fatal reporter through signal handlers that run
// on an alternate stack, so a stack overflow is still reported.
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <ucontext.h>
#include <unistd.h>

#include "platform/os/stack.h"
#include "runtime/core/fatal.h"

namespace xel {

namespace {

alignas(16) char g_alt_stack[64 * 1024];

// A fault within this distance of the stack's low end is an overflow.
constexpr uintptr_t kGuardReach = 256 * 1024;

int number_for(int sig, const siginfo_t* info) {
    switch (sig) {
    case SIGSEGV: {
        auto addr = reinterpret_cast<uintptr_t>(info->si_addr);
        if (g_stack_low && addr + kGuardReach >= g_stack_low && addr < g_stack_low + kGuardReach)
            return 19;
        if (info->si_code == SEGV_MAPERR) return 16;
        if (info->si_code == SEGV_ACCERR) return 1;
        return 32;
    }
    case SIGFPE:
        switch (info->si_code) {
        case FPE_INTDIV:
            return 13;
        case FPE_INTOVF:
            return 14;
        case FPE_FLTDIV:
            return 7;
        case FPE_FLTOVF:
            return 10;
        case FPE_FLTUND:
            return 12;
        case FPE_FLTRES:
            return 8;
        case FPE_FLTINV:
            return 9;
        case FPE_FLTSUB:
            return 5;
        default:
            return 33;
        }
    case SIGILL:
        switch (info->si_code) {
        case ILL_PRVOPC:
            return 15;
        case ILL_ILLOPN:
            return 23;
        case ILL_ILLADR:
            return 24;
        case ILL_ILLTRP:
            return 25;
        case ILL_COPROC:
            return 26;
        case ILL_PRVREG:
            return 31;
        default:
            return 17;
        }
    case SIGBUS:
        switch (info->si_code) {
        case BUS_ADRALN:
            return 2;
        case BUS_ADRERR:
            return 27;
        case BUS_OBJERR:
            return 28;
        case BUS_MCEERR_AR:
            return 29;
        case BUS_MCEERR_AO:
            return 30;
        default:
            return 34;
        }
    case SIGTRAP:
        return info->si_code == TRAP_TRACE ? 4 : 3;
    case SIGINT:
        return 0; // the console's interrupt: a silent exit
    default:
        return kErrUnknown;
    }
}

void on_fault(int sig, siginfo_t* info, void* context) {
    uint32_t address = 0;
    if (context) {
        auto* uc = static_cast<ucontext_t*>(context);
        address = static_cast<uint32_t>(uc->uc_mcontext.gregs[REG_RIP]);
    }
    int number = number_for(sig, info);
    if (number == 0) _exit(0);
    char text[512];
    int len = format_runtime_error(text, sizeof text, number, address);
    text[len] = '\n';
    (void)!write(2, text, len + 1);
    // The heap may be what broke: leave it to the OS.
    _exit(number);
}

} // namespace

void install_fault_filter() {
    stack_t ss{};
    ss.ss_sp = g_alt_stack;
    ss.ss_size = sizeof g_alt_stack;
    sigaltstack(&ss, nullptr);

    struct sigaction sa {};
    sa.sa_sigaction = on_fault;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGINT})
        sigaction(sig, &sa, nullptr);
}

} // namespace xel
