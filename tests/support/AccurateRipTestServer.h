// An AccurateRip server for tests: a small threaded HTTP/1.0 server on 127.0.0.1 that answers
// GET requests for entry files from canned bodies, 404 for every other path, and can
// misbehave on request.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class AccurateRipTestServer {
  public:
    enum class Mode {
        Normal,
        Http500,    // every request gets "500 Internal Server Error"
        Silent,     // requests are read and never answered until the server stops
        Truncated,  // a canned body is announced whole, half of it sent, and the line closed
    };

    // Listens on an ephemeral port of 127.0.0.1 at once.
    AccurateRipTestServer();
    ~AccurateRipTestServer();
    AccurateRipTestServer(const AccurateRipTestServer&) = delete;
    AccurateRipTestServer& operator=(const AccurateRipTestServer&) = delete;

    int port() const { return m_port; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

    void setMode(Mode mode);
    // The bytes sent for a GET of path (such as "/accuraterip/a/b/c/dBAR-....bin").
    void setAnswer(const std::string& path, std::string body);
    // The paths asked for, in order.
    std::vector<std::string> requests() const;

    // Stops listening and ends every connection; the destructor does it too.
    void stop();

  private:
    void acceptLoop();
    void serve(int connection);

    int m_listener = -1;
    int m_wake[2] = {-1, -1};  // readable once the server stops
    int m_port = 0;
    std::atomic<bool> m_stopped{false};
    std::thread m_acceptor;

    mutable std::mutex m_lock;
    std::vector<std::thread> m_connections;
    Mode m_mode = Mode::Normal;
    std::map<std::string, std::string> m_answers;
    std::vector<std::string> m_requests;
};
