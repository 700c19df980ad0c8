#include "AccurateRipTestServer.h"

#include <stdexcept>

namespace {

std::string head(const char* status, std::size_t length) {
    return std::string("HTTP/1.0 ") + status +
           "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

}  // namespace

AccurateRipTestServer::AccurateRipTestServer() = default;

AccurateRipTestServer::~AccurateRipTestServer() {
    stop();
}

void AccurateRipTestServer::setMode(Mode mode) {
    std::lock_guard guard(m_lock);
    m_mode = mode;
}

void AccurateRipTestServer::setAnswer(const std::string& path, std::string body) {
    std::lock_guard guard(m_lock);
    m_answers[path] = std::move(body);
}

std::vector<std::string> AccurateRipTestServer::requests() const {
    std::lock_guard guard(m_lock);
    return m_requests;
}

std::optional<std::string> AccurateRipTestServer::answer(const std::string& request) {
    const std::string path = target(request);
    Mode mode;
    std::string body;
    bool known = false;
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back(path);
        mode = m_mode;
        if (const auto found = m_answers.find(path); found != m_answers.end()) {
            known = true;
            body = found->second;
        }
    }
    if (mode == Mode::silent) return std::nullopt;
    if (mode == Mode::http500) return head("500 Internal Server Error", 0);
    if (!known) return head("404 Not Found", 0);
    // The connection closes after this, so the client meets a body shorter than announced.
    if (mode == Mode::truncated)
        return head("200 OK", body.size()) + body.substr(0, body.size() / 2);
    return head("200 OK", body.size()) + body;
}
