// The clean-up of generated files at program end, and the temporary folder it uses.

#include "base/SettingKeys.h"
#include "base/TempFolder.h"
#include "platform/FileClaim.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tervik {
namespace {

using test::CTempDir;
namespace fs = std::filesystem;

TEST(TempFiles, OnlyUnclaimedGeneratedFilesGoAndLinksAreNeverFollowed) {
    CTempDir outside, temp;
    const std::string victim = outside.Write("Tervik_precious", "mine");
    temp.Write("Tervik_leftover.csv", "old run");
    temp.Write("Tervik_", "");
    temp.Write("tervik_lower", "not ours");
    temp.Write("other.txt", "x");
    fs::create_symlink(victim, temp.File("Tervik_link"));
    fs::create_directory(temp.File("Tervik_folder"));
    temp.Write("Tervik_folder/Tervik_inner", "x");
    fs::create_directory_symlink(outside.Path(), temp.File("Tervik_dirlink"));

    // A running copy claims its file; a copy that ended claims nothing.
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const std::string used = temp.File("Tervik_used_20261207_101010");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(go[1]);
        static CFileClaim claim;
        claim.Claim(used);
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
        n = ::read(go[0], &c, 1);
        ::_exit(0);
    }
    ::close(go[0]);
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);

    // Without a trailing separator as the setting may give it.
    EXPECT_EQ(DeleteTempFiles(temp.Path().string()), 2u);
    const std::vector<std::string> kept = {
        "Tervik_used_20261207_101010", "tervik_lower",  "other.txt", "Tervik_link", "Tervik_folder",
        "Tervik_folder/Tervik_inner",  "Tervik_dirlink"};
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(temp.File(name)))) << name;
    EXPECT_FALSE(fs::exists(temp.File("Tervik_leftover.csv")));
    EXPECT_FALSE(fs::exists(temp.File("Tervik_")));
    EXPECT_EQ(test::ReadWholeFile(victim), "mine");

    ::close(go[1]);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(DeleteTempFiles(temp.Path().string() + "/"), 1u);
    EXPECT_FALSE(fs::exists(used));
    EXPECT_EQ(DeleteTempFiles(""), 0u);
}

TEST(TempFiles, TheFolderSettingGetsItsSeparator) {
    CTempDir dir;
    CProfile profile(dir.File("t.ini"));
    profile.WriteProfileString(kSectionSettings, "TempPath", "/var/tmp/tv");
    EXPECT_EQ(GetTempFolder(profile), "/var/tmp/tv/");
    profile.WriteProfileString(kSectionSettings, "TempPath", "/var/tmp/tv/");
    EXPECT_EQ(GetTempFolder(profile), "/var/tmp/tv/");
}

} // namespace
} // namespace tervik
