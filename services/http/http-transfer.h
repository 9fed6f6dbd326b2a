// One synchronous HTTP or HTTPS exchange over libcurl. It takes and gives
// plain C++ records, and no exception crosses libcurl: its callbacks catch
// their own, and the one call back into the caller (place_body) is made
// between libcurl's steps.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xel {

struct HttpRequest {
    std::string method; // as sent: "GET", "HEAD", "POST", "PUT"...
    std::string url;    // absolute, percent-encoded
    // Header lines as "Name: value" (or "Name;" for an empty value). Only
    // these are sent besides Host and, with a body, Content-Length.
    std::vector<std::string> headers;
    bool has_body = false; // never for GET and HEAD
    std::string body;
    // Where the body of a 2xx answer of announced length goes: called with
    // the length between libcurl's steps (never inside one), it gives the
    // address of that many bytes, which must stay put until the transfer
    // ends, or null to gather the body in the response. What it throws ends
    // the transfer and leaves http_transfer.
    std::function<uint8_t*(size_t)> place_body;
};

struct HttpResponse {
    long status = 0;
    // The final response's header lines, each "Name: value" CR LF, without
    // the status line.
    std::string headers;
    std::string body;
    bool placed = false; // the body went to place_body's bytes instead
};

// The waits of an exchange, by default the ones scripts were written against:
// a connection (name look-up included) must be made within connect_ms, and
// the transfer fails once no byte has moved for idle_seconds. Redirects are
// followed up to max_redirects times. Tests lower them.
struct HttpLimits {
    long connect_ms = 60000;
    long idle_seconds = 30;
    int max_redirects = 10;
};
extern HttpLimits g_http_limits;

// The largest body taken; a longer one fails the request.
constexpr size_t kHttpMaxBody = 0x7FFFFFFF;

// Performs the request, following redirects: 301, 302 and 303 turn a POST
// into a GET without a body (303 any method but HEAD), 307 and 308 repeat the
// request; a redirect from https to http, or to another scheme, is not
// followed and its response is the answer. Credentials (Authorization,
// Cookie) are not carried to another origin. Answers false when the request
// could not be made or its response not read whole (refused, unknown host,
// TLS failure, time-out, cut connection, too many redirects, bad header, a
// body beyond kHttpMaxBody). Only what place_body throws comes out of it.
bool http_transfer(const HttpRequest& request, HttpResponse* response);

} // namespace xel
