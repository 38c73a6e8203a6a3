#include "FakeDocumentHost.h"

#include "document/Md5.h"
#include "document/TervikDoc.h"
#include "framework/CmdUI.h"
#include "framework/CommandIds.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace tervik {
namespace {

using test::CDocFixture;
using test::CFakeDocumentHost;
using test::CFakeView;
using test::SameBytes;
using test::Spans;
using test::SpansOf;
using test::TextOf;
using test::Utf16;

// Byte i of the pattern files: never LF or TAB, so the pattern is one long line.
char PatternByte(size_t i) {
    const auto b = static_cast<unsigned char>((i * 31 + 7) & 0xFF);
    return static_cast<char>(b == 0x0A || b == 0x09 ? 0x20 : b);
}

std::string Pattern(size_t n, size_t nFrom = 0) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = PatternByte(nFrom + i);
    return s;
}

// Lines of 99 letters and LF: line i starts at 100 * i.
std::string HundredByteLines(size_t nLines) {
    std::string s;
    for (size_t i = 0; i < nLines; ++i) {
        for (size_t k = 0; k < 99; ++k)
            s += static_cast<char>('a' + (i + k) % 26);
        s += '\n';
    }
    return s;
}

void Append(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Width of single-byte text with tabs expanded to multiples of nTab.
uint32_t ExpandedWidth(std::string_view s, uint32_t nTab) {
    uint32_t col = 0;
    for (char c : s) {
        ++col;
        if (c == '\t')
            while (col % nTab != 0)
                ++col;
    }
    return col;
}

// ============================================================ ReadBytes

class RecordAccessReadBytes : public CDocFixture {
protected:
    void SetUp() override {
        m_data = Pattern(200000);
        m_path = Write(m_data);
        ASSERT_TRUE(Open(m_path));
    }
    std::string Read(uint64_t nOffset, uint32_t nLength) {
        std::string s(nLength, '\0');
        s.resize(Doc().ReadBytes(s.data(), nLength, nOffset));
        return s;
    }
    std::string m_data;
    std::string m_path;
};

TEST_F(RecordAccessReadBytes, AnswersTheBytesAtAnOffset) {
    struct Case {
        uint64_t nOffset;
        uint32_t nLength;
        size_t nExpected;
    };
    // In this order, so that some reads are served from the window of the one before.
    const Case cases[] = {
        {0, 100, 100},          {65500, 100, 100},      {0, 65536, 65536},  {131072, 65536, 65536},
        {150000, 65536, 50000}, {160000, 65536, 40000}, {199990, 100, 10},  {10, 10, 10},
        {200000, 100, 0},       {200001, 1, 0},         {UINT64_MAX, 1, 0}, {199999, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nOffset);
        const std::string got = Read(c.nOffset, c.nLength);
        ASSERT_EQ(got.size(), c.nExpected);
        EXPECT_EQ(got, c.nExpected ? m_data.substr(c.nOffset, c.nExpected) : "");
    }
}

TEST_F(RecordAccessReadBytes, FileThatShrankGivesFewerBytesNeverGarbage) {
    std::filesystem::resize_file(m_path, 100000);
    EXPECT_EQ(Read(150000, 100), "");
    EXPECT_EQ(Doc().m_nBufferOffset, -1); // the next access reads again
    EXPECT_EQ(Read(99990, 100), m_data.substr(99990, 10));
    EXPECT_EQ(Read(50000, 100), m_data.substr(50000, 100));
}

TEST_F(RecordAccessReadBytes, BytesBeyondTheKnownEndNeedARefresh) {
    Append(m_path, "more\n");
    EXPECT_EQ(Read(200001, 4), "");
    EXPECT_EQ(Read(199998, 100), m_data.substr(199998));
    Doc().OnRefresh();
    EXPECT_EQ(Read(199998, 100), m_data.substr(199998) + "more\n");
}

// ============================================================ display text

using RecordAccessText = CDocFixture;

TEST_F(RecordAccessText, TabsFillTheColumnsUpToTheNextStop) {
    struct Case {
        std::string record;
        const char* tabSize;
        uint32_t nSkip;
        uint32_t nMax;
        bool bExpand;
        std::string text;
    };
    const Case cases[] = {
        {"a\tb", "4", 0, 100, true, "a\t\t\tb"},
        {"a\tb", "4", 2, 100, true, "\t\tb"},
        {"a\tb", "4", 0, 100, false, "a\tb"},
        {"a\tb", "4", 0, 2, true, "a\t"},
        {"abc\td", "4", 0, 100, true, "abc\td"}, // a TAB at column 4 takes one column
        {"abcd\te", "4", 0, 100, true, "abcd\t\t\t\te"},
        {"\t", "4", 0, 100, true, "\t\t\t\t"},
        {"a\tb", "8", 0, 100, true, "a\t\t\t\t\t\t\tb"},
        {"a\tb", "0", 0, 100, true, "a\t\t\tb"}, // unusable width: 4
        {"a\tb\tc", "3", 1, 100, true, "\t\tb\t\tc"},
        {"abc", "4", 3, 100, true, ""},
        {"abc", "4", 10, 100, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record + " tab " + c.tabSize + " skip " + std::to_string(c.nSkip));
        CFakeDocumentHost host(std::string("[Settings]\nTabSize=") + c.tabSize + "\n");
        CTervikDoc doc(host);
        ASSERT_TRUE(doc.OnOpenDocument(Write(c.record + "\n")));
        EXPECT_EQ(TextOf(doc, 0, c.bExpand, c.nSkip, c.nMax), c.text);
        const uint32_t nTab = static_cast<uint32_t>(doc.m_nTabSize);
        EXPECT_EQ(doc.GetRecordLength(0, true), ExpandedWidth(c.record, nTab));
        EXPECT_EQ(doc.GetRecordLength(0, false), c.record.size());
    }
}

TEST_F(RecordAccessText, LongRecordWithTabsHasItsExpandedWidth) {
    std::string record;
    for (int i = 0; i < 300; ++i)
        record += i % 3 ? "\tx" : "yz";
    ASSERT_TRUE(OpenBytes(record + "\nplain\n"));
    EXPECT_EQ(Doc().GetRecordLength(0, true), ExpandedWidth(record, 4));
    EXPECT_EQ(Doc().GetRecordLength(0, false), record.size());
    EXPECT_EQ(Doc().GetRecordLength(1, true), 5u);
}

TEST_F(RecordAccessText, BadNumbersAndEmptyRecordsGiveNothing) {
    ASSERT_TRUE(OpenBytes("a\n\nb"));
    ASSERT_EQ(Doc().m_nRecords, 3u);
    EXPECT_EQ(TextOf(Doc(), 1, true), "");
    EXPECT_EQ(TextOf(Doc(), 3, true), "");
    EXPECT_EQ(TextOf(Doc(), UINT32_MAX, true), "");
    EXPECT_EQ(Doc().GetRecordLength(1, true), 0u);
    EXPECT_EQ(Doc().GetRecordLength(3, true), 0u);
    EXPECT_EQ(TextOf(Doc(), 2), "b");
    // An empty record is no failed read.
    char buf[8];
    EXPECT_EQ(Doc().ReadRecordText(1, buf, sizeof buf, 0, true, false), 0);
}

// Reading upwards loads the window so that it ends with the record; the records
// before it then need no further read.
TEST_F(RecordAccessText, WindowPlacementForwardAndBackward) {
    const std::string data = HundredByteLines(3000);
    ASSERT_TRUE(OpenBytes(data));
    const auto line = [&](uint32_t n) { return data.substr(100 * n, 99); };

    EXPECT_EQ(TextOf(Doc(), 2500, false, 0, 1000, true), line(2500));
    EXPECT_EQ(Doc().m_nBufferOffset, 250000 + 99 + 1 - 65536);
    EXPECT_EQ(TextOf(Doc(), 2000, false, 0, 1000, true), line(2000));
    EXPECT_EQ(Doc().m_nBufferOffset, 250000 + 99 + 1 - 65536);

    EXPECT_EQ(TextOf(Doc(), 100), line(100));
    EXPECT_EQ(Doc().m_nBufferOffset, 10000);
    EXPECT_EQ(TextOf(Doc(), 700), line(700));
    EXPECT_EQ(Doc().m_nBufferOffset, 10000);

    EXPECT_EQ(TextOf(Doc(), 5, false, 0, 1000, true), line(5));
    EXPECT_EQ(Doc().m_nBufferOffset, 0);
}

// A record longer than the window shows its first 64 KB.
TEST_F(RecordAccessText, RecordLongerThanTheWindowShowsItsFirst64K) {
    m_host.SetSetting("MaxRecSize", "200000");
    for (const size_t nLong : {size_t{65536}, size_t{100000}}) {
        SCOPED_TRACE(nLong);
        ASSERT_TRUE(OpenBytes("x\n" + Pattern(nLong) + "\nend\n"));
        ASSERT_EQ(SpansOf(Doc()),
                  (Spans{{0, 1}, {2, static_cast<uint32_t>(nLong)}, {nLong + 3, 3}}));
        EXPECT_EQ(Doc().GetRecordLength(1, false), nLong);
        EXPECT_TRUE(SameBytes(TextOf(Doc(), 1, false, 0, 200000), Pattern(65536)));
        EXPECT_EQ(TextOf(Doc(), 2), "end");
        EXPECT_EQ(TextOf(Doc(), 0, false, 0, 10, true), "x");
    }
}

TEST_F(RecordAccessText, RecordLongerThanTheWindowReadUpwards) {
    m_host.SetSetting("MaxRecSize", "200000");
    for (const size_t nLong : {size_t{65536}, size_t{100000}}) {
        SCOPED_TRACE(nLong);
        ASSERT_TRUE(OpenBytes("x\n" + Pattern(nLong) + "\nend\n"));
        EXPECT_TRUE(SameBytes(TextOf(Doc(), 1, false, 0, 200000, true), Pattern(65536)));
    }
}

TEST_F(RecordAccessText, RecordsBeyondAShrunkFileGiveNothing) {
    const std::string data = HundredByteLines(2000);
    const std::string path = Write(data);
    ASSERT_TRUE(Open(path));
    std::filesystem::resize_file(path, 100050);
    EXPECT_EQ(TextOf(Doc(), 1500), "");
    EXPECT_EQ(Doc().m_nBufferOffset, -1);
    EXPECT_EQ(TextOf(Doc(), 1500, false, 0, 1000, true), "");
    EXPECT_EQ(TextOf(Doc(), 999, false, 0, 1000, true), data.substr(99900, 99));
    // Whoever must not take a lost line for an empty one hears of it.
    char buf[200];
    for (const uint32_t r : {1000u, 1500u})
        EXPECT_EQ(Doc().ReadRecordText(r, buf, sizeof buf, 0, false, false), kRecordShort) << r;
    EXPECT_EQ(Doc().ReadRecordText(999, buf, sizeof buf, 0, false, false), 99);
}

// ============================================================ UTF-16

using RecordAccessUtf16 = CDocFixture;

TEST_F(RecordAccessUtf16, LittleEndianHidesTheMarkUntilSwitchedOff) {
    ASSERT_TRUE(OpenBytes(Utf16(u"\xFEFF"
                                u"AB\r\nCD\r\n\x20AC"
                                u"x\r\n",
                                false)));
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 6}, {10, 4}, {18, 4}}));
    EXPECT_EQ(Doc().m_nLineEnd, 2u);
    EXPECT_EQ(TextOf(Doc(), 0), "AB");
    EXPECT_EQ(TextOf(Doc(), 1), "CD");
    EXPECT_EQ(TextOf(Doc(), 2), "\x80x"); // the euro sign of cp1252
    EXPECT_EQ(Doc().GetRecordLength(0, false), 2u);
    EXPECT_EQ(Doc().GetRecordLength(2, false), 2u);

    Doc().OnUnicode();
    EXPECT_EQ(TextOf(Doc(), 0), std::string("\xFF\xFE"
                                            "A\0B\0",
                                            6));
    EXPECT_EQ(Doc().GetRecordLength(0, false), 6u);
    Doc().OnUnicode();
    EXPECT_EQ(TextOf(Doc(), 0), "AB");
}

