#include "CddbTestServer.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

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

const char* const kListEnd = ".\r\n";

}  // namespace

CddbTestServer::CddbTestServer() = default;

CddbTestServer::~CddbTestServer() {
    stop();
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

std::optional<std::string> CddbTestServer::answer(const std::string& head) {
    // "GET /path?query HTTP/1.x"
    Request request;
    const std::string target = HttpTestServer::target(head);
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
    if (mode == Mode::silent) return std::nullopt;
    if (mode == Mode::http500) {
        return "HTTP/1.0 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\n"
               "500 Internal Server Error\r\n";
    }
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + answer(request);
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
               std::to_string(port()) + " /~cddb/cddb.cgi N000.00 W000.00 Test server\r\n" +
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
