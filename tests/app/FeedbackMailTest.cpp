#include "app/FeedbackMail.h"
#include "app/ProductVersion.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tervik {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        lines.push_back(text.substr(pos, end - pos));
    lines.push_back(text.substr(pos));
    return lines;
}

TEST(FeedbackMail, SubjectPerKind) {
    struct Case {
        FeedbackKind kind;
        const char* version;
        const char* subject;
    } cases[] = {
        {FeedbackKind::Praise, "0.1.0", "Z:Orv's File-Viewer Version 0.1.0"},
        {FeedbackKind::Suggestion, "2.10.3", "V:Orv's File-Viewer Version 2.10.3"},
        {FeedbackKind::Error, "1.0", "F:Orv's File-Viewer Version 1.0"},
        {FeedbackKind::Error, "", "F:Orv's File-Viewer Version "}, // no version known
    };
    for (const auto& c : cases)
        EXPECT_EQ(FeedbackSubject(c.kind, c.version), c.subject);
    EXPECT_EQ(FeedbackSubject(FeedbackKind::Praise, std::string(200, '9')).size(), 79u);
}

TEST(FeedbackMail, BodyFormsDifferOnlyInTheMiddle) {
    const std::string rule(70, '=');
    const std::string dots(49, '.');
    struct Case {
        FeedbackKind kind;
        std::vector<std::string> middle;
    } cases[] = {
        {FeedbackKind::Praise, {"Ich verwende dieses Softwaretool und bin zufrieden damit."}},
        {FeedbackKind::Suggestion, {"Beschreibung des Verbesserungvorschlages:", "", dots}},
        {FeedbackKind::Error, {"Beschreibung des Programmfehlers:", "", dots}},
    };
    const std::vector<std::string> head = {"Bitte Ihre Daten ausfüllen:",
                                           "",
                                           "Firma: ",
                                           "Ansprechperson: ",
                                           "Telefon: ",
                                           "Fax: ",
                                           "e-Mail: ",
                                           "",
                                           rule,
                                           ""};
    const std::vector<std::string> tail = {
        "",
        rule,
        "",
        "Daten Ihres Computer's:",
        "",
        "Betriebssystem: %SYSTEMNAME %SYSTEMVERSION",
        "Arbeitsspeicher: %MEMORY",
        "Systemzeit: %SYSTEMTIME",
        "",
        rule,
        "",
        "Bei einer neuen Softwareversion des Programmes:",
        "",
        "Wollen Sie eine Benachrichtigung darüber: Ja/Nein",
        "Wollen Sie neue Versionen des Software-Tools per e-Mail: Ja/Nein",
        "",
        "!!! Der Entwickler bedankt sich für Ihr e-Mail !!!"};
    for (const auto& c : cases) {
        const std::string body = FeedbackBodyForm(c.kind);
        std::vector<std::string> expected = head;
        expected.insert(expected.end(), c.middle.begin(), c.middle.end());
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(Lines(body), expected);
        // CR LF only, and none after the last line.
        EXPECT_EQ(body.find("\n"), body.find("\r\n") + 1);
        for (size_t i = 0; (i = body.find('\n', i)) != std::string::npos; ++i)
            ASSERT_EQ(body[i - 1], '\r');
        EXPECT_NE(body.back(), '\n');
    }
}

TEST(FeedbackMail, ReplaceAll) {
    struct Case {
        const char* text;
        const char* placeholder;
        const char* value;
        const char* result;
    } cases[] = {
        {"Betriebssystem: %SYSTEMNAME", "%SYSTEMNAME", "Linux", "Betriebssystem: Linux"},
        {"%A%A-%A", "%A", "xy", "xyxy-xy"},
        {"%A", "%A", "", ""},
        {"kein Platzhalter", "%A", "x", "kein Platzhalter"},
        {"", "%A", "x", ""},
        // A value holding the placeholder is inserted once, not replaced again and again.
        {"[%A] [%A]", "%A", "<%A>", "[<%A>] [<%A>]"},
        {"%%AA", "%A", "B", "%BA"},
        {"unverändert", "", "x", "unverändert"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.placeholder, c.value), c.result) << c.text;
}

