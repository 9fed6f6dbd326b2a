// read and write of http and https urls against servers on 127.0.0.1: what
// goes out (method, headers, body), what comes back (status, headers, body
// shapes, redirects) and how failures end (never a hang).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "boot/boot-load.h"
#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "services/http/http-transfer.h"
#include "tests/support/loopback-http-server.h"

using namespace xel;
using namespace xel::test;

namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

const std::string kDefaultAgent = "Mozilla/5.0 (Windows NT 6.1; Win64; x64)";

void replace_all(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// A port on 127.0.0.1 where nothing listens.
int closed_port() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    close(fd);
    return ntohs(a.sin_port);
}

void reply(Exchange& x, int status, std::vector<std::string> headers, std::string body) {
    x.send(http_reply(status, headers, body));
}

class HttpClient : public ::testing::Test {
  protected:
    static std::unique_ptr<LoopbackHttpServer> plain, secure;

    static void SetUpTestSuite() {
        for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                              "ALL_PROXY", "SSL_CERT_DIR"})
            unsetenv(v);
        plain = std::make_unique<LoopbackHttpServer>(false);
        secure = std::make_unique<LoopbackHttpServer>(true);
        setenv("SSL_CERT_FILE", LoopbackHttpServer::certificate_file().c_str(), 1);
        for (LoopbackHttpServer* s : {plain.get(), secure.get()})
            routes(s);
    }
    static void TearDownTestSuite() {
        plain.reset();
        secure.reset();
        unsetenv("SSL_CERT_FILE");
        g_http_limits = HttpLimits{};
    }

    static void routes(LoopbackHttpServer* s) {
        s->route("/text", [](const RecordedRequest&, Exchange& x) {
            reply(x, 200, {"Content-Type: text/plain"}, "caf\xC3\xA9\r\nline2\rline3");
        });
        s->route("/bytes", [](const RecordedRequest&, Exchange& x) {
            reply(x, 200, {}, std::string("\x00\xFF\r\nA", 5));
        });
        s->route("/lines",
                 [](const RecordedRequest&, Exchange& x) { reply(x, 200, {}, "a\r\nb\n\nc\n"); });
        s->route("/cookies", [](const RecordedRequest&, Exchange& x) {
            reply(x, 200, {"Set-Cookie: a=1", "X-Spaced:   v", "set-cookie: b=2"}, "ok");
        });
        s->route("/echo", [](const RecordedRequest& r, Exchange& x) {
            reply(x, 200, {}, r.method + " " + r.body);
        });
        s->route("/missing",
                 [](const RecordedRequest&, Exchange& x) { reply(x, 404, {}, "no such page"); });
        s->route("/broken",
                 [](const RecordedRequest&, Exchange& x) { reply(x, 500, {}, "server failed"); });
        for (int code : {301, 302, 303, 307, 308}) {
            s->route("/" + std::to_string(code), [code](const RecordedRequest&, Exchange& x) {
                reply(x, code, {"Location: echo"}, "moved");
            });
        }
        s->route("/loop", [](const RecordedRequest&, Exchange& x) {
            reply(x, 302, {"Location: /loop"}, "");
        });
        s->route("/chunked", [](const RecordedRequest&, Exchange& x) {
            x.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
            for (const char* part :
                 {"5\r\nhello\r\n", "1\r\n \r\n", "5\r\nworld\r\n", "0\r\n\r\n"}) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                x.send(part);
            }
        });
        s->route("/slow", [](const RecordedRequest&, Exchange& x) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            reply(x, 200, {}, "late");
        });
        s->route("/never", [](const RecordedRequest&, Exchange& x) { x.hold(); });
        s->route("/cut", [](const RecordedRequest&, Exchange& x) {
            x.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly ten b");
        });
        s->route("/cut-chunked", [](const RecordedRequest&, Exchange& x) {
            x.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n");
        });
        s->route("/auth", [](const RecordedRequest& r, Exchange& x) {
            for (const auto& [name, value] : r.headers)
                if (name == "Authorization") return reply(x, 200, {}, value);
            reply(x, 401, {"WWW-Authenticate: Basic realm=\"r\""}, "who?");
        });
        s->route("/large", [](const RecordedRequest&, Exchange& x) {
            std::string body(3 << 20, '\0');
            for (size_t i = 0; i < body.size(); i++)
                body[i] = static_cast<char>(i % 251);
            reply(x, 200, {}, body);
        });
        s->route("/script", [](const RecordedRequest&, Exchange& x) {
            reply(x, 200, {},
                  "#!/bin/sh\nXel [Title: \"remote\"] reduce [system/script/header/title "
                  "system/script/path 1 + 2]");
        });
        s->route("/sum", [](const RecordedRequest&, Exchange& x) {
            reply(x, 200, {}, "#!/bin/sh\nXel [] 40 + 2");
        });
        s->route("/count", [](const RecordedRequest&, Exchange& x) {
            static int served = 0;
            reply(x, 200, {}, std::to_string(++served));
        });
        s->route("/latin1",
                 [](const RecordedRequest&, Exchange& x) { reply(x, 200, {}, "caf\xE9"); });
    }

    void SetUp() override {
        fresh_runtime();
        boot_run_top_level();
        stack_mark_try(g_word_try);
        // A server that never answers ends the request within a second, not 30.
        g_http_limits = HttpLimits{};
        g_http_limits.idle_seconds = 1;
        g_http_limits.connect_ms = 3000;
        plain->clear_requests();
        secure->clear_requests();
    }

    // Evaluates code with {http} and {https} naming the servers; the mold of
    // its value or the error's message.
    std::string eval(std::string code) {
        replace_all(code, "{http}", plain->base());
        replace_all(code, "{https}", secure->base());
        std::string result;
        Cell error = error_of([&] {
            Cell source = *string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                       static_cast<uint32_t>(code.size()), 0);
            Cell block;
            lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr,
                              nullptr);
            Cell* base = stack_mark_eval(g_word_body_marker);
            if (interp_eval_block(&block, true).exit_pending()) exit_take();
            Cell value = *base;
            Cell out;
            string_make_at(&out, 64);
            actions_mold_typed(&value, &out, false, false, false, nullptr, INT_MAX, 0);
            result = utf8(out);
        });
        if (type_of(&error) == T_ERROR) return error_message(error);
        return result;
    }

    std::string sub(std::string text) {
        replace_all(text, "{http}", plain->base());
        replace_all(text, "{https}", secure->base());
        return text;
    }

    struct Case {
        const char* code;
        const char* result;
    };
    void check(std::initializer_list<Case> cases) {
        for (const Case& c : cases)
            EXPECT_EQ(eval(c.code), sub(c.result)) << c.code;
    }
};

