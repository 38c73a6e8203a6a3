#include "search/ui/TervikCalc.h"
#include "app/ui/ChildFrame.h"
#include "framework/CommandIds.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tervik {
namespace {

using Calc = CTervikCalc;

TEST(TervikCalc, OpensOnTheMarkedText) {
    // All hex digits and all decimal: three rows filled and converted.
    Calc dlg(" 47 11\r\nnext", nullptr);
    EXPECT_EQ(dlg.windowTitle(), QString("Diverse Umrechnungen"));
    EXPECT_EQ(dlg.Input(Calc::HexToDec)->text(), QString("4711"));
    EXPECT_EQ(dlg.Output(Calc::HexToDec, 0)->text(), QString("0x4711=18193"));
    EXPECT_EQ(dlg.Output(Calc::HexToDec, 1)->text(), QString("0x1147=4423"));
    EXPECT_EQ(dlg.Output(Calc::DecToHex, 0)->text(), QString("0x00001267"));
    EXPECT_EQ(dlg.Output(Calc::TextToHex, 0)->text(), QString("34 37 31 31"));
    EXPECT_TRUE(dlg.Input(Calc::HexToText)->text().isEmpty());
    EXPECT_EQ(dlg.Output(Calc::HexToText, 1), nullptr);
    // The other two rows by hand, for the picture.
    dlg.Input(Calc::HexToText)->setText("48 61 6c 6c f6");
    dlg.Convert(Calc::HexToText);
    EXPECT_EQ(dlg.Output(Calc::HexToText, 0)->text(), QString::fromUtf8("Hallö"));
    dlg.Input(Calc::DecToText)->setText("72,105");
    dlg.Convert(Calc::DecToText);
    dlg.show();
    test::SaveScreenshot(dlg, "conversions-dialog");

    // A text that is no number fills only "Text auf Hex"; an umlaut is one byte.
    Calc text("Gr\xfc\xdf"
              "e",
              nullptr); // cp1252, as the view hands it over
    EXPECT_EQ(text.Output(Calc::TextToHex, 0)->text(), QString("47 72 fc df 65"));
    EXPECT_EQ(text.Output(Calc::TextToHex, 1)->text(), QString("0047 0072 00fc 00df 0065"));
    EXPECT_TRUE(text.Input(Calc::HexToDec)->text().isEmpty());
    EXPECT_TRUE(text.Input(Calc::DecToHex)->text().isEmpty());
    // Without a marking the dialog opens empty.
    Calc empty("", nullptr);
    for (int i = 0; i < Calc::kConverters; ++i)
        EXPECT_TRUE(empty.Input(i)->text().isEmpty() && empty.Output(i, 0)->text().isEmpty());
}

class TervikCalcCommand : public test::ShellTest {};

TEST_F(TervikCalcCommand, TypedIntoThroughTheMenuCommand) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("calc.log", 20))}));
    Settle();
    EXPECT_TRUE(Frame().UpdateCommand(ID_CONVERSIONS).m_bEnabled);
    bool bSeen = false;
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<CTervikCalc*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        bSeen = true;
        pDlg->activateWindow();
        QApplication::processEvents();
        // The first input has the focus: type, Enter converts without closing.
        ASSERT_EQ(QApplication::focusWidget(), pDlg->Input(Calc::HexToDec));
        QTest::keyClicks(QApplication::focusWidget(), "12");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(pDlg->isVisible());
        EXPECT_EQ(pDlg->Output(Calc::HexToDec, 0)->text(), QString("0x0012=18"));
        EXPECT_EQ(pDlg->Output(Calc::HexToDec, 1)->text(), QString("0x1200=4608"));
        // Tab past the button to "Dez auf Hex".
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), pDlg->Input(Calc::DecToHex));
        QTest::keyClicks(QApplication::focusWidget(), "255");
        QTest::mouseClick(pDlg->Button(Calc::DecToHex), Qt::LeftButton);
        EXPECT_EQ(pDlg->Output(Calc::DecToHex, 0)->text(), QString("0x000000ff"));
        EXPECT_EQ(pDlg->Output(Calc::DecToHex, 1)->text(), QString("0xff000000"));
        QTest::mouseClick(pDlg->Input(Calc::DecToText), Qt::LeftButton);
        pDlg->Input(Calc::DecToText)->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "72,105");
        QTest::mouseClick(pDlg->Button(Calc::DecToText), Qt::LeftButton);
        EXPECT_EQ(pDlg->Output(Calc::DecToText, 0)->text(), QString("Hi"));
        // The outputs cannot be typed into.
        EXPECT_TRUE(pDlg->Output(Calc::DecToText, 0)->isReadOnly());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_CONVERSIONS));
    EXPECT_TRUE(bSeen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A word double-clicked in the view is what the dialog opens on.
TEST_F(TervikCalcCommand, OpensOnTheWordMarkedInTheView) {
    ASSERT_TRUE(Start({QString::fromStdString(m_dir.Write("wert.log", "Wert 4711 ende\r\n"))}));
    Settle();
    auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
    ASSERT_NE(pFrame, nullptr);
    CTervikView* pView = pFrame->ActiveView();
    const QPoint word(pView->CharWidth() * 13 / 2, pView->LineHeight() / 2); // in "4711"
    QTest::mouseDClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier, word);
    ASSERT_TRUE(pView->HasMarking());
    QString hex;
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<CTervikCalc*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        hex = pDlg->Input(Calc::HexToDec)->text();
        pDlg->reject();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_CONVERSIONS));
    EXPECT_EQ(hex, QString("4711"));
}

} // namespace
} // namespace tervik
