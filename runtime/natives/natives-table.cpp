#include "runtime/natives/natives.h"

#include "runtime/core/heap.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/memory/collector.h"
#include "runtime/natives/binding/word-natives.h"
#include "runtime/natives/control/control.h"
#include "runtime/natives/loops/loops.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/math/money-natives.h"
#include "runtime/natives/series/series-natives.h"
#include "runtime/natives/system/recycle.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/parse/parse.h"
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
    {"if", natives_if},                              // 1
    {"unless", natives_unless},                      // 2
    {"either", natives_either},                      // 3
    {"any", natives_any},                            // 4
    {"all", natives_all},                            // 5
    {"while", natives_while},                        // 6
    {"until", natives_until},                        // 7
    {"loop", natives_loop},                          // 8
    {"repeat", natives_repeat},                      // 9
    {"forever", natives_forever},                    // 10
    {"foreach", natives_foreach},                    // 11
    {"forall", natives_forall},                      // 12
    {"remove-each", natives_remove_each},            // 13
    {"func", natives_func},                          // 14
    {"function", natives_function},                  // 15
    {"does", natives_does},                          // 16
    {"has", natives_has},                            // 17
    {"switch", natives_switch},                      // 18
    {"case", natives_case},                          // 19
    {"do", natives_do},                              // 20
    {"get", natives_get},                            // 21
    {"set", natives_set},                            // 22
    {"print", natives_print},                        // 23
    {"prin", natives_prin},                          // 24
    {"equal?", natives_equal},                       // 25
    {"not-equal?", natives_not_equal},               // 26
    {"strict-equal?", natives_strict_equal},         // 27
    {"lesser?", natives_lesser},                     // 28
    {"greater?", natives_greater},                   // 29
    {"lesser-or-equal?", natives_lesser_or_equal},   // 30
    {"greater-or-equal?", natives_greater_or_equal}, // 31
    {"same?", natives_same},                         // 32
    {"not", natives_not},                            // 33
    {"type?", natives_type},                         // 34
    {"reduce", natives_reduce},                      // 35
    {"compose", natives_compose},                    // 36
    {"stats", natives_stats},                        // 37
    {"bind", natives_bind},                          // 38
    {"in", natives_in},                              // 39
    {"parse", natives_parse},                        // 40
    {"union", natives_union},                        // 41
    {"intersect", natives_intersect},                // 42
    {"unique", natives_unique},                      // 43
    {"difference", natives_difference},              // 44
    {"exclude", natives_exclude},                    // 45
    {"complement?", natives_complement},             // 46
    {"dehex", natives_dehex},                        // 47
    {"enhex", natives_enhex},                        // 48
    {"negative?", natives_negative},                 // 49
    {"positive?", natives_positive},                 // 50
    {"max", natives_max},                            // 51
    {"min", natives_min},                            // 52
    {"shift", natives_shift},                        // 53
    {"to-hex", natives_to_hex},                      // 54
    {"sine", natives_sine},                          // 55
    {"cosine", natives_cosine},                      // 56
    {"tangent", natives_tangent},                    // 57
    {"arcsine", natives_arcsine},                    // 58
    {"arccosine", natives_arccosine},                // 59
    {"arctangent", natives_arctangent},              // 60
    {"arctangent2", natives_arctangent2},            // 61
    {"NaN?", natives_nan},                           // 62
    {"log-2", natives_log_2},                        // 63
    {"log-10", natives_log_10},                      // 64
    {"log-e", natives_log_e},                        // 65
    {"exp", natives_exp},                            // 66
    {"square-root", natives_square_root},            // 67
    {"construct", natives_construct},                // 68
    {"value?", natives_value},                       // 69
    {"try", natives_try},                            // 70
    {"uppercase", natives_uppercase},                // 71
    {"lowercase", natives_lowercase},                // 72
    {"as-pair", natives_as_pair},                    // 73
    {"as-point2D", natives_as_point2d},              // 74
    {"as-point3D", natives_as_point3d},              // 75
    {"as-money", natives_as_money},                  // 76
    {"break", natives_break},                        // 77
    {"continue", natives_continue},                  // 78
    {"exit", natives_exit},                          // 79
    {"return", natives_return},                      // 80
    {"throw", natives_throw},                        // 81
    {"catch", natives_catch},                        // 82
    {"extend", natives_extend},                      // 83
    {"debase", natives_debase},                      // 84
    {"to-local-file", natives_to_local_file},        // 85
    {"wait", natives_wait},                          // 86
    {"checksum", natives_checksum},                  // 87
    {"unset", natives_unset},                        // 88
    {"new-line", natives_new_line},                  // 89
    {"new-line?", natives_new_line_q},               // 90
    {"enbase", natives_enbase},                      // 91
    {"context?", natives_context},                   // 92
    {"set-env", natives_set_env},                    // 93
    {"get-env", natives_get_env},                    // 94
    {"list-env", natives_list_env},                  // 95
    {"now", natives_now},                            // 96
    {"sign?", natives_sign},                         // 97
    {"as", natives_as},                              // 98
    {"call", natives_call},                          // 99
    {"zero?", natives_zero},                         // 100
    {"size?", natives_size},                         // 101
    {"browse", natives_browse},                      // 102
    {"compress", natives_compress},                  // 103
    {"decompress", natives_decompress},              // 104
    {"recycle", natives_recycle},                    // 105
    {"transcode", natives_transcode},                // 106
    {"apply", natives_apply},                        // 107
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
    collector_add_root_callback([] { collector_mark_cells(&g_print_buffer, &g_print_buffer + 1); });

    NativeFn list[kNativeCount];
    for (int i = 0; i < kNativeCount; i++)
        list[i] = kNatives[i].code;
    natives_register(kNativeCount, list);
}

const char* native_name(int index) {
    return index >= 1 && index <= kNativeCount ? kNatives[index - 1].name : nullptr;
}

} // namespace xel
