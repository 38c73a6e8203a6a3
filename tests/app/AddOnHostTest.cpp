// The add-on host against fake libraries: plain function pointers handed out by a
// fake loader, no dlopen.

#include "app/AddOnHost.h"
#include "base/Strings.h"
#include "base/TempFolder.h"
#include "platform/Profile.h"
#include "platform/SysError.h"
#include "platform/SysPaths.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sys/stat.h>

namespace tervik {
namespace {

struct FakeLib {
    std::map<std::string, void*> symbols;
    int nUnloads = 0;
};

class FakeLoader : public IAddOnLoader {
public:
    std::map<std::string, FakeLib> libs;
    std::vector<std::string> unloaded;
    void* Load(const std::string& path, LibraryLoadError& error) override {
        auto it = libs.find(path);
        if (it == libs.end()) {
            error = {LibraryLoadError::Kind::System, 2, "cannot open shared object file"};
            return nullptr;
        }
        return &it->second;
    }
    void* Symbol(void* h, const char* pszName, const char* pszDecorated) override {
        auto& syms = static_cast<FakeLib*>(h)->symbols;
        if (auto it = syms.find(pszName); it != syms.end()) return it->second;
        if (auto it = syms.find(pszDecorated); it != syms.end()) return it->second;
        return nullptr;
    }
    void Unload(void* h) override {
        for (auto& [path, lib] : libs)
            if (&lib == h) unloaded.push_back(path);
    }
};

// What the current fake registration adds.
std::function<int32_t(const AddOnHostTable*)> g_register;
int32_t TERVIK_ADDON_CALL FakeRegister(const char*, const AddOnHostTable* t) {
    return g_register(t);
}

std::function<int32_t(int32_t, const AddOnCallTable*, char*, char*)> g_interface0;
int32_t TERVIK_ADDON_CALL FakeInterface0(int32_t f, const AddOnCallTable* c, char* o, char* m) {
    return g_interface0(f, c, o, m);
}
std::string g_marked;
int32_t g_points[4];
int32_t TERVIK_ADDON_CALL FakeInterface1(int32_t, const char* text, const int32_t* p,
                                         const AddOnCallTable*, char*, char*) {
    g_marked = text;
    std::memcpy(g_points, p, sizeof(g_points));
    return 1;
}

void* Fn(auto p) {
    return reinterpret_cast<void*>(p);
}

class Source : public IAddOnSource {
public:
    std::vector<std::string> lines{"alpha", "be\tta", ""};
    uint32_t RecordCount() override { return static_cast<uint32_t>(lines.size()); }
    uint32_t RecordLength(uint32_t r) override { return static_cast<uint32_t>(lines[r].size()); }
    uint32_t RecordText(uint32_t r, char* p, uint32_t n) override {
        std::string s = lines[r];
        if (auto t = s.find('\t'); t != std::string::npos) s.replace(t, 1, "    ");
        const uint32_t k = std::min<uint32_t>(n, static_cast<uint32_t>(s.size()));
        std::memcpy(p, s.data(), k);
        return k;
    }
};

class AddOnHostTest : public ::testing::Test {
protected:
    FakeLoader loader;
    void Lib(const std::string& path, bool bDecorated = false) {
        auto& s = loader.libs[path].symbols;
        s[bDecorated ? "_TervikRegisterAddOn@8" : "TervikRegisterAddOn"] = Fn(&FakeRegister);
        s[bDecorated ? "_TervikInterface0@16" : "TervikInterface0"] = Fn(&FakeInterface0);
        s["TervikInterface1"] = Fn(&FakeInterface1);
    }
};

TEST_F(AddOnHostTest, LoadFailuresGiveTheirMessages) {
    loader.libs["/x/noreg.so"];
    CAddOnHost host(loader);
    std::string msg;
    EXPECT_EQ(host.LoadAddOn("/x/missing.so", "t.ini", msg), CAddOnHost::LoadStatus::LoadFailed);
    EXPECT_EQ(msg, "Bibliothek \"/x/missing.so\" kann nicht geladen werden, Fehlercode=2\n"
                   "cannot open shared object file");
    EXPECT_EQ(host.LoadAddOn("/x/noreg.so", "t.ini", msg), CAddOnHost::LoadStatus::NoEntryPoint);
    EXPECT_EQ(msg, "Bibliothek \"/x/noreg.so\" hat keine Funktion \"TervikRegisterAddOn\" "
                   "implementiert.");
    EXPECT_EQ(loader.unloaded, std::vector<std::string>{"/x/noreg.so"});
    EXPECT_FALSE(host.HasAddOns());
}

TEST_F(AddOnHostTest, DecoratedNamesAndRefusalKeepTheItems) {
    Lib("/a.so", true);
    g_register = [](const AddOnHostTable* t) {
        EXPECT_EQ(t->AddItem("Datei", 1, ITEM_FILE, OUT_VIEW), 1);      // decorated Interface0
        EXPECT_EQ(t->AddItem("Markiert", 2, ITEM_MARKED, OUT_VIEW), 0); // not decorated-exported
        return 0;
    };
    loader.libs["/a.so"].symbols.erase("TervikInterface1");
    std::string msg;
    {
        CAddOnHost host(loader);
        EXPECT_EQ(host.LoadAddOn("/a.so", "t.ini", msg), CAddOnHost::LoadStatus::Refused);
        ASSERT_EQ(host.Records().size(), 1u);
        EXPECT_EQ(host.Records()[0]->items.size(), 2u);
        host.WalkMenu();
        Source src;
        // The item whose entry point is missing fails with the standard message.
        AddOnResult r = host.Dispatch(32850, src, "/tmp/out");
        EXPECT_FALSE(r.bOk);
        EXPECT_EQ(r.message, "Das Interface ist leider noch nicht implementiert!");
    }
    EXPECT_EQ(loader.unloaded, std::vector<std::string>{"/a.so"}); // at destruction
}

TEST_F(AddOnHostTest, WalkNumbersBothLibrariesAndKeepsPopupsOpen) {
    Lib("/a.so");
    Lib("/b.so");
    CAddOnHost host(loader);
    std::string msg;
    g_register = [](const AddOnHostTable* t) {
        t->AddItem("A1", 1, ITEM_FILE, OUT_VIEW);
        t->AddItem(nullptr, 0, 0, 0); // separator outside a submenu: no id
        t->AddItem("A2", 2, ITEM_FILE, OUT_VIEW);
        return 1;
    };
    ASSERT_EQ(host.LoadAddOn("/a.so", "t.ini", msg), CAddOnHost::LoadStatus::Registered);
    g_register = [](const AddOnHostTable* t) {
        t->AddPopup("Sub");
        t->AddItem("B1", 1, ITEM_FILE, OUT_VIEW);
        t->AddItem("B2", 2, ITEM_MARKED, OUT_VIEW);
        t->AddItem(nullptr, 0, 0, 0);
        t->AddItem("B3", 3, ITEM_TOGGLE, 0); // still in the popup
        t->AddPopup(nullptr);                // tolerated: a submenu without title
        t->AddItem("B4", 4, ITEM_FILE, OUT_VIEW);
        return 1;
    };
    ASSERT_EQ(host.LoadAddOn("/b.so", "t.ini", msg), CAddOnHost::LoadStatus::Registered);
    struct Row {
        AddOnMenuEntry::Kind kind;
        bool bInPopup;
        uint32_t nId;
        const char* text;
    };
    const std::vector<Row> expected = {
        {AddOnMenuEntry::Item, false, 32849, "A1"}, {AddOnMenuEntry::Separator, false, 0, ""},
        {AddOnMenuEntry::Item, false, 32850, "A2"}, {AddOnMenuEntry::Popup, false, 0, "Sub"},
        {AddOnMenuEntry::Item, true, 32851, "B1"},  {AddOnMenuEntry::Item, true, 32852, "B2"},
        {AddOnMenuEntry::Separator, true, 0, ""},   {AddOnMenuEntry::Item, true, 32853, "B3"},
        {AddOnMenuEntry::Popup, false, 0, ""},      {AddOnMenuEntry::Item, true, 32854, "B4"},
    };
    for (int pass = 0; pass < 2; ++pass) { // a second walk (context menu) numbers the same
        const auto walk = host.WalkMenu();
        ASSERT_EQ(walk.size(), expected.size());
        for (size_t i = 0; i < walk.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(walk[i].kind, expected[i].kind);
            EXPECT_EQ(walk[i].bInPopup, expected[i].bInPopup);
            EXPECT_EQ(walk[i].nId, expected[i].nId);
            EXPECT_EQ(walk[i].pItem->text, expected[i].text);
        }
    }
    // Enable rules: marked needs a marking, toggle shows its state, unknown ids are off.
    EXPECT_FALSE(host.UpdateCommand(32852, false).bEnabled);
    EXPECT_TRUE(host.UpdateCommand(32852, true).bEnabled);
    EXPECT_TRUE(host.UpdateCommand(32853, false).bEnabled);
    EXPECT_FALSE(host.UpdateCommand(32853, false).bChecked);
    EXPECT_FALSE(host.UpdateCommand(32855, true).bEnabled);
    EXPECT_FALSE(host.UpdateCommand(0, true).bEnabled);
}

TEST_F(AddOnHostTest, DispatchRulesAndHostFunctions) {
    Lib("/a.so");
    CAddOnHost host(loader);
    std::string msg;
    g_register = [](const AddOnHostTable* t) {
        for (int32_t out : {OUT_VIEW, OUT_SHELL, OUT_ASK | OUT_SHELL, OUT_ASK | OUT_VIEW, 0})
            t->AddItem("F", out, ITEM_FILE, out);
        t->AddItem("T", 7, ITEM_TOGGLE, OUT_VIEW);
        t->AddItem("M", 8, ITEM_MARKED, OUT_SHELL);
        t->AddItem("X", 9, 3, OUT_VIEW); // no interface value matches exactly
        return 1;
    };
    host.LoadAddOn("/a.so", "t.ini", msg);
    host.WalkMenu();
    Source src;
    int32_t nToggleSeen = -1;
    g_interface0 = [&](int32_t, const AddOnCallTable* c, char* o, char*) {
        int32_t n = -5;
        EXPECT_EQ(c->Reserved(), 0);
        EXPECT_EQ(c->GetLineLength(1, &n), 1);
        EXPECT_EQ(n, 5);                       // tabs not expanded
        EXPECT_EQ(c->GetLineLength(3, &n), 0); // m_nRecords
        EXPECT_EQ(c->GetLineLength(0, nullptr), 0);
        char buf[16];
        std::memset(buf, 'x', sizeof(buf));
        EXPECT_EQ(c->GetLineText(1, buf, 6), 1);
        EXPECT_STREQ(buf, "be    ");
        EXPECT_EQ(buf[7], 'x'); // size + 1 bytes, no more
        EXPECT_EQ(c->GetLineText(99, buf, 15), 1);
        EXPECT_STREQ(buf, "");
        EXPECT_EQ(c->GetLineText(0, nullptr, 15), 0);
        EXPECT_EQ(c->GetToggleState(7, &nToggleSeen), 1);
        int32_t s = 0;
        EXPECT_EQ(c->GetToggleState(42, &s), 0);
        EXPECT_STREQ(o, "/tmp/out");
        return 1;
    };
    struct Case {
        uint32_t nId;
        AddOnOpen open;
    };
    for (const Case& c :
         {Case{32849, AddOnOpen::View}, Case{32850, AddOnOpen::Shell}, Case{32851, AddOnOpen::None},
          Case{32852, AddOnOpen::None}, Case{32853, AddOnOpen::None}}) {
        AddOnResult r = host.Dispatch(c.nId, src, "/tmp/out");
        EXPECT_TRUE(r.bOk) << c.nId;
        EXPECT_EQ(r.open, c.open) << c.nId;
        EXPECT_EQ(r.outputPath, "/tmp/out");
    }
    EXPECT_TRUE(CAddOnHost::AsksForOutput(*host.FindItem(32851)));
    EXPECT_FALSE(CAddOnHost::AsksForOutput(*host.FindItem(32850)));
    EXPECT_EQ(nToggleSeen, 0);
    // The toggle flips, opens nothing, and the library sees the new state.
    EXPECT_EQ(host.Dispatch(32854, src, "/tmp/out").open, AddOnOpen::None);
    EXPECT_TRUE(host.UpdateCommand(32854, false).bChecked);
    host.Dispatch(32849, src, "/tmp/out");
    EXPECT_EQ(nToggleSeen, 1);
    host.Dispatch(32854, src, "/tmp/out");
    EXPECT_FALSE(host.UpdateCommand(32854, false).bChecked);
    // Marked text and points reach interface 1.
    const int32_t pts[4] = {1, 2, 3, 4};
    EXPECT_EQ(host.Dispatch(32855, src, "/tmp/out", "ab\xe4", pts).open, AddOnOpen::Shell);
    EXPECT_EQ(g_marked, "ab\xe4");
    EXPECT_EQ(g_points[3], 4);
    EXPECT_FALSE(host.Dispatch(32856, src, "/tmp/out").bOk);
    EXPECT_FALSE(host.Dispatch(40000, src, "/tmp/out").bOk);
}

TEST_F(AddOnHostTest, FailureMessagesAndBuffersStayInBounds) {
    Lib("/a.so");
    CAddOnHost host(loader);
    std::string msg;
    g_register = [](const AddOnHostTable* t) { return t->AddItem("F", 1, ITEM_FILE, OUT_VIEW); };
    host.LoadAddOn("/a.so", "t.ini", msg);
    host.WalkMenu();
    Source src;
    // The library fills both buffers to the end without a terminator.
    g_interface0 = [](int32_t, const AddOnCallTable*, char* o, char* m) {
        std::memset(o, 'o', kAddOnPathSize);
        std::memset(m, 'm', kAddOnMessageSize);
        return 0;
    };
    AddOnResult r = host.Dispatch(32849, src, "/tmp/out");
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.message, std::string(kAddOnMessageSize, 'm'));
    EXPECT_EQ(r.outputPath, std::string(kAddOnPathSize, 'o'));
    g_interface0 = [](int32_t, const AddOnCallTable*, char*, char* m) {
        std::strcpy(m, "Satzformat unbekannt");
        return 0;
    };
    EXPECT_EQ(host.Dispatch(32849, src, "/tmp/out").message, "Satzformat unbekannt");
    // An output path that does not fit the library's buffer is refused, not cut.
    const std::string longPath(kAddOnPathSize, 'p');
    r = host.Dispatch(32849, src, longPath);
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.message, "Der Pfad der Ausgabedatei ist zu lang:\n" + longPath);
}

