#include "app/ui/ChildFrame.h"
#include "app/ui/ColorBox.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/ui/FileDialogs.h"
#include "search/LineSelection.h"
#include "search/ui/SelectLinesDialog.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QTimer>
#include <QToolBar>
#include <filesystem>

namespace tervik {
namespace {

class SelectionCommandsTest : public test::ShellTest {
protected:
    CTervikView* m_pView = nullptr;
    CTervikDoc* m_pDoc = nullptr;
    std::vector<FileDialogRequest> m_requests;
    std::optional<std::string> m_answer; // the next file dialog's answer

    void SetUp() override {
        ShellTest::SetUp();
        SetFileDialogHook([this](const FileDialogRequest& r) {
            m_requests.push_back(r);
            return m_answer;
        });
    }
    void TearDown() override {
        ShellTest::TearDown();
        SetFileDialogHook({});
    }
    void OpenOne(const std::string& path) {
        ASSERT_TRUE(Start({QString::fromStdString(path)}));
        auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
        ASSERT_NE(pFrame, nullptr);
        m_pView = pFrame->ActiveView();
        m_pDoc = &pFrame->GetDocument();
        Settle();
    }
    std::vector<uint32_t> Selected() {
        std::vector<uint32_t> v;
        for (uint32_t r = 0; r < m_pDoc->m_nRecords; ++r)
            if (m_pDoc->IsLineSelected(r, nullptr, nullptr)) v.push_back(r);
        return v;
    }
    uint32_t Bits(uint32_t r) { return m_pDoc->Record(r)->m_nFlags & RF_COLOUR_MASK; }
    bool PenVisible(unsigned nId) { return Frame().ToolBarAction(nId)->isVisible(); }
};

TEST_F(SelectionCommandsTest, AvailabilityFollowsModeAndSelection) {
    OpenOne(Log("a.log", 20));
    EXPECT_TRUE(Frame().UpdateCommand(ID_SELECT_LINES).m_bEnabled);
    EXPECT_TRUE(Frame().UpdateCommand(ID_SELECT_INVERT).m_bEnabled);
    EXPECT_FALSE(Frame().UpdateCommand(ID_DESELECT_LINES).m_bEnabled);
    EXPECT_FALSE(Frame().UpdateCommand(ID_EXPORT_SELECTED).m_bEnabled);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    EXPECT_EQ(m_pDoc->SelectedCount(), 20u);
    EXPECT_EQ(Frame().GetMessageText(), "20 Zeilen sind selektiert");
    EXPECT_TRUE(Frame().UpdateCommand(ID_DESELECT_LINES).m_bEnabled);
    EXPECT_TRUE(Frame().UpdateCommand(ID_EXPORT_SELECTED).m_bEnabled);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_DUMP));
    for (unsigned nId : {ID_SELECT_LINES, ID_SELECT_INVERT, ID_DESELECT_LINES, ID_EXPORT_SELECTED})
        EXPECT_FALSE(Frame().UpdateCommand(nId).m_bEnabled) << nId;
}

