// Add-on libraries in the running viewer: the example libraries loaded at start or
// through the register command, their entries in "E&xtras" and the context menu,
// and running them with the output opened as a document of its own.

#include "app/ui/MainFrame.h"
#include "base/SettingKeys.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/ui/FileDialogs.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace tervik {
namespace {

class AddOnTest : public test::ShellTest {
protected:
    std::vector<std::string> m_answers;
    std::vector<FileDialogRequest> m_requests;
    std::vector<std::string> m_shellOpened;

    void SetUp() override {
        test::ShellTest::SetUp();
        SetFileDialogHook([this](const FileDialogRequest& r) -> std::optional<std::string> {
            m_requests.push_back(r);
            if (m_answers.empty()) return std::nullopt;
            std::string s = m_answers.front();
            m_answers.erase(m_answers.begin());
            return s;
        });
        CAddOnManager::SetShellOpenHook(
            [this](const std::string& p) { m_shellOpened.push_back(p); });
        // Temporary names of our own: other viewers' exit cleanup must not meet them.
        const std::string temp = m_dir.File("temp");
        std::filesystem::create_directories(temp);
        Settings().WriteProfileString(kSectionSettings, "TempPath", temp);
    }
    void TearDown() override {
        test::ShellTest::TearDown();
        SetFileDialogHook({});
        CAddOnManager::SetShellOpenHook({});
    }
    // Generated files go to this user's own folder in the temporary folder.
    std::string Generated(const std::string& name) const {
        return m_dir.File("temp/tervik-" + std::to_string(::geteuid()) + "/" + name);
    }
    void Register(const char* pszLibrary) {
        Settings().WriteProfileString(kSectionExtensionList, pszLibrary, "1");
    }
    QMenu* Extras() {
        for (QAction* pAction : Frame().menuBar()->actions())
            if (pAction->text() == "E&xtras") return pAction->menu();
        return nullptr;
    }
    // The menu's items as the user sees them, a submenu's after its own line.
    static QStringList Items(QMenu& menu, bool bShow = true) {
        if (bShow) emit menu.aboutToShow();
        QStringList items;
        for (QAction* pAction : menu.actions()) {
            if (pAction->isSeparator()) {
                items << "-";
                continue;
            }
            QString s = pAction->text();
            if (!pAction->isEnabled()) s += " (aus)";
            if (pAction->isChecked()) s += " (an)";
            if (const unsigned nId = pAction->property("addOnId").toUInt())
                s += QString(" #%1").arg(nId);
            items << s;
            if (QMenu* pSub = pAction->menu()) {
                for (const QString& sub : Items(*pSub, bShow))
                    items << "  " + sub;
            }
        }
        return items;
    }
    static QAction* Find(QMenu& menu, const QString& text) {
        for (QAction* pAction : menu.actions()) {
            if (pAction->text() == text) return pAction;
            if (QMenu* pSub = pAction->menu())
                if (QAction* p = Find(*pSub, text)) return p;
        }
        return nullptr;
    }
    CTervikView* View() { return Frame().ActiveView(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(AddOnTest, LibrariesOfTheSettingsAddTheirEntriesInLoadOrderToBothMenus) {
    Register(TERVIK_UI_ADDON_STATS);
    Register(TERVIK_UI_ADDON_MARKED);
    const std::string file = Log("a.log", 5);
    ASSERT_TRUE(Start({QString::fromStdString(file)}));
    QMenu* pExtras = Extras();
    ASSERT_NE(pExtras, nullptr);
    const QStringList expected = {
        "Zeichenhäufigkeit ...",
        "Was ist das? ...",
        "-",
        "Satzstatistik #32849",
        "Markierung",
        "  Als Hex anzeigen (aus) #32850",
        "  -",
        "  Grossbuchstaben #32851",
        "-",
        "AddOn registrieren...",
    };
    QStringList items = Items(*pExtras);
    // The character frequency command may be disabled elsewhere; only the names count here.
    for (QString& s : items)
        if (s.startsWith("Zeichenh") || s.startsWith("Was ist")) s.remove(" (aus)");
    EXPECT_EQ(items, expected);
    // Shown again, the menu is not built twice.
    EXPECT_EQ(Items(*pExtras).size(), expected.size());

    // The context menu ends with the same entries under the same ids.
    QStringList context;
    CViewPens::SetContextMenuHook([&](QMenu& menu) { context = Items(menu, false); });
    QTest::mouseClick(View()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(20, 5));
    CViewPens::SetContextMenuHook({});
    const qsizetype n = context.size();
    ASSERT_GE(n, 6);
    EXPECT_EQ(context.mid(n - 6),
              (QStringList{"-", "Satzstatistik #32849", "Markierung",
                           "  Als Hex anzeigen (aus) #32850", "  -", "  Grossbuchstaben #32851"}));
}

TEST_F(AddOnTest, TheMarkedEntryNeedsAMarkingAndTheToggleIsReadBackByTheLibrary) {
    Register(TERVIK_UI_ADDON_MARKED);
    const std::string file = m_dir.Write("m.txt", "AB\r\nc\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(file)}));
    QMenu* pExtras = Extras();
    ASSERT_NE(pExtras, nullptr);
    Items(*pExtras);
    QAction* pHex = Find(*pExtras, "Als Hex anzeigen");
    QAction* pUpper = Find(*pExtras, "Grossbuchstaben");
    ASSERT_TRUE(pHex && pUpper);
    EXPECT_FALSE(pHex->isEnabled());

    // "Alles Markieren" from the menu; the entry becomes available.
    Frame().Action(ID_EDIT_MARK_ALL)->trigger();
    ASSERT_TRUE(View()->HasMarking());
    Items(*pExtras);
    EXPECT_TRUE(pHex->isEnabled());

    // The toggle: checked after the first click, not after the second.
    pUpper->trigger();
    Items(*pExtras);
    EXPECT_TRUE(pUpper->isChecked());

    CTervikDoc* pSource = &View()->GetDocument();
    pHex->trigger();
    Settle();
    ASSERT_TRUE(m_messages.empty()) << m_messages.front();
    CTervikDoc* pOut = &View()->GetDocument();
    ASSERT_NE(pOut, pSource);
    EXPECT_NE(Read(pOut->m_szFileName).find("41 42 0D 0A 63"), std::string::npos)
        << Read(pOut->m_szFileName);

    View()->setFocus();
    Frame().MdiArea()->setActiveSubWindow(Frame().MdiArea()->subWindowList().front());
    Settle();
    ASSERT_EQ(&View()->GetDocument(), pSource);
    pUpper->trigger();
    Items(*pExtras);
    EXPECT_FALSE(pUpper->isChecked());
}

TEST_F(AddOnTest, OutputOpensAsATemporaryDocumentOutsideTheWorkspace) {
    const std::string file = Log("w.log", 12);
    ASSERT_TRUE(Start({QString::fromStdString(file)}));
    // Registered through the command: loaded at once and kept for the next start.
    m_answers = {TERVIK_UI_ADDON_STATS};
    ASSERT_TRUE(Frame().ExecuteCommand(ID_ADDON_REGISTER));
    EXPECT_EQ(m_requests.back().m_filter.find("*.so"),
              m_requests.back().m_filter.find("(*.so)") + 1);
    EXPECT_EQ(Settings().GetProfileString(kSectionExtensionList, TERVIK_UI_ADDON_STATS, ""), "1");

    const std::string workspace = m_dir.File("ws.tervik");
    m_answers = {workspace};
    ASSERT_TRUE(Frame().ExecuteCommand(ID_WORKSPACE_SAVE_AS));
    ASSERT_FALSE(m_app->m_bWorkspaceModified);
    const auto nRecent = m_app->DocumentManager().RecentFiles().size();

    QMenu* pExtras = Extras();
    Items(*pExtras);
    QAction* pStats = Find(*pExtras, "Satzstatistik");
    ASSERT_NE(pStats, nullptr);
    pStats->trigger();
    Settle();
    ASSERT_TRUE(m_messages.empty()) << m_messages.front();
    CTervikDoc& out = View()->GetDocument();
    const std::string outPath = out.m_szFileName;
    EXPECT_TRUE(out.m_bDeleteOnClose);
    EXPECT_EQ(outPath.rfind(Generated("Tervik_w.log_"), 0), 0u) << outPath;
    EXPECT_EQ(Read(outPath).rfind("Saetze: 12\r\n", 0), 0u) << Read(outPath);
    EXPECT_FALSE(m_app->m_bWorkspaceModified);
    EXPECT_EQ(m_app->DocumentManager().RecentFiles().size(), nRecent);
    EXPECT_TRUE(m_shellOpened.empty());

    ASSERT_TRUE(Frame().ExecuteCommand(ID_WORKSPACE_SAVE));
    EXPECT_EQ(Read(workspace).find("Tervik_"), std::string::npos);

    // Closing its window deletes the output.
    Frame().MdiArea()->activeSubWindow()->close();
    Settle();
    EXPECT_FALSE(std::filesystem::exists(outPath));
}

TEST_F(AddOnTest, OutputForTheDesktopOrAskedForOpensNoDocument) {
    const std::string file = Log("o.log", 4);
    Register(TERVIK_UI_ADDON_OUTPUTS);
    ASSERT_TRUE(Start({QString::fromStdString(file)}));
    QMenu* pExtras = Extras();
    Items(*pExtras);
    const int nWindows = static_cast<int>(Frame().MdiArea()->subWindowList().size());

    // Output 2: the temporary file goes to the desktop's program.
    Find(*pExtras, "Mit Programm oeffnen")->trigger();
    Settle();
    ASSERT_TRUE(m_messages.empty()) << m_messages.front();
    ASSERT_EQ(m_shellOpened.size(), 1u);
    EXPECT_EQ(m_shellOpened[0].rfind(Generated("Tervik_o.log_"), 0), 0u) << m_shellOpened[0];
    EXPECT_EQ(Read(m_shellOpened[0]).rfind("Funktion 1, erster Satz ", 0), 0u);
    EXPECT_TRUE(m_requests.empty());

    // Output 3 asks for the file; a cancelled dialog runs nothing.
    QAction* pAsk = Find(*pExtras, "In Datei schreiben");
    pAsk->trigger();
    Settle();
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_TRUE(m_requests[0].m_bSave);
    EXPECT_EQ(m_requests[0].m_defaultExt, "txt");
    EXPECT_EQ(m_shellOpened.size(), 1u);
    EXPECT_TRUE(m_messages.empty());

    // Chosen: written there, and neither opened nor shown (only 2 and 4 open).
    const std::string chosen = m_dir.File("wahl.txt");
    m_answers = {chosen};
    pAsk->trigger();
    Settle();
    EXPECT_EQ(Read(chosen).rfind("Funktion 2, erster Satz ", 0), 0u);
    EXPECT_EQ(m_shellOpened.size(), 1u);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), nWindows);
}

TEST_F(AddOnTest, FailuresAreShown) {
    const std::string file = Log("f.log", 3);
    const std::string notALibrary = m_dir.Write("kaputt.so", "kein ELF");
    ASSERT_TRUE(Start({QString::fromStdString(file)}));
    m_answers = {notALibrary};
    ASSERT_TRUE(Frame().ExecuteCommand(ID_ADDON_REGISTER));
    ASSERT_EQ(m_messages.size(), 1u);
    // The reason in German, then the loader's own words (which name the file).
    EXPECT_EQ(m_messages[0].rfind("Bibliothek \"" + notALibrary +
                                      "\" kann nicht geladen werden: Die Datei ist keine "
                                      "Bibliothek f\xFCr dieses System.\nMeldung des Systems: " +
                                      notALibrary + ": ",
                                  0),
              0u)
        << m_messages[0];
    EXPECT_EQ(Settings().GetProfileString(kSectionExtensionList, notALibrary, ""), "");

    // A cancelled register dialog does nothing.
    m_messages.clear();
    ASSERT_TRUE(Frame().ExecuteCommand(ID_ADDON_REGISTER));
    EXPECT_TRUE(m_messages.empty());
}

} // namespace
} // namespace tervik
