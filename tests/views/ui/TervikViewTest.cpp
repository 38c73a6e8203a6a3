#include "views/ui/TervikView.h"
#include "app/ui/ChildFrame.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "search/ui/SearchDialog.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/GotoPosition.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <utility>
#include <vector>

namespace tervik {
namespace {

class ViewTest : public test::ShellTest {
protected:
    CTervikView* m_pView = nullptr;
    CTervikDoc* m_pDoc = nullptr;

    // Starts with one document and its view, sized like a small window; with the
    // main window active when keys must reach their shortcuts.
    void OpenOne(const std::string& path, bool bActive = false) {
        if (bActive) {
            ASSERT_NE(StartActive(path), nullptr);
        } else {
            ASSERT_TRUE(Start({QString::fromStdString(path)}));
        }
        auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
        ASSERT_NE(pFrame, nullptr);
        pFrame->showNormal();
        pFrame->resize(700, 400);
        Settle();
        m_pView = pFrame->ActiveView();
        m_pDoc = &pFrame->GetDocument();
        m_pView->setFocus();
        Settle();
    }
    void Select(std::initializer_list<uint32_t> lines) {
        for (uint32_t n : lines) {
            m_pDoc->SetLineSelected(n, true, nullptr);
        }
    }
};

TEST_F(ViewTest, ModeSwitchesAndDumpStart) {
    // Lines of 100 bytes: record 10 starts at 1000, so the dump starts at 992.
    std::string data;
    for (int i = 0; i < 50; ++i)
        data += std::string(99, static_cast<char>('a' + i % 26)) + "\n";
    OpenOne(m_dir.Write("modes.txt", data));
    m_pView->SetTopLine(10);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_DUMP));
    EXPECT_EQ(m_pView->Mode(), DisplayMode::Dump);
    EXPECT_EQ(m_pView->DumpTop(), 992u);
    EXPECT_TRUE(Frame().DumpBox()->isEnabled());
    EXPECT_EQ(Frame().DumpBox()->currentText(), QString("4"));
    EXPECT_EQ(Frame().UpdateCommand(ID_VIEW_DUMP).m_nCheck, 1);
    // The position pane counts dump rows: 5000 bytes are 313 rows of 16, 992 is row 63.
    EXPECT_EQ(Frame().PositionText(), QString("Z 63(313), S 1"));
    // 32-byte rows move the top to a multiple of 32.
    m_pView->SetDumpColumns(8);
    EXPECT_EQ(m_pView->DumpTop(), 992u - 992u % 32);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_HEX));
    EXPECT_FALSE(Frame().DumpBox()->isEnabled());
    EXPECT_EQ(Frame().UpdateCommand(ID_VIEW_HEX).m_nCheck, 1);
    EXPECT_EQ(Frame().UpdateCommand(ID_VIEW_TEXT).m_nCheck, 0);
}

TEST_F(ViewTest, KeysWheelAndPositionPane) {
    OpenOne(Log("keys.log", 500));
    QTest::keyClick(m_pView, Qt::Key_Down);
    EXPECT_EQ(m_pView->TopLine(), 1u);
    QTest::keyClick(m_pView, Qt::Key_End);
    EXPECT_EQ(m_pView->TopLine(), 500u - (static_cast<uint32_t>(m_pView->VisibleLines()) - 1));
    QTest::keyClick(m_pView, Qt::Key_Home);
    EXPECT_EQ(m_pView->TopLine(), 0u);
    QWheelEvent wheel(QPointF(10, 10), m_pView->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_pView->viewport(), &wheel);
    EXPECT_EQ(m_pView->TopLine(), static_cast<uint32_t>(std::max(1, m_pView->VisibleLines() / 5)));
    EXPECT_TRUE(
        Frame().PositionText().startsWith(QString("Z %1(500)").arg(m_pView->TopLine() + 1)));
    QTest::keyClick(m_pView, Qt::Key_Right);
    EXPECT_EQ(m_pView->LeftColumn(), 1);
}

