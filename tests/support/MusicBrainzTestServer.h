// A MusicBrainz web service and cover art archive for tests: a small threaded HTTP/1.0 server
// on 127.0.0.1 that answers GET requests from canned answers (any status, body and extra
// headers, so redirects too), 404 for every other request target, and can stall.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "HttpTestServer.h"

class MusicBrainzTestServer : public HttpTestServer {
  public:
    struct Request {
        std::string target;  // path and query, as sent
        std::string userAgent;
    };

    // Listens on an ephemeral port of 127.0.0.1 at once.
    MusicBrainzTestServer();
    ~MusicBrainzTestServer() override;

    // "http://127.0.0.1:<port>", a base the settings accept.
    std::string base() const { return "http://" + address(); }

    // The answer to a GET of target (such as "/ws/2/discid/...?inc=...&fmt=json").
    void setAnswer(const std::string& target, std::string body, int status = 200,
                   std::string headers = "Content-Type: application/json\r\n");
    // A 307 from target to location (a path on this server or a full URL).
    void setRedirect(const std::string& target, const std::string& location);
    // Requests are read and never answered until the server stops.
    void setStalling(bool stalling);
    std::vector<Request> requests() const;

  private:
    struct Answer {
        int status = 200;
        std::string headers;
        std::string body;
    };

    std::optional<std::string> answer(const std::string& head) override;

    mutable std::mutex m_lock;
    bool m_stalling = false;
    std::map<std::string, Answer> m_answers;
    std::vector<Request> m_requests;
};

// The canned answers of the tests, in the shape of the web service's own (see
// tests/data/musicbrainz/README.md): the file's text, or "" when it is missing.
std::string musicBrainzAnswer(const std::string& name);
// The same answer about another disc: the answers' own disc ID replaced by `discId`.
std::string musicBrainzAnswer(const std::string& name, const std::string& discId);
