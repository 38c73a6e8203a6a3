// The help menu: feedback mails, change history and the about box.

#include "Screenshot.h"
#include "ShellFixture.h"
#include "app/FeedbackMail.h"
#include "app/ProductVersion.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/History.h"
#include "base/SettingKeys.h"
#include "framework/CommandIds.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTimerEvent>
#include <QUrlQuery>
#include <functional>
#include <sys/utsname.h>

namespace tervik {
namespace {

class HelpMenuTest : public test::ShellTest {
protected:
    std::vector<QUrl> m_mails;

    void SetUp() override {
        ShellTest::SetUp();
        CTervikApp::SetMailHook([this](const QUrl& url) { m_mails.push_back(url); });
    }
    void TearDown() override {
        CTervikApp::SetMailHook({});
        ShellTest::TearDown();
    }
    static void Click(QWidget* pWidget, QPoint pos) {
        QTest::mouseClick(pWidget, Qt::LeftButton, {}, pos);
    }
    // Opens "&?" as a click on its title does and clicks the entry with the text,
    // through the submenu when one is given.
    void ChooseHelpEntry(const QString& entry, const QString& submenu = {}) {
        QMenu* pMenu = nullptr;
        for (QAction* pTop : Frame().menuBar()->actions())
            if (pTop->text() == "&?") pMenu = pTop->menu();
        ASSERT_NE(pMenu, nullptr);
        pMenu->popup(QPoint(0, 0));
        Settle();
        if (!submenu.isEmpty()) {
            QAction* pSub = FindEntry(pMenu, submenu);
            ASSERT_NE(pSub, nullptr);
            Click(pMenu, pMenu->actionGeometry(pSub).center());
            for (int i = 0; i < 100 && !pSub->menu()->isVisible(); ++i)
                QTest::qWait(10);
            ASSERT_TRUE(pSub->menu()->isVisible());
            pMenu = pSub->menu();
        }
        QAction* pEntry = FindEntry(pMenu, entry);
        ASSERT_NE(pEntry, nullptr) << entry.toStdString();
        ASSERT_TRUE(pEntry->isEnabled()) << entry.toStdString();
        Click(pMenu, pMenu->actionGeometry(pEntry).center());
        Settle();
    }
    static QAction* FindEntry(QMenu* pMenu, const QString& text) {
        for (QAction* p : pMenu->actions())
            if (p->text() == text) return p;
        return nullptr;
    }
    // Runs check inside the modal dialog the entry opens; the check closes it.
    template <class Dialog>
    void InDialog(const QString& entry, const std::function<void(Dialog&)>& check) {
        bool bSeen = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* pDialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!pDialog) return;
            poll.stop();
            bSeen = true;
            check(*pDialog);
            if (pDialog->isVisible()) {
                ADD_FAILURE() << "still open";
                pDialog->reject();
            }
        });
        poll.start();
        ChooseHelpEntry(entry);
        poll.stop();
        EXPECT_TRUE(bSeen) << entry.toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    static void WaitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i)
            QTest::qWait(10);
    }
};

