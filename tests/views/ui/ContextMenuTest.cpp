// The right-button menu and the pens, driven by real mouse events on a view.

#include "app/ui/ChildFrame.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tervik {
namespace {

// A menu as the user reads it: item texts, "-" for a separator, a leading "~"
// for a grayed item.
QStringList Items(const QMenu& menu) {
    QStringList items;
    for (QAction* p : menu.actions())
        items << (p->isSeparator() ? QString("-") : (p->isEnabled() ? "" : "~") + p->text());
    return items;
}

class ContextMenuTest : public test::ShellTest {
protected:
    CTervikView* m_pView = nullptr;
    CTervikDoc* m_pDoc = nullptr;

    void TearDown() override {
        CViewPens::SetContextMenuHook({});
        ShellTest::TearDown();
    }
    void OpenOne(const std::string& path) {
        ASSERT_TRUE(Start({QString::fromStdString(path)}));
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
    QWidget* Port() const { return m_pView->viewport(); }
    // The middle of a character cell of text row `row` (hex rows count singly).
    QPoint Cell(int row, int column) const {
        return QPoint(column * m_pView->CharWidth() + m_pView->CharWidth() / 2,
                      row * m_pView->LineHeight() + m_pView->LineHeight() / 2);
    }
    // Right-clicks at pt and returns the menu's items; chooses the item that reads
    // `choose` when given.
    QStringList RightClick(QPoint pt, const QString& choose = {}, int nOccurrence = 0) {
        QStringList items;
        CViewPens::SetContextMenuHook([&](QMenu& menu) {
            items = Items(menu);
            int n = 0;
            for (QAction* p : menu.actions())
                if (p->text() == choose && n++ == nOccurrence) {
                    p->trigger();
                    break;
                }
        });
        QTest::mouseClick(Port(), Qt::RightButton, Qt::NoModifier, pt);
        CViewPens::SetContextMenuHook({});
        return items;
    }
    // A drag with the left button from row `from` to row `to` in column 2.
    void Drag(int from, int to) {
        QTest::mousePress(Port(), Qt::LeftButton, Qt::NoModifier, Cell(from, 2));
        for (int row = from + 1; row <= to; ++row) {
            QMouseEvent move(QEvent::MouseMove, Cell(row, 2), Port()->mapToGlobal(Cell(row, 2)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(Port(), &move);
        }
        QTest::mouseRelease(Port(), Qt::LeftButton, Qt::NoModifier, Cell(to, 2));
    }
    void Select(uint32_t n, int nColour) {
        const ColorSettings& c = m_pDoc->Host().Colours();
        const COLORREF cr = nColour == 1   ? c.m_crRedMarker
                            : nColour == 2 ? c.m_crGreenMarker
                                           : c.m_crBlueMarker;
        m_pDoc->SetLineSelected(n, true, &cr);
    }
    // -1 unselected, else the colour index.
    int Colour(uint32_t n) const {
        COLORREF cr = 0;
        if (!m_pDoc->IsLineSelected(n, &cr, nullptr)) return -1;
        const ColorSettings& c = m_pDoc->Host().Colours();
        return cr == c.m_crRedMarker ? 1 : cr == c.m_crGreenMarker ? 2 : 0;
    }
    QAction* PenButton(unsigned nId) { return Frame().ToolBarAction(nId); }
};

const QString kHead = "~Zeile %1 (%2 Bytes), Spalte %3";

TEST_F(ContextMenuTest, LineItemsFollowTheClickedLinesColour) {
    // Lines of 9 bytes and line ends; line 1 red, 2 green, 3 blue.
    OpenOne(m_dir.Write("colours.txt", "line zero\r\nline one!\r\nline two!\r\nline 3333\r\n"));
    Select(1, 1);
    Select(2, 2);
    Select(3, 0);
    const QStringList tail = {"-", "Markierpunkt setzen"};
    struct Case {
        int nRow;
        QStringList lines;
    } cases[] = {
        {0, {"selektiere Zeile blau", "selektiere Zeile rot", "selektiere Zeile grün"}},
        {1, {"selektiere Zeile blau", "selektiere Zeile grün", "-", "deselektiere Zeile"}},
        {2, {"selektiere Zeile blau", "selektiere Zeile rot", "-", "deselektiere Zeile"}},
        {3, {"selektiere Zeile rot", "selektiere Zeile grün", "-", "deselektiere Zeile"}},
    };
    for (const Case& c : cases) {
        const QStringList expected =
            QStringList{kHead.arg(c.nRow + 1).arg(9).arg(5), "-"} + c.lines + tail;
        EXPECT_EQ(RightClick(Cell(c.nRow, 4)), expected) << c.nRow;
        EXPECT_EQ(m_pView->Pens().ContextLine(), c.nRow);
    }
    // Below the end: the line past the last one, with no bytes; its commands do nothing.
    EXPECT_EQ(RightClick(Cell(6, 0), "selektiere Zeile blau").front(), kHead.arg(7).arg(0).arg(1));
    EXPECT_EQ(m_pDoc->SelectedCount(), 3u);
    // The hex display shows three rows per line: row 7 belongs to line 3.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_HEX));
    EXPECT_EQ(RightClick(Cell(7, 0)).front(), kHead.arg(3).arg(9).arg(1));
    // The dump opens the menu too; its rows count from the top line.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_DUMP));
    EXPECT_EQ(RightClick(Cell(1, 0)).front(), kHead.arg(2).arg(9).arg(1));
}

TEST_F(ContextMenuTest, LineCommandsSelectRecolourAndDeselect) {
    OpenOne(Log("commands.log", 30));
    RightClick(Cell(2, 0), "selektiere Zeile grün");
    EXPECT_EQ(Colour(2), 2);
    EXPECT_EQ(m_pDoc->SelectedCount(), 1u);
    RightClick(Cell(2, 0), "selektiere Zeile rot");
    EXPECT_EQ(Colour(2), 1);
    EXPECT_EQ(m_pDoc->SelectedCount(), 1u);
    EXPECT_TRUE(Frame().PositionText().contains("(30,1)")) << Frame().PositionText().toStdString();
    // With only the selected lines shown, deselecting the last one shows all lines again.
    QTest::keyClick(m_pView, Qt::Key_F9);
    Settle();
    ASSERT_TRUE(m_pView->OnlySelected());
    RightClick(Cell(0, 0), "deselektiere Zeile");
    EXPECT_EQ(Colour(2), -1);
    EXPECT_EQ(m_pDoc->SelectedCount(), 0u);
    EXPECT_FALSE(m_pView->OnlySelected());
}

TEST_F(ContextMenuTest, MarkerPointsAndTheMarkedByteCount) {
    OpenOne(m_dir.Write("points.txt", "abcdef\r\nxyz\r\nline three here\r\n"));
    // A marker point at line 3, column 7.
    RightClick(Cell(2, 6), "Markierpunkt setzen");
    EXPECT_EQ(
        RightClick(Cell(0, 0)),
        (QStringList{kHead.arg(1).arg(6).arg(1), "-", "selektiere Zeile blau",
                     "selektiere Zeile rot", "selektiere Zeile grün", "-", "Markierpunkt löschen",
                     "Markierpunkt (Z3, S7) ersetzen", "Markierpunkt setzen"}));
    // The second point makes a marking; one byte from (3, 7) to (3, 7).
    RightClick(Cell(2, 6), "Markierpunkt setzen");
    QStringList items = RightClick(Cell(0, 0));
    EXPECT_TRUE(items.contains("~1 Byte ist markiert")) << items.join('|').toStdString();
    // The stream example: (0, 3) to (1, 1) over abcdef and xyz copies 8 bytes with the NUL.
    RightClick(Cell(0, 3), "Markierpunkt (Z3, S7) ersetzen", 0);
    RightClick(Cell(1, 1), "Markierpunkt (Z3, S7) ersetzen", 0);
    items = RightClick(Cell(0, 0));
    EXPECT_EQ(items.mid(6),
              (QStringList{"~7 Bytes sind markiert", "&Kopieren\tStrg+C", "Markierung löschen",
                           "Markierpunkt (Z1, S4) ersetzen", "Markierpunkt (Z2, S2) ersetzen"}));
    // Copy from the menu puts the marked text on the clipboard.
    QApplication::clipboard()->clear();
    RightClick(Cell(0, 0), "&Kopieren\tStrg+C");
    EXPECT_EQ(QApplication::clipboard()->text(), QString("def\nxy"));
    // "Markierten Bereich" selects lines 1 and 2 in the current colour, then deselects them.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_MARKED_SELECT));
    EXPECT_EQ(m_pDoc->SelectedCount(), 2u);
    EXPECT_EQ(Colour(0), 0);
    EXPECT_EQ(Colour(1), 0);
    EXPECT_EQ(Colour(2), -1);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_MARKED_DESELECT));
    EXPECT_EQ(m_pDoc->SelectedCount(), 0u);
    // Dropping the marking leaves one "Markierpunkt setzen" again.
    RightClick(Cell(0, 0), "Markierung löschen");
    EXPECT_EQ(RightClick(Cell(0, 0)).mid(6), QStringList{"Markierpunkt setzen"});
    EXPECT_FALSE(Frame().UpdateCommand(ID_MARKED_SELECT).m_bEnabled);
}

TEST_F(ContextMenuTest, SelectPenDragSelectsTenLinesAndRecolours) {
    OpenOne(Log("pen.log", 40));
    PenButton(ID_HAND_SELECT)->trigger();
    ASSERT_EQ(m_pView->Pens().ActivePen(), CViewPens::Pen::Select);
    EXPECT_FALSE(Port()->cursor().pixmap().isNull());
    Drag(3, 12);
    for (uint32_t r = 0; r < 16; ++r)
        EXPECT_EQ(Colour(r), r >= 3 && r <= 12 ? 0 : -1) << r;
    EXPECT_EQ(m_pDoc->SelectedCount(), 10u);
    // Red: the pen follows the colour, and the same drag recolours the lines.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_COLOR_RED));
    EXPECT_EQ(m_pView->Pens().PenColour(), 1);
    PenButton(ID_HAND_SELECT_RED)->trigger();
    EXPECT_EQ(m_pView->Pens().ActivePen(), CViewPens::Pen::None);
    PenButton(ID_HAND_SELECT_RED)->trigger();
    Drag(3, 12);
    for (uint32_t r = 3; r <= 12; ++r)
        EXPECT_EQ(Colour(r), 1) << r;
    EXPECT_EQ(m_pDoc->SelectedCount(), 10u);
    // The deselect pen takes the select pen's place and deselects what it is dragged over.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_HAND_DESELECT));
    EXPECT_EQ(m_pView->Pens().ActivePen(), CViewPens::Pen::Deselect);
    Drag(10, 14);
    EXPECT_EQ(m_pDoc->SelectedCount(), 7u);
    EXPECT_EQ(Colour(10), -1);
    // Below the last line the pen changes nothing.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_HAND_SELECT));
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, Cell(60, 2));
    EXPECT_EQ(m_pDoc->SelectedCount(), 7u);
    // The dump has no pens.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_DUMP));
    EXPECT_FALSE(Frame().UpdateCommand(ID_HAND_SELECT).m_bEnabled);
    EXPECT_EQ(m_pView->Pens().ActivePen(), CViewPens::Pen::None);
    EXPECT_TRUE(Port()->cursor().pixmap().isNull());
}

TEST_F(ContextMenuTest, ActivationLoadsThePenOfTheColourChosenMeanwhile) {
    OpenOne(Log("split.log", 60));
    auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
    ASSERT_TRUE(Frame().ExecuteCommand(ID_HAND_SELECT));
    ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
    ASSERT_EQ(pFrame->PaneCount(), 2);
    CTervikView* pOther = pFrame->Pane(0) == m_pView ? pFrame->Pane(1) : pFrame->Pane(0);
    QTest::mouseClick(pOther->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(1, 1));
    ASSERT_EQ(pFrame->ActiveView(), pOther);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_COLOR_GREEN));
    EXPECT_EQ(m_pView->Pens().PenColour(), 0);
    m_pView->setFocus();
    EXPECT_EQ(m_pView->Pens().PenColour(), 2);
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, Cell(4, 1));
    EXPECT_EQ(Colour(m_pView->TopLine() + 4), 2);
}