TEST_F(RecordAccessUtf16, BigEndianRecordsAndUnknownUnits) {
    ASSERT_TRUE(OpenBytes(Utf16(u"\xFEFF"
                                u"AB\n\x4E00"
                                u"C\r\nD",
                                true)));
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 6}, {8, 4}, {16, 2}}));
    EXPECT_EQ(Doc().m_nLineEnd, 1u);
    EXPECT_EQ(TextOf(Doc(), 0), "AB");
    EXPECT_EQ(TextOf(Doc(), 1), "?C");
    EXPECT_EQ(TextOf(Doc(), 2), "D");
    EXPECT_EQ(Doc().GetRecordLength(1, false), 2u);
}

// A line end is the code unit U+000A alone, and only U+000D is taken off before it:
// 0A and 0D bytes inside other characters are text.
TEST_F(RecordAccessUtf16, LineEndsAreWholeCodeUnits) {
    const std::u16string u = u"\xFEFF"
                             u"A\x4E0A"
                             u"B\r\nC\x200D\n\x0A0D\x0A00"
                             u"D\r\n";
    for (const bool bBigEndian : {false, true}) {
        SCOPED_TRACE(bBigEndian ? "big endian" : "little endian");
        ASSERT_TRUE(OpenBytes(Utf16(u, bBigEndian)));
        EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 8}, {12, 4}, {18, 6}}));
        EXPECT_EQ(TextOf(Doc(), 0), "A?B");
        EXPECT_EQ(TextOf(Doc(), 1), "C?");
        EXPECT_EQ(TextOf(Doc(), 2), "??D");
        EXPECT_EQ(Doc().m_nLineEnd, 2u);
    }
}