// The host creates no output file; what a failed entry left under a name that was
// free before the call is removed, a file that was there already is not the host's.
TEST_F(AddOnHostTest, AFailedEntryLeavesNoFileBehindButNoOneElsesIsTouched) {
    Lib("/a.so");
    CAddOnHost host(loader);
    std::string msg;
    g_register = [](const AddOnHostTable* t) { return t->AddItem("F", 1, ITEM_FILE, OUT_VIEW); };
    host.LoadAddOn("/a.so", "t.ini", msg);
    host.WalkMenu();
    Source src;
    test::CTempDir dir;
    const struct {
        bool bBefore, bOk;
        const char* after; // "": no file
    } kCases[] = {{false, false, ""}, {false, true, "neu"}, {true, false, "neu"}};
    for (const auto& c : kCases) {
        const std::string path = dir.File(c.bBefore ? "vorher" : c.bOk ? "gut" : "schlecht");
        if (c.bBefore) dir.Write(NamePart(path), "alt");
        g_interface0 = [&](int32_t, const AddOnCallTable*, char* o, char*) {
            EXPECT_EQ(FileExists(o), c.bBefore); // nothing made beforehand
            dir.Write(NamePart(o), "neu");
            return c.bOk ? 1 : 0;
        };
        EXPECT_EQ(host.Dispatch(32849, src, path).bOk, c.bOk);
        EXPECT_EQ(test::ReadWholeFile(path), c.after) << path;
    }
}

