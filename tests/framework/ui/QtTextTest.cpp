#include "framework/ui/QtText.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

namespace tervik {
namespace {

// Paths are UTF-8 bytes, program text is cp1252: the same bytes read either way give
// different characters, and each way back gives the bytes again.
TEST(QtTextTest, PathsAndProgramTextCrossEachInTheirOwnCode) {
    struct Case {
        const char* name;
        std::string path; // UTF-8
        QString shown;
    };
    const Case cases[] = {
        {"ascii", "/tmp/a b/log.txt", QStringLiteral("/tmp/a b/log.txt")},
        {"umlauts", "/home/jörg/Größe.log", QString::fromUtf16(u"/home/jörg/Größe.log")},
        {"euro sign", "/tmp/\xE2\x82\xAC.txt", QString::fromUtf16(u"/tmp/€.txt")},
        {"outside the basic plane", "/tmp/\xF0\x9F\x93\x84",
         QString::fromUtf16(u"/tmp/\U0001F4C4")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FromPath(c.path), c.shown);
        EXPECT_EQ(ToPath(c.shown), c.path);
    }
    // "ö" as UTF-8 is two bytes that cp1252 shows as two characters.
    EXPECT_EQ(FromAnsi("\xC3\xB6"), QString::fromUtf16(u"Ã¶"));
    EXPECT_EQ(ToAnsi(QString::fromUtf16(u"Größe €")), "Gr\xF6\xDF"
                                                      "e \x80");
    // A character cp1252 lacks is one '?', also when UTF-16 needs two units for it.
    EXPECT_EQ(ToAnsi(QString::fromUtf16(u"a\U0001F4C4b\u4E2D")), "a?b?");
}

} // namespace
} // namespace tervik