std::unique_ptr<LoopbackHttpServer> HttpClient::plain;
std::unique_ptr<LoopbackHttpServer> HttpClient::secure;

TEST_F(HttpClient, BodyShapes) {
    check({
        {R"(read {http}/text)", R"("café^/line2^/line3")"},
        {R"(read/binary {http}/bytes)", "#{00FF0D0A41}"},
        {R"(read/lines {http}/lines)", R"(["a" "b" "" "c"])"},
        {R"(read/lines/binary {http}/lines)", "#{610D0A620A0A630A}"},
        {R"(read {http}/chunked)", R"("hello world")"},
        {R"(read/binary {http}/chunked)", "#{68656C6C6F20776F726C64}"},
        {R"(b: read/binary {http}/large length? b)", "3145728"},
        {R"(reduce [copy/part b 2 copy/part skip b 1000000 3 pick b 3145728])",
         "[#{0001} #{101112} 195]"},
        {R"(read {http}/slow)", R"("late")"},
        {R"(read {https}/text)", R"("café^/line2^/line3")"},
        {R"(read/binary {http}/latin1)", "#{636166E9}"},
    });
}

// Scripts run from a url, and remote files through the disk cache: a cached
// copy answers until an update fetches the url again.
TEST_F(HttpClient, RemoteScriptsAndTheDiskCache) {
    check({
        {R"(do {http}/script)", R"(["remote" none 3])"},
        {R"(do {http}/missing)", "script is missing a Xel header: {http}/missing"},
        {R"(tmp: copy "" call/wait/output "mktemp -d" tmp take/last tmp
            system/options/cache: dirize to file! tmp system/options/thru-cache: none
            reduce [exists-thru? {http}/count read-thru {http}/count exists-thru? {http}/count])",
         R"([false "1" true])"},
        {R"(read-thru {http}/count)", R"("1")"},
        {R"(read-thru/update {http}/count)", R"("2")"},
        {R"(read-thru/binary {http}/count)", "#{32}"},
        {R"(load-thru {http}/count)", "2"},
        {R"(do-thru {http}/sum)", "42"},
        {R"(do-thru/update {http}/sum)", "42"},
        {R"(call/wait rejoin ["rm -rf '" tmp "'"])", "0"},
    });
}

