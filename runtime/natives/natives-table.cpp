#include "runtime/natives/natives.h"

#include "boot/heap.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/runtime-init.h"

namespace xel {

NativeFn* g_natives_table = nullptr;
uint32_t g_natives_fill = 1;
Cell g_print_buffer{};

namespace {

struct NativeEntry {
    const char* name;
    NativeFn code; // nullptr until the native is built
};

// Index order is the boot data's: entry i is native index i + 1.
constexpr NativeEntry kNatives[kNativeCount] = {
    {"if", nullptr},                // 1
    {"unless", nullptr},            // 2
    {"either", nullptr},            // 3
    {"any", nullptr},               // 4
    {"all", nullptr},               // 5
    {"while", nullptr},             // 6
    {"until", nullptr},             // 7
    {"loop", nullptr},              // 8
    {"repeat", nullptr},            // 9
    {"forever", nullptr},           // 10
    {"foreach", nullptr},           // 11
    {"forall", nullptr},            // 12
    {"remove-each", nullptr},       // 13
    {"func", nullptr},              // 14
    {"function", nullptr},          // 15
    {"does", nullptr},              // 16
    {"has", nullptr},               // 17
    {"switch", nullptr},            // 18
    {"case", nullptr},              // 19
    {"do", nullptr},                // 20
    {"get", nullptr},               // 21
    {"set", nullptr},               // 22
    {"print", nullptr},             // 23
    {"prin", nullptr},              // 24
    {"equal?", nullptr},            // 25
    {"not-equal?", nullptr},        // 26
    {"strict-equal?", nullptr},     // 27
    {"lesser?", nullptr},           // 28
    {"greater?", nullptr},          // 29
    {"lesser-or-equal?", nullptr},  // 30
    {"greater-or-equal?", nullptr}, // 31
    {"same?", nullptr},             // 32
    {"not", nullptr},               // 33
    {"type?", nullptr},             // 34
    {"reduce", nullptr},            // 35
    {"compose", nullptr},           // 36
    {"stats", nullptr},             // 37
    {"bind", nullptr},              // 38
    {"in", nullptr},                // 39
    {"parse", nullptr},             // 40
    {"union", nullptr},             // 41
    {"intersect", nullptr},         // 42
    {"unique", nullptr},            // 43
    {"difference", nullptr},        // 44
    {"exclude", nullptr},           // 45
    {"complement?", nullptr},       // 46
    {"dehex", nullptr},             // 47
    {"enhex", nullptr},             // 48
    {"negative?", nullptr},         // 49
    {"positive?", nullptr},         // 50
    {"max", nullptr},               // 51
    {"min", nullptr},               // 52
    {"shift", nullptr},             // 53
    {"to-hex", nullptr},            // 54
    {"sine", nullptr},              // 55
    {"cosine", nullptr},            // 56
    {"tangent", nullptr},           // 57
    {"arcsine", nullptr},           // 58
    {"arccosine", nullptr},         // 59
    {"arctangent", nullptr},        // 60
    {"arctangent2", nullptr},       // 61
    {"NaN?", nullptr},              // 62
    {"log-2", nullptr},             // 63
    {"log-10", nullptr},            // 64
    {"log-e", nullptr},             // 65
    {"exp", nullptr},               // 66
    {"square-root", nullptr},       // 67
    {"construct", nullptr},         // 68
    {"value?", nullptr},            // 69
    {"try", nullptr},               // 70
    {"uppercase", nullptr},         // 71
    {"lowercase", nullptr},         // 72
    {"as-pair", nullptr},           // 73
    {"as-point2D", nullptr},        // 74
    {"as-point3D", nullptr},        // 75
    {"as-money", nullptr},          // 76
    {"break", nullptr},             // 77
    {"continue", nullptr},          // 78
    {"exit", nullptr},              // 79
    {"return", nullptr},            // 80
    {"throw", nullptr},             // 81
    {"catch", nullptr},             // 82
    {"extend", nullptr},            // 83
    {"debase", nullptr},            // 84
    {"to-local-file", nullptr},     // 85
    {"wait", nullptr},              // 86
    {"checksum", nullptr},          // 87
    {"unset", nullptr},             // 88
    {"new-line", nullptr},          // 89
    {"new-line?", nullptr},         // 90
    {"enbase", nullptr},            // 91
    {"context?", nullptr},          // 92
    {"set-env", nullptr},           // 93
    {"get-env", nullptr},           // 94
    {"list-env", nullptr},          // 95
    {"now", nullptr},               // 96
    {"sign?", nullptr},             // 97
    {"as", nullptr},                // 98
    {"call", nullptr},              // 99
    {"zero?", nullptr},             // 100
    {"size?", nullptr},             // 101
    {"browse", nullptr},            // 102
    {"compress", nullptr},          // 103
    {"decompress", nullptr},        // 104
    {"recycle", nullptr},           // 105
    {"transcode", nullptr},         // 106
    {"apply", nullptr},             // 107
};

} // namespace

void natives_register(uint32_t count, const NativeFn* list) {
    for (uint32_t i = 0; i < count; i++)
        g_natives_table[g_natives_fill++ - 1] = list[i];
}

void natives_init() {
    if (!g_natives_table)
        g_natives_table = static_cast<NativeFn*>(heap_alloc(kNativesCapacity * sizeof(NativeFn)));
    for (int i = 0; i < kNativesCapacity; i++)
        g_natives_table[i] = nullptr;
    g_natives_fill = 1;
    g_print_buffer = *block_make_in(&g_root, 32);

    NativeFn list[kNativeCount];
    for (int i = 0; i < kNativeCount; i++)
        list[i] = kNatives[i].code;
    natives_register(kNativeCount, list);
}

const char* native_name(int index) {
    return index >= 1 && index <= kNativeCount ? kNatives[index - 1].name : nullptr;
}

} // namespace xel