TEST_F(ContextMenuTest, DeselectPenWithOnlySelectedLines) {
    OpenOne(Log("only.log", 40));
    Select(5, 0);
    Select(9, 2);
    QTest::keyClick(m_pView, Qt::Key_F9);
    Settle();
    ASSERT_TRUE(m_pView->OnlySelected());
    ASSERT_TRUE(Frame().ExecuteCommand(ID_HAND_DESELECT));
    // A drag does not deselect while only the selected lines show ...
    QTest::mousePress(Port(), Qt::LeftButton, Qt::NoModifier, Cell(0, 2));
    QMouseEvent move(QEvent::MouseMove, Cell(1, 2), Port()->mapToGlobal(Cell(1, 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Port(), &move);
    QTest::mouseRelease(Port(), Qt::LeftButton, Qt::NoModifier, Cell(1, 2));
    EXPECT_EQ(Colour(5), -1);
    EXPECT_EQ(Colour(9), 2);
    EXPECT_TRUE(m_pView->OnlySelected());
    // ... a click on the last one switches the filter off; then the pen has nothing left.
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, Cell(0, 2));
    EXPECT_EQ(m_pDoc->SelectedCount(), 0u);
    EXPECT_FALSE(m_pView->OnlySelected());
    EXPECT_FALSE(Frame().UpdateCommand(ID_HAND_DESELECT).m_bEnabled);
    EXPECT_EQ(m_pView->Pens().ActivePen(), CViewPens::Pen::None);
}

TEST_F(ContextMenuTest, MarkedRangeOverAllLinesOfALargerFile) {
    // Past the size where the index is rebuilt once instead of line by line.
    OpenOne(Log("all.log", 20000));
    Select(7, 2);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_MARK_ALL));
    ASSERT_TRUE(Frame().ExecuteCommand(ID_MARKED_SELECT));
    EXPECT_EQ(m_pDoc->SelectedCount(), 20000u);
    EXPECT_EQ(Colour(7), 2); // a selected line keeps its colour
    uint32_t n = 12344;
    ASSERT_TRUE(m_pDoc->NextSelected(n));
    EXPECT_EQ(n, 12345u);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_MARKED_DESELECT));
    EXPECT_EQ(m_pDoc->SelectedCount(), 0u);
    n = 0;
    EXPECT_FALSE(m_pDoc->NextSelected(n));
}

TEST_F(ContextMenuTest, ScreenshotOfTheMenuOnARedLine) {
    OpenOne(Log("menu.log", 30));
    Select(3, 1);
    const QPoint pt = Cell(3, 10);
    QImage shot;
    CViewPens::SetContextMenuHook([&](QMenu& menu) {
        QWidget& window = Frame();
        menu.popup(Port()->mapToGlobal(pt));
        QApplication::processEvents();
        shot = window.grab().toImage();
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(Port()->mapToGlobal(pt)), menu.grab());
        menu.close();
    });
    QTest::mouseClick(Port(), Qt::RightButton, Qt::NoModifier, pt);
    ASSERT_FALSE(shot.isNull());
    QLabel label;
    label.setPixmap(QPixmap::fromImage(shot));
    label.resize(shot.size());
    test::SaveScreenshot(label, "context-menu-red-line");
}

} // namespace
} // namespace tervik
