// checksum, compress and decompress: the natives over the checksum and
// compression services. Their data is bytes: a binary! from its position, a
// string! as UTF-8, and for checksum a file! read whole.
#include <climits>
#include <cstring>
#include <string>

#include "platform/os/read-file.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/series/series-natives.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/symbols/fixed-words.h"
#include "services/checksum/checksum.h"
#include "services/compression/compression.h"

namespace xel {

namespace {

// The bytes of a data argument. A binary! is read in place, so its address
// is taken again after every allocation; a file! is read whole when asked
// (checksum), and any other string is copied into text as UTF-8.
struct DataBytes {
    const Cell* binary = nullptr;
    std::string text;

    DataBytes(const Cell* data, bool read_file) {
        uint8_t type = type_of(data);
        if (type == T_BINARY) {
            binary = data;
        } else if (type == T_FILE && read_file) {
            if (!os_read_file(natives_local_path(data, false).c_str(), text))
                error_fire(kCatAccess, err::access::kCannotOpen, data);
        } else if (is_string_kind(type)) {
            text = string_utf8_text(data);
        } else {
            error_fire(kCatScript, err::script::kInvalidArg, data);
        }
    }
    const uint8_t* bytes() const {
        return binary ? binary_xs_head(binary) : reinterpret_cast<const uint8_t*>(text.data());
    }
    uint32_t size() const {
        return binary ? binary_xs_length(binary) : static_cast<uint32_t>(text.size());
    }
};

// A new binary! with the bytes, as the result.
void result_bytes(const uint8_t* bytes, uint32_t n) {
    Cell* result = stack_arguments();
    binary_make_at(result, n);
    SeriesBuf* buf = series_buffer(result);
    if (n) std::memcpy(at(buf->head), bytes, n);
    buf->tail = buf->head + n;
}

// The hash method's stand-in: its message, printed as print would.
void hash_stub() {
    static const char kMessage[] = "** /hash support not yet implemented; algorithm TBD.";
    Cell* text = stack_push_cell();
    string_load_at(reinterpret_cast<const uint8_t*>(kMessage), sizeof kMessage - 1, text,
                   kEncodingUtf8);
    printhooks_call_value_hooks(text, 1);
}

using Codec = int (*)(uint8_t*, int32_t*, const uint8_t*, int32_t);

// Runs a compressor or decompressor into a new binary! of size bytes, and
// once more at the size it asks for when that did not fit; the binary is
// the result. Any other failure raises script invalid-data with the method.
void run_codec(Codec codec, const DataBytes& data, int32_t size, const Cell* method) {
    Cell* out = stack_push_cell();
    int status = kCompressNoRoom;
    for (int attempt = 0; attempt < 2 && status == kCompressNoRoom; attempt++) {
        binary_make_at(out, static_cast<uint32_t>(size));
        // The allocation may have moved the input's buffer.
        status = codec(binary_xs_head(out), &size, data.bytes(), static_cast<int32_t>(data.size()));
    }
    if (status != kCompressOk) error_fire(kCatScript, err::script::kInvalidData, method);
    SeriesBuf* buf = series_buffer(out);
    buf->tail = buf->head + static_cast<uint32_t>(size);
    stack_set_last(out);
    stack_keep();
}

int codec_method(const Cell* word) {
    int method = compress_method_of(word_symbol(word));
    if (method < 0) error_fire(kCatScript, err::script::kInvalidArg, word);
    return method;
}

} // namespace

uint32_t natives_checksum(int, const int32_t* refs) {
    const Cell* method_word = call_arg(1);
    const Cell* with = ref_arg(refs[0]);
    DataBytes data(call_arg(0), true);
    int method = checksum_method_of(word_symbol(method_word));
    if (method < 0) error_fire(kCatScript, err::script::kInvalidArg, method_word);
    bool sum = method == kChecksumCrc32 || method == kChecksumTcp || method == kChecksumAdler32;
    if (with && sum)
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_with, method_word);

    Cell* result = stack_arguments();
    if (sum) {
        uint32_t v = method == kChecksumCrc32 ? checksum_crc32(data.bytes(), data.size())
                     : method == kChecksumTcp ? checksum_tcp(data.bytes(), data.size())
                                              : checksum_adler32(data.bytes(), data.size());
        set_integer(result, static_cast<int32_t>(v));
        return 0;
    }
    if (with && type_of(with) == T_INTEGER) {
        hash_stub();
        set_integer(result, 0);
        stack_keep();
        return 0;
    }
    if (method == kChecksumHash)
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_with, method_word);
    uint8_t digest[kDigestMax];
    if (with) {
        std::string key_text;
        const uint8_t* key;
        size_t key_length;
        if (type_of(with) == T_BINARY) {
            key = binary_xs_head(with);
            key_length = binary_xs_length(with);
        } else if (is_string_kind(type_of(with))) {
            key_text = string_utf8_text(with);
            key = reinterpret_cast<const uint8_t*>(key_text.data());
            key_length = key_text.size();
        } else {
            error_fire(kCatScript, err::script::kInvalidArg, with);
        }
        checksum_hmac(method, data.bytes(), data.size(), key, key_length, digest);
    } else {
        checksum_digest(method, data.bytes(), data.size(), digest);
    }
    result_bytes(digest, static_cast<uint32_t>(checksum_digest_size(method)));
    return 0;
}

uint32_t natives_compress(int, const int32_t*) {
    const Cell* method_word = call_arg(1);
    int method = codec_method(method_word);
    DataBytes data(call_arg(0), false);
    Codec codec = method == kMethodZlib      ? compress_zlib_deflate
                  : method == kMethodDeflate ? compress_deflate
                                             : compress_gzip;
    // Room for text that does not shrink: 9 bits for a byte, and the wrapper.
    uint64_t estimate = data.size() + data.size() / 8 + 32;
    run_codec(codec, data, estimate > INT32_MAX ? INT32_MAX : static_cast<int32_t>(estimate),
              method_word);
    return 0;
}

uint32_t natives_decompress(int, const int32_t* refs) {
    const Cell* method_word = call_arg(1);
    int method = codec_method(method_word);
    int32_t size = 0;
    if (const Cell* given = ref_arg(refs[0])) {
        size = integer_get(given);
        if (size < 0) error_fire(kCatScript, err::script::kInvalidArg, given);
    }
    DataBytes data(call_arg(0), false);
    Codec codec = method == kMethodZlib      ? compress_zlib_inflate
                  : method == kMethodDeflate ? compress_inflate
                                             : compress_gunzip;
    run_codec(codec, data, size, method_word);
    return 0;
}

} // namespace xel
