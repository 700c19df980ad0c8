// A CDDB server for tests: a small threaded HTTP/1.0 server on 127.0.0.1 that answers the
// cddb.cgi commands "sites", "cddb query" and "cddb read" from canned entries, and can
// misbehave on request.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The lines of an entry file in tests/data/cddb, without their line ends.
std::vector<std::string> cddbEntryFile(const std::string& name);

class CddbTestServer {
  public:
    enum class Mode {
        Normal,
        Http500,  // every request gets "500 Internal Server Error"
        Silent,   // requests are read and never answered until the server stops
    };

    struct Entry {
        std::string category;
        std::string discId;
        std::string discTitle;           // "Artist / Title" as the query answer shows it
        std::vector<std::string> lines;  // the entry text the read answer sends
    };

    struct Request {
        std::string command;  // cmd, decoded
        std::string hello;
        std::string proto;
    };

    // Listens on an ephemeral port of 127.0.0.1 at once.
    CddbTestServer();
    ~CddbTestServer();
    CddbTestServer(const CddbTestServer&) = delete;
    CddbTestServer& operator=(const CddbTestServer&) = delete;

    int port() const { return m_port; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }

    void setMode(Mode mode);
    // A query for the entry's disc ID finds it; several entries with one ID, or inexact on,
    // give the list answer (211).
    void addEntry(Entry entry);
    void setInexact(bool inexact);
    // The body sent for "sites", "query" or "read" instead of the canned answer.
    void setRawAnswer(const std::string& command, std::string body);
    std::vector<Request> requests() const;

    // Stops listening and ends every connection; the destructor does it too.
    void stop();

  private:
    void acceptLoop();
    void serve(int connection);
    std::string answer(const Request& request);

    int m_listener = -1;
    int m_wake[2] = {-1, -1};  // readable once the server stops
    int m_port = 0;
    std::atomic<bool> m_stopped{false};
    std::thread m_acceptor;

    mutable std::mutex m_lock;
    std::vector<std::thread> m_connections;
    Mode m_mode = Mode::Normal;
    bool m_inexact = false;
    std::vector<Entry> m_entries;
    std::map<std::string, std::string> m_raw;
    std::vector<Request> m_requests;
};
