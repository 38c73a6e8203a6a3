#include "search/ui/SelectLinesDialog.h"
#include "framework/ui/QtText.h"
#include "ui/Screenshot.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

namespace tervik {
namespace {

// What the document hands over for a file of nLines lines.
SelectCriteria Opened(int32_t nMode, uint32_t nLines, std::vector<TextHistoryEntry>* pHistory) {
    SelectCriteria c;
    c.m_nMode = nMode;
    c.m_nFirstLine = 1;
    c.m_nEndLine = nLines;
    c.m_nLongestLine = 80;
    c.m_pHistory = pHistory;
    return c;
}

QLineEdit* EditOf(QAbstractSpinBox* pField) {
    return pField->findChild<QLineEdit*>();
}

// On its square: a wide box has no label under its middle.
void ClickBox(QCheckBox* pBox) {
    QTest::mouseClick(pBox, Qt::LeftButton, Qt::NoModifier, QPoint(6, pBox->height() / 2));
}

void Type(QLineEdit* pEdit, const char* pszKeys) {
    pEdit->setFocus();
    QTest::keyClicks(pEdit, pszKeys);
}

TEST(SelectLinesDialog, OpensWithTheOptionsOfTheNewestEntry) {
    const struct {
        std::vector<TextHistoryEntry> history;
        bool bHex, bCase, bWildcards;
    } cases[] = {
        {{}, false, true, false}, // first run: case on
        {{{SEL_MATCH_CASE, 0, 0, "old"}, {SEL_HEX_STRING, 0, 0, "4142"}}, true, false, false},
        {{{SEL_HEX_STRING, 0, 0, "old"}, {SEL_WILDCARDS | SEL_COLUMN_RANGE, 4, 9, "a*b"}},
         false,
         false,
         true},
    };
    for (const auto& c : cases) {
        std::vector<TextHistoryEntry> history = c.history;
        SelectCriteria criteria = Opened(1, 100, &history);
        CSelectLines dlg(criteria);
        SCOPED_TRACE(history.size());
        EXPECT_EQ(dlg.HexBox()->isChecked(), c.bHex);
        EXPECT_EQ(dlg.CaseBox()->isChecked(), c.bCase);
        EXPECT_EQ(dlg.WildcardBox()->isChecked(), c.bWildcards);
        EXPECT_EQ(dlg.CaseBox()->isEnabled(), !c.bHex);
        // The column range of an entry waits until that entry is picked.
        EXPECT_FALSE(dlg.ColumnBox()->isChecked());
        EXPECT_EQ(dlg.ColumnToField()->text(), QString("32767"));
        EXPECT_TRUE(dlg.ColumnFromField()->isReadOnly());
        EXPECT_EQ(dlg.TextBox()->currentText(), QString());
        ASSERT_EQ(dlg.TextBox()->count(), static_cast<int>(history.size()));
        if (!history.empty()) { // newest at the top
            EXPECT_EQ(dlg.TextBox()->itemText(0), FromAnsi(history.back().m_text));
        }
    }
}

TEST(SelectLinesDialog, ModeDecidesTitleAndScope) {
    for (int32_t nMode : {1, 0}) {
        SelectCriteria criteria = Opened(nMode, 100, nullptr);
        CSelectLines dlg(criteria);
        EXPECT_EQ(dlg.windowTitle(),
                  QString(nMode ? "selektiere Zeilen ..." : "deselektiere Zeilen ..."));
        EXPECT_EQ(dlg.ScopeBox()->isHidden(), nMode == 0);
        test::SaveScreenshot(dlg, nMode ? "select-lines" : "deselect-lines");
        dlg.ScopeBox()->setChecked(true); // a hidden box must not count
        dlg.OkButton()->click();
        EXPECT_EQ(criteria.m_bScope, nMode);
    }
}

// A field that takes nothing looks so: the dialog's colour instead of white, and
// arrows that do not step. Made writable, it is a white field whose arrows step.
TEST(SelectLinesDialog, ReadOnlyFieldsLookReadOnly) {
    SelectCriteria criteria = Opened(1, 100, nullptr);
    CSelectLines dlg(criteria);
    dlg.show();
    QAbstractSpinBox* pField = dlg.ColumnFromField();
    // Right in the edit field, where the number leaves it empty; the up arrow.
    const QRect edit = EditOf(pField)->geometry();
    const QPoint empty(edit.right() - 2, edit.center().y()), up(pField->width() - 5, 4);
    const QRect arrows(edit.right() + 4, 0, pField->width() - edit.right() - 4, pField->height());
    const QImage readOnly = pField->grab().toImage();
    EXPECT_EQ(readOnly.pixelColor(empty), dlg.palette().color(QPalette::Window));
    QTest::mouseClick(pField, Qt::LeftButton, Qt::NoModifier, up);
    EXPECT_EQ(pField->text(), QString("1"));

    ClickBox(dlg.ColumnBox());
    const QImage writable = pField->grab().toImage();
    EXPECT_EQ(writable.pixelColor(empty), dlg.palette().color(QPalette::Base));
    EXPECT_NE(readOnly.copy(arrows), writable.copy(arrows)); // not the background alone
    QTest::mouseClick(pField, Qt::LeftButton, Qt::NoModifier, up);
    EXPECT_EQ(pField->text(), QString("2"));
}

TEST(SelectLinesDialog, LineFieldsSpinWithinTheFileOrStayPlain) {
    const struct {
        uint32_t nLines;
        bool bButtons;
    } cases[] = {{500, true}, {32767, true}, {32768, false}, {4294967295u, false}};
    for (const auto& c : cases) {
        SelectCriteria criteria = Opened(1, c.nLines, nullptr);
        CSelectLines dlg(criteria);
        SCOPED_TRACE(c.nLines);
        EXPECT_EQ(dlg.FirstLineField()->buttonSymbols() != QAbstractSpinBox::NoButtons, c.bButtons);
        EXPECT_EQ(dlg.EndLineField()->text(), QString::number(c.nLines));
        dlg.FirstLineField()->stepDown(); // already at the first line
        dlg.EndLineField()->stepUp();     // already at the last
        dlg.OkButton()->click();
        EXPECT_EQ(criteria.m_nFirstLine, 1u);
        EXPECT_EQ(criteria.m_nEndLine, c.nLines);
        if (c.nLines == 4294967295u) test::SaveScreenshot(dlg, "select-lines-large");
    }
    SelectCriteria criteria = Opened(1, 500, nullptr);
    CSelectLines dlg(criteria);
    dlg.FirstLineField()->stepUp();
    dlg.EndLineField()->stepDown();
    EXPECT_EQ(dlg.Result().m_nFirstLine, 2u);
    EXPECT_EQ(dlg.Result().m_nEndLine, 499u);
}

// While "Hexstring" is on, only what is typed is checked: the text that stood there
// stays, a refused key changes nothing, a digit goes in at the caret.
TEST(SelectLinesDialog, HexStringRefusesOnlyTheTypedCharacter) {
    const struct {
        const char* pszBefore; // typed while "Hexstring" is off
        int nRight;            // caret: Home, then this many Right; -1 at the end
        bool bSelectAll;
        const char* pszTyped;
        const char* pszAfter;
        int nCaret;
    } cases[] = {
        {"Fehler", -1, false, "zq4", "Fehler4", 7}, {"", -1, false, "4g1 Fz", "41F", 3},
        {"41F", 1, false, "-a", "4a1F", 2},         {"xy", 1, false, "zB", "xBy", 2},
        {"Fehler", -1, true, "z", "Fehler", 0}, // not even the selection goes
        {"Fehler", -1, true, "0d", "0d", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszBefore) + " + " + c.pszTyped);
        SelectCriteria criteria = Opened(1, 100, nullptr);
        CSelectLines dlg(criteria);
        dlg.show();
        dlg.activateWindow();
        QApplication::processEvents();
        QLineEdit* pEdit = dlg.TextBox()->lineEdit();
        ASSERT_TRUE(dlg.isAncestorOf(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), c.pszBefore);
        ClickBox(dlg.HexBox());
        ASSERT_TRUE(dlg.HexBox()->isChecked());
        EXPECT_FALSE(dlg.CaseBox()->isEnabled());
        EXPECT_FALSE(dlg.WildcardBox()->isEnabled());
        // Back into the text, behind its end.
        QTest::mouseClick(pEdit, Qt::LeftButton, Qt::NoModifier,
                          QPoint(pEdit->width() - 2, pEdit->height() / 2));
        ASSERT_EQ(QApplication::focusWidget(), dlg.TextBox());
        if (c.nRight >= 0) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
            for (int i = 0; i < c.nRight; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        }
        if (c.bSelectAll)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), c.pszTyped);
        EXPECT_EQ(pEdit->text(), QString(c.pszAfter));
        EXPECT_EQ(pEdit->cursorPosition(), c.nCaret);
        // Without "Hexstring" every character goes in again.
        ClickBox(dlg.HexBox());
        EXPECT_TRUE(dlg.CaseBox()->isEnabled());
        QTest::keyClicks(pEdit, "z");
        EXPECT_EQ(pEdit->text().count('z'), QString(c.pszAfter).count('z') + 1);
    }
}

