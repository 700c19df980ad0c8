// A CDDB server for tests: a small threaded HTTP/1.0 server on 127.0.0.1 that answers the
// cddb.cgi commands "sites", "cddb query" and "cddb read" from canned entries, and can
// misbehave on request.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "HttpTestServer.h"

// The lines of an entry file in tests/data/cddb, without their line ends.
std::vector<std::string> cddbEntryFile(const std::string& name);

class CddbTestServer : public HttpTestServer {
  public:
    enum class Mode {
        normal,
        http500,  // every request gets "500 Internal Server Error"
        silent,   // requests are read and never answered until the server stops
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
    ~CddbTestServer() override;

    void setMode(Mode mode);
    // A query for the entry's disc ID finds it; several entries with one ID, or inexact on,
    // give the list answer (211).
    void addEntry(Entry entry);
    void setInexact(bool inexact);
    // The body sent for "sites", "query" or "read" instead of the canned answer.
    void setRawAnswer(const std::string& command, std::string body);
    std::vector<Request> requests() const;

  private:
    std::optional<std::string> answer(const std::string& head) override;
    std::string answer(const Request& request);

    mutable std::mutex m_lock;
    Mode m_mode = Mode::normal;
    bool m_inexact = false;
    std::vector<Entry> m_entries;
    std::map<std::string, std::string> m_raw;
    std::vector<Request> m_requests;
};
