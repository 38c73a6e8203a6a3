#include "search/SelectionScript.h"

#include "platform/SysFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

// Everything a script line carries, for comparisons with readable failures.
std::string Describe(const SelectCriteria& c) {
    return "mode=" + std::to_string(c.m_nMode) + " lines=" + std::to_string(c.m_nFirstLine) + ".." +
           std::to_string(c.m_nEndLine) + " size=" + std::to_string(c.m_nSizeTest) + "/" +
           std::to_string(c.m_nSizeValue) + " flags=" + std::to_string(c.m_nFlags) +
           " cols=" + std::to_string(c.m_nColumnFrom) + ".." + std::to_string(c.m_nColumnTo) +
           " text=[" + c.m_text + "] pre=[" + c.m_preLines + "] post=[" + c.m_postLines +
           "] scope=" + std::to_string(c.m_bScope);
}

struct Crit {
    SelectCriteria c;
    Crit(int32_t nMode, uint32_t nFirst, uint32_t nEnd) {
        c.m_nMode = nMode;
        c.m_nFirstLine = nFirst;
        c.m_nEndLine = nEnd;
    }
    Crit& Size(int32_t nTest, uint32_t nValue) {
        c.m_nSizeTest = nTest;
        c.m_nSizeValue = nValue;
        return *this;
    }
    Crit& Text(std::string text, uint16_t nFlags = 0) {
        c.m_text = std::move(text);
        c.m_nFlags = static_cast<uint16_t>(c.m_nFlags | nFlags);
        return *this;
    }
    Crit& Columns(uint16_t nFrom, uint16_t nTo) {
        c.m_nFlags = static_cast<uint16_t>(c.m_nFlags | SEL_COLUMN_RANGE);
        c.m_nColumnFrom = nFrom;
        c.m_nColumnTo = nTo;
        return *this;
    }
    Crit& Lines(std::string pre, std::string post) {
        c.m_preLines = std::move(pre);
        c.m_postLines = std::move(post);
        return *this;
    }
    Crit& Scope() {
        c.m_bScope = 1;
        return *this;
    }
};