TEST_F(ViewTest, OnlySelectedLinesAndNextPrevious) {
    OpenOne(Log("sel.log", 100));
    EXPECT_FALSE(Frame().UpdateCommand(ID_VIEW_ONLY_SELECTED).m_bEnabled);
    Select({5, 40, 41});
    EXPECT_TRUE(Frame().UpdateCommand(ID_VIEW_ONLY_SELECTED).m_bEnabled);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_ONLY_SELECTED));
    m_pView->grab(); // paints: the top moves to the first selected line
    EXPECT_EQ(m_pView->TopLine(), 5u);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_NEXT_SELECTED));
    EXPECT_EQ(m_pView->TopLine(), 40u);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_NEXT_SELECTED));
    EXPECT_EQ(m_pView->TopLine(), 41u);
    // The last one: the message, the line stays.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_NEXT_SELECTED));
    EXPECT_EQ(m_pView->TopLine(), 41u);
    EXPECT_EQ(Frame().GetMessageText(), "Es wurde keine weitere selektierte Zeile gefunden.");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_PREV_SELECTED));
    EXPECT_EQ(m_pView->TopLine(), 40u);
    test::SaveScreenshot(*m_pView, "view-only-selected");
}

TEST_F(ViewTest, GoToLineWithHistory) {
    OpenOne(Log("goto.log", 3000));
    auto answer = [](const char* text) {
        QTimer::singleShot(0, [text] {
            auto* pDlg = qobject_cast<CGotoPosition*>(QApplication::activeModalWidget());
            ASSERT_NE(pDlg, nullptr);
            pDlg->NumberBox()->setEditText(text);
            pDlg->accept();
        });
    };
    answer("1.234");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_GOTO_LINE));
    EXPECT_EQ(m_pView->TopLine(), 1233u);
    EXPECT_EQ(m_pDoc->m_nGotoHistory[0], 1234u);
    // The dialog lists the history with thousands dots and offers the last entry.
    QTimer::singleShot(0, [] {
        auto* pDlg = qobject_cast<CGotoPosition*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        EXPECT_EQ(pDlg->NumberBox()->itemText(0), QString("1.234"));
        EXPECT_EQ(pDlg->NumberBox()->currentText(), QString("1234"));
        EXPECT_FALSE(pDlg->SelectedBox()->isEnabled());
        pDlg->reject();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_GOTO_LINE));
}

TEST_F(ViewTest, SynchronousScrollingAcrossDocumentsAndPanes) {
    OpenOne(Log("one.log", 400));
    ASSERT_NE(m_app->OpenDocumentFile(Log("two.log", 300)), nullptr);
    Settle();
    auto frames = Frame().MdiArea()->subWindowList();
    ASSERT_EQ(frames.size(), 2);
    CTervikView* pFirst = qobject_cast<CChildFrame*>(frames[0])->ActiveView();
    CTervikView* pSecond = qobject_cast<CChildFrame*>(frames[1])->ActiveView();
    // Without the switch only the view itself moves.
    pFirst->OnVScroll(ScrollCode::LineDown, 0, true);
    EXPECT_EQ(pFirst->TopLine(), 1u);
    EXPECT_EQ(pSecond->TopLine(), 0u);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SYNC_SCROLL));
    pFirst->OnVScroll(ScrollCode::PageDown, 0, true);
    EXPECT_GT(pSecond->TopLine(), 0u);
    // Dragging the thumb moves only the view dragged.
    const uint32_t nBefore = pSecond->TopLine();
    pFirst->OnVScroll(ScrollCode::ThumbTrack, 200, true);
    pFirst->OnVScroll(ScrollCode::ThumbPosition, 200, true);
    EXPECT_EQ(pFirst->TopLine(), 200u);
    EXPECT_EQ(pSecond->TopLine(), nBefore);
    // A key in the active window: the pane describes it, not the one that followed.
    pSecond->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_NE(pFirst->TopLine(), pSecond->TopLine());
    EXPECT_EQ(Frame().PositionText(),
              QString("Z %1(300), S 1").arg(pSecond->TopLine() + 1));
}

