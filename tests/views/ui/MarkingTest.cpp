#include "app/ui/ChildFrame.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "platform/CodePage.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace tervik {
namespace {

class MarkingTest : public test::ShellTest {
protected:
    CTervikView* m_pView = nullptr;

    void OpenOne(const std::string& path) {
        ASSERT_TRUE(Start({QString::fromStdString(path)}));
        auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
        ASSERT_NE(pFrame, nullptr);
        pFrame->showNormal();
        pFrame->resize(600, 300);
        Settle();
        m_pView = pFrame->ActiveView();
        m_pView->setFocus();
        Settle();
        QApplication::clipboard()->setText("before");
    }
    // The middle of a character cell.
    QPoint At(int nLine, int nColumn) const {
        return {nColumn * m_pView->CharWidth() + m_pView->CharWidth() / 2,
                nLine * m_pView->LineHeight() + m_pView->LineHeight() / 2};
    }
    void Drag(QPoint from, QPoint to) {
        QWidget* pPort = m_pView->viewport();
        QTest::mousePress(pPort, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(pPort, (from + to) / 2);
        QTest::mouseMove(pPort, to);
        QTest::mouseRelease(pPort, Qt::LeftButton, Qt::NoModifier, to);
    }
    // Strg+C as the user presses it, to the widget with the focus.
    QString Copy() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text();
    }
};

TEST_F(MarkingTest, DragCopiesStreamAndBlockText) {
    // cp1252 umlauts, a tab at column 0 (tab size 4).
    OpenOne(m_dir.Write("m.txt", "abcdef\nxyz \xE4\xF6\xFC\n0123456789\n\tT\nABCDEFG\n"));
    // While the button is down the position pane shows the pointer's line and column.
    QTest::mousePress(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, At(1, 2));
    EXPECT_EQ(Frame().PositionText(), QString("Z 2(5), S 3"));
    QTest::mouseRelease(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, At(1, 2));
    Drag(At(0, 3), At(1, 1));
    EXPECT_EQ(m_pView->MarkedTextSize(), 8u);
    EXPECT_EQ(Copy(), QString("def\nxy"));
    // Upwards, over the umlauts: the clipboard has them as Unicode.
    Drag(At(1, 6), At(0, 4));
    EXPECT_EQ(Copy(), QString::fromUtf8("ef\nxyz äöü"));
    test::SaveScreenshot(*m_pView, "marking-stream");
    // Block mode, from (2, 5) to (4, 8): cut to each line's length.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_BLOCK_MARKING));
    EXPECT_EQ(Frame().UpdateCommand(ID_BLOCK_MARKING).m_nCheck, 1);
    Drag(At(2, 5), At(4, 8));
    EXPECT_EQ(Copy(), QString("5678\n\nFG"));
    test::SaveScreenshot(*m_pView, "marking-block");
    // Back in stream mode the view hears of it: the end beyond its line comes back.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_BLOCK_MARKING));
    EXPECT_EQ(m_pView->MarkedRange()->second, (MarkPos{4, 6}));
    // A mode switch keeps the marking.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_HEX));
    EXPECT_TRUE(m_pView->HasMarking());
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_TEXT));
    // A whole line with the tab: a run of four tab characters.
    Drag(At(3, 0), At(3, 9));
    EXPECT_EQ(Copy(), QString("\t\t\t\tT"));
}

TEST_F(MarkingTest, DoubleClickMarksWordOrLine) {
    OpenOne(m_dir.Write("w.txt", "a=bc;d\n"));
    QTest::mouseDClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, At(0, 2));
    EXPECT_EQ(Copy(), QString("bc"));
    QTest::mouseDClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, At(0, 1));
    EXPECT_EQ(Copy(), QString("a=bc;d"));
    // A click drops the marking; the copy command is disabled then.
    QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, At(0, 0));
    EXPECT_FALSE(m_pView->HasMarking());
    EXPECT_FALSE(Frame().UpdateCommand(ID_EDIT_COPY).m_bEnabled);
}

TEST_F(MarkingTest, DragBelowTheWindowScrollsAndExtends) {
    OpenOne(Log("long.log", 400));
    QWidget* pPort = m_pView->viewport();
    const QPoint bottom(20, pPort->height() - 2);
    QTest::mousePress(pPort, Qt::LeftButton, Qt::NoModifier, At(0, 1));
    QTest::mouseMove(pPort, At(1, 1));
    QTest::mouseMove(pPort, bottom);
    QTest::qWait(550);
    QTest::mouseRelease(pPort, Qt::LeftButton, Qt::NoModifier, bottom);
    EXPECT_GE(m_pView->TopLine(), 3u);
    const auto range = m_pView->MarkedRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, (MarkPos{0, 1}));
    EXPECT_GT(range->second.m_nLine, m_pView->VisibleLines());
}