TEST_F(RecordAccessUtf16, OddLastByteAndLoneMark) {
    struct Case {
        const char* name;
        std::string data;
        std::string text;
    };
    const Case cases[] = {
        {"LE odd tail",
         std::string("\xFF\xFE"
                     "A\0B",
                     5),
         "A"},
        {"BE odd tail", std::string("\xFE\xFF\0A\0", 5), "A"},
        {"LE mark alone", "\xFF\xFE", ""},
        {"BE mark alone", "\xFE\xFF", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenBytes(c.data));
        ASSERT_EQ(Doc().m_nRecords, 1u);
        EXPECT_EQ(TextOf(Doc(), 0), c.text);
        EXPECT_EQ(Doc().GetRecordLength(0, false), c.text.size());
    }
}

TEST_F(RecordAccessUtf16, TabsExpandAndTheWidthIsAlwaysExpanded) {
    ASSERT_TRUE(OpenBytes(Utf16(u"\xFEFF"
                                u"a\tb\r\nx\ty",
                                false)));
    EXPECT_EQ(TextOf(Doc(), 0, true), "a\t\t\tb");
    EXPECT_EQ(TextOf(Doc(), 0, false), "a\tb");
    EXPECT_EQ(TextOf(Doc(), 1, true, 2), "\t\ty");
    EXPECT_EQ(Doc().GetRecordLength(0, false), 5u);
    EXPECT_EQ(Doc().GetRecordLength(1, true), 5u);
}