TEST_F(ViewTest, SplitPanesScrollIndependently) {
    OpenOne(Log("split.log", 300));
    auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
    EXPECT_TRUE(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
    ASSERT_EQ(pFrame->PaneCount(), 2);
    pFrame->Pane(1)->OnVScroll(ScrollCode::PageDown, 0, true);
    EXPECT_GT(pFrame->Pane(1)->TopLine(), 0u);
    EXPECT_EQ(pFrame->Pane(0)->TopLine(), 0u);
    EXPECT_EQ(pFrame->Pane(1)->Mode(), DisplayMode::Text);
}

TEST_F(ViewTest, SearchHitIsDrawnOverTheSelectionColours) {
    OpenOne(Log("hit.log", 20));
    Select({0});
    m_pView->m_textHit = TextHit{true, 0, 11, 5, false};
    const QImage shot = m_pView->viewport()->grab().toImage();
    EXPECT_TRUE(m_pView->m_textHit.m_bShown);
    // A pixel at the top left of column 12 carries the hit's background (255,255,128).
    const int x = static_cast<int>(11.5 * m_pView->CharWidth());
    EXPECT_EQ(shot.pixelColor(x, 1), QColor(255, 255, 128));
    // Scrolled right beyond the hit: not shown.
    for (int i = 0; i < 20; ++i)
        m_pView->OnHScroll(ScrollCode::LineDown, 0, false);
    m_pView->viewport()->grab();
    EXPECT_FALSE(m_pView->m_textHit.m_bShown);
}

TEST_F(ViewTest, SearchWithTheToolbarBox) {
    OpenOne(Log("search.log", 100));
    EXPECT_FALSE(Frame().UpdateCommand(ID_SEARCH_FORWARD).m_bEnabled); // empty box
    Frame().SearchBox()->setEditText("Zeile 4");
    EXPECT_TRUE(Frame().UpdateCommand(ID_SEARCH_FORWARD).m_bEnabled);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_TRUE(m_pView->m_textHit.m_bValid);
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 4u);
    EXPECT_EQ(m_pView->m_textHit.m_nColumn, 26u);
    EXPECT_EQ(Frame().GetMessageText(), "Der String wurde auf Zeile 5, Spalte 27 gefunden.");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 40u); // "Zeile 40" comes next
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_BACKWARD));
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 4u);
    // Case matters only with the option.
    Frame().SearchBox()->setEditText("%FLAGS(C)zeile 7");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_EQ(Frame().GetMessageText(),
              "Das Dateiende wurde erreicht, der angegebene String wurde nicht gefunden.");
    // The dump finds bytes and says where.
    m_pView->SetMode(DisplayMode::Dump);
    Frame().SearchBox()->setEditText("%FLAGS(X)5a65696c65203939");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_TRUE(m_pView->m_dumpHit.m_bValid);
    EXPECT_EQ(Frame().GetMessageText().rfind("Der String wurde auf Position ", 0), 0u);
    test::SaveScreenshot(*m_pView, "view-dump-hit");
}

// Repeated backward searches from the last hit retrace the forward hits in reverse,
// also where a line holds several hits and tabs move the columns.
TEST_F(ViewTest, SearchBackwardRetracesTheForwardHits) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += i % 3 == 0 ? "ab ab\tab\n" : i % 3 == 1 ? "nichts\n" : "x\tab\n";
    OpenOne(m_dir.Write("hits.txt", text));
    using Hit = std::pair<uint32_t, uint32_t>;
    const auto collect = [&](bool bBackward) {
        std::vector<Hit> hits;
        for (int n = 0; n < 200; ++n) {
            bBackward ? m_pView->Searching().Backward("ab") : m_pView->Searching().Forward("ab");
            const Hit hit{m_pView->m_textHit.m_nLine, m_pView->m_textHit.m_nColumn};
            if (!m_pView->m_textHit.m_bValid || (!hits.empty() && hits.back() == hit)) break;
            hits.push_back(hit);
        }
        return hits;
    };
    const std::vector<Hit> forward = collect(false);
    ASSERT_EQ(forward.size(), 14u * 3 + 13u);
    std::vector<Hit> backward = collect(true);
    backward.insert(backward.begin(), forward.back());
    EXPECT_EQ(std::vector<Hit>(forward.rbegin(), forward.rend()), backward);
}

