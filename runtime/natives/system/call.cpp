// call: an external command run through the shell, its standard streams
// redirected from and to values or files.
#include <cstring>

#include "platform/os/process.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/memory/series-memory.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"

namespace xel {

namespace {

// The refinements of call, in spec order.
enum CallRef : int { kWait, kShow, kConsole, kShell, kInput, kOutput, kError };

// The bytes of a binary! from its position.
std::string binary_bytes(const Cell* binary) {
    const SeriesBuf* buf = series_buffer(binary);
    auto index = static_cast<uint32_t>(series_index(binary));
    if (index > buf->used()) index = buf->used();
    return std::string(reinterpret_cast<const char*>(at(buf->head + index)), buf->used() - index);
}

// A redirection: a file! names a file; a string (as UTF-8) or binary! is
// data, sent as input or receiving the captured output.
ProcessStream stream_of(const Cell* value, bool input) {
    ProcessStream s;
    if (!value) return s;
    if (type_of(value) == T_FILE) {
        s.kind = StreamKind::File;
        s.path = natives_local_path(value, false);
        return s;
    }
    s.kind = StreamKind::Data;
    if (input) s.data = type_of(value) == T_BINARY ? binary_bytes(value) : string_utf8_text(value);
    return s;
}

// Appends captured bytes to the target: as they are to a binary!, decoded
// from UTF-8 (CR LF read as LF) to a string.
void append_captured(Cell* target, const std::string& bytes) {
    if (bytes.empty() || type_of(target) == T_FILE) return;
    auto n = static_cast<uint32_t>(bytes.size());
    if (type_of(target) == T_BINARY) {
        std::memcpy(series_reserve_tail(series_buffer(target), n), bytes.data(), n);
        return;
    }
    Cell* text = stack_push_cell();
    set_unset(text);
    Offset node =
        string_load_utf8(reinterpret_cast<const uint8_t*>(bytes.data()), n, nullptr, nullptr, true);
    series_set_cell(text, T_STRING, node, 0);
    string_concatenate(target, text, -1, 0, false, kConcatAppend);
    stack_pop(1);
}

} // namespace

// /show has no meaning without windows, and every command goes through the
// shell, so /shell changes nothing either.
uint32_t natives_call(int, const int32_t* refs) {
    Cell* result = stack_arguments();
    ProcessRequest request;
    request.command =
        type_of(result) == T_FILE ? natives_local_path(result, false) : string_utf8_text(result);
    if (request.command.empty()) {
        set_integer(result, 0);
        return 0;
    }
    request.wait = ref_present(refs[kWait]);
    request.console = ref_present(refs[kConsole]);
    request.input = stream_of(ref_arg(refs[kInput]), true);
    request.output = stream_of(ref_arg(refs[kOutput]), false);
    request.error = stream_of(ref_arg(refs[kError]), false);

    int code = os_run_process(request);
    if (Cell* out = ref_arg(refs[kOutput])) append_captured(out, request.output.data);
    if (Cell* err = ref_arg(refs[kError])) append_captured(err, request.error.data);
    set_integer(result, code);
    return 0;
}

} // namespace xel
