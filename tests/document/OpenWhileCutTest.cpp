// A document read by its views while the worker still cuts: every record known at
// any moment is the record of the whole cut, and the rest arrives in order.

#include "document/FakeDocumentHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace tervik::test {
namespace {

class OpenWhileCutTest : public CDocFixture {};

TEST_F(OpenWhileCutTest, TheKnownRecordsAreThoseOfTheWholeCut) {
    // Lines of any length up to past the longest record, CR LF and LF, tabs; large
    // enough not to be cut whole before the views show.
    std::mt19937 rng(27);
    std::string data;
    while (data.size() < (size_t{18} << 20)) {
        const unsigned r = static_cast<unsigned>(rng() % 100);
        data.append(r == 0 ? 40000 : r % 90, static_cast<char>('a' + r % 26));
        if (r % 7 == 0) data += '\t';
        data += r % 3 ? "\r\n" : "\n";
    }
    const std::string path = Write(data);
    ASSERT_TRUE(Open(path));
    const Spans whole = SpansOf(Doc());
    const std::string lastText = TextOf(Doc(), Doc().m_nRecords - 1);

    m_host.m_openDocuments.clear();
    m_doc = std::make_unique<CTervikDoc>(m_host);
    // The worker reads slowly, so that this thread reads along with it.
    CSysFile::SetReadFailureHook([](int64_t nOffset) {
        if (nOffset >= 65536) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return 0u;
    });
    ASSERT_TRUE(Doc().BeginOpen(path, 512));
    EXPECT_TRUE(Doc().IsCutting());
    EXPECT_LT(Doc().m_nRecords, whole.size());
    uint32_t nSeen = 0;
    int nPolls = 0;
    for (bool bCutting = true; bCutting; ++nPolls) {
        bCutting = Doc().IsCutting();
        ASSERT_TRUE(Doc().PollCut());
        const uint32_t n = Doc().m_nRecords;
        ASSERT_GE(n, nSeen);
        ASSERT_LE(n, whole.size());
        // What is new, and some of what was there, read as a view reads it.
        for (uint32_t i = nSeen > 300 ? nSeen - 300 : 0; i < n; ++i) {
            const auto e = Doc().Record(i);
            ASSERT_TRUE(e);
            ASSERT_EQ(std::make_pair(e->m_nOffset, e->m_nLength), whole[i]) << i;
        }
        if (n > 0) {
            const auto k = static_cast<uint32_t>(rng() % n);
            ASSERT_EQ(TextOf(Doc(), k), data.substr(whole[k].first, whole[k].second)) << k;
        }
        nSeen = n;
    }
    CSysFile::SetReadFailureHook({});
    EXPECT_GT(nPolls, 10);
    EXPECT_FALSE(Doc().IsCutting());
    EXPECT_EQ(SpansOf(Doc()), whole);
    EXPECT_EQ(TextOf(Doc(), Doc().m_nRecords - 1), lastText);
    EXPECT_EQ(m_host.m_openDocuments, std::vector<CTervikDoc*>{&Doc()});
    EXPECT_EQ(m_host.m_status, "Bereit");

    // A command waits for the cut while the window's timer polls it.
    m_doc = std::make_unique<CTervikDoc>(m_host);
    CSysFile::SetReadFailureHook([](int64_t nOffset) {
        if (nOffset >= 65536) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return 0u;
    });
    ASSERT_TRUE(Doc().BeginOpen(path, 512));
    m_host.m_onWait = [this] { Doc().PollCut(); };
    EXPECT_TRUE(Doc().CompleteCut());
    m_host.m_onWait = {};
    CSysFile::SetReadFailureHook({});
    EXPECT_EQ(SpansOf(Doc()), whole);
}

} // namespace
} // namespace tervik::test
