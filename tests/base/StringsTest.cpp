#include "base/Strings.h"
#include "platform/SysError.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

TEST(StringTable, TextsArriveInTheProgramCodePage) {
    // "geöffnet": the ö is the single cp1252 byte F6.
    EXPECT_EQ(FormatString(IDS_CANNOT_OPEN, "/x.log"), "Die Datei \"/x.log\" konnte nicht ge\xF6"
                                                       "ffnet werden\n");
    EXPECT_EQ(FormatString(IDS_READING_FILE, "a.txt"), "Die Datei \"a.txt\" wird eingelesen ...\n");
    EXPECT_EQ(FormatString(IDS_POSITION_INDICATOR, 12, 3400, 5), "Z 12(3400,?\?), S 5");
    EXPECT_EQ(FormatString(IDS_FILE_EMPTY, "e"), "Die Datei \"e\" ist leer");
    EXPECT_EQ(LoadString(IDS_MAIN_TITLE), "Orv's File-Viewer");
    EXPECT_EQ(LoadString(99999), "");
}

TEST(StringTable, ProcessingErrorNamesAPathInTheProgramCodePage) {
    // Paths are UTF-8; "ü" becomes the cp1252 byte FC, what cp1252 lacks a "?".
    const std::string text = ProcessingErrorText("/tmp/M\xC3\xBC"
                                                 "ll \xE6\x97\xA5.txt",
                                                 kErrDiskFull);
    EXPECT_EQ(text.rfind("Verarbeitungsfehler in Datei '/tmp/M\xFC"
                         "ll ?.txt'\n",
                         0),
              0u)
        << text;
}

TEST(StringTable, FormattingHandlesLongArguments) {
    const std::string longPath(10000, 'p');
    EXPECT_EQ(FormatString(IDS_FILE_EMPTY, longPath.c_str()).size(), longPath.size() + 21);
    EXPECT_EQ(StrFormat("%d.%.3d", 12, 5), "12.005");
}

} // namespace
} // namespace tervik
