#include "platform/SysLibrary.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

TEST(SysLibrary, LoadsLooksUpPlainThenDecoratedAndReportsFailures) {
    uint32_t nError = 0;
    std::string text;
    void* h = CSysLibrary::Load(TERVIK_ADDON_STATS, nError, text);
    ASSERT_NE(h, nullptr) << text;
    void* pPlain = CSysLibrary::Symbol(h, "TervikRegisterAddOn", "_TervikRegisterAddOn@8");
    EXPECT_NE(pPlain, nullptr);
    // The second name is tried when the first is missing.
    EXPECT_EQ(CSysLibrary::Symbol(h, "_TervikRegisterAddOn@8", "TervikRegisterAddOn"), pPlain);
    EXPECT_EQ(CSysLibrary::Symbol(h, "TervikInterface1", "_TervikInterface1@24"), nullptr);
    EXPECT_EQ(CSysLibrary::Symbol(nullptr, "TervikRegisterAddOn"), nullptr);
    CSysLibrary::Unload(h);

    EXPECT_EQ(CSysLibrary::Load("/nicht/da.so", nError, text), nullptr);
    EXPECT_NE(nError, 0u);
#ifdef _WIN32
    EXPECT_FALSE(text.empty()); // the system's text for the code
#else
    EXPECT_NE(text.find("da.so"), std::string::npos) << text; // the loader names the file
#endif
}

} // namespace
} // namespace tervik
