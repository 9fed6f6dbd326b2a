#include "services/http/http-transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <strings.h>

namespace xel {

HttpLimits g_http_limits;

namespace {

// Headers libcurl adds of its own accord; each is removed ("Name:") unless
// the caller sends it, so only the headers asked for go out.
constexpr const char* kCurlOwnHeaders[] = {"Accept", "Expect", "Content-Type"};
// Large reads keep a big download from costing a system call per 16 kB.
constexpr long kReceiveBuffer = 512 * 1024;
// Headers that carry credentials, dropped when a redirect changes origin.
constexpr const char* kCredentialHeaders[] = {"Authorization", "Cookie"};

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;
using UrlParts = std::unique_ptr<CURLU, UrlDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;

bool curl_ready() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

bool header_named(const std::string& line, const char* name) {
    size_t n = std::strlen(name);
    return line.size() > n && (line[n] == ':' || line[n] == ';') &&
           strncasecmp(line.data(), name, n) == 0;
}

bool sends_header(const std::vector<std::string>& headers, const char* name) {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const std::string& h) { return header_named(h, name); });
}

// A header line or method that would break the request's framing.
bool clean_text(const std::string& s) {
    return s.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

bool clean_request(const HttpRequest& r) {
    if (r.method.empty() || r.method.find_first_of(" \t") != std::string::npos ||
        !clean_text(r.method))
        return false;
    return std::all_of(r.headers.begin(), r.headers.end(), clean_text);
}

// Scheme, host and port of an absolute url, lower-cased where case does not count.
struct Origin {
    std::string scheme, host, port;
    bool operator==(const Origin&) const = default;
};

bool origin_of(const std::string& url, Origin* out) {
    UrlParts u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
    auto part = [&](CURLUPart which, unsigned flags, std::string* into) {
        char* text = nullptr;
        if (curl_url_get(u.get(), which, &text, flags) != CURLUE_OK) return false;
        *into = text;
        curl_free(text);
        std::transform(into->begin(), into->end(), into->begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return true;
    };
    return part(CURLUPART_SCHEME, 0, &out->scheme) && part(CURLUPART_HOST, 0, &out->host) &&
           part(CURLUPART_PORT, CURLU_DEFAULT_PORT, &out->port);
}

// What the transfer's callbacks fill; they never let an exception out.
struct Sink {
    CURL* easy;
    HttpResponse* response;
    bool may_place;
    bool started = false;
    size_t wanted = 0; // a place is asked for, of this many bytes
    uint8_t* place = nullptr;
    size_t room = 0;
    size_t filled = 0;
};

// A length announced beyond 1 GiB is not reserved on trust.
void reserve_body(std::string* body, curl_off_t length) {
    if (length > 0) body->reserve(static_cast<size_t>(std::min<curl_off_t>(length, 1 << 30)));
}

size_t on_header(char* data, size_t size, size_t count, void* user) noexcept {
    auto* sink = static_cast<Sink*>(user);
    size_t n = size * count;
    try {
        std::string_view line(data, n);
        // Each response (an interim 1xx one included) starts anew.
        if (line.starts_with("HTTP/")) {
            sink->response->headers.clear();
        } else if (line != "\r\n" && line != "\n") {
            sink->response->headers.append(line);
            if (!line.ends_with("\r\n")) {
                if (line.ends_with('\n')) sink->response->headers.pop_back();
                sink->response->headers.append("\r\n");
            }
        }
        return n;
    } catch (...) {
        return 0;
    }
}

size_t on_body(char* data, size_t size, size_t count, void* user) noexcept {
    auto* sink = static_cast<Sink*>(user);
    size_t n = size * count;
    try {
        if (!sink->started) {
            sink->started = true;
            curl_off_t length = -1;
            long status = 0;
            curl_easy_getinfo(sink->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            curl_easy_getinfo(sink->easy, CURLINFO_RESPONSE_CODE, &status);
            if (length > static_cast<curl_off_t>(kHttpMaxBody)) return 0;
            // The transfer stops here while the place is made outside libcurl;
            // these bytes come again once it goes on.
            if (sink->may_place && length > 0 && status >= 200 && status < 300) {
                sink->wanted = static_cast<size_t>(length);
                return CURL_WRITEFUNC_PAUSE;
            }
            reserve_body(&sink->response->body, length);
        }
        if (sink->place) {
            if (n > sink->room - sink->filled) return 0;
            std::memcpy(sink->place + sink->filled, data, n);
            sink->filled += n;
            return n;
        }
        std::string& body = sink->response->body;
        if (n > kHttpMaxBody - body.size()) return 0;
        body.append(data, n);
        return n;
    } catch (...) {
        return 0;
    }
}

// Drives one transfer, making the body's place when it is asked for.
CURLcode run(CURL* h, Sink* sink, const HttpRequest& request) {
    Multi multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), h) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    struct Detach {
        CURLM* m;
        CURL* h;
        ~Detach() { curl_multi_remove_handle(m, h); }
    } detach{multi.get(), h};
    for (int running = 1; running;) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_RECV_ERROR;
        if (sink->wanted) {
            sink->room = sink->wanted;
            sink->wanted = 0;
            sink->place = request.place_body(sink->room);
            if (!sink->place) reserve_body(&sink->response->body, sink->room);
            if (curl_easy_pause(h, CURLPAUSE_CONT) != CURLE_OK) return CURLE_RECV_ERROR;
            continue;
        }
        if (running && curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK)
            return CURLE_RECV_ERROR;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        if (message->msg == CURLMSG_DONE) return message->data.result;
    return CURLE_RECV_ERROR;
}

bool is_redirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct Hop {
    std::string method;
    std::string url;
    std::vector<std::string> headers;
    bool has_body;
};

HeaderList header_list(const std::vector<std::string>& headers) {
    HeaderList list;
    auto add = [&](const char* line) {
        // The head stays the same once the list has one.
        curl_slist* grown = curl_slist_append(list.get(), line);
        if (!grown) return false;
        if (!list) list.reset(grown);
        return true;
    };
    for (const std::string& h : headers)
        if (!add(h.c_str())) return nullptr;
    for (const char* own : kCurlOwnHeaders) {
        if (sends_header(headers, own)) continue;
        std::string removal = std::string(own) + ":";
        if (!add(removal.c_str())) return nullptr;
    }
    return list;
}

// One exchange without following; false when it failed.
bool perform(const Hop& hop, const HttpRequest& request, const HeaderList& headers,
             HttpResponse* response, std::string* location) {
    Easy easy(curl_easy_init());
    if (!easy) return false;
    CURL* h = easy.get();
    Sink sink{h, response, static_cast<bool>(request.place_body)};
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, hop.url.c_str());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_CONNECTTIMEOUT_MS, g_http_limits.connect_ms);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, g_http_limits.idle_seconds);
    set(CURLOPT_HTTPHEADER, headers.get());
    // Credentials in the url answer a server's challenge; the first request
    // goes without them, as a request carries only the headers asked for.
    set(CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    set(CURLOPT_HEADERFUNCTION, on_header);
    set(CURLOPT_HEADERDATA, &sink);
    set(CURLOPT_WRITEFUNCTION, on_body);
    set(CURLOPT_WRITEDATA, &sink);
    set(CURLOPT_BUFFERSIZE, kReceiveBuffer);
    // The trusted certificates are the system's, unless the process names
    // others the way OpenSSL reads them.
    if (const char* file = std::getenv("SSL_CERT_FILE")) set(CURLOPT_CAINFO, file);
    if (const char* dir = std::getenv("SSL_CERT_DIR")) set(CURLOPT_CAPATH, dir);
    if (hop.method == "HEAD") {
        set(CURLOPT_NOBODY, 1L);
    } else if (hop.method == "POST") {
        set(CURLOPT_POST, 1L);
    } else if (hop.method != "GET") {
        set(CURLOPT_CUSTOMREQUEST, hop.method.c_str());
    }
    if (hop.has_body) {
        set(CURLOPT_POSTFIELDS, request.body.data());
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    } else if (hop.method == "POST") {
        set(CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{0});
    }
    if (!ok || run(h, &sink, request) != CURLE_OK) return false;
    if (sink.place) {
        if (sink.filled != sink.room) return false;
        response->placed = true;
    }
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response->status);
    char* next = nullptr;
    curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &next);
    location->assign(next ? next : "");
    return true;
}