TEST_F(ViewTest, SearchStringDialogFillsTheToolbarBox) {
    OpenOne(Log("dialog.log", 10));
    Frame().SearchBox()->setEditText("Zeile 3");
    QTimer::singleShot(0, [] {
        auto* pDlg = qobject_cast<CSearchDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        EXPECT_EQ(pDlg->StringBox()->currentText(), QString("Zeile 3"));
        pDlg->Option(8)->setChecked(true); // wildcards
        pDlg->StringBox()->setEditText("*Zeile 3*");
        pDlg->accept();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_DEFINE));
    EXPECT_EQ(Frame().SearchBox()->currentText(), QString("%FLAGS(*)*Zeile 3*"));
    EXPECT_EQ(Frame().SearchBox()->itemText(0), QString("%FLAGS(*)*Zeile 3*"));
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 3u);
}

TEST_F(ViewTest, ScrolledAwayHitIsNoLongerTheStart) {
    OpenOne(Log("away.log", 200));
    Frame().SearchBox()->setEditText("ok");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 0u);
    m_pView->OnVScroll(ScrollCode::PageDown, 0, false);
    m_pView->OnVScroll(ScrollCode::PageDown, 0, false);
    m_pView->viewport()->repaint(); // the hit is off the screen now
    EXPECT_FALSE(m_pView->m_textHit.m_bShown);
    const uint32_t nTop = m_pView->TopLine();
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_FORWARD));
    EXPECT_EQ(m_pView->m_textHit.m_nLine, nTop); // from the top line, not behind the old hit
    // Cancel in the search-string dialog leaves the box alone.
    QTimer::singleShot(0, [] {
        auto* pDlg = qobject_cast<CSearchDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        pDlg->StringBox()->setEditText("anders");
        pDlg->reject();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SEARCH_DEFINE));
    EXPECT_EQ(Frame().SearchBox()->currentText(), QString("ok"));
}

TEST_F(ViewTest, FontChoiceKeepsTenthsButStoresWholePoints) {
    OpenOne(Log("font.log", 5));
    const int nOldHeight = m_pView->LineHeight();
    m_pView->SetFontChoice("DejaVu Sans Mono", 205);
    EXPECT_EQ(m_pView->FontSize10(), 205);
    EXPECT_GT(m_pView->LineHeight(), nOldHeight);
    CProfile ini = Settings();
    EXPECT_EQ(ini.GetProfileInt("Settings", "FontSize", 0), 20);
    EXPECT_EQ(ini.GetProfileString("Settings", "FontName", ""), "DejaVu Sans Mono");
}

// A font that is not installed: the view draws with the system's fixed-pitch font,
// the font dialog opens on that font, upright, and the setting keeps its name.
TEST_F(ViewTest, MissingFontFallsBackToTheSystemFixedFont) {
    Settings().WriteProfileString("Settings", "FontName", "NoSuchFontXyz");
    OpenOne(Log("font.log", 5));
    const QFontInfo info(m_pView->font());
    EXPECT_EQ(m_pView->font().family(), info.family()); // asked for, not substituted
    EXPECT_TRUE(QFontDatabase::hasFamily(info.family())) << info.family().toStdString();
    // The system's fixed font, or when that one is not, one that is: narrow and wide
    // characters alike take one column.
    const QFontMetricsF fm(m_pView->font());
    EXPECT_EQ(fm.horizontalAdvance('i'), fm.horizontalAdvance('W'));
    EXPECT_EQ(m_pView->CharWidth(), QFontMetrics(m_pView->font()).horizontalAdvance('0'));
    EXPECT_FALSE(info.italic());
    bool bShown = false;
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        bShown = true;
        EXPECT_EQ(pDlg->currentFont().family(), info.family());
        EXPECT_FALSE(pDlg->currentFont().italic());
        EXPECT_EQ(pDlg->currentFont().weight(), QFont::Normal);
        pDlg->reject();
    });
    Frame().Action(ID_VIEW_FONT)->trigger();
    EXPECT_TRUE(bShown);
    Stop();
    EXPECT_EQ(Settings().GetProfileString("Settings", "FontName", ""), "NoSuchFontXyz");
}