// ============================================================ UTF-8

using RecordAccessUtf8 = CDocFixture;

TEST_F(RecordAccessUtf8, CharactersBecomeSingleBytes) {
    ASSERT_TRUE(OpenBytes("\xEF\xBB\xBF\xC3\xA4\nx\xC3\xA4y\n\xE4\na\t\xC3\xA4\n\xE2\x82\xAC\n"));
    EXPECT_EQ(TextOf(Doc(), 0), "\xE4");
    EXPECT_EQ(Doc().GetRecordLength(0, false), 1u);
    EXPECT_EQ(TextOf(Doc(), 1), "x\xE4y");
    EXPECT_EQ(Doc().GetRecordLength(1, false), 3u);
    EXPECT_EQ(TextOf(Doc(), 2), "\xE4"); // a single byte is taken as it is
    EXPECT_EQ(TextOf(Doc(), 3, true), "a\t\t\t\xE4");
    EXPECT_EQ(Doc().GetRecordLength(3, false), 5u);
    EXPECT_EQ(TextOf(Doc(), 4), "\x80");

    Doc().OnUtf8();
    EXPECT_EQ(TextOf(Doc(), 0), "\xEF\xBB\xBF\xC3\xA4");
    EXPECT_EQ(Doc().GetRecordLength(0, false), 5u);
    EXPECT_EQ(TextOf(Doc(), 1), "x\xC3\xA4y");
}

TEST_F(RecordAccessUtf8, MarkIsHiddenOnlyAtTheFileStart) {
    ASSERT_TRUE(OpenBytes("\xEF\xBB\xBF\nabc\n"));
    EXPECT_EQ(TextOf(Doc(), 0), "");
    EXPECT_EQ(Doc().GetRecordLength(0, true), 0u);

    // With a limit from the end the first record kept starts later and shows all.
    m_host.m_options.m_nRecordLimit = 1;
    m_host.m_options.m_bLimitFromEnd = true;
    ASSERT_TRUE(OpenBytes("\xEF\xBB\xBF"
                          "abc\ndef\n"));
    EXPECT_EQ(SpansOf(Doc()), (Spans{{7, 3}}));
    EXPECT_EQ(TextOf(Doc(), 0), "def");
    m_host.m_options.m_nRecordLimit = 2;
    ASSERT_TRUE(OpenBytes("\xEF\xBB\xBF"
                          "abc\ndef\n"));
    EXPECT_EQ(TextOf(Doc(), 0), "abc");
}

