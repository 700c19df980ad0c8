#include <gtest/gtest.h>

#include <chrono>

#include "AccurateRipClient.h"
#include "AccurateRipTestServer.h"
#include "AnswerBytes.h"

using namespace quillon::accuraterip;
using Outcome = Lookup::Outcome;

namespace {

const DiscIds kDisc{2, 0x00012345, 0x00abcdef, 0x1f02e002};
const char* const kPath = "/accuraterip/5/4/3/dBAR-002-00012345-00abcdef-1f02e002.bin";

class Fetch : public ::testing::Test {
  protected:
    void SetUp() override {
        setAccurateRipTimeouts(std::chrono::milliseconds(2000), std::chrono::milliseconds(3000));
    }
    void TearDown() override {
        setAccurateRipTimeouts(std::chrono::milliseconds(5000), std::chrono::milliseconds(10000));
    }
    Lookup fetch() { return fetchAccurateRip(m_server.address(), kDisc); }

    AccurateRipTestServer m_server;
};

TEST_F(Fetch, TheDiscsPressingsAreFetchedFromItsEntry) {
    m_server.setAnswer(kPath, pressingBytes(kDisc, {{5, 0xAAAA, 0}, {5, 0xBBBB, 0}}) +
                                  pressingBytes({2, 1, 2, 3}, {{9, 0xAAAA, 0}, {9, 0xBBBB, 0}}) +
                                  pressingBytes(kDisc, {{1, 0xCCCC, 0}, {1, 0xDDDD, 0}}));
    const auto lookup = fetch();
    EXPECT_EQ(lookup.outcome, Outcome::Found);
    ASSERT_EQ(lookup.pressings.size(), 2u);
    EXPECT_EQ(lookup.pressings[1].tracks[1].checksum, 0xDDDDu);
    EXPECT_EQ(m_server.requests(), std::vector<std::string>{kPath});
}

TEST_F(Fetch, WhatIsNotTheDiscsEntryIsNotFound) {
    EXPECT_EQ(fetch().outcome, Outcome::NotFound);  // 404
    m_server.setAnswer(kPath, pressingBytes({2, 1, 2, 3}, {{9, 0xAAAA, 0}, {9, 0xBBBB, 0}}));
    EXPECT_EQ(fetch().outcome, Outcome::NotFound);
}

TEST_F(Fetch, BrokenAnswersAndServersAreOffline) {
    const std::string answer = pressingBytes(kDisc, {{5, 0xAAAA, 0}, {5, 0xBBBB, 0}});
    m_server.setAnswer(kPath, answer.substr(0, answer.size() - 3));
    EXPECT_EQ(fetch().outcome, Outcome::Offline);

    m_server.setAnswer(kPath, answer);
    m_server.setMode(AccurateRipTestServer::Mode::Truncated);
    EXPECT_EQ(fetch().outcome, Outcome::Offline);
    m_server.setMode(AccurateRipTestServer::Mode::Http500);
    EXPECT_EQ(fetch().outcome, Outcome::Offline);

    m_server.setAnswer(kPath, std::string(kMaxAnswerBytes + 13, '\x02'));
    m_server.setMode(AccurateRipTestServer::Mode::Normal);
    EXPECT_EQ(fetch().outcome, Outcome::Offline);

    EXPECT_EQ(fetchAccurateRip("bad host", kDisc).outcome, Outcome::Offline);
    m_server.stop();
    EXPECT_EQ(fetch().outcome, Outcome::Offline);  // nobody listening
}

TEST_F(Fetch, ASilentServerCostsOnlyTheTimeout) {
    m_server.setAnswer(kPath, pressingBytes(kDisc, {{5, 0xAAAA, 0}, {5, 0xBBBB, 0}}));
    m_server.setMode(AccurateRipTestServer::Mode::Silent);
    setAccurateRipTimeouts(std::chrono::milliseconds(500), std::chrono::milliseconds(800));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch().outcome, Outcome::Offline);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