TEST_F(SelectionCommandsTest, ColourCommandsBoxAndPens) {
    OpenOne(Log("b.log", 5));
    auto* pBox = qobject_cast<CColorBox*>(Frame().ColorBox());
    ASSERT_NE(pBox, nullptr);
    ASSERT_EQ(pBox->count(), 3);
    EXPECT_EQ(pBox->itemText(2), QString::fromUtf8("Grün"));
    EXPECT_EQ(pBox->currentIndex(), 0);
    EXPECT_TRUE(PenVisible(ID_HAND_SELECT));
    EXPECT_FALSE(PenVisible(ID_HAND_SELECT_RED));

    EXPECT_TRUE(Frame().ExecuteCommand(ID_COLOR_RED));
    EXPECT_EQ(pBox->currentIndex(), 1);
    EXPECT_FALSE(PenVisible(ID_HAND_SELECT));
    EXPECT_TRUE(PenVisible(ID_HAND_SELECT_RED));
    EXPECT_FALSE(PenVisible(ID_HAND_SELECT_GREEN));
    // Only the button goes: "Zeilen manuell > selektieren" stays in the menu.
    EXPECT_TRUE(Frame().Action(ID_HAND_SELECT)->isVisible());
    Settle();
    EXPECT_FALSE(
        Frame().MainToolBar()->widgetForAction(Frame().ToolBarAction(ID_HAND_SELECT))->isVisible());
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    EXPECT_EQ(Bits(0), RF_RED);

    // Choosing in the box posts the colour command and gives the view its focus back.
    pBox->setFocus();
    Settle();
    pBox->setCurrentIndex(2);
    emit pBox->activated(2);
    Settle();
    EXPECT_EQ(Frame().m_nSelectColour, 2);
    EXPECT_TRUE(PenVisible(ID_HAND_SELECT_GREEN));
    EXPECT_EQ(Frame().UpdateCommand(ID_COLOR_GREEN).m_nCheck, 1);
    test::SaveScreenshot(*Frame().MainToolBar(), "toolbar-colour-green");
}

TEST_F(SelectionCommandsTest, RecordingWritesEveryStepAndPlaybackRepeatsThem) {
    OpenOne(Log("c.log", 30));
    const std::string script = m_dir.File("steps.terviks");
    m_dir.Write("steps.terviks", "old contents");
    m_answer = script;
    EXPECT_EQ(Frame().UpdateCommand(ID_SCRIPT_RECORD).m_text, "Aufnehmen starten...");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_RECORD));
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_TRUE(m_requests[0].m_bSave);
    EXPECT_EQ(m_requests[0].m_defaultExt, "terviks");
    EXPECT_EQ(m_requests[0].m_filter, "Tervik automatische Selektion (*.terviks)|*.terviks||");
    EXPECT_EQ(Frame().UpdateCommand(ID_SCRIPT_RECORD).m_nCheck, 1);
    EXPECT_EQ(Frame().UpdateCommand(ID_SCRIPT_RECORD).m_text, "Aufnehmen beenden");
    EXPECT_FALSE(Frame().UpdateCommand(ID_SCRIPT_PLAY).m_bEnabled);

    EXPECT_TRUE(Frame().ExecuteCommand(ID_COLOR_GREEN));
    SelectCriteria c;
    c.m_nEndLine = m_pDoc->m_nRecords;
    c.m_text = "Zeile 1";
    c.m_nFlags = SEL_MATCH_CASE;
    c.m_pHistory = &Frame().m_selectTextHistory;
    SelectByCriteria(*m_pDoc, c);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_RECORD)); // off
    EXPECT_EQ(Frame().UpdateCommand(ID_SCRIPT_RECORD).m_nCheck, 0);
    EXPECT_EQ(test::ReadWholeFile(script), "SELECT_COLOR GREEN\r\n"
                                           "SELECT LINE=*ALL,TEXT=\"Zeile 1\",MATCHCASE=YES\r\n"
                                           "INVERTSELECT\r\n");
    const std::vector<uint32_t> want = Selected();

    // Played on a longer file, in another colour at the start.
    ASSERT_NE(m_app->OpenDocumentFile(Log("d.log", 120)), nullptr);
    Settle();
    CTervikView* pOther = Frame().ActiveView();
    ASSERT_NE(pOther, m_pView);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_COLOR_BLUE));
    EXPECT_TRUE(Frame().UpdateCommand(ID_SCRIPT_PLAY).m_bEnabled);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_PLAY));
    EXPECT_FALSE(m_requests.back().m_bSave);
    CTervikDoc& other = pOther->GetDocument();
    // "Zeile 1", "Zeile 10".."Zeile 19", "Zeile 100".."Zeile 119" are hits; the rest
    // is selected by the inversion, green.
    EXPECT_EQ(other.SelectedCount(), 120u - 31u);
    EXPECT_FALSE(other.IsLineSelected(1, nullptr, nullptr));
    EXPECT_EQ(other.Record(0)->m_nFlags & RF_COLOUR_MASK, RF_GREEN);
    EXPECT_EQ(Frame().ColorBox()->currentIndex(), 2);
    pOther->resize(700, 300);
    Settle();
    test::SaveScreenshot(*pOther, "view-after-script");
    EXPECT_EQ(Selected(), want); // the first document is untouched
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(SelectionCommandsTest, ScriptFileErrorsAreShown) {
    OpenOne(Log("e.log", 5));
    m_answer = m_dir.File("missing/x.terviks");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_RECORD));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].rfind("Verarbeitungsfehler in Datei '" + *m_answer + "'\n\n", 0), 0u);
    EXPECT_EQ(Frame().UpdateCommand(ID_SCRIPT_RECORD).m_nCheck, 0);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_PLAY));
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_NE(m_messages[1].find("Fehlercode 2\n"), std::string::npos) << m_messages[1];
    // Cancelled dialogs do nothing.
    m_answer.reset();
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_RECORD));
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SCRIPT_PLAY));
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(Frame().UpdateCommand(ID_SCRIPT_RECORD).m_nCheck, 0);
}