TEST(ScriptWriter, SelectAndDeselectLines) {
    struct Case {
        SelectCriteria c;
        uint32_t nRecords;
        std::string line;
    } cases[] = {
        {Crit(1, 0, 500)
             .Size(SIZE_LONGER, 80)
             .Text("Fehler", SEL_MATCH_CASE)
             .Lines("", "1")
             .Scope()
             .c,
         1000,
         "SELECT LINE=(0,500),RECSIZE=(GT,80),TEXT=\"Fehler\",MATCHCASE=YES,POSTLINES=\"1\","
         "SCOPE=SEL\r\n"},
        {Crit(1, 0, 1000).c, 1000, "SELECT LINE=*ALL\r\n"},
        {Crit(1, 0, 0).c, 0, "SELECT LINE=*ALL\r\n"},
        {Crit(1, 0, 999).c, 1000, "SELECT LINE=(0,999)\r\n"},
        {Crit(1, 1, 1000).c, 1000, "SELECT LINE=(1,1000)\r\n"},
        {Crit(1, 0, 1000).c, 999, "SELECT LINE=(0,1000)\r\n"},
        // Any mode but 0 selects; deselect runs have no scope.
        {Crit(7, 2, 3).c, 9, "SELECT LINE=(2,3)\r\n"},
        {Crit(0, 0, 9).Scope().c, 9, "DESELECT LINE=*ALL\r\n"},
        // Lines beyond 2^31 stay unsigned.
        {Crit(0, 3000000000u, 4294967295u).c, 5, "DESELECT LINE=(3000000000,4294967295)\r\n"},
        {Crit(1, 0, 1).Size(SIZE_SHORTER, 4000000000u).c, 2,
         "SELECT LINE=(0,1),RECSIZE=(LT,4000000000)\r\n"},
        {Crit(1, 0, 1).Size(SIZE_EQUAL, 0).c, 2, "SELECT LINE=(0,1),RECSIZE=(EQ,0)\r\n"},
        {Crit(1, 0, 1).Size(SIZE_NOT_EQUAL, 5).c, 2, "SELECT LINE=(0,1),RECSIZE=(NE,5)\r\n"},
        {Crit(1, 0, 1).Size(5, 5).c, 2, "SELECT LINE=(0,1)\r\n"},
        {Crit(1, 0, 1).Size(-1, 5).c, 2, "SELECT LINE=(0,1)\r\n"},
        // Text options only with a text.
        {Crit(1, 3, 7).Text("", SEL_WILDCARDS | SEL_MATCH_CASE | SEL_HEX_STRING).Columns(1, 2).c, 9,
         "SELECT LINE=(3,7)\r\n"},
        {Crit(1, 0, 9)
             .Text("say \"hi\"", SEL_WILDCARDS | SEL_MATCH_CASE | SEL_HEX_STRING | SEL_MULTI_TEXT)
             .Columns(4, 19)
             .Lines("1-2", "\"x")
             .c,
         9,
         "SELECT LINE=*ALL,TEXT=\"say \"\"hi\"\"\",WILDCARD=YES,MATCHCASE=YES,SEARCHROW=(4,19),"
         "HEXSTRING=YES,MULTITEXT=YES,PRELINES=\"1-2\",POSTLINES=\"\"\"x\"\r\n"},
        {Crit(0, 0, 9).Text("\"").Lines("3", "").c, 10,
         "DESELECT LINE=(0,9),TEXT=\"\"\"\",PRELINES=\"3\"\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScriptSelectLine(c.c, c.nRecords), c.line);
}

TEST(ScriptWriter, ColourAndInvertLines) {
    const std::pair<int, std::string> cases[] = {{0, "SELECT_COLOR BLUE\r\n"},
                                                 {1, "SELECT_COLOR RED\r\n"},
                                                 {2, "SELECT_COLOR GREEN\r\n"},
                                                 {3, "SELECT_COLOR BLUE\r\n"},
                                                 {-1, "SELECT_COLOR BLUE\r\n"}};
    for (const auto& [nColour, line] : cases)
        EXPECT_EQ(ScriptColourLine(nColour), line);
}

TEST(ScriptReader, StatementKinds) {
    using K = ScriptStatement::Kind;
    struct Case {
        std::string line;
        K eKind;
        int nColour;
    } cases[] = {
        {"SELECT_COLOR BLUE", K::kColour, 0},
        {"SELECT_COLOR RED", K::kColour, 1},
        {"select_color green", K::kColour, 2},
        {"  Select_Color   Red  ", K::kColour, 1},
        {"SELECT_COLOR RED,GREEN", K::kColour, 1},
        {"SELECT_COLOR REDDISH", K::kColour, 0},
        {"SELECT_COLOR", K::kColour, 0},
        {"INVERTSELECT", K::kInvert, 0},
        {"  invertselect whatever", K::kInvert, 0},
        {"SELECT", K::kSelect, 0},
        {"deselect LINE=*ALL", K::kDeselect, 0},
        {"", K::kIgnored, 0},
        {"    ", K::kIgnored, 0},
        {"SELECTX LINE=*ALL", K::kIgnored, 0},
        {"REM SELECT LINE=*ALL", K::kIgnored, 0},
        {"SELECT_COLOUR RED", K::kIgnored, 0},
        {"INVERT SELECT", K::kIgnored, 0},
    };
    for (const auto& c : cases) {
        const ScriptStatement st = ParseScriptLine(c.line, 10);
        EXPECT_EQ(st.m_eKind, c.eKind) << c.line;
        EXPECT_EQ(st.m_nColour, c.nColour) << c.line;
    }
}

TEST(ScriptReader, SelectOptions) {
    const std::string longList(80, '7');
    struct Case {
        std::string line;
        SelectCriteria c;
    } cases[] = {
        {"SELECT LINE=(0,500),RECSIZE=(GT,80),TEXT=\"Fehler\",MATCHCASE=YES,POSTLINES=\"1\","
         "SCOPE=SEL",
         Crit(1, 0, 500)
             .Size(SIZE_LONGER, 80)
             .Text("Fehler", SEL_MATCH_CASE)
             .Lines("", "1")
             .Scope()
             .c},
        {"select LINE=*all", Crit(1, 0, 77).c},
        // Option keys must be upper case.
        {"select line=*ALL,TEXT=\"a\",matchcase=YES,scope=SEL", Crit(1, 0, 0).Text("a").c},
        {"  DeSelect   LINE=(5,9),SCOPE=SEL", Crit(0, 5, 9).c},
        // Any order, values in any case, blanks after commas.
        {"SELECT SCOPE=sel, MATCHCASE=yes,POSTLINES=\"2\",TEXT=\"a\",RECSIZE=(ne,3),LINE=(1,2)",
         Crit(1, 1, 2).Size(SIZE_NOT_EQUAL, 3).Text("a", SEL_MATCH_CASE).Lines("", "2").Scope().c},
        {"SELECT LINE=(1,2),WILDCARD=YES,MATCHCASE=YES,SEARCHROW=(1,2),HEXSTRING=YES",
         Crit(1, 1, 2).c},
        {"SELECT LINE=*ALL,TEXT=plain,WILDCARD=Yes,HEXSTRING=YES,MULTITEXT=yes,MATCHCASE=NO",
         Crit(1, 0, 77).Text("plain", SEL_WILDCARDS | SEL_HEX_STRING | SEL_MULTI_TEXT).c},
        // A key must start an option: neither a longer key nor a quoted value holds one.
        {"SELECT MULTITEXT=YES,TEXT=\"a|b\",LINE=*ALL",
         Crit(1, 0, 77).Text("a|b", SEL_MULTI_TEXT).c},
        {"SELECT LINE=*ALL,PRELINES=\"TEXT=x,SCOPE=SEL\"",
         Crit(1, 0, 77).Lines("TEXT=x,SCOPE=SEL", "").c},
        {"SELECT LINE=(1,2),TEXT=\"RECSIZE=(GT,5),LINE=(3,4)\"",
         Crit(1, 1, 2).Text("RECSIZE=(GT,5),LINE=(3,4)").c},
        {"SELECT LINES=(8,9),LINE=(1,2)", Crit(1, 1, 2).c},
        // Size tests.
        {"SELECT LINE=(0,1),RECSIZE=(gt,12)", Crit(1, 0, 1).Size(SIZE_LONGER, 12).c},
        {"SELECT LINE=(0,1),RECSIZE=(Lt,4000000000)",
         Crit(1, 0, 1).Size(SIZE_SHORTER, 4000000000u).c},
        {"SELECT LINE=(0,1),RECSIZE=( EQ ,0)", Crit(1, 0, 1).Size(SIZE_EQUAL, 0).c},
        {"SELECT LINE=(0,1),RECSIZE=(XX,5)", Crit(1, 0, 1).c},
        {"SELECT LINE=(0,1),RECSIZE=(GT)", Crit(1, 0, 1).c},
        {"SELECT LINE=(0,1),RECSIZE=GT", Crit(1, 0, 1).c},
        // Line ranges: lenient, and older scripts wrote large lines negative.
        {"SELECT LINE=(7)", Crit(1, 7, 0).c},
        {"SELECT LINE=( 1, +2)", Crit(1, 1, 2).c},
        {"SELECT LINE=(1 ,2)", Crit(1, 1, 0).c},
        {"SELECT LINE=all", Crit(1, 0, 0).c},
        {"SELECT LINE=*ALL ", Crit(1, 0, 77).c},
        {"SELECT LINE=(-1294967296,-1)", Crit(1, 3000000000u, 4294967295u).c},
        {"SELECT LINE=(99999999999999999999999,-99999999999)", Crit(1, 4294967295u, 0).c},
        // Column ranges: both numbers needed, clamped to 16 bits.
        {"SELECT TEXT=\"a\",SEARCHROW=(-5,70000)", Crit(1, 0, 0).Text("a").Columns(0, 65535).c},
        {"SELECT TEXT=\"a\",SEARCHROW=(7)", Crit(1, 0, 0).Text("a").c},
        // Line lists are cut, an empty text is no text.
        {"SELECT PRELINES=\"" + longList + "\",POSTLINES=1-3",
         Crit(1, 0, 0).Lines(longList.substr(0, kMaxLineList), "1-3").c},
        {"SELECT LINE=*ALL,TEXT=\"\",MATCHCASE=YES", Crit(1, 0, 77).c},
        // Unterminated values run to the end of the line.
        {"SELECT LINE=*ALL,TEXT=\"open,MATCHCASE=YES", Crit(1, 0, 77).Text("open,MATCHCASE=YES").c},
        {"SELECT LINE=(4,5", Crit(1, 4, 5).c},
    };
    for (const auto& c : cases) {
        const ScriptStatement st = ParseScriptLine(c.line, 77);
        EXPECT_EQ(Describe(st.m_criteria), Describe(c.c)) << c.line;
    }
}

TEST(TakeScriptValue, FindsOnlyWholeOptions) {
    struct Case {
        std::string rest;
        std::string key;
        std::string value;
        std::string restAfter;
    } cases[] = {
        {"LINE=(0,500),TEXT=\"a\"", "LINE", "(0,500)", "TEXT=\"a\""},
        {"LINE=*ALL,TEXT=\"a\",SCOPE=SEL", "TEXT", "a", "LINE=*ALL,SCOPE=SEL"},
        {"LINE=*ALL,SCOPE=SEL", "SCOPE", "SEL", "LINE=*ALL"},
        {"TEXT=\"say \"\"hi\"\"\",X=1", "TEXT", "say \"hi\"", "X=1"},
        {"TEXT=\"\"\"\"", "TEXT", "\"", ""},
        {"RECSIZE=(GT,80),TEXT=\"x\"", "RECSIZE", "(GT,80)", "TEXT=\"x\""},
        {"SEARCHROW=(1,2)x,A=1", "SEARCHROW", "(1,2)x", "A=1"},
        {"A=1,  TEXT=x ,B=2", "TEXT", "x ", "A=1,B=2"},
        {"  TEXT=x", "TEXT", "x", ""},
        {"TEXT=\"a\"junk,B=2", "TEXT", "a", "B=2"},
        {"A=\"x,TEXT=y\",TEXT=z", "TEXT", "z", "A=\"x,TEXT=y\""},
        {"A=(TEXT=1,2),TEXT=z", "TEXT", "z", "A=(TEXT=1,2)"},
        {"MULTITEXT=YES,TEXT=\"a\"", "TEXT", "a", "MULTITEXT=YES"},
        {"LINES=3,LINE=(1,2)", "LINE", "(1,2)", "LINES=3"},
        {"junk,TEXT=a", "TEXT", "a", "junk"},
        {",,TEXT=a,", "TEXT", "a", ",,"},
        // Unterminated values.
        {"A=1,TEXT=\"abc,B=2", "TEXT", "abc,B=2", "A=1"},
        {"A=1,SEARCHROW=(1,2", "SEARCHROW", "(1,2", "A=1"},
        {"A=\"open,TEXT=a", "TEXT", "", "A=\"open,TEXT=a"},
        // Absent keys leave the rest alone.
        {"TEXT=\"a,RECSIZE=(GT,5)\",WILDCARD=YES", "RECSIZE", "",
         "TEXT=\"a,RECSIZE=(GT,5)\",WILDCARD=YES"},
        {"text=\"a\"", "TEXT", "", "text=\"a\""},
        {"TEXT,A=1", "TEXT", "", "TEXT,A=1"},
        {"TEXT =1", "TEXT", "", "TEXT =1"},
        {"", "TEXT", "", ""},
        {"TEXT=1", "", "", "TEXT=1"},
        // An empty value counts as absent but goes all the same.
        {"A=1,TEXT=", "TEXT", "", "A=1"},
        {"A=1,TEXT=\"\",B=2", "TEXT", "", "A=1,B=2"},
    };
    for (const auto& c : cases) {
        std::string rest = c.rest;
        std::string value = "stale";
        EXPECT_EQ(TakeScriptValue(rest, c.key, value), c.value.size()) << c.rest;
        EXPECT_EQ(value, c.value) << c.rest;
        EXPECT_EQ(rest, c.restAfter) << c.rest;
    }
}

// What a played-back line must give for a recorded run.
SelectCriteria Played(const SelectCriteria& c, uint32_t nRecords) {
    SelectCriteria p;
    p.m_nMode = c.m_nMode != 0 ? 1 : 0;
    p.m_nFirstLine = c.m_nFirstLine;
    p.m_nEndLine = c.m_nFirstLine == 0 && c.m_nEndLine == nRecords ? nRecords : c.m_nEndLine;
    if (c.m_nSizeTest >= SIZE_LONGER && c.m_nSizeTest <= SIZE_NOT_EQUAL) {
        p.m_nSizeTest = c.m_nSizeTest;
        p.m_nSizeValue = c.m_nSizeValue;
    }
    if (!c.m_text.empty()) {
        p.m_text = c.m_text;
        p.m_nFlags =
            static_cast<uint16_t>(c.m_nFlags & (SEL_COLUMN_RANGE | SEL_WILDCARDS | SEL_MATCH_CASE |
                                                SEL_HEX_STRING | SEL_MULTI_TEXT));
        if (p.m_nFlags & SEL_COLUMN_RANGE) {
            p.m_nColumnFrom = c.m_nColumnFrom;
            p.m_nColumnTo = c.m_nColumnTo;
        }
    }
    p.m_preLines = c.m_preLines;
    p.m_postLines = c.m_postLines;
    p.m_bScope = p.m_nMode != 0 && c.m_bScope ? 1 : 0;
    return p;
}

TEST(SelectionScript, RecordedRunsPlayBackUnchanged) {
    std::vector<SelectCriteria> runs = {
        Crit(1, 0, 500)
            .Size(SIZE_LONGER, 80)
            .Text("Fehler", SEL_MATCH_CASE)
            .Lines("", "1")
            .Scope()
            .c,
        Crit(0, 0, 100).Text("a,b", SEL_WILDCARDS).Columns(0, 65535).c,
        Crit(1, 4294967295u, 4294967295u).Size(SIZE_EQUAL, 4294967295u).c,
        Crit(1, 0, 1).Text("TEXT=\"x\",RECSIZE=(GT,1),SCOPE=SEL,LINE=*ALL").Lines(",", ")").c,
        Crit(1, 0, 1)
            .Text(std::string(static_cast<size_t>(kMaxSelectText), '"'))
            .Lines(std::string(kMaxLineList, '"'), std::string(kMaxLineList, ','))
            .c,
        Crit(1, 2, 3).Text(" lead, \"trail\" ", SEL_HEX_STRING | SEL_MULTI_TEXT).c,
        Crit(1, 2, 3).Text(std::string("a\0b\rc", 5)).c,
    };
    // And random ones over an alphabet of the format's own characters.
    std::mt19937 rng(42);
    const std::string alphabet = "aZ 0,()=\"\r*|\xE4;LINETXSCOPE";
    auto randomText = [&](size_t nMax) {
        std::string s(rng() % (nMax + 1), ' ');
        for (char& ch : s)
            ch = alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int i = 0; i < 500; ++i) {
        SelectCriteria c;
        c.m_nMode = static_cast<int32_t>(rng() % 3);
        c.m_nFirstLine = rng() % 4 == 0 ? 0 : static_cast<uint32_t>(rng());
        c.m_nEndLine = rng() % 4 == 0 ? 100 : static_cast<uint32_t>(rng());
        c.m_nSizeTest = static_cast<int32_t>(rng() % 6);
        c.m_nSizeValue = static_cast<uint32_t>(rng());
        c.m_nFlags = static_cast<uint16_t>(rng());
        c.m_nColumnFrom = static_cast<uint16_t>(rng());
        c.m_nColumnTo = static_cast<uint16_t>(rng());
        c.m_text = randomText(static_cast<size_t>(kMaxSelectText));
        c.m_preLines = randomText(kMaxLineList);
        c.m_postLines = randomText(kMaxLineList);
        c.m_bScope = static_cast<int32_t>(rng() % 2);
        runs.push_back(c);
    }
    for (const SelectCriteria& c : runs) {
        const std::string line = ScriptSelectLine(c, 100);
        const auto lines = CScriptReader::SplitScriptLines(line);
        ASSERT_EQ(lines.size(), 1u) << line;
        const ScriptStatement st = ParseScriptLine(lines[0], 100);
        EXPECT_EQ(st.m_eKind,
                  c.m_nMode != 0 ? ScriptStatement::kSelect : ScriptStatement::kDeselect);
        EXPECT_EQ(Describe(st.m_criteria), Describe(Played(c, 100))) << line;
    }
}

TEST(ScriptLines, CutLikeATextStream) {
    const std::string x1023(1023, 'x');
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"a\r\r\nb\r\n", {"a\r", "b"}},
        {"a\rb\n\r", {"a\rb", "\r"}},
        {"\n\r\n", {"", ""}},
        {x1023 + "\r\n" + x1023 + "\n", {x1023, x1023}},
        {x1023 + "y\r\nz", {x1023, "y", "z"}},
        {x1023 + "\r", {x1023, "\r"}},
        {std::string(2500, 'y'),
         {std::string(1023, 'y'), std::string(1023, 'y'), std::string(454, 'y')}},
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    test::CTempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(CScriptReader::SplitScriptLines(c.content), c.lines);
        CScriptReader reader;
        uint32_t nError = 0;
        ASSERT_TRUE(reader.Open(dir.Write("s.terviks", c.content), nError));
        std::vector<std::string> lines;
        std::string line;
        while (reader.NextLine(line, nError) == CScriptReader::kLine)
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(ScriptLines, FileReaderAgreesAcrossReadChunks) {
    // Long lines, CR LF pairs and lone CRs land on every side of the reader's chunks.
    std::mt19937 rng(3);
    std::string content;
    while (content.size() < 300000) {
        const size_t nLength = rng() % 8 == 0 ? rng() % 3000 : rng() % 100;
        for (size_t i = 0; i < nLength; ++i)
            content += rng() % 50 == 0 ? '\r' : static_cast<char>('a' + rng() % 26);
        content += rng() % 2 ? "\r\n" : "\n";
    }
    test::CTempDir dir;
    CScriptReader reader;
    uint32_t nError = 0;
    ASSERT_TRUE(reader.Open(dir.Write("big.terviks", content), nError));
    std::vector<std::string> lines;
    std::string line;
    CScriptReader::Result eResult;
    while ((eResult = reader.NextLine(line, nError)) == CScriptReader::kLine)
        lines.push_back(line);
    EXPECT_EQ(eResult, CScriptReader::kEnd);
    EXPECT_EQ(lines, CScriptReader::SplitScriptLines(content));
    for (const std::string& l : lines)
        ASSERT_LE(l.size(), CScriptReader::kMaxLine);
}

TEST(ScriptLines, FileErrorsCarryTheSystemCode) {
    test::CTempDir dir;
    CScriptReader reader;
    uint32_t nError = 0;
    EXPECT_FALSE(reader.Open(dir.File("missing.terviks"), nError));
    EXPECT_EQ(nError, static_cast<uint32_t>(ENOENT));

    ASSERT_TRUE(reader.Open(dir.Write("s.terviks", "INVERTSELECT\r\n"), nError));
    CSysFile::SetReadFailureHook([](int64_t) { return static_cast<uint32_t>(EIO); });
    std::string line;
    nError = 0;
    EXPECT_EQ(reader.NextLine(line, nError), CScriptReader::kError);
    CSysFile::SetReadFailureHook({});
    EXPECT_EQ(nError, static_cast<uint32_t>(EIO));
}

} // namespace
} // namespace tervik
