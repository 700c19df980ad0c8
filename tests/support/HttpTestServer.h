// The plumbing the tests' web servers share: a small threaded HTTP/1.0 server on 127.0.0.1
// that reads each request's head and sends what the concrete server answers. A server that
// answers nothing keeps the line open and silent until it stops, as a stalled server does.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class HttpTestServer {
  public:
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // A client learns the port from these after the concrete server is made, so they pass
    // through a lock that each connection takes too: the connection threads then see the
    // whole server, which sockets alone do not show thread checkers.
    int port() const {
        std::lock_guard guard(m_published);
        return m_port;
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port()); }

    // Stops listening and ends every connection; idempotent. A concrete server calls it
    // first thing in its destructor, while its answer() still exists for the connections.
    void stop();

  protected:
    // Listens on an ephemeral port of 127.0.0.1 at once.
    HttpTestServer();
    virtual ~HttpTestServer();

    // The bytes to send for a request whose head (request line and headers) is given, or
    // nothing to stay silent. Called on the connection's own thread.
    virtual std::optional<std::string> answer(const std::string& head) = 0;

    // "/path?query" of the request line "GET /path?query HTTP/1.x".
    static std::string target(const std::string& head);
    // The value of a header, its name matched without regard to case; "" when absent.
    static std::string headerValue(const std::string& head, const std::string& name);

  private:
    void acceptLoop();
    void serve(int connection);

    int m_listener = -1;
    int m_wake[2] = {-1, -1};  // readable once the server stops
    int m_port = 0;
    mutable std::mutex m_published;
    std::atomic<bool> m_stopped{false};
    std::thread m_acceptor;
    std::mutex m_connectionsLock;
    std::vector<std::thread> m_connections;
};
