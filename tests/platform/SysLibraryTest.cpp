#include "platform/SysLibrary.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tervik {
namespace {

TEST(SysLibrary, LoadsLooksUpPlainThenDecoratedAndReportsFailures) {
    LibraryLoadError error;
    void* h = CSysLibrary::Load(TERVIK_ADDON_STATS, error);
    ASSERT_NE(h, nullptr) << error.text;
    void* pPlain = CSysLibrary::Symbol(h, "TervikRegisterAddOn", "_TervikRegisterAddOn@8");
    EXPECT_NE(pPlain, nullptr);
    // The second name is tried when the first is missing.
    EXPECT_EQ(CSysLibrary::Symbol(h, "_TervikRegisterAddOn@8", "TervikRegisterAddOn"), pPlain);
    EXPECT_EQ(CSysLibrary::Symbol(h, "TervikInterface1", "_TervikInterface1@24"), nullptr);
    EXPECT_EQ(CSysLibrary::Symbol(nullptr, "TervikRegisterAddOn"), nullptr);
    CSysLibrary::Unload(h);
}

#ifndef _WIN32
// dlopen gives no error number: a code comes only from the file itself, and a file
// that is there tells what kind of failure it was instead of a leftover errno.
TEST(SysLibrary, FailuresSayWhyAndGiveACodeOnlyWhereTheSystemHasOne) {
    test::CTempDir dir;
    const std::string own = test::ReadWholeFile(TERVIK_ADDON_STATS).substr(0, 64);
    using Kind = LibraryLoadError::Kind;
    const struct {
        std::string path;
        Kind kind;
        uint32_t nCode;
    } kCases[] = {
        {dir.File("missing.so"), Kind::System, ENOENT},
        {dir.Write("text.so", "kein ELF"), Kind::NotALibrary, 0},
        // A library of this system that the loader still refuses: cut after its head.
        {dir.Write("cut.so", own), Kind::Refused, 0},
        {"tervik-nirgends.so", Kind::NotFound, 0},
    };
    for (const auto& c : kCases) {
        LibraryLoadError error;
        ASSERT_EQ(CSysLibrary::Load(c.path, error), nullptr);
        EXPECT_EQ(error.kind, c.kind) << c.path;
        EXPECT_EQ(error.nCode, c.nCode) << c.path;
        // The loader's words where they add something; the system's text does otherwise.
        EXPECT_EQ(error.text.empty(), c.kind == Kind::System) << error.text;
    }
}
#endif

} // namespace
} // namespace tervik
