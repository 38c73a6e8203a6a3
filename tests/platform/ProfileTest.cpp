#include "platform/Profile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sys/stat.h>

namespace tervik {
namespace {

namespace fs = std::filesystem;
using test::CTempDir;
using test::ReadWholeFile;
using namespace std::string_literals;

constexpr const char* kDefault = "<default>";

TEST(ProfileRead, LookupFollowsProfileRules) {
    const std::string file = "\xEF\xBB\xBF"
                             "top=outside\r\n"
                             "[Main]  trailing junk\r\n"
                             "Name = Value with blanks \t\r\n"
                             "Quoted=\"  in quotes  \"\r\n"
                             "OneQuote=\"\r\n"
                             "Inner=a\"b\"\r\n"
                             "; hidden=comment\r\n"
                             "   ;alsohidden=x\r\n"
                             "no equals sign\r\n"
                             "Dup=first\r\n"
                             "dup=second\r\n"
                             "Empty=\r\n"
                             "CrCr=v\r\r\n"
                             "\t Indented\t=\tyes\r\n"
                             "[Broken=notaheader\r\n"
                             "[ Spaced Section ]\r\n"
                             "k=spaced\r\n"
                             "[main]\r\n"
                             "Later=invisible\r\n"
                             "[Umlaut\xC4]\r\n"
                             "\xE4key=cp1252\r\n"
                             "[Last]\r\n"
                             "noeol=end";
    CTempDir dir;
    CProfile profile(dir.Write("t.ini", file));
    struct Case {
        std::string section, key;
        const char* expected;
    };
    const Case cases[] = {
        {"Main", "Name", "Value with blanks"},
        {"MAIN", "nAmE", "Value with blanks"},
        {" Main ", "\tName ", "Value with blanks"},
        {"Main", "Quoted", "  in quotes  "},
        {"Main", "OneQuote", "\""},
        {"Main", "Inner", "a\"b\""},
        {"Main", "hidden", kDefault},
        {"Main", ";hidden", kDefault},
        {"Main", "alsohidden", kDefault},
        {"Main", "no equals sign", kDefault},
        {"Main", "DUP", "first"},
        {"Main", "Empty", ""},
        {"Main", "CrCr", "v"},
        {"Main", "Indented", "yes"},
        {"Main", "[Broken", "notaheader"},
        {"Spaced Section", "K", "spaced"},
        {"Main", "Later", kDefault},
        {"", "top", kDefault},
        {"umlaut\xC4", "\xE4KEY", "cp1252"},
        {"Last", "noeol", "end"},
        {"Missing", "Name", kDefault},
        {"Main", "", kDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("[" + c.section + "] " + c.key);
        EXPECT_EQ(profile.GetProfileString(c.section, c.key, kDefault), c.expected);
        EXPECT_EQ(profile.HasKey(c.section, c.key), std::string_view(c.expected) != kDefault);
    }
}

TEST(ProfileRead, IntegerParsing) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"12abc", 12},
        {"abc", 0},
        {"-5", -5},
        {"+7", 7},
        {"  42  ", 42},
        {"1 2", 1},
        {"\"33\"", 33},
        {"\" 8\"", 8},
        {"--3", 0},
        {"-", 0},
        {"0x1F", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
        {"", 77},
        {"\"\"", 77},
    };
    std::string file = "[N]\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        file += "k" + std::to_string(i) + "=" + cases[i].value + "\n";
    CTempDir dir;
    CProfile profile(dir.Write("t.ini", file));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].value);
        EXPECT_EQ(profile.GetProfileInt("n", "K" + std::to_string(i), 77), cases[i].expected);
    }
    EXPECT_EQ(profile.GetProfileInt("N", "missing", -9), -9);
}