// Without a mark the first block decides; only ASCII leaves it to what is appended.
TEST_F(RecordAccessUtf8, DetectedWithoutAMarkAndAsTheFileGrows) {
    std::string block;
    while (block.size() < 65530)
        block += "abcdefghi\n";
    block += "xxxxx"; // the block ends inside the next character
    const struct Case {
        const char* name;
        std::string first;
        std::vector<std::string> appended; // one Extend each
        bool bOn;
        std::string text0;
        const char* setting = "1";
    } cases[] = {
        // The first three characters are no mark to hide.
        {"umlaut", "abc\xC3\xA4\n", {}, true, "abc\xE4"},
        {"emoji", "x\xF0\x9F\x98\x80\n", {}, true, "x?"},
        {"switched off", "abc\xC3\xA4\n", {}, false, "abc\xC3\xA4", "0"},
        {"cp1252", "G\xF6ran\n", {"\xC3\xA4\n"}, false, "G\xF6ran"},
        {"overlong", "a\xC0\x80\n", {}, false, "a\xC0\x80"},
        {"ASCII, then UTF-8", "abc\n", {"d\xC3\xA4\n"}, true, "abc"},
        {"ASCII, then cp1252", "abc\n", {"\xE4\n", "\xC3\xA4\n"}, false, "abc"},
        {"cut, then whole", "abc\n", {"x\xC3", "\xA4\n"}, true, "abc"},
        {"cut at the block end", block + "\xC3\xA4\n", {}, false, "abcdefghi"},
        {"empty, then UTF-8", "", {"\xC3\xA4\n"}, true, "\xE4"},
        {"only ASCII", "abc\n", {"def\n"}, false, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.SetSetting("Utf8Detect", c.setting);
        const std::string path = Write(c.first);
        ASSERT_TRUE(Open(path));
        CFakeView view;
        Doc().AddView(&view);
        for (const std::string& more : c.appended) {
            std::ofstream(path, std::ios::binary | std::ios::app) << more;
            Doc().Extend();
        }
        EXPECT_EQ(Doc().m_bUtf8 != 0, c.bOn);
        EXPECT_EQ(Doc().m_bBomUtf8, 0);
        EXPECT_EQ(TextOf(Doc(), 0), c.text0);
        // A switch while growing tells the views like the command does.
        const bool bTold = std::count(view.m_hints.begin(), view.m_hints.end(), unsigned{HINT_CHARSET}) > 0;
        EXPECT_EQ(bTold, c.bOn && !c.appended.empty());
        Doc().RemoveView(&view);
    }
}

// ============================================================ EBCDIC

using RecordAccessEbcdic = CDocFixture;

TEST_F(RecordAccessEbcdic, CodePage037BothWays) {
    ASSERT_TRUE(OpenBytes("x"));
    const uint8_t ebcdic[] = {0xC1, 0xC2, 0xC3};
    uint8_t out[3] = {};
    Doc().EbcdicToAnsi(ebcdic, out, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "ABC");
    const uint8_t abc[] = {'A', 'B', 'C'};
    Doc().AnsiToEbcdic(abc, out, 3);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{0xC1, 0xC2, 0xC3}));

    const std::pair<uint8_t, uint8_t> pairs[] = {{'0', 0xF0}, {' ', 0x40}, {'\n', 0x25},
                                                 {'a', 0x81}, {'z', 0xA9}, {'9', 0xF9},
                                                 {0x00, 0x00}};
    for (const auto& [ansi, code] : pairs) {
        uint8_t b = ansi;
        Doc().AnsiToEbcdic(&b, &b, 1); // in place
        EXPECT_EQ(b, code) << int{ansi};
        Doc().EbcdicToAnsi(&b, &b, 1);
        EXPECT_EQ(b, ansi);
    }

    // A permutation: every byte comes back.
    uint8_t all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    uint8_t coded[256];
    Doc().AnsiToEbcdic(all, coded, 256);
    std::vector<bool> seen(256);
    for (uint8_t b : coded)
        seen[b] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 256);
    Doc().EbcdicToAnsi(coded, coded, 256);
    EXPECT_EQ(std::vector<uint8_t>(coded, coded + 256), std::vector<uint8_t>(all, all + 256));
}

// ============================================================ character-set commands

using RecordAccessCharsetCommands = CDocFixture;

struct CommandState {
    bool bEnabled;
    int nCheck;
    bool operator==(const CommandState&) const = default;
};

std::ostream& operator<<(std::ostream& os, const CommandState& s) {
    return os << (s.bEnabled ? "enabled" : "disabled") << "/" << s.nCheck;
}

template <class Handler> CommandState StateOf(CTervikDoc& doc, Handler handler) {
    CCmdUI ui;
    (doc.*handler)(ui);
    return {ui.m_bEnabled, ui.m_nCheck};
}

