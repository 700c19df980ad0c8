#include "HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

HttpTestServer::HttpTestServer() {
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

HttpTestServer::~HttpTestServer() {
    stop();
}

void HttpTestServer::stop() {
    if (m_stopped.exchange(true)) return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(m_wake[1], &byte, 1);
    m_acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard guard(m_connectionsLock);
        connections.swap(m_connections);
    }
    for (auto& connection : connections)
        connection.join();
    ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::string HttpTestServer::target(const std::string& head) {
    const std::string line = head.substr(0, head.find("\r\n"));
    const size_t first = line.find(' ');
    const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    return second == std::string::npos ? "" : line.substr(first + 1, second - first - 1);
}

std::string HttpTestServer::headerValue(const std::string& head, const std::string& name) {
    const std::string wanted = "\r\n" + lower(name) + ":";
    const std::string folded = lower(head);
    const size_t at = folded.find(wanted);
    if (at == std::string::npos) return "";
    size_t start = at + wanted.size();
    while (start < head.size() && head[start] == ' ')
        ++start;
    return head.substr(start, head.find("\r\n", start) - start);
}

void HttpTestServer::acceptLoop() {
    while (waitReadable(m_listener, m_wake[0])) {
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0) continue;
        std::lock_guard guard(m_connectionsLock);
        m_connections.emplace_back([this, connection] {
            serve(connection);
            ::close(connection);
        });
    }
}

void HttpTestServer::serve(int connection) {
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        if (!waitReadable(connection, m_wake[0])) return;
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        head.append(chunk, static_cast<size_t>(n));
    }
    { std::lock_guard guard(m_published); }  // see port()
    if (const auto bytes = answer(head))
        sendAll(connection, *bytes);
    else
        waitReadable(m_wake[0], m_wake[0]);  // silent until the server stops
}
