#include "platform/ReplacingFile.h"
#include "platform/SysError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tervik {
namespace {

using test::CTempDir;

// Nothing but the target is left in the folder afterwards.
size_t FilesIn(const CTempDir& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++n;
    return n;
}

TEST(ReplacingFile, OldFileStaysWholeUntilTheNewOneIsComplete) {
    CTempDir dir;
    const std::string path = dir.Write("w.tervik", "alt\r\n");
    {
        // Written but never committed: the old content stays, the temporary file goes.
        CReplacingFile file;
        ASSERT_TRUE(file.Begin(path));
        ASSERT_TRUE(file.Write("neu, halb"));
        EXPECT_EQ(test::ReadWholeFile(path), "alt\r\n");
    }
    EXPECT_EQ(FilesIn(dir), 1u);
    // A write that fails (a full disk) leaves the old file and a temporary file the
    // caller may keep.
    CSysFile::SetWriteFailureHook([](size_t) { return kErrDiskFull; });
    CReplacingFile failed;
    ASSERT_TRUE(failed.Begin(path));
    EXPECT_FALSE(failed.Write("neu"));
    CSysFile::SetWriteFailureHook({});
    EXPECT_FALSE(failed.Commit());
    EXPECT_EQ(failed.LastError(), kErrDiskFull);
    EXPECT_EQ(test::ReadWholeFile(path), "alt\r\n");
    failed.Keep();
    EXPECT_EQ(FilesIn(dir), 2u);

    CReplacingFile done;
    ASSERT_TRUE(done.Begin(path));
    ASSERT_TRUE(done.Write("neu\r\n"));
    ASSERT_TRUE(done.Commit());
    EXPECT_EQ(test::ReadWholeFile(path), "neu\r\n");
}

#ifndef _WIN32
TEST(ReplacingFile, ReplacesOnlyFilesAndKeepsLinks) {
    CTempDir dir;
    const std::string real = dir.Write("real.tervik", "alt");
    const std::string link = dir.File("link.tervik");
    std::filesystem::create_symlink(real, link);
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string fifoLink = dir.File("fifo.tervik");
    std::filesystem::create_symlink(fifo, fifoLink);
    std::filesystem::create_directory(dir.Path() / "folder.tervik");
    struct Case {
        std::string path;
        bool bReplaced;
    };
    for (const Case& c : {Case{link, true}, Case{fifoLink, false}, Case{fifo, false},
                          Case{dir.File("folder.tervik"), false}}) {
        SCOPED_TRACE(c.path);
        CReplacingFile file;
        const bool bOk = file.Begin(c.path) && file.Write("neu") && file.Commit();
        EXPECT_EQ(bOk, c.bReplaced);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadWholeFile(real), "neu");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.tervik"));
    EXPECT_EQ(FilesIn(dir), 5u);
}

// A link stays a link also when the file it names is not there yet: the new file is
// made beside that file, however many links lead there and whichever way they point.
TEST(ReplacingFile, ALinkToAMissingFileGetsItsFileAndStaysALink) {
    namespace fs = std::filesystem;
    CTempDir dir;
    fs::create_directory(dir.Path() / "ziel");
    const struct {
        const char* link;
        std::string pointsTo;
        std::string file; // what then holds the content; empty: nothing may
    } kCases[] = {
        {"absolut", dir.File("ziel/a"), dir.File("ziel/a")},
        {"kette", "relativ", dir.File("ziel/r")},
        {"relativ", "ziel/r", dir.File("ziel/r")},
        {"kreis", "kreis", ""},
    };
    for (const auto& c : kCases)
        fs::create_symlink(c.pointsTo, dir.Path() / c.link);
    for (const auto& c : kCases) {
        CReplacingFile file;
        EXPECT_EQ(file.Begin(dir.File(c.link)) && file.Write("neu") && file.Commit(),
                  !c.file.empty())
            << c.link;
        if (c.file.empty()) {
            EXPECT_EQ(file.LastError(), static_cast<uint32_t>(ELOOP));
        } else {
            EXPECT_EQ(test::ReadWholeFile(c.file), "neu") << c.link;
        }
        EXPECT_TRUE(fs::is_symlink(dir.Path() / c.link));
    }
    // No temporary file anywhere: the links, the folder, and in it the two files.
    EXPECT_EQ(FilesIn(dir), std::size(kCases) + 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "ziel"), fs::directory_iterator()),
              2);
}
#endif

} // namespace
} // namespace tervik