bool transfer(const HttpRequest& request, HttpResponse* response) {
    if (!curl_ready() || !clean_request(request)) return false;
    Hop hop{request.method, request.url, request.headers,
            request.has_body && request.method != "GET" && request.method != "HEAD"};
    for (int redirects = 0;; redirects++) {
        HeaderList headers = header_list(hop.headers);
        if (!headers) return false;
        *response = HttpResponse{};
        std::string location;
        if (!perform(hop, request, headers, response, &location)) return false;
        if (!is_redirect(response->status) || location.empty()) return true;
        Origin from, to;
        if (!origin_of(hop.url, &from) || !origin_of(location, &to)) return true;
        bool allowed = to.scheme == "https" || (to.scheme == "http" && from.scheme == "http");
        if (!allowed) return true;
        if (redirects == g_http_limits.max_redirects) return false;
        long s = response->status;
        if ((s == 303 && hop.method != "HEAD") ||
            ((s == 301 || s == 302) && hop.method == "POST")) {
            hop.method = "GET";
            hop.has_body = false;
        }
        if (!(from == to)) {
            std::erase_if(hop.headers, [](const std::string& h) {
                return std::any_of(std::begin(kCredentialHeaders), std::end(kCredentialHeaders),
                                   [&](const char* name) { return header_named(h, name); });
            });
        }
        hop.url = location;
    }
}

} // namespace

bool http_transfer(const HttpRequest& request, HttpResponse* response) {
    try {
        return transfer(request, response);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace xel
