// One synchronous HTTP or HTTPS exchange over libcurl. Nothing of the
// language crosses this layer: it takes and gives plain C++ records, and no
// exception leaves it (libcurl's callbacks catch their own).
#pragma once
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
};

struct HttpResponse {
    long status = 0;
    // The final response's header lines, each "Name: value" CR LF, without
    // the status line.
    std::string headers;
    std::string body;
};

// The waits of an exchange, as a Windows request object has them by default:
// a connection (name look-up included) must be made within connect_ms, and
// the transfer fails once no byte has moved for idle_seconds. Redirects are
// followed up to max_redirects times. Tests lower them.
struct HttpLimits {
    long connect_ms = 60000;
    long idle_seconds = 30;
    int max_redirects = 10;
};
extern HttpLimits g_http_limits;

// Performs the request, following redirects: 301, 302 and 303 turn a POST
// into a GET without a body (303 any method but HEAD), 307 and 308 repeat the
// request; a redirect from https to http, or to another scheme, is not
// followed and its response is the answer. Credentials (Authorization,
// Cookie) are not carried to another origin. Answers false when the request
// could not be made or its response not read whole (refused, unknown host,
// TLS failure, time-out, cut connection, too many redirects, bad header).
bool http_transfer(const HttpRequest& request, HttpResponse* response) noexcept;

} // namespace xel