TEST_F(AddOnHostTest, HostFunctionsOutsideACallDoNothing) {
    Lib("/a.so");
    const AddOnHostTable* pKept = nullptr;
    g_register = [&](const AddOnHostTable* t) {
        pKept = t;
        return 1;
    };
    CAddOnHost host(loader);
    std::string msg;
    host.LoadAddOn("/a.so", "t.ini", msg);
    ASSERT_NE(pKept, nullptr);
    EXPECT_EQ(pKept->AddItem("spät", 1, ITEM_FILE, 0), 0);
    EXPECT_EQ(pKept->AddPopup("spät"), 0);
    EXPECT_TRUE(host.Records()[0]->items.empty());
}

TEST_F(AddOnHostTest, ExtensionListLoadsValueOneInFileOrderAndRegisterWrites) {
    test::CTempDir dir;
    const std::string ini = dir.Write("t.ini", "[ExtensionList]\n/b.so=1\n/off.so=0\n"
                                               "/gone.so=1\n/a.so=1\n/yes.so=ja\n");
    CProfile profile(ini);
    Lib("/a.so");
    Lib("/b.so");
    Lib("/off.so");
    Lib("/new.so");
    Lib("/refuses.so");
    g_register = [](const AddOnHostTable* t) { return t->AddItem("E", 1, ITEM_FILE, OUT_VIEW); };
    CAddOnHost host(loader);
    const auto messages = host.LoadExtensionList(profile, ini);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("\"/gone.so\" kann nicht geladen werden"), std::string::npos);
    ASSERT_EQ(host.Records().size(), 2u);
    EXPECT_EQ(host.Records()[0]->path, "/b.so");
    EXPECT_EQ(host.Records()[1]->path, "/a.so");
    std::string msg;
    EXPECT_EQ(host.RegisterAddOn(profile, "/new.so", ini, msg), CAddOnHost::LoadStatus::Registered);
    g_register = [](const AddOnHostTable*) { return 0; };
    EXPECT_EQ(host.RegisterAddOn(profile, "/refuses.so", ini, msg),
              CAddOnHost::LoadStatus::Refused);
    CProfile reread(ini);
    EXPECT_EQ(reread.GetProfileString("ExtensionList", "/new.so"), "1");
    EXPECT_FALSE(reread.HasKey("ExtensionList", "/refuses.so"));
    EXPECT_EQ(host.Records().size(), 4u); // the refusing library stays loaded
}

