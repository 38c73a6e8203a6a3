#include "platform/SysPaths.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tervik {
namespace {

TEST(SysPaths, FolderAndNameParts) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"/usr/bin/tervik", "/usr/bin/", "tervik"},
        {"C:\\Prog\\viewer.exe", "C:\\Prog\\", "viewer.exe"},
        {"mixed/dir\\file.log", "mixed/dir\\", "file.log"},
        {"plain.txt", "", "plain.txt"},
        {"/", "/", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(NamePart(c.path), c.name) << c.path;
    }
}

TEST(SysPaths, IniPathReplacesTheLastExtensionOfTheName) {
    struct Case {
        const char* program;
        const char* ini;
    } cases[] = {
        {"C:\\Tools\\viewer.exe", "C:\\Tools\\viewer.ini"},
        {"/opt/tervik/tervik", "/opt/tervik/tervik.ini"},
        {"/opt/a.b/tervik", "/opt/a.b/tervik.ini"}, // a dot in the folder does not count
        {"/opt/tervik.v2.bin", "/opt/tervik.v2.ini"},
        {"tervik.", "tervik.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniPathBeside(c.program), c.ini) << c.program;
}

TEST(SysPaths, SettingsFileLocation) {
    test::CTempDir dir;
    // An explicit file wins.
    EXPECT_EQ(SettingsFilePath("/x/tervik", "/y/my.ini"), "/y/my.ini");
    // Beside a program in a writable folder.
    const std::string program = dir.File("tervik");
    EXPECT_EQ(SettingsFilePath(program), program + ".ini");
    // Otherwise below the user's configuration folder.
    const std::string config = dir.File("config");
    const char* pszOld = std::getenv("XDG_CONFIG_HOME");
    const std::string old = pszOld ? pszOld : "";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string path = SettingsFilePath(dir.File("missing-folder/tervik"));
    EXPECT_EQ(path, config + "/tervik/tervik.ini");
    EXPECT_TRUE(IsDirectory(config + "/tervik"));
    if (pszOld)
        ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SysPaths, ProgramPathIsThisTest) {
    const std::string path = ProgramPath();
    EXPECT_EQ(NamePart(path), "tervik_platform_tests");
    EXPECT_TRUE(FileExists(path));
}

TEST(SysPaths, MakeDirectoriesCreatesParents) {
    test::CTempDir dir;
    const std::string deep = dir.File("a/b/c");
    EXPECT_TRUE(MakeDirectories(deep));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(MakeDirectories(deep + "/"));
    EXPECT_FALSE(FileExists(deep));
    const std::string file = dir.Write("f", "x");
    EXPECT_FALSE(MakeDirectories(file + "/sub"));
}

} // namespace
} // namespace tervik