TEST_F(RecordAccessCharsetCommands, UnicodeEntriesFollowTheMark) {
    struct Case {
        const char* name;
        std::string data;
        CommandState unicode, bigEndian, utf8;
    };
    const CommandState off{false, 0}, on{true, 1}, free{true, 0};
    const Case cases[] = {
        {"no mark", "abc\n", off, off, free},
        {"no mark, UTF-8", "G\xC3\xB6ran\n", off, off, on},
        {"no mark, cp1252", "G\xF6ran\n", off, off, free},
        {"LE mark",
         std::string("\xFF\xFE"
                     "a\0",
                     4),
         on, off, off},
        {"BE mark", std::string("\xFE\xFF\0a", 4), off, on, off},
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "a",
         off, off, on},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenBytes(c.data));
        EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateUnicode), c.unicode);
        EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateUnicodeBigEndian), c.bigEndian);
        EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateUtf8), c.utf8);
        EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateOem), (CommandState{true, 0}));
        EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateEbcdic), (CommandState{true, 0}));
    }
    // Switched off, the entry stays enabled and loses its check.
    ASSERT_TRUE(OpenBytes(std::string("\xFE\xFF\0a", 4)));
    Doc().OnUnicodeBigEndian();
    EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateUnicodeBigEndian), (CommandState{true, 0}));
    EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateUnicode), off);
    ASSERT_TRUE(OpenBytes("\xEF\xBB\xBF"
                          "a"));
    Doc().OnUtf8();
    EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateUtf8), (CommandState{true, 0}));
}

TEST_F(RecordAccessCharsetCommands, TogglesTellEveryViewWithTheirHint) {
    ASSERT_TRUE(OpenBytes(std::string("\xFF\xFE"
                                      "a\0",
                                      4)));
    CFakeView first, second;
    Doc().AddView(&first);
    Doc().AddView(&second);
    struct Step {
        void (CTervikDoc::*command)();
        unsigned nHint;
        int CTervikDoc::*flag;
    };
    const Step steps[] = {
        {&CTervikDoc::OnUnicode, 0, &CTervikDoc::m_bUtf16},
        {&CTervikDoc::OnUnicodeBigEndian, 0, &CTervikDoc::m_bUtf16},
        {&CTervikDoc::OnUtf8, 0, &CTervikDoc::m_bUtf8},
        {&CTervikDoc::OnOem, 32805, &CTervikDoc::m_bOem},
        {&CTervikDoc::OnEbcdic, 32814, &CTervikDoc::m_bEbcdic},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.nHint);
        const int nBefore = Doc().*s.flag;
        const int others =
            Doc().m_bUtf16 + Doc().m_bUtf8 + Doc().m_bOem + Doc().m_bEbcdic - nBefore;
        first.m_hints.clear();
        second.m_hints.clear();
        (Doc().*s.command)();
        EXPECT_EQ(Doc().*s.flag != 0, nBefore == 0);
        EXPECT_EQ(Doc().m_bUtf16 + Doc().m_bUtf8 + Doc().m_bOem + Doc().m_bEbcdic - (Doc().*s.flag),
                  others);
        EXPECT_EQ(first.m_hints, std::vector<unsigned>{s.nHint});
        EXPECT_EQ(second.m_hints, std::vector<unsigned>{s.nHint});
        (Doc().*s.command)();
        EXPECT_EQ(Doc().*s.flag != 0, nBefore != 0);
    }
    Doc().OnOem();
    Doc().OnEbcdic();
    EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateOem), (CommandState{true, 1}));
    EXPECT_EQ(StateOf(Doc(), &CTervikDoc::OnUpdateEbcdic), (CommandState{true, 1}));
    EXPECT_EQ(Doc().m_bBomUtf16Le, 1); // marks never change
    Doc().RemoveView(&first);
    Doc().RemoveView(&second);
}

// ============================================================ refresh

class RecordAccessRefresh : public CDocFixture {
protected:
    // Opens the data, appends more, refreshes; answers the hints the view got.
    std::vector<unsigned> OpenAppendRefresh(std::string_view before, std::string_view appended) {
        m_view.m_hints.clear();
        m_path = Write(before);
        EXPECT_TRUE(Open(m_path));
        Doc().AddView(&m_view);
        Append(m_path, appended);
        Doc().OnRefresh();
        Doc().RemoveView(&m_view);
        std::vector<unsigned> hints;
        hints.swap(m_view.m_hints);
        return hints;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> v;
        for (uint32_t i = 0; i < Doc().m_nRecords; ++i)
            v.push_back(TextOf(Doc(), i));
        return v;
    }
    CFakeView m_view;
    std::string m_path;
};

TEST_F(RecordAccessRefresh, NothingNewChangesNothing) {
    EXPECT_TRUE(OpenAppendRefresh("abc\ndef", "").empty());
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 3}, {4, 3}}));
    EXPECT_EQ(Doc().m_nFileSize, 7);
    EXPECT_EQ(Doc().m_nRecords, 2u);
}