TEST_F(SelectionCommandsTest, ExportWritesTheSelectedLines) {
    OpenOne(m_dir.Write("f.txt", "eins\tx\nzwei\ndrei\n"));
    m_pDoc->SetLineSelected(0, true, nullptr);
    m_pDoc->SetLineSelected(2, true, nullptr);
    m_answer = m_dir.File("out.txt");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_EXPORT_SELECTED));
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_TRUE(m_requests[0].m_bSave);
    EXPECT_EQ(m_requests[0].m_defaultExt, "txt");
    EXPECT_EQ(m_requests[0].m_filter, "");
    EXPECT_EQ(m_requests[0].m_folder, m_dir.Path().string());
    EXPECT_EQ(test::ReadWholeFile(*m_answer), "eins\tx\ndrei\n");
    EXPECT_TRUE(m_messages.empty());
}

// The shown file under any of its names is refused before the question about
// overwriting and before anything is opened.
TEST_F(SelectionCommandsTest, ExportRefusesTheShownFileUnderEveryName) {
    const std::string data = "eins\nzwei\n";
    const std::string path = m_dir.Write("f.txt", data);
    std::filesystem::create_hard_link(path, m_dir.File("hard.txt"));
    std::filesystem::create_symlink(path, m_dir.File("soft.txt"));
    OpenOne(path);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    for (const std::string& name :
         {path, m_dir.File("./f.txt"), m_dir.File("hard.txt"), m_dir.File("soft.txt")}) {
        SCOPED_TRACE(name);
        m_messages.clear();
        m_answer = name;
        EXPECT_TRUE(Frame().ExecuteCommand(ID_EXPORT_SELECTED));
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0], "Die Ausgabedatei ist die angezeigte Datei selbst und wird nicht "
                                 "\xFC"
                                 "berschrieben.");
        EXPECT_EQ(test::ReadWholeFile(path), data);
    }
}

TEST_F(SelectionCommandsTest, SelectLinesDialogDrivesTheRunAndTheHistoryIsKept) {
    OpenOne(Log("g.log", 40));
    QTimer::singleShot(0, [] {
        auto* pDlg = qobject_cast<CSelectLines*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        auto* pText = pDlg->findChild<QComboBox*>("text");
        ASSERT_NE(pText, nullptr);
        pText->setEditText("zeile 3");
        pDlg->accept();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SELECT_LINES));
    // Case is checked on a first run with an empty history: "zeile" is no hit.
    EXPECT_EQ(m_pDoc->SelectedCount(), 0u);
    ASSERT_EQ(Frame().m_selectTextHistory.size(), 1u);
    EXPECT_EQ(Frame().m_selectTextHistory[0].m_text, "zeile 3");
    Stop();
    EXPECT_EQ(Settings().GetProfileString("Select Text List", "Select01", ""), "(0,1,0,zeile 3)");
}

} // namespace
} // namespace tervik
