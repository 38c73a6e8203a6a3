// The clean-up of generated files at program end (files other copies claim: the
// platform's and the viewer's tests).

#include "base/TempFolder.h"

#include "platform/Profile.h"
#include "support/OtherUser.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervik {
namespace {

using test::CTempDir;
namespace fs = std::filesystem;

#ifndef _WIN32 // symbolic links need privileges on Windows; Win32Test.cpp tests claims there
TEST(TempFiles, OnlyGeneratedRegularFilesGoAndLinksAreNeverFollowed) {
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

    // Without a trailing separator as the setting may give it.
    EXPECT_EQ(DeleteTempFiles(temp.Path().string()), 2u);
    const std::vector<std::string> kept = {
        "tervik_lower",  "other.txt", "Tervik_link", "Tervik_folder", "Tervik_folder/Tervik_inner",
        "Tervik_dirlink"};
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(temp.File(name)))) << name;
    EXPECT_FALSE(fs::exists(temp.File("Tervik_leftover.csv")));
    EXPECT_FALSE(fs::exists(temp.File("Tervik_")));
    EXPECT_EQ(test::ReadWholeFile(victim), "mine");
    EXPECT_EQ(DeleteTempFiles(temp.Path().string() + "/"), 0u);
    EXPECT_EQ(DeleteTempFiles(""), 0u);
}

// Generated files go to this user's own folder in the shared temporary folder; taken
// in any way by someone else, it is refused, neither used nor cleaned.
TEST(TempFiles, TheOwnFolderIsThisUsersAloneOrRefused) {
    CTempDir dir;
    const std::string shared = dir.File("shared");
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit); // like /tmp
    CProfile profile(dir.Write("t.ini", "[Settings]\nTempPath=" + shared + "\n"));
    const std::string own = shared + "/tervik-" + std::to_string(::geteuid());
    ASSERT_EQ(::mkdir(dir.File("private").c_str(), 0700), 0);
    const std::function<bool()> kPlants[] = {
        [&] { return ::symlink(dir.File("private").c_str(), own.c_str()) == 0; },
        [&] { return std::ofstream(own).good(); },
        [&] { return ::mkdir(own.c_str(), 0700) == 0 && ::chmod(own.c_str(), 0750) == 0; },
        [&] { return test::COtherUser([&] { return ::mkdir(own.c_str(), 0777) == 0; }).Ready(); },
    };
    std::string folder, message;
    for (size_t i = 0; i < std::size(kPlants); ++i) {
        if (i == 3 && *test::OtherUserUnavailable()) continue;
        fs::remove_all(own);
        ASSERT_TRUE(kPlants[i]()) << i;
        std::ofstream(dir.File("private/Tervik_x")) << "keep";
        EXPECT_FALSE(GetGeneratedFolder(profile, folder, message)) << i;
        EXPECT_NE(message.find("einem anderen Benutzer"), std::string::npos) << i << message;
        EXPECT_EQ(DeleteGeneratedFiles(profile), 0u) << i;
    }
    EXPECT_TRUE(fs::exists(dir.File("private/Tervik_x")));

    // Missing: made for this user alone; its files and older versions' go at the end.
    fs::remove_all(own);
    ASSERT_TRUE(GetGeneratedFolder(profile, folder, message)) << message;
    EXPECT_EQ(folder, own + "/");
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    const std::tm t{};
    const std::string a = GeneratedFileName(folder, "/var/a.log", t, ".csv");
    EXPECT_NE(a, GeneratedFileName(folder, "/var/a.log", t, ".csv")); // nothing to guess
    std::ofstream(a) << "x";
    dir.Write("shared/Tervik_old", "x");
    EXPECT_TRUE(IsGeneratedFile(profile, a));
    EXPECT_EQ(DeleteGeneratedFiles(profile), 2u);
}
#endif

} // namespace
} // namespace tervik