TEST_F(HttpClient, InfoGivesStatusHeadersAndBody) {
    check({
        {R"(r: read/info {http}/cookies length? r)", "3"},
        {R"(r/1)", "200"},
        {R"(type? r/2)", "map!"},
        {R"(select r/2 'Set-Cookie)", R"(["a=1" "b=2"])"},
        {R"(select r/2 'X-Spaced)", R"("v")"},
        {R"(select r/2 'Content-Length)", R"("2")"},
        {R"(r/3)", R"("ok")"},
        {R"(r: read/info/binary {http}/missing reduce [r/1 r/3])",
         "[404 #{6E6F20737563682070616765}]"},
        {R"(r: read/info/lines {http}/lines r/3)", R"(["a" "b" "" "c"])"},
        // A 4xx or 5xx answer is an answer: its body comes back.
        {R"(read {http}/broken)", R"("server failed")"},
        {R"(read {http}/no-route)", R"("")"},
    });
}

TEST_F(HttpClient, ReadSendsExactlyTheDefaultHeaders) {
    ASSERT_EQ(eval("read {http}/text"), R"("café^/line2^/line3")");
    auto seen = plain->requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, "/text");
    EXPECT_EQ(seen[0].headers, (Headers{{"Host", "127.0.0.1:" + std::to_string(plain->port())},
                                        {"Content-Type", "application/x-www-form-urlencoded"},
                                        {"Accept-Charset", "UTF-8"},
                                        {"User-Agent", kDefaultAgent}}));
    EXPECT_EQ(seen[0].body, "");
}