TEST_F(RecordAccessRefresh, AppendedLinesBecomeRecords) {
    struct Case {
        const char* name;
        std::string before, appended;
        Spans spans;
        std::vector<std::string> texts;
        // Views hear of every change; a refresh that only closes the last line
        // changes no record, and whether they hear of it is left open.
        bool bCheckHint = true;
    };
    const Case cases[] = {
        {"CR LF ends the open line", "abc", "\r\ndef\r\n", {{0, 3}, {5, 3}}, {"abc", "def"}},
        // Writers flush in blocks: the open line grows, it does not become two records.
        {"continuing data grows the open line", "abc", "def\r\n", {{0, 6}}, {"abcdef"}},
        {"LF ends the open line", "abc", "\ndef", {{0, 3}, {4, 3}}, {"abc", "def"}},
        // The CR at the old end belongs to the line end that the LF completes.
        {"CR and LF on both sides of the old end",
         "abc\r",
         "\ndef\n",
         {{0, 3}, {5, 3}},
         {"abc", "def"}},
        {"only the line end", "x\nabc", "\r\n", {{0, 1}, {2, 3}}, {"x", "abc"}, false},
        {"empty line after a closed one", "abc\n", "\n", {{0, 3}, {4, 0}}, {"abc", ""}},
        {"new line after a closed one", "abc\n", "def", {{0, 3}, {4, 3}}, {"abc", "def"}},
        {"several lines",
         "a\n",
         "b\n\nc\r\nd",
         {{0, 1}, {2, 1}, {4, 0}, {5, 1}, {8, 1}},
         {"a", "b", "", "c", "d"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<unsigned> hints = OpenAppendRefresh(c.before, c.appended);
        if (c.bCheckHint) {
            EXPECT_EQ(hints, std::vector<unsigned>{32790});
        }
        EXPECT_EQ(SpansOf(Doc()), c.spans);
        EXPECT_EQ(Doc().m_nRecords, c.spans.size());
        EXPECT_EQ(Texts(), c.texts);
        EXPECT_EQ(Doc().m_nFileSize, static_cast<int64_t>(c.before.size() + c.appended.size()));
    }
}

TEST_F(RecordAccessRefresh, LineEndKindComesFromTheFirstLineEndMet) {
    OpenAppendRefresh("abc", "x\r\ny\n");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abcx", "y"}));
    EXPECT_EQ(Doc().m_nLineEnd, 2u);
    OpenAppendRefresh("abc\n", "x\r\n");
    EXPECT_EQ(Doc().m_nLineEnd, 1u); // once set it stays
}

TEST_F(RecordAccessRefresh, CrBeforeTheOldEndMakesACrLfLineEnd) {
    OpenAppendRefresh("abc\r", "\ndef\n");
    EXPECT_EQ(Doc().m_nLineEnd, 2u);
}

TEST_F(RecordAccessRefresh, Utf16LinesAppendInTheirEncoding) {
    for (const bool bBigEndian : {false, true}) {
        SCOPED_TRACE(bBigEndian ? "big endian" : "little endian");
        const auto u16 = [&](std::u16string_view u) { return Utf16(u, bBigEndian); };
        OpenAppendRefresh(u16(u"\xFEFF"
                              u"AB"),
                          u16(u"\r\nCD\r\n"));
        EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 6}, {10, 4}}));
        EXPECT_EQ(Texts(), (std::vector<std::string>{"AB", "CD"}));
        OpenAppendRefresh(u16(u"\xFEFF"
                              u"AB"),
                          u16(u"CD\n\x4E0A"
                              u"E"));
        EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 10}, {12, 4}}));
        EXPECT_EQ(Texts(), (std::vector<std::string>{"ABCD", "?E"}));
    }
}

TEST_F(RecordAccessRefresh, Utf16CrBeforeTheOldEndLeavesTheRecord) {
    for (const bool bBigEndian : {false, true}) {
        SCOPED_TRACE(bBigEndian ? "big endian" : "little endian");
        const auto u16 = [&](std::u16string_view u) { return Utf16(u, bBigEndian); };
        OpenAppendRefresh(u16(u"\xFEFF"
                              u"AB\r"),
                          u16(u"\nCD\r\n"));
        EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 6}, {10, 4}}));
        EXPECT_EQ(Texts(), (std::vector<std::string>{"AB", "CD"}));
    }
}

