#include "tests/support/loopback-http-server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace xel::test {

namespace {

constexpr int kPollMs = 50;
constexpr size_t kMaxHead = 64 * 1024;

struct Tls {
    SSL_CTX* context = nullptr;
    std::string certificate_file;
};

// One key and self-signed certificate (for IP 127.0.0.1 and localhost) per process.
const Tls& tls() {
    static std::once_flag once;
    static Tls made;
    std::call_once(once, [] {
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* cert = X509_new();
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 7 * 86400);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX v3;
        X509V3_set_ctx_nodb(&v3);
        X509V3_set_ctx(&v3, cert, cert, nullptr, nullptr, 0);
        X509_EXTENSION* san =
            X509V3_EXT_conf_nid(nullptr, &v3, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
        X509_add_ext(cert, san, -1);
        X509_EXTENSION_free(san);
        X509_sign(cert, key, EVP_sha256());

        char path[] = "/tmp/xel-test-cert-XXXXXX";
        int fd = mkstemp(path);
        if (fd < 0) throw std::runtime_error("cannot make the certificate file");
        FILE* f = fdopen(fd, "w");
        PEM_write_X509(f, cert);
        std::fclose(f);
        made.certificate_file = path;
        std::atexit([] { unlink(tls().certificate_file.c_str()); });

        made.context = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(made.context, cert);
        SSL_CTX_use_PrivateKey(made.context, key);
        X509_free(cert);
        EVP_PKEY_free(key);
    });
    return made;
}

class Connection : public Exchange {
  public:
    Connection(int fd, SSL* ssl, const std::atomic<bool>& stopping)
        : fd_(fd), ssl_(ssl), stopping_(stopping) {}

    // Waits for input; false when the server stops first.
    bool readable() {
        pollfd p{fd_, POLLIN, 0};
        while (!stopping_) {
            if ((ssl_ && SSL_pending(ssl_) > 0) || poll(&p, 1, kPollMs) > 0) return true;
        }
        return false;
    }

    // Bytes read, 0 at the end or on an error.
    size_t read_some(char* into, size_t room) {
        if (!readable()) return 0;
        if (ssl_) {
            int n = SSL_read(ssl_, into, static_cast<int>(room));
            return n > 0 ? static_cast<size_t>(n) : 0;
        }
        ssize_t n = recv(fd_, into, room, 0);
        return n > 0 ? static_cast<size_t>(n) : 0;
    }

    bool send(std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t n = ssl_ ? SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()))
                             : ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    void hold() override {
        char scratch[256];
        while (read_some(scratch, sizeof scratch) > 0) {
        }
    }

  private:
    int fd_;
    SSL* ssl_;
    const std::atomic<bool>& stopping_;
};

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Reads one request; false for anything that is not HTTP.
bool read_request(Connection& c, RecordedRequest* r) {
    std::string data;
    char chunk[16384];
    size_t head_end;
    while ((head_end = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > kMaxHead) return false;
        size_t n = c.read_some(chunk, sizeof chunk);
        if (n == 0) return false;
        data.append(chunk, n);
        if (data[0] < 'A' || data[0] > 'Z') return false;
    }
    std::string head = data.substr(0, head_end);
    data.erase(0, head_end + 4);
    size_t line_end = head.find("\r\n");
    std::string request_line = head.substr(0, line_end);
    size_t s1 = request_line.find(' ');
    size_t s2 = request_line.find(' ', s1 + 1);
    if (s1 == std::string::npos || s2 == std::string::npos) return false;
    r->method = request_line.substr(0, s1);
    r->target = request_line.substr(s1 + 1, s2 - s1 - 1);
    size_t length = 0;
    for (size_t at = line_end; at != std::string::npos && at < head.size();) {
        size_t start = at + 2;
        size_t end = head.find("\r\n", start);
        std::string line = head.substr(start, end == std::string::npos ? end : end - start);
        at = end;
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        r->headers.emplace_back(line.substr(0, colon), value);
        if (lower(line.substr(0, colon)) == "content-length") length = std::stoul(value);
    }
    while (data.size() < length) {
        size_t n = c.read_some(chunk, sizeof chunk);
        if (n == 0) return false;
        data.append(chunk, n);
    }
    r->body = data.substr(0, length);
    return true;
}

} // namespace

std::string http_reply(int status, const std::vector<std::string>& headers, std::string_view body) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " Status\r\n";
    for (const std::string& h : headers)
        out += h + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out += body;
    return out;
}

LoopbackHttpServer::LoopbackHttpServer(bool tls_on) : tls_(tls_on) {
    if (tls_) tls();
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener_, 64) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { accept_loop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    acceptor_.join();
    close(listener_);
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : open_fds_)
            shutdown(fd, SHUT_RDWR);
        workers.swap(workers_);
    }
    for (std::thread& t : workers)
        t.join();
}

std::string LoopbackHttpServer::base() const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

void LoopbackHttpServer::route(const std::string& path, Handler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = std::move(handler);
}

std::vector<RecordedRequest> LoopbackHttpServer::requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::clear_requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

std::string LoopbackHttpServer::certificate_file() {
    return tls().certificate_file;
}

void LoopbackHttpServer::accept_loop() {
    pollfd p{listener_, POLLIN, 0};
    while (!stopping_) {
        if (poll(&p, 1, kPollMs) <= 0) continue;
        int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        open_fds_.push_back(fd);
        workers_.emplace_back([this, fd] { serve(fd); });
    }
}

void LoopbackHttpServer::serve(int fd) {
    // A TLS write to a peer that left must not end the whole test program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    SSL* ssl = nullptr;
    bool ready = true;
    if (tls_) {
        ssl = SSL_new(tls().context);
        SSL_set_fd(ssl, fd);
        ready = SSL_accept(ssl) == 1;
    }
    Connection connection(fd, ssl, stopping_);
    RecordedRequest request;
    if (ready && read_request(connection, &request)) {
        Handler handler;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
            std::string path = request.target.substr(0, request.target.find('?'));
            auto found = routes_.find(path);
            if (found != routes_.end()) handler = found->second;
        }
        if (handler)
            handler(request, connection);
        else
            connection.send(http_reply(404, {}, ""));
    }
    if (ssl) {
        SSL_shutdown(ssl);
        SSL_free(ssl);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase(open_fds_, fd);
    close(fd);
}

} // namespace xel::test