TEST_F(HttpClient, WriteSendsTheMethodHeadersAndBody) {
    struct Sent {
        const char* code;
        const char* result;
        const char* method;
        Headers headers; // besides Host
        std::string body;
    };
    Headers defaults{{"Content-Type", "application/x-www-form-urlencoded"},
                     {"Accept-Charset", "UTF-8"},
                     {"User-Agent", kDefaultAgent}};
    auto with = [](Headers h, Headers more) {
        h.insert(h.end(), more.begin(), more.end());
        return h;
    };
    const Sent cases[] = {
        {R"(write {http}/echo "x=1")", R"("POST x=1")", "POST",
         with(defaults, {{"Content-Length", "3"}}), "x=1"},
        {R"(write {http}/echo [post [] {x}])",
         R"("POST x")",
         "POST",
         {{"Content-Length", "1"}},
         "x"},
        {R"(write {http}/echo [post [X-Token: "abc" Content-Type "text/plain" Count 3 <t> 'a] "é"])",
         R"("POST é")",
         "POST",
         {{"X-Token", "abc"},
          {"Content-Type", "text/plain"},
          {"Count", "3"},
          {"<t>", "'a"},
          {"Content-Length", "2"}},
         "\xC3\xA9"},
        {R"(write/binary {http}/echo [put [X-Empty ""] #{00FF}])",
         "#{5055542000FF}",
         "PUT",
         {{"X-Empty", ""}, {"Content-Length", "2"}},
         std::string("\x00\xFF", 2)},
        {R"(write {http}/echo [delete])", R"("DELETE ")", "DELETE", defaults, ""},
        {R"(write {http}/echo [get [] "no body for get"])", R"("GET ")", "GET", {}, ""},
        {R"(write {http}/echo [])", R"("GET ")", "GET", defaults, ""},
        {R"(write {http}/echo [head])", R"("")", "HEAD", defaults, ""},
        {R"(write/binary {http}/echo [Patch [] "p"])",
         "#{50415443482070}",
         "PATCH",
         {{"Content-Length", "1"}},
         "p"},
    };
    for (const Sent& c : cases) {
        plain->clear_requests();
        EXPECT_EQ(eval(c.code), sub(c.result)) << c.code;
        auto seen = plain->requests();
        ASSERT_EQ(seen.size(), 1u) << c.code;
        EXPECT_EQ(seen[0].method, c.method) << c.code;
        EXPECT_EQ(seen[0].headers,
                  with({{"Host", "127.0.0.1:" + std::to_string(plain->port())}}, c.headers))
            << c.code;
        EXPECT_EQ(seen[0].body, c.body) << c.code;
    }
}

TEST_F(HttpClient, RefinementsAndDataThatAreRefused) {
    check({
        {"write {http}/echo 1", "invalid argument: 1"},
        {R"(write {http}/echo ["post"])", R"(invalid argument: "post")"},
        {R"(write {http}/echo [post "x"])", R"(invalid argument: "x")"},
        {R"(write {http}/echo [post [] 3])", "invalid argument: 3"},
        {"read/part {http}/text 2", "reserved for future use (or not yet implemented)"},
        {"read/seek {http}/text 2", "reserved for future use (or not yet implemented)"},
        {"read/as {http}/text 'utf-8", "reserved for future use (or not yet implemented)"},
        {R"(write/seek {http}/echo "x" 2)", "reserved for future use (or not yet implemented)"},
        {R"(write/allow {http}/echo "x" [])", "reserved for future use (or not yet implemented)"},
        {R"(write/as {http}/echo "x" 'utf-8)", "reserved for future use (or not yet implemented)"},
        {"read ftp://127.0.0.1/x", "reserved for future use (or not yet implemented)"},
    });
    EXPECT_TRUE(plain->requests().empty());
}

TEST_F(HttpClient, RedirectsAreFollowedAsABrowserDoes) {
    struct Hop {
        const char* code;
        const char* result;
        std::vector<std::string> methods;
    };
    const Hop cases[] = {
        {"read {http}/302", R"("GET ")", {"GET", "GET"}},
        {R"(write {http}/301 "b")", R"("GET ")", {"POST", "GET"}},
        {R"(write {http}/302 "b")", R"("GET ")", {"POST", "GET"}},
        {R"(write {http}/303 [put [] "b"])", R"("GET ")", {"PUT", "GET"}},
        {R"(write {http}/307 "b")", R"("POST b")", {"POST", "POST"}},
        {R"(write {http}/308 [put [] "b"])", R"("PUT b")", {"PUT", "PUT"}},
    };
    for (const Hop& c : cases) {
        plain->clear_requests();
        EXPECT_EQ(eval(c.code), c.result) << c.code;
        std::vector<std::string> methods;
        for (const RecordedRequest& r : plain->requests())
            methods.push_back(r.method);
        EXPECT_EQ(methods, c.methods) << c.code;
    }
    plain->clear_requests();
    EXPECT_EQ(eval("read {http}/loop"), sub("cannot connect: {http}/loop reason: timeout"));
    EXPECT_EQ(plain->requests().size(), 11u);
}