TEST_F(RecordAccessRefresh, FixedLengthCompletesTheLastRecordFirst) {
    m_host.m_options.m_nFixRecSize = 10;
    EXPECT_EQ(OpenAppendRefresh(Pattern(25), Pattern(12, 25)), std::vector<unsigned>{32790});
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 10}, {10, 10}, {20, 10}, {30, 7}}));
    EXPECT_EQ(Doc().m_nMaxLength, 10u);
    EXPECT_EQ(TextOf(Doc(), 2), Pattern(10, 20));
    // The next refresh grows the new short record.
    Doc().AddView(&m_view);
    Append(m_path, Pattern(5, 37));
    Doc().OnRefresh();
    EXPECT_EQ(m_view.m_hints, std::vector<unsigned>{32790});
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 10}, {10, 10}, {20, 10}, {30, 10}, {40, 2}}));
    // A complete last record is left alone.
    OpenAppendRefresh(Pattern(20), "\n\n\n");
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 10}, {10, 10}, {20, 3}}));
    // Too few new bytes only grow the last record.
    EXPECT_EQ(OpenAppendRefresh(Pattern(25), "ab"), std::vector<unsigned>{32790});
    EXPECT_EQ(SpansOf(Doc()), (Spans{{0, 10}, {10, 10}, {20, 7}}));
}

TEST_F(RecordAccessRefresh, LargeAppendAcrossBlocks) {
    m_host.SetSetting("MaxRecSize", "150");
    const std::string more = HundredByteLines(1500) + std::string(400, 'w');
    EXPECT_EQ(OpenAppendRefresh("head\n", more), std::vector<unsigned>{32790});
    // 1500 lines, then 400 letters cut at 150.
    ASSERT_EQ(Doc().m_nRecords, 1u + 1500u + 3u);
    EXPECT_EQ(Doc().Record(1500)->m_nOffset, 5u + 100u * 1499u);
    EXPECT_EQ(TextOf(Doc(), 1500), more.substr(100 * 1499, 99));
    EXPECT_EQ(TextOf(Doc(), 1), more.substr(0, 99));
    EXPECT_EQ(SpansOf(Doc()).back(), (std::pair<uint64_t, uint32_t>{5 + 150000 + 300, 100}));
    EXPECT_EQ(Doc().m_nMaxLength, 150u);
    EXPECT_NE(Doc().Record(1)->m_nFlags & RF_NO_TAB, 0u);
    EXPECT_EQ(Doc().m_nFileSize, static_cast<int64_t>(5 + more.size()));
}

TEST_F(RecordAccessRefresh, ShrunkFileIsNotNoticed) {
    const std::string path = Write(HundredByteLines(10));
    ASSERT_TRUE(Open(path));
    Doc().AddView(&m_view);
    std::filesystem::resize_file(path, 500);
    Doc().OnRefresh();
    EXPECT_TRUE(m_view.m_hints.empty());
    EXPECT_EQ(Doc().m_nRecords, 10u);
    EXPECT_EQ(Doc().m_nFileSize, 1000);
    Doc().RemoveView(&m_view);
}

TEST_F(RecordAccessRefresh, RecordsLeftOutByALimitStayOut) {
    m_host.m_options.m_nRecordLimit = 2;
    for (const bool bFromEnd : {false, true}) {
        SCOPED_TRACE(bFromEnd ? "from the end" : "from the start");
        m_host.m_options.m_bLimitFromEnd = bFromEnd;
        EXPECT_TRUE(OpenAppendRefresh("1\n2\n3\n4\n5\n", "").empty());
        EXPECT_EQ(Doc().m_nRecords, 2u);
        OpenAppendRefresh("1\n2\n3\n4\n5\n", "new\n");
        EXPECT_EQ(Texts(), (bFromEnd ? std::vector<std::string>{"4", "5", "new"}
                                     : std::vector<std::string>{"1", "2", "new"}));
        EXPECT_EQ(Doc().Record(2)->m_nOffset, 10u);
    }
}

TEST_F(RecordAccessRefresh, DigestDescribesTheBytesReadAtOpen) {
    const std::string before = HundredByteLines(5);
    OpenAppendRefresh(before, "tail\n");
    EXPECT_EQ(Doc().m_nRecords, 6u);
    EXPECT_EQ(std::string(Doc().GetDigest()), CMd5::HexOf(before.data(), before.size()));
}

TEST_F(RecordAccessRefresh, TabFlagsOfAppendedRecords) {
    OpenAppendRefresh("x\n", "a\tb\nc\nd");
    ASSERT_EQ(Doc().m_nRecords, 4u);
    EXPECT_EQ(Doc().Record(1)->m_nFlags & RF_NO_TAB, 0u);
    EXPECT_NE(Doc().Record(2)->m_nFlags & RF_NO_TAB, 0u);
    EXPECT_EQ(Doc().GetRecordLength(1, true), 5u);
}

} // namespace
} // namespace tervik
