#include "CddbTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string decode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> split(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

void sendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

const char* const kListEnd = ".\r\n";

}  // namespace

CddbTestServer::CddbTestServer() {
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

CddbTestServer::~CddbTestServer() {
    stop();
}

void CddbTestServer::stop() {
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

void CddbTestServer::setMode(Mode mode) {
    std::lock_guard guard(m_lock);
    m_mode = mode;
}

void CddbTestServer::addEntry(Entry entry) {
    std::lock_guard guard(m_lock);
    m_entries.push_back(std::move(entry));
}

void CddbTestServer::setInexact(bool inexact) {
    std::lock_guard guard(m_lock);
    m_inexact = inexact;
}

void CddbTestServer::setRawAnswer(const std::string& command, std::string body) {
    std::lock_guard guard(m_lock);
    m_raw[command] = std::move(body);
}

std::vector<CddbTestServer::Request> CddbTestServer::requests() const {
    std::lock_guard guard(m_lock);
    return m_requests;
}

void CddbTestServer::acceptLoop() {
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

void CddbTestServer::serve(int connection) {
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        if (!waitReadable(connection, m_wake[0])) return;
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        head.append(chunk, static_cast<size_t>(n));
    }

    // "GET /path?query HTTP/1.x"
    Request request;
    const auto words = split(head.substr(0, head.find("\r\n")));
    const std::string target = words.size() > 1 ? words[1] : "";
    const size_t question = target.find('?');
    std::istringstream query(question == std::string::npos ? "" : target.substr(question + 1));
    for (std::string pair; std::getline(query, pair, '&');) {
        const size_t equals = pair.find('=');
        const std::string name = pair.substr(0, equals);
        const std::string value =
            equals == std::string::npos ? "" : decode(pair.substr(equals + 1));
        if (name == "cmd") request.command = value;
        if (name == "hello") request.hello = value;
        if (name == "proto") request.proto = value;
    }

    Mode mode;
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back(request);
        mode = m_mode;
    }
    if (mode == Mode::Silent) {
        waitReadable(m_wake[0], m_wake[0]);
        return;
    }
    if (mode == Mode::Http500) {
        sendAll(connection,
                "HTTP/1.0 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\n"
                "500 Internal Server Error\r\n");
        return;
    }
    sendAll(connection,
            "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + answer(request));
}

std::string CddbTestServer::answer(const Request& request) {
    const auto words = split(request.command);
    std::string kind;
    if (words.size() == 1 && words[0] == "sites") kind = "sites";
    if (words.size() >= 2 && words[0] == "cddb") kind = words[1];

    std::lock_guard guard(m_lock);
    if (const auto raw = m_raw.find(kind); raw != m_raw.end()) return raw->second;

    if (kind == "sites") {
        return "210 OK, site information follows (until terminating `.')\r\n127.0.0.1 http " +
               std::to_string(m_port) + " /~cddb/cddb.cgi N000.00 W000.00 Test server\r\n" +
               kListEnd;
    }
    if (kind == "query" && words.size() >= 3) {
        std::vector<const Entry*> found;
        for (const auto& entry : m_entries)
            if (entry.discId == words[2]) found.push_back(&entry);
        if (found.empty()) return "202 No match for disc ID " + words[2] + ".\r\n";
        if (found.size() == 1 && !m_inexact) {
            return "200 " + found[0]->category + " " + found[0]->discId + " " +
                   found[0]->discTitle + "\r\n";
        }
        std::string text = "211 Found inexact matches, list follows (until terminating `.')\r\n";
        for (const Entry* entry : found)
            text += entry->category + " " + entry->discId + " " + entry->discTitle + "\r\n";
        return text + kListEnd;
    }
    if (kind == "read" && words.size() >= 4) {
        for (const auto& entry : m_entries) {
            if (entry.category != words[2] || entry.discId != words[3]) continue;
            std::string text = "210 " + entry.category + " " + entry.discId +
                               " CD database entry follows (until terminating `.')\r\n";
            for (const auto& line : entry.lines)
                text += line + "\r\n";
            return text + kListEnd;
        }
        return "401 " + words[2] + " " + words[3] + " No such CD entry in database.\r\n";
    }
    return "500 Unrecognized command.\r\n";
}

std::vector<std::string> cddbEntryFile(const std::string& name) {
    const std::string path = std::string(QUILLON_TEST_DATA) + "/cddb/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}
