#include "AccurateRipTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

// Waits until fd is readable or the wake pipe says stop; true when fd is readable.
bool waitReadable(int fd, int wake) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    while (true) {
        const int n = ::poll(fds, 2, -1);
        if (n < 0) return false;
        if (fds[1].revents != 0) return false;
        if (fds[0].revents != 0) return true;
    }
}

void sendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

std::string head(const char* status, std::size_t length) {
    return std::string("HTTP/1.0 ") + status +
           "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

}  // namespace

AccurateRipTestServer::AccurateRipTestServer() {
    if (::pipe(m_wake) != 0) throw std::runtime_error("pipe failed");
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

AccurateRipTestServer::~AccurateRipTestServer() {
    stop();
}

void AccurateRipTestServer::stop() {
    if (m_stopped.exchange(true)) return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(m_wake[1], &byte, 1);
    m_acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard guard(m_lock);
        connections.swap(m_connections);
    }
    for (auto& connection : connections)
        connection.join();
    ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
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

void AccurateRipTestServer::acceptLoop() {
    while (waitReadable(m_listener, m_wake[0])) {
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0) continue;
        std::lock_guard guard(m_lock);
        m_connections.emplace_back([this, connection] {
            serve(connection);
            ::close(connection);
        });
    }
}

void AccurateRipTestServer::serve(int connection) {
    std::string request;
    char chunk[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        if (!waitReadable(connection, m_wake[0])) return;
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        request.append(chunk, static_cast<size_t>(n));
    }

    // "GET /path HTTP/1.x"
    const std::string line = request.substr(0, request.find("\r\n"));
    const size_t first = line.find(' ');
    const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    const std::string path =
        second == std::string::npos ? "" : line.substr(first + 1, second - first - 1);

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
    if (mode == Mode::Silent) {
        waitReadable(m_wake[0], m_wake[0]);
        return;
    }
    if (mode == Mode::Http500) {
        sendAll(connection, head("500 Internal Server Error", 0));
        return;
    }
    if (!known) {
        sendAll(connection, head("404 Not Found", 0));
        return;
    }
    if (mode == Mode::Truncated) {
        sendAll(connection, head("200 OK", body.size()) + body.substr(0, body.size() / 2));
        return;
    }
    sendAll(connection, head("200 OK", body.size()) + body);
}