struct FontCase {
    const char* pszFamily;
    bool bFixed;
};

// Fixed pitch is measured, not taken from fontconfig's flag, which Noto Sans Mono
// lacks. A column of a fixed-pitch font is the advance of "0"; of a proportional
// one, its widest character.
void PrintTo(const FontCase& c, std::ostream* pOut) {
    *pOut << c.pszFamily;
}

std::string FontCaseName(const ::testing::TestParamInfo<FontCase>& param) {
    std::string name = param.param.pszFamily;
    std::erase(name, ' ');
    return name;
}

class FontPitchTest : public ViewTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(FontPitchTest, ColumnsPagesHitsAndTheFontDialogFollowTheDrawnFont) {
    const FontCase c = GetParam();
    if (!QFontDatabase::hasFamily(c.pszFamily))
        GTEST_SKIP() << c.pszFamily << " is not installed (scripts/setup.sh)";
    Settings().WriteProfileString("Settings", "FontName", c.pszFamily);
    std::string data;
    for (int i = 0; i < 30; ++i)
        data +=
            std::string(65, '.') + (i == 20 ? "TREFFER" : "xxxxxxx") + std::string(230, '-') + "\n";
    OpenOne(m_dir.Write("pitch.log", data), true);
    ASSERT_EQ(QFontInfo(m_pView->font()).family().toStdString(), c.pszFamily);
    const QFontMetrics fm(m_pView->font());
    const int nColumn = c.bFixed ? fm.horizontalAdvance('0') : fm.maxWidth();
    const int nWidth = m_pView->viewport()->width();

    // A hit at column 65 is on screen with a fixed-pitch font: F3 leaves the columns.
    Frame().SearchBox()->setEditText("TREFFER");
    m_pView->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(Frame().GetMessageText(), "Der String wurde auf Zeile 21, Spalte 66 gefunden.");
    if (c.bFixed) {
        EXPECT_EQ(m_pView->LeftColumn(), 0);
    }
    const int nLeft = m_pView->LeftColumn();

    // A click into the bar right of the thumb pages right by a screen of columns.
    QScrollBar* pBar = m_pView->horizontalScrollBar();
    QTest::mouseClick(pBar, Qt::LeftButton, {}, QPoint(pBar->width() * 3 / 4, pBar->height() / 2));
    EXPECT_EQ(m_pView->LeftColumn(), nLeft + nWidth / nColumn);

    // The dialog opens on the font drawn, upright; OK keeps it.
    bool bShown = false;
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        bShown = true;
        EXPECT_EQ(pDlg->currentFont().family().toStdString(), c.pszFamily);
        EXPECT_FALSE(pDlg->currentFont().italic());
        QTest::keyClick(pDlg->focusWidget() ? pDlg->focusWidget() : pDlg, Qt::Key_Return);
    });
    Frame().Action(ID_VIEW_FONT)->trigger();
    EXPECT_TRUE(bShown);
    EXPECT_EQ(Settings().GetProfileInt("Settings", "FontSize", 0), 10); // OK was taken
    EXPECT_EQ(QFontInfo(m_pView->font()).family().toStdString(), c.pszFamily);
    EXPECT_FALSE(m_pView->font().italic());
    EXPECT_EQ(m_pView->CharWidth(), nColumn);
    EXPECT_EQ(m_pView->FontSize10(), 100);
}

INSTANTIATE_TEST_SUITE_P(Fonts, FontPitchTest,
                         ::testing::Values(FontCase{"Liberation Mono", true},
                                           FontCase{"Noto Sans Mono", true},
                                           FontCase{"DejaVu Sans Mono", true},
                                           FontCase{"Liberation Sans", false}),
                         FontCaseName);

