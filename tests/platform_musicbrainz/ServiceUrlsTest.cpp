#include <gtest/gtest.h>

#include "RequestPacer.h"
#include "ServiceUrls.h"

using namespace quillon::musicbrainz;
using namespace std::chrono_literals;

namespace {

const DiscToc kSix{1, 6, 95462, {150, 15363, 32314, 46592, 63414, 80489}};
const std::string kMbid = "76df3287-6cda-33eb-8e9a-044b5e15ffdd";

TEST(ServiceUrls, DiscIdLookupsWithAndWithoutToc) {
    EXPECT_EQ(discIdLookupUrl("", kSix, false),
              "https://musicbrainz.org/ws/2/discid/49HHV7Eb8UKF3aQiNmu1GR8vKTY-"
              "?inc=artist-credits+recordings&fmt=json");
    EXPECT_EQ(discIdLookupUrl("http://127.0.0.1:5000/mb/", kSix, true),
              "http://127.0.0.1:5000/mb/ws/2/discid/49HHV7Eb8UKF3aQiNmu1GR8vKTY-"
              "?inc=artist-credits+recordings&fmt=json"
              "&toc=1+6+95462+150+15363+32314+46592+63414+80489");
}

TEST(ServiceUrls, TheServerSettingAcceptsHostsAndHttpBasesOnly) {
    const std::string fallback = kDefaultServer;
    EXPECT_EQ(serviceBase("", fallback), "https://musicbrainz.org");
    EXPECT_EQ(serviceBase("mb.example.org", fallback), "https://mb.example.org");
    EXPECT_EQ(serviceBase("mb.example.org:8443", fallback), "https://mb.example.org:8443");
    EXPECT_EQ(serviceBase("HTTP://[::1]:5000//", fallback), "http://[::1]:5000");
    EXPECT_EQ(serviceBase("Https://mb.example.org/mirror/", fallback),
              "https://mb.example.org/mirror");

    for (const char* refused :
         {"ftp://mb.example.org", "file:///etc/passwd", "gopher://x", "https://", "http://:80",
          "mb.example.org:http", "mb example.org", "mb.example.org/a?b", "mb.example.org/a#b",
          "mb.example.org/%2e%2e", "user@mb.example.org", "[::1", "mb.example.org:123456",
          "mb.example.org/a b", "mb.example.org\r\nHost: evil"})
        EXPECT_FALSE(serviceBase(refused, fallback)) << refused;
    EXPECT_FALSE(discIdLookupUrl("ftp://mb.example.org", kSix, false));
}

TEST(ServiceUrls, FrontCoverOfAReleaseIdOnly) {
    EXPECT_EQ(frontCoverUrl("", kMbid), "https://coverartarchive.org/release/" + kMbid + "/front");
    EXPECT_EQ(frontCoverUrl("http://127.0.0.1:81", kMbid),
              "http://127.0.0.1:81/release/" + kMbid + "/front");
    for (const std::string& refused :
         {std::string("../../etc/passwd"), kMbid.substr(1), kMbid + "0",
          std::string("76DF3287-6CDA-33EB-8E9A-044B5E15FFDD"),
          std::string("76df3287x6cda-33eb-8e9a-044b5e15ffdd"), std::string()})
        EXPECT_FALSE(frontCoverUrl("", refused)) << refused;
    EXPECT_FALSE(frontCoverUrl("ftp://x", kMbid));
}

TEST(ServiceUrls, UserAgentNamesProgramVersionAndContact) {
    EXPECT_EQ(userAgent("0.1", "https://example.org/quillon"),
              "Quillon/0.1 ( https://example.org/quillon )");
    // A contact from the settings cannot add header lines.
    EXPECT_EQ(userAgent("0.1", "me\r\nX-Evil: 1"), "Quillon/0.1 ( me  X-Evil: 1 )");
}

TEST(RequestPacer, RequestsAreSpacedByTheInterval) {
    RequestPacer pacer(1s);
    const RequestPacer::Clock::time_point t0{};
    EXPECT_EQ(pacer.claim(t0), t0);               // the first goes at once
    EXPECT_EQ(pacer.claim(t0 + 100ms), t0 + 1s);  // too soon: waits for the interval
    EXPECT_EQ(pacer.claim(t0 + 200ms), t0 + 2s);  // queued behind the one waiting
    EXPECT_EQ(pacer.claim(t0 + 5s), t0 + 5s);     // after a quiet spell, at once
    EXPECT_EQ(pacer.claim(t0 + 5s + 999ms), t0 + 6s);

    pacer.setInterval(0ms);
    EXPECT_EQ(pacer.claim(t0 + 6s), t0 + 6s);
    EXPECT_EQ(pacer.claim(t0 + 6s), t0 + 6s);
}

}  // namespace
