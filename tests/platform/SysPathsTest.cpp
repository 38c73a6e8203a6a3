#include "platform/SysPaths.h"
#include "support/Env.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

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

// Sets an environment variable for one scope.
class CEnvVar {
public:
    CEnvVar(const char* pszName, const char* pszValue) : m_name(pszName) {
        if (const char* pszOld = std::getenv(pszName)) m_old = pszOld;
        test::SetEnvVar(pszName, pszValue);
    }
    ~CEnvVar() { test::SetEnvVar(m_name.c_str(), m_old ? m_old->c_str() : nullptr); }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

#ifndef _WIN32 // POSIX paths; Win32Test.cpp has the Windows side
TEST(SysPaths, SettingsFileLocation) {
    test::CTempDir dir;
    const std::string config = dir.File("config");
    const std::string home = dir.File("home");
    const std::string program = dir.File("tervik");
    const std::string portable = dir.File("portable/tervik");
    MakeDirectories(dir.File("portable"));
    dir.Write("portable/tervik.ini", "");
    struct Case {
        const char* what;
        std::string program, explicitPath;
        const char* xdg;
        std::string expected;
    } cases[] = {
        {"--ini wins", portable, "/y/my.ini", config.c_str(), "/y/my.ini"},
        {"portable installation", portable, "", config.c_str(), portable + ".ini"},
        // A writable program folder without the file is no reason to write there.
        {"beside the program only when present", program, "", config.c_str(),
         config + "/tervik/tervik.ini"},
        {"without XDG_CONFIG_HOME", program, "", nullptr, home + "/.config/tervik/tervik.ini"},
        {"a relative XDG_CONFIG_HOME is ignored", program, "", "rel/cfg",
         home + "/.config/tervik/tervik.ini"},
        {"unknown program", "", "", config.c_str(), config + "/tervik/tervik.ini"},
    };
    CEnvVar homeVar("HOME", home.c_str());
    for (const auto& c : cases) {
        CEnvVar xdgVar("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(SettingsFilePath(c.program, c.explicitPath), c.expected) << c.what;
    }
    // Asking creates nothing.
    EXPECT_FALSE(IsDirectory(config));
    EXPECT_FALSE(IsDirectory(home));
}
#endif

#ifndef _WIN32 // POSIX paths; Win32Test.cpp has the Windows side
TEST(SysPaths, AbsolutePathKeepsTheNameAsGiven) {
    test::CTempDir dir;
    const std::string cwd = ResolvedPath(dir.Path().string());
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(cwd);
    struct Case {
        const char* path;
        std::string expected;
    } cases[] = {
        {"a.log", cwd + "/a.log"},
        {"./sub//a.log", cwd + "/sub/a.log"},
        {"../x/[y]*?.log", cwd + "/../x/[y]*?.log"},   // ".." stays: a link may precede it
        {"back\\slash.log", cwd + "/back\\slash.log"}, // part of a POSIX name
        {"/var//log/./syslog", "/var/log/syslog"},
        {"/", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AbsolutePath(c.path), c.expected) << c.path;
    std::filesystem::current_path(old);
}
#endif

#ifndef _WIN32 // POSIX paths; Win32Test.cpp has the Windows side
TEST(SysPaths, ResolvedPathIsOneNamePerFile) {
    test::CTempDir dir;
    const std::string target = dir.Write("Server.log", "x");
    dir.Write("server.log", "y");
    MakeDirectories(dir.File("sub"));
    std::filesystem::create_symlink("Server.log", dir.File("current.log"));
    const std::string real = ResolvedPath(target);
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(ResolvedPath(dir.File("current.log")), real);
    EXPECT_EQ(ResolvedPath(dir.File("sub/../Server.log")), real);
    EXPECT_EQ(ResolvedPath(dir.File("./Server.log")), real);
    EXPECT_NE(ResolvedPath(dir.File("server.log")), real); // case-sensitive names
    EXPECT_EQ(ResolvedPath(dir.File("missing.log")), "");
}
#endif

#ifndef _WIN32 // POSIX paths; Win32Test.cpp has the Windows side
TEST(SysPaths, ProgramPathIsThisTest) {
    const std::string path = ProgramPath();
    EXPECT_EQ(NamePart(path), "tervik_platform_tests");
    EXPECT_TRUE(FileExists(path));
}
#endif

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