TEST_F(HttpClient, RedirectsAcrossOrigins) {
    secure->route("/down", [](const RecordedRequest&, Exchange& x) {
        reply(x, 302, {"Location: " + plain->base() + "/echo"}, "");
    });
    plain->route("/up", [](const RecordedRequest&, Exchange& x) {
        reply(x, 302, {"Location: " + secure->base() + "/echo"}, "");
    });
    // From https to http the redirect itself is the answer.
    EXPECT_EQ(eval("r: read/info {https}/down r/1"), "302");
    EXPECT_TRUE(plain->requests().empty());
    // From http to https it is followed, without the credentials.
    EXPECT_EQ(eval(R"(write {http}/up [get [Authorization "secret" Cookie "c=1" X-Keep "k"]])"),
              R"("GET ")");
    auto seen = secure->requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].headers,
              (Headers{{"Host", "127.0.0.1:" + std::to_string(secure->port())}, {"X-Keep", "k"}}));
}

TEST_F(HttpClient, FailuresRaiseNoConnectWithTheUrl) {
    std::string refused = "http://127.0.0.1:" + std::to_string(closed_port()) + "/x";
    const std::string failures[] = {
        refused,
        "http://no-such-host.invalid/x",
        "{http}/cut",
        "{http}/cut-chunked",
        "https://127.0.0.1:" + std::to_string(plain->port()) + "/text",
    };
    for (const std::string& url : failures) {
        for (const char* read : {"read ", "read/binary "})
            EXPECT_EQ(eval(read + url), sub("cannot connect: " + url + " reason: timeout"))
                << read << url;
    }
    // A header that would split the request is never sent.
    EXPECT_EQ(eval(R"(write {http}/echo [get [X-A "a^/Evil: 1"]])"),
              sub("cannot connect: {http}/echo reason: timeout"));
    // Text that is not UTF-8 is refused, as a file's would be.
    EXPECT_EQ(eval("read {http}/latin1"), "invalid UTF-8 encoding: #{E9}");
}

TEST_F(HttpClient, UntrustedCertificateFails) {
    unsetenv("SSL_CERT_FILE");
    EXPECT_EQ(eval("read {https}/text"), sub("cannot connect: {https}/text reason: timeout"));
    setenv("SSL_CERT_FILE", LoopbackHttpServer::certificate_file().c_str(), 1);
}

TEST_F(HttpClient, ServerThatNeverAnswersTimesOut) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(eval("read {http}/never"), sub("cannot connect: {http}/never reason: timeout"));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(10));
}

TEST_F(HttpClient, CredentialsInTheUrlAnswerAChallenge) {
    std::string url = "http://u:p@127.0.0.1:" + std::to_string(plain->port()) + "/auth";
    EXPECT_EQ(eval("read " + url), R"("Basic dTpw")");
    auto seen = plain->requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].headers.size(), 4u);
    EXPECT_EQ(seen[1].headers.size(), 5u);
}

TEST_F(HttpClient, AnswersSurviveACollectionAtEveryAllocation) {
    const char* code = "reduce [read/info {http}/cookies read/lines {http}/lines read {http}/text "
                       "read/binary {http}/bytes read/binary/info {http}/text]";
    std::string plain_result = eval(code);
    uint32_t collections = g_collection_count;
    g_collector_enabled = true;
    g_collector_torture = true;
    std::string collected = eval(code);
    g_collector_torture = false;
    g_collector_enabled = false;
    EXPECT_GT(g_collection_count, collections);
    EXPECT_EQ(collected, plain_result);
}

TEST_F(HttpClient, UrlGoesOutPercentEncoded) {
    EXPECT_EQ(eval(R"(read to url! "{http}/a b/é?q=1")"), R"("")");
    auto seen = plain->requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].target, "/a%20b/%C3%A9?q=1");
}

} // namespace
