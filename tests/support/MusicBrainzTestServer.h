// A MusicBrainz web service and cover art archive for tests: a small threaded HTTP/1.0 server
// on 127.0.0.1 that answers GET requests from canned answers (any status, body and extra
// headers, so redirects too), 404 for every other request target, and can stall.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MusicBrainzTestServer {
  public:
    struct Request {
        std::string target;  // path and query, as sent
        std::string userAgent;
    };

    // Listens on an ephemeral port of 127.0.0.1 at once.
    MusicBrainzTestServer();
    ~MusicBrainzTestServer();
    MusicBrainzTestServer(const MusicBrainzTestServer&) = delete;
    MusicBrainzTestServer& operator=(const MusicBrainzTestServer&) = delete;

    // "http://127.0.0.1:<port>", a base the settings accept.
    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    // The answer to a GET of target (such as "/ws/2/discid/...?inc=...&fmt=json").
    void setAnswer(const std::string& target, std::string body, int status = 200,
                   std::string headers = "Content-Type: application/json\r\n");
    // A 307 from target to location (a path on this server or a full URL).
    void setRedirect(const std::string& target, const std::string& location);
    // Requests are read and never answered until the server stops.
    void setStalling(bool stalling);
    std::vector<Request> requests() const;

    // Stops listening and ends every connection; the destructor does it too.
    void stop();

  private:
    struct Answer {
        int status = 200;
        std::string headers;
        std::string body;
    };

    void acceptLoop();
    void serve(int connection);

    int m_listener = -1;
    int m_wake[2] = {-1, -1};  // readable once the server stops
    int m_port = 0;
    std::atomic<bool> m_stopped{false};
    std::thread m_acceptor;

    mutable std::mutex m_lock;
    std::vector<std::thread> m_connections;
    bool m_stalling = false;
    std::map<std::string, Answer> m_answers;
    std::vector<Request> m_requests;
};

// The canned answers of the tests, in the shape of the web service's own (see
// tests/data/musicbrainz/README.md): the file's text, or "" when it is missing.
std::string musicBrainzAnswer(const std::string& name);