TEST_F(HelpMenuTest, FeedbackMailsCarrySubjectFormAndTheMachinesData) {
    ASSERT_NE(StartActive(Log("a.log", 20)), nullptr);
    utsname names{};
    ASSERT_EQ(uname(&names), 0);
    OsVersion os;
    ParseKernelRelease(names.release, os.m_nMajor, os.m_nMinor);
    char szVersion[10];
    GetProductVersion(szVersion, sizeof szVersion);

    struct Case {
        const char* entry;
        FeedbackKind kind;
        const char* recipient; // nullptr: the setting is not there
    } cases[] = {
        {"zufriedener Benutzer ...", FeedbackKind::Praise, nullptr},
        {"Verbesserungsvorschlag ...", FeedbackKind::Suggestion, "team+tervik@example.test"},
        {"Fehlermeldung ...", FeedbackKind::Error, "team+tervik@example.test"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        if (c.recipient)
            Settings().WriteProfileString(kSectionSettings, "FeedbackMail", c.recipient);
        m_mails.clear();
        ChooseHelpEntry(QString::fromUtf8(c.entry), QString::fromUtf8("e-Mail senden"));
        ASSERT_EQ(m_mails.size(), 1u);
        const QUrl& url = m_mails[0];
        EXPECT_EQ(url.scheme(), "mailto");
        EXPECT_EQ(url.path(), c.recipient ? c.recipient : "feedback@tervik.invalid");
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded).toStdString(),
                  FeedbackSubject(c.kind, szVersion));

        // The form as it is, except the three lines with the machine's data.
        const QStringList body =
            query.queryItemValue("body", QUrl::FullyDecoded).split(QStringLiteral("\r\n"));
        const QStringList form = QString::fromStdString(FeedbackBodyForm(c.kind)).split("\r\n");
        ASSERT_EQ(body.size(), form.size());
        for (qsizetype i = 0; i < form.size(); ++i) {
            if (!form[i].contains('%')) {
                EXPECT_EQ(body[i], form[i]);
            } else if (form[i].contains("%SYSTEMNAME")) {
                EXPECT_EQ(body[i], QString("Betriebssystem: %1 Version %2.%3")
                                       .arg(names.sysname)
                                       .arg(os.m_nMajor)
                                       .arg(os.m_nMinor));
            } else if (form[i].contains("%MEMORY")) {
                EXPECT_TRUE(
                    QRegularExpression(
                        R"(^Arbeitsspeicher: [1-9]\d* KB \(phys\) - \d+ KB \(paging\) - \d{1,3}% \(usage\)$)")
                        .match(body[i])
                        .hasMatch())
                    << body[i].toStdString();
            } else {
                EXPECT_TRUE(
                    QRegularExpression(R"(^Systemzeit: \d{1,2}\.\d{1,2}\.\d{4} \d\d:\d\d:\d\d$)")
                        .match(body[i])
                        .hasMatch())
                    << body[i].toStdString();
            }
        }
    }
}

TEST_F(HelpMenuTest, AboutBoxOpensItsPanelBelowAndClosesWithOk) {
    ASSERT_TRUE(Start());
    InDialog<CAboutDlg>(QString::fromUtf8("Inf&o über ..."), [](CAboutDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Info über Orv's File-Viewer"));
        EXPECT_EQ(dlg.height(), dlg.ClosedHeight());
        EXPECT_GE(dlg.Picture()->y(), dlg.height()); // the picture is below the edge
        test::SaveScreenshot(dlg, "about-closed");

        Click(dlg.InfoButton(), dlg.InfoButton()->rect().center());
        WaitFor([&] { return !dlg.IsMoving(); });
        EXPECT_EQ(dlg.height(), dlg.ClosedHeight() + CAboutDlg::kPanelHeight);
        EXPECT_LE(dlg.Picture()->geometry().bottom(), dlg.height());
        EXPECT_EQ(dlg.InfoButton()->text(), "Info <<");
        EXPECT_TRUE(dlg.InfoButton()->isChecked());
        test::SaveScreenshot(dlg, "about-open");
        Click(dlg.OkButton(), dlg.OkButton()->rect().center());
        Settle();
    });
}

