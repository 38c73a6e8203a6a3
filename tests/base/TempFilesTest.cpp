// The clean-up of generated files at program end (files other copies claim: the
// platform's and the viewer's tests).

#include "base/TempFolder.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

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
#endif

} // namespace
} // namespace tervik
