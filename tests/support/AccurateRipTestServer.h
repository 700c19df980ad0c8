// An AccurateRip server for tests: a small threaded HTTP/1.0 server on 127.0.0.1 that answers
// GET requests for entry files from canned bodies, 404 for every other path, and can
// misbehave on request.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "HttpTestServer.h"

class AccurateRipTestServer : public HttpTestServer {
  public:
    enum class Mode {
        normal,
        http500,    // every request gets "500 Internal Server Error"
        silent,     // requests are read and never answered until the server stops
        truncated,  // a canned body is announced whole, half of it sent, and the line closed
    };

    // Listens on an ephemeral port of 127.0.0.1 at once.
    AccurateRipTestServer();
    ~AccurateRipTestServer() override;

    void setMode(Mode mode);
    // The bytes sent for a GET of path (such as "/accuraterip/a/b/c/dBAR-....bin").
    void setAnswer(const std::string& path, std::string body);
    // The paths asked for, in order.
    std::vector<std::string> requests() const;

  private:
    std::optional<std::string> answer(const std::string& head) override;

    mutable std::mutex m_lock;
    Mode m_mode = Mode::normal;
    std::map<std::string, std::string> m_answers;
    std::vector<std::string> m_requests;
};