TEST(SelectLinesDialog, PickingAnEntrySetsItsOptionsAndColumns) {
    std::vector<TextHistoryEntry> history = {
        {SEL_MATCH_CASE | SEL_COLUMN_RANGE | SEL_MULTI_TEXT, 9, 19, "ranged|other"},
        {SEL_HEX_STRING, 0, 0, "0d0a"},
    };
    SelectCriteria criteria = Opened(1, 100, &history);
    CSelectLines dlg(criteria);
    dlg.MultiTextBox()->setChecked(true);
    dlg.TextBox()->setCurrentIndex(1);
    emit dlg.TextBox()->activated(1);
    EXPECT_EQ(dlg.TextBox()->currentText(), QString("ranged|other"));
    EXPECT_TRUE(dlg.MultiTextBox()->isChecked()); // run as two texts, offered as two
    EXPECT_FALSE(dlg.HexBox()->isChecked());
    EXPECT_TRUE(dlg.CaseBox()->isChecked());
    EXPECT_TRUE(dlg.CaseBox()->isEnabled());
    EXPECT_TRUE(dlg.ColumnBox()->isChecked());
    EXPECT_EQ(dlg.ColumnFromField()->text(), QString("10"));
    EXPECT_FALSE(dlg.ColumnToField()->isReadOnly());
    dlg.TextBox()->setCurrentIndex(0);
    emit dlg.TextBox()->activated(0);
    EXPECT_TRUE(dlg.HexBox()->isChecked());
    EXPECT_FALSE(dlg.ColumnBox()->isChecked());
    EXPECT_EQ(dlg.ColumnToField()->text(), QString("32767"));
    EXPECT_TRUE(dlg.ColumnToField()->isReadOnly());
    EXPECT_FALSE(dlg.MultiTextBox()->isChecked()); // the entry's, whatever stood before
}