TEST(ProfileRead, NulBytesAndVeryLongLines) {
    const std::string big(1 << 20, 'x');
    const std::string file = "[A]\0junk\n"s + big + "\n" + "a=x\0y\n"s + "\0\n"s + "long=" + big +
                             "\0"s + big + "\n" + "b=2\n" + big + "=" + big + "\n";
    CTempDir dir;
    CProfile profile(dir.Write("t.ini", file));
    EXPECT_EQ(profile.GetProfileString("A", "a"), "x\0y"s);
    // Compared as booleans so that a failure does not print megabytes.
    EXPECT_TRUE(profile.GetProfileString("A", "long") == big + "\0"s + big);
    EXPECT_EQ(profile.GetProfileInt("A", "b", 0), 2);
    EXPECT_TRUE(profile.GetProfileString("A", big) == big);

    // Nor is a file with NUL bytes written, though it is read.
    EXPECT_FALSE(profile.WriteProfileString("A", "b", "3"));
    EXPECT_TRUE(ReadWholeFile(profile.GetPath()) == file);

    // A value of a megabyte goes into the file and reads back unchanged.
    const std::string value = big + "end";
    CProfile text(dir.Write("long.ini", "[A]\n" + big + "\nb=2\n"));
    ASSERT_TRUE(text.WriteProfileString("A", "b", value));
    CProfile again(text.GetPath());
    EXPECT_TRUE(again.GetProfileString("A", "b") == value);
    EXPECT_TRUE(again.GetProfileString("A", big) == "");
}

// A UTF-16 file is read (as the Windows profile functions read it for 8-bit callers)
// but never written: 8-bit lines would spoil it. Changes last for the run.
TEST(ProfileWrite, NeverWritesAUtf16File) {
    CTempDir dir;
    for (const bool bBigEndian : {false, true}) {
        std::string bytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : std::u16string(u"[A]\r\nu=\u00E4\u20AC\U0001F600!\r\n")) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            bytes += bBigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        CProfile profile(dir.Write("t.ini", bytes));
        EXPECT_TRUE(profile.IsNotSingleByteText());
        EXPECT_EQ(profile.GetProfileString("A", "u"), "\xE4\x80?!");
        EXPECT_FALSE(profile.WriteProfileString("A", "u", "neu"));
        EXPECT_EQ(profile.GetProfileString("A", "u"), "neu");
        EXPECT_EQ(ReadWholeFile(profile.GetPath()), bytes);
    }
}

TEST(ProfileRead, KeyNamesInFileOrderEachOnce) {
    CTempDir dir;
    CProfile profile(dir.Write("t.ini", "[A]\nZeta=1\n;c=2\nalpha=2\nno key\nZETA=3\n\n"
                                        " mid =4\n=nameless\n[B]\nx=1\n[a]\ny=1\n"));
    EXPECT_EQ(profile.GetKeyNames("a"), (std::vector<std::string>{"Zeta", "alpha", "mid"}));
    EXPECT_EQ(profile.GetKeyNames("B"), std::vector<std::string>{"x"});
    EXPECT_TRUE(profile.GetKeyNames("C").empty());
}

// Each case starts from a file (none when initial is empty), makes one change and
// compares the whole file afterwards.
struct ChangeCase {
    const char* name;
    std::optional<std::string> initial;
    std::function<bool(CProfile&)> change;
    std::string expected;
};

void RunChangeCases(const std::vector<ChangeCase>& cases) {
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const std::string path = c.initial ? dir.Write("t.ini", *c.initial) : dir.File("t.ini");
        CProfile profile(path);
        EXPECT_TRUE(c.change(profile));
        EXPECT_EQ(profile.LastError(), 0u);
        EXPECT_EQ(ReadWholeFile(path), c.expected);
    }
}

std::function<bool(CProfile&)> Write(std::string section, std::string key, std::string value) {
    return [=](CProfile& p) { return p.WriteProfileString(section, key, value); };
}

