#include "search/ui/SearchDialog.h"
#include "framework/ui/MessageBox.h"
#include "search/SearchPattern.h"
#include "ui/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace tervik {
namespace {

enum { kCase, kOem, kEbcdic, kHex, kEscapes, kUnicode, kUnicodeBe, kUtf8, kWildcards };

TEST(SearchDialog, OpensOnTheEntryWithItsOptions) {
    CSearchDialog dlg({"%FLAGS(CX)414243", "plain"}, 0);
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("414243"));
    EXPECT_TRUE(dlg.Option(kCase)->isChecked());
    EXPECT_TRUE(dlg.Option(kHex)->isChecked());
    EXPECT_FALSE(dlg.Option(kEscapes)->isEnabled());
    // Picking the other entry clears the options.
    dlg.StringBox()->setCurrentIndex(1);
    emit dlg.StringBox()->activated(1);
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("plain"));
    EXPECT_FALSE(dlg.Option(kCase)->isChecked());
    EXPECT_TRUE(dlg.Option(kEscapes)->isEnabled());
    EXPECT_EQ(dlg.Option(kWildcards)->text(), QString::fromUtf8("Wildcardsuche mit * und /"));
    test::SaveScreenshot(dlg, "search-dialog");
}

TEST(SearchDialog, ResultComposesTheOptions) {
    CSearchDialog dlg({}, -1);
    dlg.StringBox()->setEditText("abc");
    EXPECT_EQ(dlg.Result(), "abc");
    dlg.Option(kWildcards)->setChecked(true);
    EXPECT_EQ(dlg.Result(), "%FLAGS(*)abc");
    // The Unicode forms exclude each other.
    dlg.Option(kUnicode)->setChecked(true);
    dlg.Option(kUtf8)->setChecked(true);
    EXPECT_FALSE(dlg.Option(kUnicode)->isChecked());
    EXPECT_EQ(dlg.Result(), "%FLAGS(U8)abc");
    dlg.StringBox()->setEditText("");
    EXPECT_EQ(dlg.Result(), "");
}

TEST(SearchDialog, HexStringOnAndOffKeepsTheText) {
    CSearchDialog dlg({}, -1);
    dlg.show();
    dlg.StringBox()->setEditText("a\tb");
    dlg.Option(kHex)->setChecked(true);
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("610962"));
    EXPECT_FALSE(dlg.Option(kEscapes)->isEnabled());
    EXPECT_FALSE(dlg.Option(kUtf8)->isEnabled());
    // Typing keeps hex digits only.
    dlg.StringBox()->lineEdit()->setFocus();
    dlg.StringBox()->lineEdit()->end(false);
    QTest::keyClicks(dlg.StringBox()->lineEdit(), "4zq1");
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("61096241"));
    dlg.Option(kHex)->setChecked(false);
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("a\\tbA"));
    EXPECT_TRUE(dlg.Option(kEscapes)->isChecked());
    EXPECT_TRUE(dlg.Option(kEscapes)->isEnabled());
}

TEST(SearchDialog, ClearingEscapesAsksFirst) {
    CSearchDialog dlg({}, -1);
    dlg.StringBox()->setEditText("c:\\tmp");
    dlg.Option(kEscapes)->setChecked(true);
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("c:\\\\tmp")); // means the same
    dlg.StringBox()->setEditText("a\\tb");
    int nAsked = 0;
    SetMessageBoxHook([&](const std::string& text, unsigned) {
        ++nAsked;
        EXPECT_EQ(text.rfind("Die Escape Sequenzen werden entfernt.", 0), 0u);
        return nAsked == 1 ? IDCANCEL : IDOK;
    });
    dlg.Option(kEscapes)->setChecked(false); // cancelled: stays on, text unchanged
    EXPECT_TRUE(dlg.Option(kEscapes)->isChecked());
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("a\\tb"));
    dlg.Option(kEscapes)->setChecked(false);
    EXPECT_EQ(dlg.StringBox()->currentText(), QString("ab"));
    SetMessageBoxHook({});
    EXPECT_EQ(nAsked, 2);
}

} // namespace
} // namespace tervik
