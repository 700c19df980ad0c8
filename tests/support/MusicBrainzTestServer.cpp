#include "MusicBrainzTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
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

// The value of a header line of the request, matched without regard to case.
std::string headerValue(const std::string& request, const std::string& name) {
    std::string lower = request;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t at = lower.find("\r\n" + name + ":");
    if (at == std::string::npos) return {};
    std::size_t start = at + 3 + name.size();
    while (start < request.size() && request[start] == ' ')
        ++start;
    return request.substr(start, request.find("\r\n", start) - start);
}

}  // namespace

MusicBrainzTestServer::MusicBrainzTestServer() {
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

MusicBrainzTestServer::~MusicBrainzTestServer() {
    stop();
}

void MusicBrainzTestServer::stop() {
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

void MusicBrainzTestServer::setAnswer(const std::string& target, std::string body, int status,
                                      std::string headers) {
    std::lock_guard guard(m_lock);
    m_answers[target] = Answer{status, std::move(headers), std::move(body)};
}

void MusicBrainzTestServer::setRedirect(const std::string& target, const std::string& location) {
    setAnswer(target, "", 307, "Location: " + location + "\r\n");
}

void MusicBrainzTestServer::setStalling(bool stalling) {
    std::lock_guard guard(m_lock);
    m_stalling = stalling;
}

std::vector<MusicBrainzTestServer::Request> MusicBrainzTestServer::requests() const {
    std::lock_guard guard(m_lock);
    return m_requests;
}

void MusicBrainzTestServer::acceptLoop() {
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

void MusicBrainzTestServer::serve(int connection) {
    std::string request;
    char chunk[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        if (!waitReadable(connection, m_wake[0])) return;
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        request.append(chunk, static_cast<size_t>(n));
    }

    // "GET /target HTTP/1.x"
    const std::string line = request.substr(0, request.find("\r\n"));
    const size_t first = line.find(' ');
    const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    const std::string target =
        second == std::string::npos ? "" : line.substr(first + 1, second - first - 1);

    bool stalling = false;
    Answer answer{404, "", ""};
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back({target, headerValue(request, "user-agent")});
        stalling = m_stalling;
        if (const auto found = m_answers.find(target); found != m_answers.end())
            answer = found->second;
    }
    if (stalling) {
        waitReadable(m_wake[0], m_wake[0]);
        return;
    }
    const char* reason = answer.status == 200   ? "OK"
                         : answer.status == 307 ? "Temporary Redirect"
                         : answer.status == 404 ? "Not Found"
                                                : "Error";
    sendAll(connection,
            "HTTP/1.0 " + std::to_string(answer.status) + ' ' + reason + "\r\n" + answer.headers +
                "Content-Length: " + std::to_string(answer.body.size()) + "\r\n\r\n" + answer.body);
}

std::string musicBrainzAnswer(const std::string& name) {
    std::ifstream file(std::string(QUILLON_TEST_DATA) + "/musicbrainz/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
