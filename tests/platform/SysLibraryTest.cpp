#include "platform/SysLibrary.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#ifndef _WIN32
#include <elf.h>
#endif

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
// The first bytes of an ELF shared object with the given class and processor.
std::string ElfHead(unsigned char nClass, uint16_t nMachine) {
    std::string head(64, '\0');
    head.replace(0, 4, ELFMAG);
    head[EI_CLASS] = static_cast<char>(nClass);
    head[EI_DATA] = ELFDATA2LSB;
    head[EI_VERSION] = EV_CURRENT;
    head[16] = ET_DYN;
    head[18] = static_cast<char>(nMachine & 0xFF);
    head[19] = static_cast<char>(nMachine >> 8);
    return head;
}

// dlopen gives no error number: the code comes only from the file itself, and a file
// that is there says what kind of failure it was instead of a leftover errno.
TEST(SysLibrary, FailuresSayWhyAndGiveACodeOnlyWhereTheSystemHasOne) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "heads below are little-endian");
    test::CTempDir dir;
    const std::string own = test::ReadWholeFile(TERVIK_ADDON_STATS).substr(0, 64);
    const uint16_t nOther = sizeof(void*) == 8 && own[18] == EM_X86_64 ? EM_AARCH64 : EM_X86_64;
    std::filesystem::create_directory(dir.Path() / "folder.so");
    using Kind = LibraryLoadError::Kind;
    const struct {
        std::string path;
        Kind kind;
        uint32_t nCode;
    } kCases[] = {
        {dir.File("missing.so"), Kind::System, ENOENT},
        {dir.File("folder.so"), Kind::System, EISDIR},
        {dir.Write("text.so", "kein ELF"), Kind::NotALibrary, 0},
        {dir.Write("empty.so", ""), Kind::NotALibrary, 0},
        {dir.Write("class.so", ElfHead(sizeof(void*) == 8 ? ELFCLASS32 : ELFCLASS64, EM_386)),
         Kind::NotALibrary, 0},
        {dir.Write("machine.so", ElfHead(sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32, nOther)),
         Kind::NotALibrary, 0},
        // A library of this system that the loader still refuses: cut after its head.
        {dir.Write("cut.so", own), Kind::Refused, 0},
        {"tervik-nirgends.so", Kind::NotFound, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.path);
        LibraryLoadError error;
        error.nCode = 77;
        ASSERT_EQ(CSysLibrary::Load(c.path, error), nullptr);
        EXPECT_EQ(error.kind, c.kind);
        EXPECT_EQ(error.nCode, c.nCode);
        // The loader's words where they add something; the system's text does otherwise.
        EXPECT_EQ(error.text.empty(), c.kind == Kind::System) << error.text;
    }
}
#endif

} // namespace
} // namespace tervik
