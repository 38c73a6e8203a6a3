#include "platform/SysFile.h"
#include "platform/SysError.h"
#include "support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tervik {
namespace {

using test::CTempDir;

TEST(SysFile, ReadsSeeksAndReportsSize) {
    CTempDir dir;
    const std::string path = dir.Write("a.txt", "0123456789");
    CSysFile f;
    ASSERT_TRUE(f.OpenRead(path, false));
    EXPECT_EQ(f.Size(), 10);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");
    ASSERT_TRUE(f.Seek(8));
    EXPECT_EQ(f.Read(buf, sizeof buf), 2); // short at the end
    EXPECT_EQ(f.Read(buf, sizeof buf), 0);
    EXPECT_EQ(f.ReadAt(buf, 3, 5), 3);
    EXPECT_EQ(std::string(buf, 3), "567");
    EXPECT_EQ(f.ReadAt(buf, 3, 100), 0);
}

TEST(SysFile, OpenFailuresCarryTheSystemCode) {
    CTempDir dir;
    struct Case {
        std::string path;
        uint32_t nCode;
    } cases[] = {
#ifdef _WIN32
        {dir.File("missing.txt"), 2}, // ERROR_FILE_NOT_FOUND
        {dir.Path().string(), 336},   // ERROR_DIRECTORY_NOT_SUPPORTED
        {"", 2},
        {dir.File("missing/below.txt"), 3}, // ERROR_PATH_NOT_FOUND
#else
        {dir.File("missing.txt"), ENOENT},
        {dir.Path().string(), EISDIR}, // a folder is no file
        {"", ENOENT},
        {dir.File("missing/below.txt"), ENOENT},
#endif
    };
    for (const auto& c : cases) {
        CSysFile f;
        EXPECT_FALSE(f.OpenRead(c.path, false)) << c.path;
        EXPECT_EQ(f.LastError(), c.nCode) << c.path;
        EXPECT_FALSE(f.IsOpen());
    }
}

#ifndef _WIN32 // POSIX devices and calls; Win32Test.cpp has the Windows side
// What cannot be read again at any offset is refused at once, without blocking.
TEST(SysFile, PipesAndCharacterDevicesAreRefused) {
    CTempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, uint32_t> cases[] = {
        {fifo, ESPIPE}, {"/dev/zero", ENODEV}, {"/dev/null", ENODEV}};
    for (const auto& [path, nCode] : cases) {
        CSysFile f;
        EXPECT_FALSE(f.OpenRead(path, false)) << path;
        EXPECT_EQ(f.LastError(), nCode) << path;
        EXPECT_FALSE(SystemErrorText(nCode).empty());
    }
}
#endif

TEST(SysFile, InjectedOpenFailureIsReportedAndCanBeRetried) {
    CTempDir dir;
    const std::string path = dir.Write("locked.log", "x");
    int nCalls = 0;
    CSysFile::SetOpenFailureHook([&](const std::string& p, bool bShareWrite) -> uint32_t {
        ++nCalls;
        return p == path && !bShareWrite ? kErrSharingViolation : 0;
    });
    CSysFile f;
    EXPECT_FALSE(f.OpenRead(path, false));
    EXPECT_EQ(f.LastError(), kErrSharingViolation);
    EXPECT_TRUE(f.OpenRead(path, true));
    CSysFile::SetOpenFailureHook(nullptr);
    EXPECT_EQ(nCalls, 2);
    CSysFile g;
    EXPECT_TRUE(g.OpenRead(path, false));
}

#ifndef _WIN32 // POSIX devices and calls; Win32Test.cpp has the Windows side
TEST(SysFile, LargeOffsetsBeyondFourGigabytes) {
    CTempDir dir;
    const std::string path = dir.File("sparse.bin");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        const off_t at = (off_t{5} << 30) + 3;
        ASSERT_EQ(::pwrite(fd, "END", 3, at), 3);
        ::close(fd);
    }
    CSysFile f;
    ASSERT_TRUE(f.OpenRead(path, false));
    const int64_t nSize = f.Size();
    EXPECT_EQ(nSize, (int64_t{5} << 30) + 6);
    char buf[8] = {};
    EXPECT_EQ(f.ReadAt(buf, sizeof buf, nSize - 3), 3);
    EXPECT_EQ(std::string(buf, 3), "END");
    ASSERT_TRUE(f.Seek(nSize - 4));
    EXPECT_EQ(f.Read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), std::string("\0END", 4));
}
#endif

TEST(SysFile, CreateWritesAndRefusesBadTargets) {
    CTempDir dir;
    const std::string path = dir.File("out.txt");
    {
        CSysFile f;
        ASSERT_TRUE(f.Create(path));
        EXPECT_TRUE(f.Write("hello\n", 6));
    }
    EXPECT_EQ(test::ReadWholeFile(path), "hello\n");
    CSysFile g;
    EXPECT_FALSE(g.Create(dir.File("no/such/folder.txt")));
#ifdef _WIN32
    EXPECT_EQ(g.LastError(), 3u); // ERROR_PATH_NOT_FOUND
#else
    EXPECT_EQ(g.LastError(), static_cast<uint32_t>(ENOENT));
#endif
    EXPECT_FALSE(g.Write("x", 1));
}

#ifndef _WIN32 // POSIX devices and calls; Win32Test.cpp has the Windows side
TEST(SysFile, DiskFullIsReported) {
    // Only the device: Create would make a plain file where it is missing.
    struct stat st {};
    if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode)) GTEST_SKIP() << "no /dev/full";
    CSysFile f;
    ASSERT_TRUE(f.Create("/dev/full"));
    EXPECT_FALSE(f.Write("x", 1));
    EXPECT_EQ(f.LastError(), kErrDiskFull);
}
#endif

TEST(SysFile, MovedHandleOwnsTheFile) {
    CTempDir dir;
    const std::string path = dir.Write("m.txt", "abc");
    CSysFile a;
    ASSERT_TRUE(a.OpenRead(path, false));
    CSysFile b(std::move(a));
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(b.IsOpen());
    a = std::move(b);
    EXPECT_TRUE(a.IsOpen());
    EXPECT_EQ(a.Size(), 3);
}

TEST(CauseText, KnownUnknownAndGermanCodes) {
#ifdef _WIN32
    // The system's own text, in the user's language.
    const std::string cause = CauseText(2);
    EXPECT_EQ(cause.rfind("Ursache: ", 0), 0u) << cause;
    EXPECT_EQ(cause.substr(cause.size() - 9), " (Code=2)") << cause;
    EXPECT_EQ(cause.find('\n'), std::string::npos) << cause;
    EXPECT_EQ(CauseText(999999), "Returncode 999999");
    EXPECT_EQ(CauseText(0), "Returncode 0");
#else
    EXPECT_EQ(CauseText(ENOENT),
              "Ursache: Das System kann die angegebene Datei nicht finden. (Code=2)");
    EXPECT_EQ(CauseText(999999), "Returncode 999999");
    // German texts arrive in the program's code page: "ä" is one byte 0xE4.
    const std::string text = SystemErrorText(ENOSPC);
    EXPECT_NE(text.find("gen\xFCgend"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
    // Codes without our own text still get the system's.
    EXPECT_FALSE(SystemErrorText(EPIPE).empty());
    EXPECT_EQ(CauseText(0), "Returncode 0");
#endif
}

} // namespace
} // namespace tervik