TEST_F(HelpMenuTest, AboutPanelMovesInStepsAndACloseWaitsForTheEnd) {
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    // One tick of the dialog's own timer; no other events run in between.
    auto tick = [&] {
        QTimerEvent event(dlg.TimerId());
        QCoreApplication::sendEvent(&dlg, &event);
        return dlg.height() - dlg.ClosedHeight();
    };
    auto clickInfo = [&] { Click(dlg.InfoButton(), dlg.InfoButton()->rect().center()); };
    EXPECT_EQ(tick(), 0); // resting

    clickInfo();
    EXPECT_EQ(dlg.InfoButton()->text(), "Info <<");
    std::vector<int> heights;
    for (int i = 0; i < 9; ++i) {
        heights.push_back(tick());
        if (i == 2) clickInfo(); // ignored while moving
    }
    EXPECT_EQ(heights, std::vector<int>({25, 50, 75, 100, 125, 150, 175, 185, 185}));
    EXPECT_EQ(dlg.InfoButton()->text(), "Info <<");
    EXPECT_TRUE(dlg.InfoButton()->isChecked());

    // Closing the panel; OK half-way is carried out one tick after the movement.
    clickInfo();
    EXPECT_EQ(dlg.InfoButton()->text(), "Info >>");
    EXPECT_FALSE(dlg.InfoButton()->isChecked());
    heights.clear();
    heights.push_back(tick());
    heights.push_back(tick());
    Click(dlg.OkButton(), dlg.OkButton()->rect().center());
    EXPECT_TRUE(dlg.isVisible());
    for (int i = 0; i < 6; ++i)
        heights.push_back(tick());
    EXPECT_EQ(heights, std::vector<int>({160, 135, 110, 85, 60, 35, 10, 0}));
    EXPECT_TRUE(dlg.isVisible());
    tick();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    // Escape while opening: the same wait, then the dialog goes as cancelled.
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    clickInfo();
    tick();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg,
                    Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    for (int i = 0; i < 7; ++i)
        tick();
    EXPECT_EQ(dlg.height() - dlg.ClosedHeight(), CAboutDlg::kPanelHeight);
    EXPECT_TRUE(dlg.isVisible());
    tick();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST_F(HelpMenuTest, ChangeHistoryKeepsEqualMarginsWhenResized) {
    ASSERT_TRUE(StartActive(Log("a.log", 20)));
    InDialog<CHistory>(QString::fromUtf8("Änderungshistorie ..."), [](CHistory& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Änderungshistorie Orv's File-Viewer"));
        QTextBrowser* pText = dlg.Browser();
        EXPECT_TRUE(pText->isReadOnly());
        EXPECT_FALSE(pText->textCursor().hasSelection());
        EXPECT_EQ(pText->textCursor().position(), 0);
        const QString text = pText->toPlainText();
        EXPECT_TRUE(text.contains(QRegularExpression(R"(\d\d\.\d\d\.\d{4} – Version \d+\.\d+)")))
            << "a dated entry";
        auto margins = [&] {
            const QRect r = pText->geometry();
            return std::vector<int>{r.left(), dlg.width() - r.right() - 1, r.top(),
                                    dlg.height() - r.bottom() - 1};
        };
        const std::vector<int> first = margins();
        EXPECT_GT(first[0], 0);
        EXPECT_EQ(first[0], first[1]);
        EXPECT_EQ(first[2], first[3]);
        for (QSize size : {QSize(900, 700), QSize(420, 260), QSize(700, 520)}) {
            dlg.resize(size);
            Settle();
            EXPECT_EQ(margins(), first) << size.width() << "x" << size.height();
        }
        test::SaveScreenshot(dlg, "change-history");
        QTest::keyClick(pText, Qt::Key_Escape);
        Settle();
    });
}

TEST_F(HelpMenuTest, ChangeHistoryTurnsPlainAddressesIntoLinks) {
    CHistory dlg(
        nullptr,
        QString::fromUtf8("<p>Siehe https://example.org/tervik/neu. Oder <a "
                          "href='https://a.test/'>hier</a> und www.example.org, dazu "
                          "mailto:feedback@tervik.invalid (ohne Gewähr); kein Link: http:</p>"));
    QStringList links;
    for (QTextBlock block = dlg.Browser()->document()->begin(); block.isValid();
         block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                links << it.fragment().text() + " -> " + it.fragment().charFormat().anchorHref();
    EXPECT_EQ(links,
              QStringList({"https://example.org/tervik/neu -> https://example.org/tervik/neu",
                           "hier -> https://a.test/", "www.example.org -> https://www.example.org",
                           "mailto:feedback@tervik.invalid -> mailto:feedback@tervik.invalid"}));
}

} // namespace
} // namespace tervik