#ifndef _WIN32
// Entries that name no library file are reported at start, one message each, and
// none holds the start up (a named pipe would wait for a writer for ever).
TEST(AddOnFiles, ExtensionListEntriesThatAreNoFilesAreRefusedWithoutWaiting) {
    test::CTempDir dir;
    const std::string fifo = dir.File("pipe.so");
    const std::string folder = dir.File("folder.so");
    const std::string link = dir.File("link.so");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink(fifo, link);
    const struct {
        std::string path;
        uint32_t nCode;
    } kCases[] = {{fifo, ESPIPE}, {folder, EISDIR}, {"/dev/null", ENODEV}, {link, ESPIPE}};
    std::string text = "[ExtensionList]\n";
    for (const auto& c : kCases)
        text += c.path + "=1\n";
    const std::string ini = dir.Write("t.ini", text);
    CProfile profile(ini);
    CAddOnHost host;
    const auto messages = host.LoadExtensionList(profile, ini);
    ASSERT_EQ(messages.size(), std::size(kCases));
    for (size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ(messages[i],
                  FormatString(IDS_ADDON_LOAD_FAILED, kCases[i].path.c_str(), kCases[i].nCode,
                               SystemErrorText(kCases[i].nCode).c_str()));
    EXPECT_FALSE(host.HasAddOns());
}
#endif

TEST(AddOnTemporaryName, FollowsTheTempPattern) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(GeneratedFileName("/tmp/tv/", "/var/log/app.log", t, "", "u2"),
              "/tmp/tv/Tervik_app.log_20260105_070809_u2");
}