TEST(FeedbackMail, PlaceholdersFilledWithTheMachinesData) {
    OsVersion os{"Linux", 6, 1};
    MemoryStatus memory{16318240, 999420, 37};
    LocalDateTime time{2026, 12, 7, 9, 5, 3};
    const FeedbackValues values = MakeFeedbackValues(os, memory, time);
    const std::vector<std::string> lines =
        Lines(FillFeedbackBody(FeedbackBodyForm(FeedbackKind::Error), values));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[18], "Betriebssystem: Linux Version 6.1");
    EXPECT_EQ(lines[19], "Arbeitsspeicher: 16318240 KB (phys) - 999420 KB (paging) - 37% (usage)");
    EXPECT_EQ(lines[20], "Systemzeit: 7.12.2026 09:05:03");

    // Every placeholder, wherever it stands and however often.
    EXPECT_EQ(FillFeedbackBody("%SYSTEMTIME|%SYSTEMNAME%SYSTEMNAME|%MEMORY|%SYSTEMVERSION", values),
              "7.12.2026 09:05:03|LinuxLinux|16318240 KB (phys) - 999420 KB (paging) - 37% "
              "(usage)|Version 6.1");
    // A text without "%" is sent as it is.
    EXPECT_EQ(FillFeedbackBody("SYSTEMNAME\r\n", values), "SYSTEMNAME\r\n");

    // Memory beyond 2 TB is no negative number; values are cut at 63 characters.
    memory.m_nTotalPhysKB = 4ull << 31;
    os.m_name = std::string(100, 'n');
    const FeedbackValues big = MakeFeedbackValues(os, memory, time);
    EXPECT_EQ(big.m_memory.rfind("8589934592 KB (phys)", 0), 0u);
    EXPECT_EQ(big.m_systemName, std::string(63, 'n'));
    EXPECT_EQ(MakeFeedbackValues({}, memory, time).m_systemName, "unbekannt");
}

TEST(FeedbackMail, MailtoUrlEncodesEverythingButPlainCharacters) {
    EXPECT_EQ(MailtoUrl("feedback@tervik.invalid", "F:Orv's File-Viewer Version 1.0",
                        "Grüße & 100% = ja?\r\n#1+2"),
              "mailto:feedback@tervik.invalid?subject=F%3AOrv%27s%20File-Viewer%20Version%201.0"
              "&body=Gr%C3%BC%C3%9Fe%20%26%20100%25%20%3D%20ja%3F%0D%0A%231%2B2");
    // A recipient cannot smuggle in headers of its own; a list of addresses stays one.
    EXPECT_EQ(MailtoUrl("a@x.test?cc=b@y.test", "", ""),
              "mailto:a@x.test%3Fcc%3Db@y.test?subject=&body=");
    EXPECT_EQ(MailtoUrl("a@x.test,b@y.test", "S", "B"),
              "mailto:a@x.test,b@y.test?subject=S&body=B");
}

TEST(ProductVersion, CopiedWhenItFitsElseCut) {
    struct Case {
        const char* version;
        size_t nSize;
        size_t nResult;
        const char* buffer;
    } cases[] = {
        {"1.0", 10, 3, "1.0"},
        {"123456789", 10, 9, "123456789"},
        {"1234567890", 10, 0, "123456789"},
        {"", 10, 0, ""},
        {"1.0", 1, 0, ""},
        {"1.0", 0, 0, "untouched"},
    };
    for (const auto& c : cases) {
        char sz[16] = "untouched";
        EXPECT_EQ(CopyProductVersion(c.version, sz, c.nSize), c.nResult) << c.version << c.nSize;
        EXPECT_STREQ(sz, c.buffer) << c.version << c.nSize;
    }
    // The build's own version fits the subject's ten bytes.
    char sz[10];
    EXPECT_GT(GetProductVersion(sz, sizeof sz), 0u);
}

} // namespace
} // namespace tervik
