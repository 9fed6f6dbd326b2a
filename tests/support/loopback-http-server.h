// A small HTTP/1.1 server on 127.0.0.1 for the tests and benchmarks of the
// HTTP client: plain or TLS (with a self-signed certificate made at start),
// one thread per connection, one request per connection. It records every
// request as it came and answers through handlers registered by path.
#pragma once
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace xel::test {

struct RecordedRequest {
    std::string method;
    std::string target;                                       // path and query as sent
    std::vector<std::pair<std::string, std::string>> headers; // in order, as sent
    std::string body;
};

// What a handler writes to and waits on.
class Exchange {
  public:
    virtual ~Exchange() = default;
    // Sends bytes as they are; false once the peer is gone.
    virtual bool send(std::string_view bytes) = 0;
    // Waits until the peer closes or the server stops.
    virtual void hold() = 0;
};

using Handler = std::function<void(const RecordedRequest&, Exchange&)>;

// A whole response: status line, the headers given, Content-Length, body.
std::string http_reply(int status, const std::vector<std::string>& headers, std::string_view body);

class LoopbackHttpServer {
  public:
    explicit LoopbackHttpServer(bool tls);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:port" or "https://127.0.0.1:port".
    std::string base() const;
    // Requests whose path (the target without its query) is path; a path
    // without a handler gets 404 with an empty body.
    void route(const std::string& path, Handler handler);
    std::vector<RecordedRequest> requests();
    void clear_requests();

    // PEM file of the certificate every TLS server here presents.
    static std::string certificate_file();

  private:
    void accept_loop();
    void serve(int fd);

    bool tls_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::map<std::string, Handler> routes_;
    std::vector<RecordedRequest> requests_;
    std::vector<std::thread> workers_;
    std::vector<int> open_fds_;
};

} // namespace xel::test