TEST(ProfileWrite, ChangesOnlyWhatItMust) {
    RunChangeCases({
        {"existing key in place, comments, spelling and CR LF kept",
         "; head\r\n[Main]\r\n  Alpha = 1 \r\n; note\r\nBeta=2\r\n\r\n[Other]\r\nx=y\r\n",
         Write("MAIN", "ALPHA", "new value"),
         "; head\r\n[Main]\r\nAlpha=new value\r\n; note\r\nBeta=2\r\n\r\n[Other]\r\nx=y\r\n"},
        {"new key after the last key, before blank lines and the next section's comment",
         "[A]\na=1\n; about a\nnot a key\n\n; about B\n[B]\nb=2\n", Write("A", "c", "3"),
         "[A]\na=1\nc=3\n; about a\nnot a key\n\n; about B\n[B]\nb=2\n"},
        {"new key in a section without keys", "[A]\n\n[B]\n", Write("A", "k", "v"),
         "[A]\nk=v\n\n[B]\n"},
        {"new key with CR LF", "[A]\r\na=1\r\n", Write("A", "b", "2"), "[A]\r\na=1\r\nb=2\r\n"},
        {"new section after a last line without line end", "[A]\na=1", Write("B", "k", "v"),
         "[A]\na=1\n\n[B]\nk=v\n"},
        {"new section after a blank line", "[A]\na=1\n\n", Write("B", "k", "v"),
         "[A]\na=1\n\n[B]\nk=v\n"},
        {"new section in an empty file", "", Write(" B ", " k ", "v"), "[B]\nk=v\n"},
        {"missing file is created with LF", std::nullopt, Write("B", "k", "v"), "[B]\nk=v\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[A]\r\na=1\r\n", Write("a", "A", "2"),
         "\xEF\xBB\xBF[A]\r\na=2\r\n"},
        {"first of duplicate sections", "[A]\na=1\n[a]\nb=2\n", Write("A", "b", "3"),
         "[A]\na=1\nb=3\n[a]\nb=2\n"},
        {"keys before the first section are not the section's", "top=1\n[A]\n",
         Write("A", "top", "2"), "top=1\n[A]\ntop=2\n"},
        {"value as given, cut at a line break", "[A]\n", Write("A", "k", " \"q\" \r\nx=evil"),
         "[A]\nk= \"q\" \n"},
        {"integer", "[A]\n", [](CProfile& p) { return p.WriteProfileInt("A", "n", -42); },
         "[A]\nn=-42\n"},
        {"delete key and its duplicates only in that section", "[A]\na=1\nA=dup\nb=2\n[B]\na=3\n",
         [](CProfile& p) { return p.DeleteKey("a", "A"); }, "[A]\nb=2\n[B]\na=3\n"},
        {"delete section with all its lines and its duplicates",
         "x=0\n[A]\na=1\n\n; b\n[B]\nb=2\n[a]\nc=3\n[C]\n",
         [](CProfile& p) { return p.DeleteSection("A"); }, "x=0\n[B]\nb=2\n[C]\n"},
        {"delete missing key", "[A]\na=1\n", [](CProfile& p) { return p.DeleteKey("A", "z"); },
         "[A]\na=1\n"},
        {"delete missing section", "[A]\na=1\n", [](CProfile& p) { return p.DeleteSection("Z"); },
         "[A]\na=1\n"},
    });
}

TEST(ProfileWrite, RefusesNamesThatWouldNotReadBack) {
    const std::pair<std::string, std::string> cases[] = {
        {"A]", "k"}, {"A\nB", "k"}, {"A\r", "k"}, {"A", "k=v"}, {"A", "k\n"},
        {"A", ""},   {"A", " \t"},  {"A", "[k"},  {"A", ";k"},
    };
    const std::string initial = "[A]\nk=1\n";
    for (const auto& [section, key] : cases) {
        SCOPED_TRACE(section + "/" + key);
        CTempDir dir;
        CProfile profile(dir.Write("t.ini", initial));
        EXPECT_FALSE(profile.WriteProfileString(section, key, "v"));
        EXPECT_NE(profile.LastError(), 0u);
        EXPECT_EQ(ReadWholeFile(profile.GetPath()), initial);
        EXPECT_EQ(profile.GetProfileString("A", "k"), "1");
    }
}