TEST_F(MarkingTest, ShiftKeysMarkAllAndClear) {
    std::string data;
    for (int i = 0; i < 100; ++i)
        data += "line " + std::to_string(i) + "\n";
    OpenOne(m_dir.Write("k.txt", data));
    // Each Shift step marks the top line before the view moves on.
    QTest::keyClick(m_pView, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(m_pView, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Copy(), QString("line 0\nline 1"));
    EXPECT_TRUE(Frame().ExecuteCommand(ID_EDIT_MARK_ALL));
    const QString all = Copy();
    EXPECT_TRUE(all.startsWith("line 0\nline 1\n"));
    EXPECT_TRUE(all.endsWith("line 98\nline 99"));
    EXPECT_TRUE(Frame().ExecuteCommand(ID_MARK_CLEAR));
    EXPECT_FALSE(Frame().UpdateCommand(ID_MARK_CLEAR).m_bEnabled);
    // Nothing marked: the clipboard stays as it was.
    EXPECT_EQ(Copy(), all);
    // The search field's own selection goes first.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_EDIT_MARK_ALL));
    QComboBox* pBox = Frame().SearchBox();
    pBox->setFocus();
    pBox->setEditText("Suchtext");
    pBox->lineEdit()->selectAll();
    EXPECT_EQ(Copy(), QString("Suchtext"));
}

// Lines the file lost since it was opened are not copied as empty lines: nothing
// is copied, and the user learns why.
TEST_F(MarkingTest, CopyOfLinesTheFileLostCopiesNothing) {
    std::string data;
    for (int i = 0; i < 3000; ++i)
        data += "Zeile " + std::to_string(i) + std::string(60, '-') + "\n";
    const std::string path = m_dir.Write("shrinks.log", data);
    OpenOne(path);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_EDIT_MARK_ALL));
    std::filesystem::resize_file(path, data.size() / 2);
    EXPECT_EQ(Copy(), QString("before"));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].rfind("Die Datei ist k\xFCrzer geworden", 0), 0u) << m_messages[0];
}