TEST(SelectLinesDialog, OkDeliversTheFlagsAndColumns) {
    const struct {
        const char* pszName;
        bool bHex, bCase, bWildcards, bMulti, bColumns;
        const char *pszFrom, *pszTo;
        uint16_t nFlags, nFrom, nTo;
    } cases[] = {
        {"defaults", 0, 1, 0, 0, 0, "1", "32767", SEL_MATCH_CASE, 0, 0},
        {"hex alone", 1, 1, 1, 0, 0, "1", "32767", SEL_HEX_STRING, 0, 0},
        {"hex, multi text", 1, 0, 0, 1, 0, "1", "32767", SEL_HEX_STRING | SEL_MULTI_TEXT, 0, 0},
        {"columns", 0, 0, 1, 0, 1, "11", "21", SEL_WILDCARDS | SEL_COLUMN_RANGE, 10, 20},
        {"column 0 stays 0", 0, 1, 0, 0, 1, "0", "99999999", SEL_MATCH_CASE | SEL_COLUMN_RANGE, 0,
         65535},
        {"columns unchecked", 0, 1, 0, 0, 0, "5", "6", SEL_MATCH_CASE, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        SelectCriteria criteria = Opened(1, 100, nullptr);
        CSelectLines dlg(criteria);
        dlg.CaseBox()->setChecked(c.bCase);
        dlg.WildcardBox()->setChecked(c.bWildcards);
        dlg.HexBox()->setChecked(c.bHex);
        dlg.MultiTextBox()->setChecked(c.bMulti);
        dlg.ColumnBox()->setChecked(c.bColumns);
        EditOf(dlg.ColumnFromField())->setText(c.pszFrom);
        EditOf(dlg.ColumnToField())->setText(c.pszTo);
        dlg.OkButton()->click();
        EXPECT_EQ(criteria.m_nFlags, c.nFlags);
        EXPECT_EQ(criteria.m_nColumnFrom, c.nFrom);
        EXPECT_EQ(criteria.m_nColumnTo, c.nTo);
    }
}

TEST(SelectLinesDialog, OkDeliversTextSizeLinesAndLists) {
    SelectCriteria criteria = Opened(1, 100, nullptr);
    criteria.m_nSizeTest = SIZE_SHORTER;
    criteria.m_nSizeValue = 5;
    CSelectLines dlg(criteria);
    EXPECT_EQ(dlg.SizeTestBox()->currentText(), QString("kleiner"));
    EXPECT_FALSE(dlg.SizeField()->isReadOnly());
    dlg.SizeTestBox()->setCurrentIndex(SIZE_NONE);
    EXPECT_TRUE(dlg.SizeField()->isReadOnly());
    dlg.SizeTestBox()->setCurrentIndex(SIZE_NOT_EQUAL);
    for (int i = 0; i < 100; ++i) // stops at the longest line
        dlg.SizeField()->stepUp();
    dlg.TextBox()->setEditText(QString::fromUtf8("Grüß*"));
    EditOf(dlg.FirstLineField())->setText("10");
    EditOf(dlg.EndLineField())->setText("20");
    dlg.PreLinesField()->setText("1,3-4");
    Type(dlg.PostLinesField(), std::string(70, '9').c_str());
    dlg.OkButton()->click();
    EXPECT_EQ(criteria.m_text, "Gr\xfc\xdf*"); // cp1252
    EXPECT_EQ(criteria.m_nSizeTest, SIZE_NOT_EQUAL);
    EXPECT_EQ(criteria.m_nSizeValue, 80u);
    EXPECT_EQ(criteria.m_nFirstLine, 10u);
    EXPECT_EQ(criteria.m_nEndLine, 20u);
    EXPECT_EQ(criteria.m_preLines, "1,3-4");
    EXPECT_EQ(criteria.m_postLines, std::string(kMaxLineList, '9'));
}

TEST(SelectLinesDialog, NumbersAreReadLeniently) {
    const struct {
        const char* pszText;
        uint32_t nNumber;
    } cases[] = {{"12abc", 12}, {"abc", 0},
                 {"", 0},       {" 7", 7},
                 {"-5", 0},     {"4294967295", 4294967295u},
                 {"1e3", 1},    {"99999999999", 4294967295u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszText);
        SelectCriteria criteria = Opened(1, 100, nullptr);
        CSelectLines dlg(criteria);
        EditOf(dlg.FirstLineField())->setText(c.pszText);
        EditOf(dlg.SizeField())->setText(c.pszText);
        dlg.OkButton()->click();
        EXPECT_EQ(criteria.m_nFirstLine, c.nNumber);
        EXPECT_EQ(criteria.m_nSizeValue, c.nNumber);
    }
}

TEST(SelectLinesDialog, CancelLeavesTheCriteriaAlone) {
    SelectCriteria criteria = Opened(1, 100, nullptr);
    criteria.m_text = "before";
    CSelectLines dlg(criteria);
    dlg.TextBox()->setEditText("after");
    dlg.HexBox()->setChecked(true);
    EditOf(dlg.EndLineField())->setText("7");
    dlg.CancelButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(criteria.m_text, "before");
    EXPECT_EQ(criteria.m_nFlags, 0);
    EXPECT_EQ(criteria.m_nEndLine, 100u);
    EXPECT_EQ(dlg.CancelButton()->text(), QString("Abbrechen"));
}

} // namespace
} // namespace tervik