#ifndef _WIN32 // POSIX permission bits and symbolic links
TEST(ProfileWrite, KeepsPermissionBitsAndLinks) {
    CTempDir dir;
    const std::string target = dir.Write("t.ini", "[A]\na=1\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string link = dir.File("link.ini");
    fs::create_symlink(target, link);

    CProfile profile(link);
    ASSERT_TRUE(profile.WriteProfileString("A", "a", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), "[A]\na=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}
#endif

TEST(ProfileWrite, FailureKeepsValuesForTheRun) {
    CTempDir dir;
    const std::string path = dir.File("missing/t.ini");
    CProfile profile(path);
    EXPECT_FALSE(profile.WriteProfileString("A", "a", "1"));
#ifdef _WIN32
    EXPECT_EQ(profile.LastError(), 3u); // ERROR_PATH_NOT_FOUND
#else
    EXPECT_EQ(profile.LastError(), static_cast<uint32_t>(ENOENT));
#endif
    EXPECT_FALSE(profile.WriteProfileInt("A", "b", 2));
    EXPECT_EQ(profile.GetProfileString("A", "a"), "1");
    EXPECT_EQ(profile.GetProfileInt("A", "b", 0), 2);
    EXPECT_FALSE(fs::exists(path));

    // Once the folder exists, the next write brings the earlier ones along.
    fs::create_directory(dir.File("missing"));
    EXPECT_TRUE(profile.WriteProfileString("A", "c", "3"));
    EXPECT_EQ(profile.LastError(), 0u);
    EXPECT_EQ(ReadWholeFile(path), "[A]\na=1\nb=2\nc=3\n");
}

TEST(ProfileWrite, NeverReplacesWhatItCouldNotRead) {
    CTempDir dir;
    const std::string path = dir.File("folder.ini");
    fs::create_directory(path);
    dir.Write("folder.ini/inside", "keep");
    CProfile profile(path);
    EXPECT_EQ(profile.GetProfileString("A", "a", "d"), "d");
    EXPECT_FALSE(profile.WriteProfileString("A", "a", "1"));
    EXPECT_NE(profile.LastError(), 0u);
    EXPECT_EQ(profile.GetProfileString("A", "a"), "1");
    EXPECT_EQ(ReadWholeFile(dir.File("folder.ini/inside")), "keep");
}

// A batch leaves the file alone until its end and then holds what the same changes
// made one by one hold; reads inside see the changes.
TEST(ProfileBatch, EndsWithTheFileOfSingleWrites) {
    const char* names[] = {"A", "a", "k", "K"};
    const std::string initial = "; top\r\n[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n";
    std::mt19937 rng(27);
    for (int round = 0; round < 25; ++round) {
        CTempDir dir;
        CProfile single(dir.Write("single.ini", initial)), batched(dir.Write("batch.ini", initial));
        CProfileBatch outer(batched);
        batched.BeginBatch(); // nested
        for (int step = 0; step < 10; ++step) {
            const std::string section = names[rng() % 2], key = names[2 + rng() % 2];
            const auto nKind = rng() % 6;
            const int nValue = static_cast<int>(rng() % 3);
            for (CProfile* p : {&single, &batched})
                EXPECT_TRUE(nKind == 0   ? p->DeleteSection(section)
                            : nKind == 1 ? p->DeleteKey(section, key)
                                         : p->WriteProfileInt(section, key, nValue));
            EXPECT_EQ(batched.GetProfileString(section, key, kDefault),
                      single.GetProfileString(section, key, kDefault));
        }
        EXPECT_TRUE(batched.EndBatch());
        EXPECT_EQ(ReadWholeFile(batched.GetPath()), initial);
        EXPECT_TRUE(batched.EndBatch());
        EXPECT_EQ(ReadWholeFile(batched.GetPath()), ReadWholeFile(single.GetPath()));
        batched.BeginBatch(); // for the guard's end
    }
}

// Another program's change during a batch stays; a failed end keeps the values.
TEST(ProfileBatch, KeepsOtherProgramsChangesAndFailsLikeAWrite) {
    CTempDir dir;
    const std::string path = dir.Write("t.ini", "[A]\nk=1\n");
    CProfile profile(path);
    profile.BeginBatch();
    EXPECT_TRUE(profile.WriteProfileString("A", "k", "2"));
    dir.Write("t.ini", "[A]\nk=1\nother=x\n");
    EXPECT_TRUE(profile.EndBatch());
    EXPECT_EQ(ReadWholeFile(path), "[A]\nk=2\nother=x\n");

    CProfile failing(dir.File("missing/t.ini"));
    failing.BeginBatch();
    EXPECT_TRUE(failing.WriteProfileString("A", "a", "1"));
    EXPECT_FALSE(failing.EndBatch());
    EXPECT_NE(failing.LastError(), 0u);
    EXPECT_EQ(failing.GetProfileString("A", "a"), "1");
}

TEST(ProfileReload, SeesChangesOfAnotherProgram) {
    CTempDir dir;
    const std::string path = dir.Write("t.ini", "[A]\nk=1\n");
    CProfile profile(path);
    EXPECT_EQ(profile.GetProfileString("A", "k"), "1");

    dir.Write("t.ini", "[A]\nk=22\n");
    EXPECT_EQ(profile.GetProfileString("A", "k"), "22");

    // Same size: the modification time tells.
    const auto time = fs::last_write_time(path);
    dir.Write("t.ini", "[A]\nk=33\n");
    fs::last_write_time(path, time + std::chrono::seconds(2));
    EXPECT_EQ(profile.GetProfileString("A", "k"), "33");

    // A write starts from the file as it is now.
    dir.Write("t.ini", "[A]\nk=33\nother=x\n");
    EXPECT_TRUE(profile.WriteProfileString("A", "k", "4"));
    EXPECT_EQ(ReadWholeFile(path), "[A]\nk=4\nother=x\n");

    fs::remove(path);
    EXPECT_FALSE(profile.HasKey("A", "k"));
}

// A file too large to read is read once, not at every access (the bytes this
// process read tell), and again once it changes.
TEST(ProfileReload, UnreadableFileIsReadOnceUntilItChanges) {
    CTempDir dir;
    const std::string path = dir.Write("huge.ini", std::string((size_t{8} << 20) + 1, ';'));
    CProfile profile(path);
    EXPECT_NE(profile.ReadError(), 0u);
    const auto bytesRead = [] {
        const std::string io = ReadWholeFile("/proc/self/io");
        const size_t at = io.find("rchar:");
        return at == std::string::npos ? 0 : std::stoull(io.substr(at + 6));
    };
    const uint64_t nBefore = bytesRead();
    for (int i = 0; i < 20; ++i)
        profile.GetProfileInt("Settings", "Key" + std::to_string(i), 0);
    EXPECT_LT(bytesRead() - nBefore, uint64_t{1} << 20);
    dir.Write("huge.ini", "[Settings]\nTabSize=8\n");
    EXPECT_EQ(profile.GetProfileInt("Settings", "TabSize", 4), 8);
    EXPECT_EQ(profile.ReadError(), 0u);
}

TEST(ProfileReload, ReadOnlyChangesOnlyMemory) {
    CTempDir dir;
    const std::string initial = "[A]\nk=1\ngone=x\n";
    const std::string path = dir.Write("t.ini", initial);
    CProfile profile(path);
    profile.SetReadOnly(true);
    EXPECT_TRUE(profile.WriteProfileString("A", "k", "mem"));
    EXPECT_TRUE(profile.WriteProfileString("New", "n", "5"));
    EXPECT_TRUE(profile.DeleteKey("A", "gone"));
    EXPECT_EQ(profile.LastError(), 0u);
    EXPECT_EQ(ReadWholeFile(path), initial);
    EXPECT_EQ(profile.GetProfileString("A", "k"), "mem");
    EXPECT_EQ(profile.GetProfileInt("New", "n", 0), 5);
    EXPECT_FALSE(profile.HasKey("A", "gone"));

    // The changes outlast a file changed by someone else.
    dir.Write("t.ini", "[A]\nk=2\ngone=y\nadded=z\n");
    EXPECT_EQ(profile.GetProfileString("A", "k"), "mem");
    EXPECT_EQ(profile.GetProfileString("A", "added"), "z");
    EXPECT_FALSE(profile.HasKey("A", "gone"));
    EXPECT_EQ(profile.GetProfileInt("New", "n", 0), 5);
}

} // namespace
} // namespace tervik