// Random markings in UTF-8 and UTF-16 documents: the clipboard gets the file's own
// characters (also those shown as "?"), lines joined by LF, against a model that
// decodes the file itself.
TEST_F(MarkingTest, CopiesTheFilesOwnCharactersFromUnicodeDocuments) {
    const char32_t pool[] = {U'a', U'b', U'Z', U' ', U'-', U'\t', U'\u00E4', U'\u00DF',
                             U'\u20AC', U'\u0141', U'\u4E2D', U'\U0001F600'};
    enum Kind { Utf8, Utf8Mark, Utf16Le, Utf16Be };
    std::mt19937 rng(2412);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    ASSERT_TRUE(Start());
    for (int nFile = 0; nFile < 8; ++nFile) {
        const Kind kind = static_cast<Kind>(nFile % 4);
        const bool bCrLf = pick(2) == 0;
        // Each line as the display's columns: UTF-16 units or code points, tabs expanded.
        std::vector<std::u32string> lines;
        std::string bytes = kind == Utf8Mark ? "\xEF\xBB\xBF"
                            : kind == Utf16Le ? "\xFF\xFE"
                            : kind == Utf16Be ? "\xFE\xFF"
                                              : "";
        auto unit = [&](char16_t u) {
            const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
            bytes += kind == Utf16Le ? std::string{lo, hi} : std::string{hi, lo};
        };
        for (int nLine = 0; nLine < 8; ++nLine) {
            std::u32string chars = nLine == 0 ? U"\u00E4" : U""; // UTF-8 to detect
            for (size_t n = pick(18); n > 0; --n)
                chars += pool[pick(std::size(pool))];
            std::u32string columns;
            for (const char32_t c : chars) {
                std::u32string units(1, c);
                if (kind >= Utf16Le && c > 0xFFFF)
                    units = {static_cast<char32_t>(0xD800 + ((c - 0x10000) >> 10)),
                             static_cast<char32_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
                for (const char32_t u : units) {
                    do
                        columns += u;
                    while (u == U'\t' && columns.size() % 4 != 0);
                    if (kind >= Utf16Le) unit(static_cast<char16_t>(u));
                }
                if (kind < Utf16Le) AppendUtf8(bytes, c);
            }
            lines.push_back(columns);
            for (const char c : std::string(bCrLf ? "\r\n" : "\n")) {
                if (kind >= Utf16Le)
                    unit(static_cast<char16_t>(c));
                else
                    bytes += c;
            }
        }
        const std::string path = m_dir.Write("u" + std::to_string(nFile) + ".txt", bytes);
        ASSERT_NE(m_app->OpenDocumentFile(path), nullptr);
        Settle();
        auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->activeSubWindow());
        ASSERT_NE(pFrame, nullptr);
        pFrame->showNormal();
        pFrame->resize(900, 400);
        Settle();
        m_pView = pFrame->ActiveView();
        m_pView->setFocus();
        Settle();
        for (int nMark = 0; nMark < 6; ++nMark) {
            // Both ends on characters of non-empty lines, not the same one.
            auto end = [&] {
                size_t l;
                do
                    l = pick(lines.size());
                while (lines[l].empty());
                return std::pair<int, int>(static_cast<int>(l),
                                           static_cast<int>(pick(std::min<size_t>(lines[l].size(), 90))));
            };
            auto a = end(), b = end();
            if (a == b) continue;
            const bool bBlock = pick(3) == 0;
            if (bBlock != (Frame().UpdateCommand(ID_BLOCK_MARKING).m_nCheck == 1)) {
                EXPECT_TRUE(Frame().ExecuteCommand(ID_BLOCK_MARKING));
            }
            Drag(At(a.first, a.second), At(b.first, b.second));
            if (b < a) std::swap(a, b);
            std::u32string want;
            for (int l = a.first; l <= b.first; ++l) {
                const auto len = static_cast<int>(lines[l].size());
                int s = 0, e = len - 1;
                if (bBlock) {
                    s = std::min(a.second, b.second);
                    e = std::min(std::max(a.second, b.second), len - 1);
                } else {
                    if (l == a.first) s = a.second;
                    if (l == b.first) e = b.second;
                }
                if (l > a.first) want += U'\n';
                if (s <= e) want += lines[l].substr(s, e - s + 1);
            }
            // A surrogate pair cut by the marking leaves a half without a character.
            QString expected;
            for (size_t i = 0; i < want.size(); ++i) {
                const char32_t c = want[i];
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < want.size() && want[i + 1] >= 0xDC00 &&
                    want[i + 1] <= 0xDFFF) {
                    expected += QChar(static_cast<char16_t>(c));
                    expected += QChar(static_cast<char16_t>(want[++i]));
                } else if (c >= 0xD800 && c <= 0xDFFF) {
                    expected += QChar(0xFFFD);
                } else {
                    expected += QString::fromUcs4(&c, 1);
                }
            }
            SCOPED_TRACE(testing::Message() << "file " << nFile << " mark " << nMark
                                            << (bBlock ? " block " : " stream ") << a.first << ","
                                            << a.second << " - " << b.first << "," << b.second);
            EXPECT_EQ(Copy().toStdString(), expected.toStdString());
        }
    }
}

TEST_F(MarkingTest, HugeMarkingAsksFirstAndEscapeStops) {
    // 300 MB of holes in records of 512 bytes; the first answer is not "Ja".
    const std::string path = m_dir.File("huge.dat");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_EQ(::ftruncate(fd, off_t{300} << 20), 0);
    ::close(fd);
    ASSERT_TRUE(Start());
    const OpenDialogValues values{false, 512, 0, 0};
    m_app->m_openOptions.BeforeDialog();
    m_app->m_openOptions.OnOk(values);
    ASSERT_NE(m_app->OpenDocumentFile(path), nullptr);
    m_app->m_openOptions.AfterDialog(true, values);
    Settle();
    m_pView = Frame().ActiveView();
    ASSERT_NE(m_pView, nullptr);
    m_pView->setFocus();
    QApplication::clipboard()->setText("before");
    EXPECT_TRUE(Frame().ExecuteCommand(ID_EDIT_MARK_ALL));
    EXPECT_EQ(Copy(), QString("before"));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], "Die Markierung umfasst 315.801.598 Bytes. Sollen sie wirklich in "
                             "die Zwischenablage kopiert werden?");
    // "Ja", then Escape while the text is built: nothing is copied.
    SetMessageBoxHook([](const std::string&, unsigned) {
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); });
        return IDYES;
    });
    EXPECT_EQ(Copy(), QString("before"));
    EXPECT_TRUE(m_pView->HasMarking());
}

} // namespace
} // namespace tervik