// Property: whatever the library leaves in its buffers (any bytes, terminated or not),
// the host's results are exactly the bytes up to the first NUL within the buffer.
TEST_F(AddOnHostTest, RandomBufferContentsAreReadWithinBounds) {
    Lib("/a.so");
    CAddOnHost host(loader);
    std::string msg;
    g_register = [](const AddOnHostTable* t) { return t->AddItem("F", 1, ITEM_FILE, OUT_VIEW); };
    host.LoadAddOn("/a.so", "t.ini", msg);
    host.WalkMenu();
    Source src;
    std::mt19937 rng(15);
    for (int i = 0; i < 300; ++i) {
        std::vector<char> out(kAddOnPathSize), mes(kAddOnMessageSize);
        for (char& c : out)
            c = static_cast<char>(rng() % 4 == 0 ? 0 : rng() % 255 + 1);
        for (char& c : mes)
            c = static_cast<char>(rng() % 50 == 0 ? 0 : rng() % 255 + 1);
        const bool bFail = rng() % 2 == 0;
        g_interface0 = [&](int32_t, const AddOnCallTable*, char* o, char* m) {
            std::memcpy(o, out.data(), out.size());
            std::memcpy(m, mes.data(), mes.size());
            return bFail ? 0 : 1;
        };
        const AddOnResult r = host.Dispatch(32849, src, "/tmp/x");
        const std::string wantOut(out.data(), strnlen(out.data(), out.size()));
        std::string wantMes(mes.data(), strnlen(mes.data(), mes.size()));
        if (wantMes.empty()) wantMes = "Das Interface ist leider noch nicht implementiert!";
        EXPECT_EQ(r.outputPath, FileTextToPath(wantOut)); // the 8-bit name, read back
        EXPECT_EQ(r.message, bFail ? wantMes : "");
    }
}

} // namespace
} // namespace tervik