TEST_F(ViewTest, ScreenshotsOfTheDisplays) {
    std::string data = "Kopf\tmit Tab und Umlaut \xE4\xF6\xFC\r\n";
    for (int i = 0; i < 60; ++i)
        data += "Zeile " + std::to_string(i) + ":\tABCDEFGHIJKLMNOP \x01\x02 ende\r\n";
    OpenOne(m_dir.Write("bilder.txt", data));
    Select({2, 3});
    m_pView->viewport()->update();
    EXPECT_FALSE(test::SaveScreenshot(*m_pView, "view-text").isEmpty());
    m_pView->SetMode(DisplayMode::Hex);
    test::SaveScreenshot(*m_pView, "view-hex");
    m_pView->SetMode(DisplayMode::Dump);
    test::SaveScreenshot(*m_pView, "view-dump");
    Stop();

    // UTF-16 LE with a mark, and an EBCDIC file shown through code page 037.
    std::string u16 = "\xFF\xFE";
    for (const char* line : {"UTF-16 Zeile eins", "zweite Zeile \xE4", "dritte"}) {
        for (const char* p = line; *p; ++p)
            u16 += std::string{*p, '\0'};
        u16 += std::string("\r\0\n\0", 4);
    }
    OpenOne(m_dir.Write("utf16.txt", u16));
    EXPECT_EQ(m_pDoc->m_nRecords, 3u);
    test::SaveScreenshot(*m_pView, "view-utf16");
    Stop();
    OpenOne(
        m_dir.Write("ebcdic.dat", "\xC8\x85\x93\x93\x96\x40\xE6\x96\x99\x93\x84\x25\xF1\xF2\xF3"));
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_EBCDIC));
    test::SaveScreenshot(*m_pView, "view-ebcdic");
}

} // namespace
} // namespace tervik

namespace tervik {
namespace {

// Qt turns the wheel over the scroll bar into a thumb move; it must scroll the text
// as the wheel over the text does, in every mode and also where the bar is scaled.
TEST_F(ViewTest, WheelOverTheScrollBarScrollsLikeTheWheelOverTheText) {
    OpenOne(Log("wheel.log", 40000));
    // Through the window, as the window system delivers it: to the widget under the
    // pointer.
    auto roll = [](QWidget* pTarget) {
        QWindow* pWindow = pTarget->window()->windowHandle();
        const QPointF local = pTarget->mapTo(pTarget->window(), QPointF(3, 3));
        QWheelEvent wheel(local, pTarget->mapToGlobal(QPointF(3, 3)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pWindow, &wheel);
    };
    for (DisplayMode eMode : {DisplayMode::Text, DisplayMode::Hex, DisplayMode::Dump}) {
        auto top = [&] {
            m_pView->SetMode(DisplayMode::Text);
            m_pView->SetTopLine(0);
            m_pView->SetMode(eMode);
        };
        top();
        roll(m_pView->viewport());
        const std::pair<uint32_t, uint64_t> byText{m_pView->TopLine(), m_pView->DumpTop()};
        top();
        roll(m_pView->verticalScrollBar());
        EXPECT_EQ(std::make_pair(m_pView->TopLine(), m_pView->DumpTop()), byText)
            << static_cast<int>(eMode);
        EXPECT_NE(byText, std::make_pair(0u, uint64_t{0})) << static_cast<int>(eMode);
    }
}

TEST_F(ViewTest, PainterMovingTheTopToASelectedLineMovesTheBar) {
    OpenOne(Log("bar.log", 200));
    Select({10, 60});
    ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_ONLY_SELECTED));
    m_pView->SetTopLine(30); // not selected: the painter moves the top to line 60
    m_pView->grab();
    ASSERT_EQ(m_pView->TopLine(), 60u);
    EXPECT_EQ(m_pView->verticalScrollBar()->value(), 60);
}

} // namespace
} // namespace tervik
