#include "MusicBrainzTestServer.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

MusicBrainzTestServer::MusicBrainzTestServer() = default;

MusicBrainzTestServer::~MusicBrainzTestServer() {
    stop();
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

std::optional<std::string> MusicBrainzTestServer::answer(const std::string& request) {
    const std::string target = HttpTestServer::target(request);
    bool stalling = false;
    Answer found{404, "", ""};
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back({target, headerValue(request, "user-agent")});
        stalling = m_stalling;
        if (const auto known = m_answers.find(target); known != m_answers.end())
            found = known->second;
    }
    if (stalling) return std::nullopt;
    const char* reason = found.status == 200   ? "OK"
                         : found.status == 307 ? "Temporary Redirect"
                         : found.status == 404 ? "Not Found"
                                               : "Error";
    return "HTTP/1.0 " + std::to_string(found.status) + ' ' + reason + "\r\n" + found.headers +
           "Content-Length: " + std::to_string(found.body.size()) + "\r\n\r\n" + found.body;
}

std::string musicBrainzAnswer(const std::string& name) {
    std::ifstream file(std::string(QUILLON_TEST_DATA) + "/musicbrainz/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string musicBrainzAnswer(const std::string& name, const std::string& discId) {
    // The disc ID the canned answers were recorded for.
    static const std::string answersDiscId = "I5l9cCSFccLKFEKS.7wqSZAorPU-";
    std::string text = musicBrainzAnswer(name);
    for (std::size_t at = text.find(answersDiscId); at != std::string::npos;
         at = text.find(answersDiscId, at + discId.size()))
        text.replace(at, answersDiscId.size(), discId);
    return text;
}
