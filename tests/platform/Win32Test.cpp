// What only Windows can show: share modes, its paths, its settings location and
// add-ons that export decorated names.
#ifdef _WIN32

#include "platform/FileClaim.h"
#include "platform/Process.h"
#include "platform/SharedBlock.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysFolder.h"
#include "platform/SysLibrary.h"
#include "platform/SysPaths.h"
#include "platform/SystemInfo.h"
#include "support/Env.h"
#include "support/TempDir.h"

#include <addon/tervik_addon.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

namespace tervik {
namespace {

HANDLE OpenWith(const std::string& path, DWORD nAccess, DWORD nShare) {
    return CreateFileW(test::U8Path(path).c_str(), nAccess, nShare, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(Win32File, ShareModesDecideWhoMayOpen) {
    test::CTempDir dir;
    const std::string path = dir.Write("held.log", "line\n");
    struct Case {
        const char* what;
        DWORD nAccess, nShare;    // the handle another program holds
        bool bPlain, bShareWrite; // whether OpenRead(path, false / true) succeeds
    } cases[] = {
        {"a writer sharing reads", GENERIC_WRITE, FILE_SHARE_READ, false, true},
        {"a writer sharing reads and writes", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
         false, true},
        {"a writer sharing nothing", GENERIC_WRITE, 0, false, false},
        {"another reader", GENERIC_READ, FILE_SHARE_READ, true, true},
        {"another reader sharing writes", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE h = OpenWith(path, c.nAccess, c.nShare);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        for (const bool bShareWrite : {false, true}) {
            CSysFile f;
            const bool bWant = bShareWrite ? c.bShareWrite : c.bPlain;
            EXPECT_EQ(f.OpenRead(path, bShareWrite), bWant) << "share-write " << bShareWrite;
            if (!bWant) {
                EXPECT_EQ(f.LastError(), kErrSharingViolation);
            }
        }
        CloseHandle(h);
    }
    // Our own read handle keeps writers out unless it lets them in.
    CSysFile reader;
    ASSERT_TRUE(reader.OpenRead(path, false));
    EXPECT_EQ(OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
              INVALID_HANDLE_VALUE);
    ASSERT_TRUE(reader.OpenRead(path, true));
    HANDLE hWriter = OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(hWriter, INVALID_HANDLE_VALUE);
    CloseHandle(hWriter);
    EXPECT_EQ(CauseText(kErrSharingViolation).rfind("Ursache: ", 0), 0u);
}

TEST(Win32File, SeeksAndReadsBeyondFourGigabytes) {
    test::CTempDir dir;
    const std::string path = dir.File("sparse.bin");
    {
        HANDLE h = CreateFileW(test::U8Path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD nDone = 0;
        DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &nDone, nullptr);
        LARGE_INTEGER at{};
        at.QuadPart = (LONGLONG{5} << 30) + 3;
        ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(h, "END", 3, &n, nullptr));
        CloseHandle(h);
    }
    CSysFile f;
    ASSERT_TRUE(f.OpenRead(path, false));
    EXPECT_EQ(f.Size(), (int64_t{5} << 30) + 6);
    char buf[8] = {};
    EXPECT_EQ(f.ReadAt(buf, 8, (int64_t{5} << 30) + 3), 3);
    EXPECT_EQ(std::string(buf, 3), "END");
    ASSERT_TRUE(f.Seek((int64_t{5} << 30) + 4));
    EXPECT_EQ(f.Read(buf, 8), 2);
    EXPECT_EQ(std::string(buf, 2), "ND");
    EXPECT_EQ(f.ReadAt(buf, 8, int64_t{6} << 30), 0); // past the end: nothing, no failure
}

TEST(Win32File, FoldersAndDevicesAreRefusedWithATextForTheCause) {
    test::CTempDir dir;
    const std::string paths[] = {test::U8String(dir.Path()), "NUL", "CON"};
    for (const std::string& path : paths) {
        CSysFile f;
        EXPECT_FALSE(f.OpenRead(path, false)) << path;
        EXPECT_NE(f.LastError(), 0u) << path;
        EXPECT_FALSE(SystemErrorText(f.LastError()).empty()) << path << " " << f.LastError();
    }
}

TEST(Win32Paths, SettingsBesideTheProgramElseInAppData) {
    test::CTempDir dir;
    MakeDirectories(dir.File("portable"));
    const std::string portable = dir.File("portable\\tervik.exe");
    dir.Write("portable\\tervik.ini", "");
    const std::string installed = dir.File("tervik.exe");
    const std::string appData = dir.File("Roaming");
    const std::optional<std::string> old = GetEnv("APPDATA");
    test::SetEnvVar("APPDATA", appData.c_str());
    EXPECT_EQ(SettingsFilePath(portable, "c:\\my.ini"), "c:\\my.ini");
    EXPECT_EQ(SettingsFilePath(portable), dir.File("portable\\tervik.ini"));
    EXPECT_EQ(SettingsFilePath(installed), appData + "\\tervik\\tervik.ini");
    EXPECT_FALSE(IsDirectory(appData)); // asking creates nothing
    test::SetEnvVar("APPDATA", old ? old->c_str() : nullptr);
}

TEST(Win32Paths, NamesIgnoreCaseAndTakeBothSeparators) {
    test::CTempDir dir;
    const std::string file = dir.Write("Server.log", "x");
    ASSERT_TRUE(MakeDirectories(dir.File("a/b\\c")));
    EXPECT_TRUE(IsDirectory(dir.File("a\\b\\c")));
    const std::string real = ResolvedPath(file);
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(ResolvedPath(dir.File("SERVER.LOG")), real);
    EXPECT_EQ(ResolvedPath(dir.File("a/../Server.log")), real);
    EXPECT_EQ(NamePart(ExactFileName(dir.File("sErVeR.lOg"))), "Server.log");
    EXPECT_EQ(FileSizeOf(dir.File("server.log")), 1);
    EXPECT_EQ(FileSizeOf(dir.File("a")), -1);

    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const std::string cwd = test::U8String(std::filesystem::current_path());
    EXPECT_EQ(AbsolutePath("x/./y.log"), cwd + "\\x\\y.log");
    EXPECT_EQ(AbsolutePath("c:\\data\\\\z.log"), "c:\\data\\z.log");
    std::filesystem::current_path(old);

    // A name outside the ANSI code page goes through the UTF-16 calls unharmed.
    const std::string wide = dir.Write("M\xC3\xBCll \xE6\x97\xA5.log", "abc");
    EXPECT_TRUE(FileExists(wide));
    CSysFile f;
    ASSERT_TRUE(f.OpenRead(wide, false));
    EXPECT_EQ(f.Size(), 3);
    f.Close();
    EXPECT_TRUE(RemoveFile(wide));
    EXPECT_FALSE(FileExists(wide));
}

TEST(Win32Paths, EightBitFilesHoldNamesInCp1252) {
    const struct {
        const char* path;
        bool bFits;
        const char* text;
    } cases[] = {
        {"c:\\logs\\M\xC3\xBCll \xE2\x82\xAC.log", true, "c:\\logs\\M\xFCll \x80.log"},
        {"plain.log", true, "plain.log"},
        {"c:\\\xE6\x97\xA5.log", false, nullptr}, // no cp1252 character
        {"\xC5\x81\xC3\xB3"
         "d\xC5\xBA",
         false, nullptr}, // Polish letters outside cp1252
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(PathToFileText(c.path, text), c.bFits) << c.path;
        if (c.bFits) {
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(FileTextToPath(text), c.path);
        }
    }
}

TEST(Win32Paths, ProgramPathIsThisTest) {
    const std::string path = ProgramPath();
    EXPECT_EQ(NamePart(path), "tervik_platform_tests.exe");
    EXPECT_TRUE(FileExists(path));
}

int32_t TERVIK_ADDON_CALL AddItem(const char* text, int32_t, int32_t, int32_t) {
    return text != nullptr;
}
int32_t TERVIK_ADDON_CALL AddPopup(const char*) {
    return 1;
}

TEST(Win32Library, DecoratedNamesAreFoundWhenThePlainOnesAreMissing) {
    LibraryLoadError error;
    void* h = CSysLibrary::Load(TERVIK_ADDON_DECORATED, error);
    ASSERT_NE(h, nullptr) << error.text;
    EXPECT_EQ(CSysLibrary::Symbol(h, TERVIK_REGISTER_NAME), nullptr);
    auto pRegister = reinterpret_cast<TervikRegisterAddOnFn>(
        CSysLibrary::Symbol(h, TERVIK_REGISTER_NAME, TERVIK_REGISTER_DECORATED));
    ASSERT_NE(pRegister, nullptr);
    EXPECT_NE(CSysLibrary::Symbol(h, TERVIK_INTERFACE0_NAME, TERVIK_INTERFACE0_DECORATED), nullptr);
    EXPECT_EQ(CSysLibrary::Symbol(h, TERVIK_INTERFACE1_NAME, TERVIK_INTERFACE1_DECORATED), nullptr);
    const AddOnHostTable table = {&AddPopup, &AddItem};
    EXPECT_EQ(pRegister("c:\\tervik.ini", &table), 1);
    CSysLibrary::Unload(h);

    EXPECT_EQ(CSysLibrary::Load("c:\\nicht\\da.dll", error), nullptr);
    EXPECT_EQ(error.kind, LibraryLoadError::Kind::System);
    EXPECT_EQ(error.nCode, uint32_t{ERROR_MOD_NOT_FOUND});
    EXPECT_FALSE(error.text.empty());
}

TEST(Win32SharedBlock, OwnerUntilItsHoldEndsThenTheGuestTakesOver) {
    const std::string name = "tervik-test-block-" + std::to_string(CurrentProcessId());
    EXPECT_FALSE(CSharedBlock::Exists(name));
    auto owner = std::make_unique<CSharedBlock>();
    ASSERT_EQ(owner->Attach(name), CSharedBlock::Role::Owner) << owner->LastError();
    std::strcpy(owner->Data(), "CMainFrame:1");
    EXPECT_TRUE(CSharedBlock::Exists(name));
    CSharedBlock guest;
    ASSERT_EQ(guest.Attach(name), CSharedBlock::Role::Guest);
    EXPECT_STREQ(guest.Data(), "CMainFrame:1"); // one block, seen by both
    std::strcpy(guest.Data() + 13, "c:\\a.log");
    EXPECT_STREQ(owner->Data() + 13, "c:\\a.log");
    EXPECT_FALSE(guest.TryTakeOver());
    owner.reset(); // as when the owner's process ends, crashed or not
    EXPECT_TRUE(guest.TryTakeOver());
    EXPECT_EQ(guest.GetRole(), CSharedBlock::Role::Owner);
    EXPECT_STREQ(guest.Data(), "CMainFrame:1"); // what the old owner left
    guest.Close();
    EXPECT_FALSE(CSharedBlock::Exists(name));
}

TEST(Win32Process, SpawnAndWake) {
    uint32_t nError = 0;
    EXPECT_FALSE(SpawnDetached("c:\\nicht\\da.exe", {"a b"}, nError));
    EXPECT_TRUE(nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND) << nError;

    ASSERT_TRUE(SpawnDetached(TERVIK_CLI_PATH, {"pattern", "a \"b\" c"}, nError)) << nError;
    ASSERT_TRUE(ListenForWake());
    EXPECT_NE(WakeHandle(), -1);
    EXPECT_FALSE(ClearWake());
    EXPECT_TRUE(WakeProcess(CurrentProcessId()));
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(WakeHandle()), 2000), WAIT_OBJECT_0);
    EXPECT_TRUE(WakeProcess(CurrentProcessId()));
    EXPECT_TRUE(ClearWake());
    EXPECT_FALSE(ClearWake());
    EXPECT_FALSE(WakeProcess(0));
}

TEST(Win32FileClaim, ClaimedFilesStayUnclaimedOnesGo) {
    test::CTempDir dir;
    const std::string path = dir.File("Tervik_x.csv");
    CFileClaim claim;
    ASSERT_TRUE(claim.Claim(path)); // created empty
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(RemoveUnclaimedFile(path), RemoveResult::InUse);
    claim.Release();
    EXPECT_EQ(RemoveUnclaimedFile(path), RemoveResult::Removed);
    EXPECT_FALSE(FileExists(path));
    MakeDirectories(dir.File("sub"));
    EXPECT_EQ(RemoveUnclaimedFile(dir.File("sub")), RemoveResult::Skipped);
    EXPECT_FALSE(claim.Claim(dir.File("sub")));
}

TEST(Win32Folder, ListsSortedWithKindAndTime) {
    test::CTempDir dir;
    dir.Write("b.txt", "x");
    dir.Write("A.txt", "y");
    MakeDirectories(dir.File("c"));
    const std::vector<FolderEntry> entries = ListFolder(test::U8String(dir.Path()));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].m_name, "A.txt");
    EXPECT_EQ(entries[1].m_name, "b.txt");
    EXPECT_EQ(entries[2].m_name, "c");
    EXPECT_TRUE(entries[2].m_bFolder);
    int64_t nTime = 0;
    ASSERT_TRUE(GetFileWriteTime(dir.File("b.txt"), nTime));
    const int64_t nNow = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    EXPECT_LT(std::llabs(nNow - nTime), int64_t{60} * 1000000000);
    EXPECT_FALSE(GetFileWriteTime(dir.File("c"), nTime));
    EXPECT_TRUE(ListFolder(dir.File("missing")).empty());
}

TEST(Win32SystemInfo, QueriesDescribeThisMachine) {
    const OsVersion os = QueryOsVersion();
    EXPECT_EQ(os.m_name, "Windows");
    EXPECT_GE(os.m_nMajor, 5);
    const MemoryStatus memory = QueryMemoryStatus();
    EXPECT_GT(memory.m_nTotalPhysKB, 0u);
    EXPECT_LE(memory.m_nLoadPercent, 100u);
    const LocalDateTime now = QueryLocalTime();
    EXPECT_GE(now.m_nYear, 2024);
    EXPECT_TRUE(now.m_nMonth >= 1 && now.m_nMonth <= 12);
}

} // namespace
} // namespace tervik

#endif
