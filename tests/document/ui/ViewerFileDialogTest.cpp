#include "document/ui/ViewerFileDialog.h"

#include "base/Settings.h"
#include "platform/Profile.h"
#include "support/TempDir.h"
#include "ui/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QHeaderView>
#include <QListView>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace tervik {
namespace {

class ViewerFileDialogTest : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    CProfile m_profile{m_dir.File("t.ini")};
    CSettings m_settings{m_profile};

    void TearDown() override { CViewerFileDialog::ForceGerman(std::nullopt); }

    std::unique_ptr<CViewerFileDialog> Make(bool bGerman, bool bShare = false, int nLast = 80,
                                            int nFilter = 0) {
        CViewerFileDialog::ForceGerman(bGerman);
        auto dlg = std::make_unique<CViewerFileDialog>(nullptr, bShare, nLast, nFilter, m_settings);
        dlg->setDirectory(QString::fromStdString(m_dir.Path().string()));
        return dlg;
    }

    // QFileDialog hides accept(); the dialog's OK button reaches it through QDialog.
    static void Accept(QDialog& dlg) { dlg.accept(); }

    template <typename T> static T* Child(CViewerFileDialog& dlg, const char* pszName) {
        T* p = dlg.findChild<T*>(pszName);
        EXPECT_NE(p, nullptr) << pszName;
        return p;
    }
};

TEST_F(ViewerFileDialogTest, InitialStates) {
    for (const bool bShare : {false, true}) {
        SCOPED_TRACE(bShare);
        auto dlg = Make(true, bShare, 132);
        EXPECT_TRUE(dlg->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dlg->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(Child<QCheckBox>(*dlg, "shareCheck")->isChecked(), bShare);
        EXPECT_FALSE(Child<QCheckBox>(*dlg, "fixedCheck")->isChecked());
        EXPECT_FALSE(Child<QCheckBox>(*dlg, "limitCheck")->isChecked());

        auto* fixed = Child<QSpinBox>(*dlg, "fixedLength");
        EXPECT_EQ(fixed->minimum(), 1);
        EXPECT_EQ(fixed->maximum(), 32768);
        EXPECT_EQ(fixed->value(), 132);
        EXPECT_TRUE(fixed->alignment() & Qt::AlignRight);
        auto* limit = Child<QSpinBox>(*dlg, "limitCount");
        EXPECT_EQ(limit->minimum(), 1);
        EXPECT_EQ(limit->maximum(), 2147483647);
        EXPECT_EQ(limit->value(), 1000);
        auto* direction = Child<QComboBox>(*dlg, "direction");
        EXPECT_EQ(direction->count(), 2);
        EXPECT_EQ(direction->currentIndex(), 0);
    }
}

// German whatever the system's language: the panel and Qt's own texts.
TEST_F(ViewerFileDialogTest, GermanUnderAnyLocale) {
    CViewerFileDialog::ForceGerman(std::nullopt);
    CViewerFileDialog dlg(nullptr, false, 80, 0, m_settings);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Öffnen"));
    EXPECT_TRUE(Child<QCheckBox>(dlg, "shareCheck")->text().startsWith("Lesen und Schreiben"));
    auto* pName = dlg.findChild<QLabel*>("fileNameLabel");
    ASSERT_NE(pName, nullptr);
    EXPECT_EQ(pName->text(), QString("Datei&name:"));
}

TEST_F(ViewerFileDialogTest, NoLastFixedLengthShowsTheSmallest) {
    auto dlg = Make(true, false, 0);
    EXPECT_EQ(Child<QSpinBox>(*dlg, "fixedLength")->value(), 1);
}

TEST_F(ViewerFileDialogTest, TextsFollowTheLanguage) {
    struct Case {
        bool bGerman;
        const char* pszTitle;
        const char* pszShare;
        const char* pszFixed;
        const char* pszLimit;
        const char* pszBegin;
        const char* pszEnd;
    } const cases[] = {
        {true, "Öffnen", "Lesen und Schreiben für andere Prozesse erlauben",
         "Datei mit fixer Satzlänge (NewLine Zeichen ignorieren)", "Satzanzahl beschränken auf",
         "Zeilen vom Dateianfang", "Zeilen vom Dateiende"},
        {false, "Open", "allow other processes read and write operations",
         "file with fix record length (ignore new line)", "record count limited to",
         "records (begin of file)", "records (end of file)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bGerman);
        auto dlg = Make(c.bGerman);
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8(c.pszTitle));
        EXPECT_EQ(Child<QCheckBox>(*dlg, "shareCheck")->text(), QString::fromUtf8(c.pszShare));
        EXPECT_EQ(Child<QCheckBox>(*dlg, "fixedCheck")->text(), QString::fromUtf8(c.pszFixed));
        EXPECT_EQ(Child<QCheckBox>(*dlg, "limitCheck")->text(), QString::fromUtf8(c.pszLimit));
        auto* direction = Child<QComboBox>(*dlg, "direction");
        EXPECT_EQ(direction->itemText(0), QString::fromUtf8(c.pszBegin));
        EXPECT_EQ(direction->itemText(1), QString::fromUtf8(c.pszEnd));
    }
}

TEST_F(ViewerFileDialogTest, FiltersWithRememberedIndex) {
    for (const int nIndex : {0, 3, 4}) {
        SCOPED_TRACE(nIndex);
        auto dlg = Make(true, false, 80, nIndex);
        ASSERT_EQ(dlg->nameFilters().size(), 5);
        EXPECT_EQ(dlg->nameFilters()[0], QString("Textdateien (*.txt *.bat *.ini)"));
        EXPECT_EQ(dlg->SelectedFilterIndex(), nIndex);
    }
}

TEST_F(ViewerFileDialogTest, AcceptGivesFilesAndValues) {
    const std::string a = m_dir.Write("a.log", "1\n");
    const std::string b = m_dir.Write("ä b.txt", "2\n");
    auto dlg = Make(true, false, 80, 4);
    dlg->show();
    Child<QCheckBox>(*dlg, "shareCheck")->setChecked(true);
    Child<QCheckBox>(*dlg, "fixedCheck")->setChecked(true);
    auto* fixed = Child<QSpinBox>(*dlg, "fixedLength");
    fixed->selectAll();
    QTest::keyClicks(fixed, "50000"); // beyond the arrows' range, still typed
    Child<QCheckBox>(*dlg, "limitCheck")->setChecked(true);
    Child<QSpinBox>(*dlg, "limitCount")->setValue(100);
    Child<QComboBox>(*dlg, "direction")->setCurrentIndex(1);
    test::SaveScreenshot(*dlg, "open-dialog");

    dlg->selectFile(QString::fromUtf8("\"a.log\" \"ä b.txt\""));
    Accept(*dlg);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->SelectedFiles(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(dlg->SelectedFilterIndex(), 4);
    EXPECT_EQ(dlg->Values(), (OpenDialogValues{true, 32768, 100, 1}));
    EXPECT_EQ(m_settings.FixRecSize(), 32768);
}

// Typed names are opened as typed, also those the chosen filter does not show.
TEST_F(ViewerFileDialogTest, TypedNamesAreOpenedAsTyped) {
    const std::string lf = m_dir.Write("lf.txt", "1\n");
    const std::string ebc = m_dir.Write("ebc.dat", "2\n");
    const std::string crlf = m_dir.Write("crlf.txt", "3\r\n");
    auto dlg = Make(true, false, 80, 0); // "Textdateien": *.txt only
    dlg->show();
    // The folder is read, so the typed names select what the view shows.
    auto* pModel = dlg->findChild<QFileSystemModel*>();
    ASSERT_NE(pModel, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(pModel->rowCount(pModel->index(dlg->directory().absolutePath())) > 0,
                             5000);
    auto* pEdit = Child<QLineEdit>(*dlg, "fileNameEdit");
    pEdit->setFocus();
    QTest::keyClicks(pEdit, "\"lf.txt\" \"ebc.dat\" \"crlf.txt\"");
    QTest::keyClick(pEdit, Qt::Key_Return);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->SelectedFiles(), (std::vector<std::string>{lf, ebc, crlf}));
}

// Sizes, types, dates and their headings show whole once the folder is read.
TEST_F(ViewerFileDialogTest, ColumnsFitWhatTheFolderShows) {
    m_dir.Write("klein.txt", "hallo\n");
    std::filesystem::resize_file(m_dir.Write("gross.log", ""), 123456789);
    std::filesystem::create_directory(m_dir.Path() / "Unterordner");
    auto dlg = Make(true, false, 80, 4);
    auto* pModel = dlg->findChild<QFileSystemModel*>();
    auto* pTree = dlg->findChild<QTreeView*>("treeView");
    ASSERT_NE(pModel, nullptr);
    ASSERT_NE(pTree, nullptr);
    QSignalSpy loaded(pModel, &QFileSystemModel::directoryLoaded);
    dlg->show();
    const QString folder = QString::fromStdString(m_dir.Path().string());
    auto read = [&] {
        for (const QList<QVariant>& args : loaded)
            if (args.value(0).toString() == folder) return true;
        return false;
    };
    for (int i = 0; i < 100 && !read(); ++i)
        loaded.wait(50);
    ASSERT_TRUE(read());
    QApplication::processEvents();
    EXPECT_EQ(pTree->model()->rowCount(pTree->rootIndex()), 3);
    const QHeaderView* pHeader = pTree->header();
    const QAbstractItemView* pView = pTree;
    for (int c = 1; c <= 3; ++c) {
        SCOPED_TRACE(pHeader->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        EXPECT_GE(pHeader->sectionSize(c), pView->sizeHintForColumn(c));
        EXPECT_GE(pHeader->sectionSize(c), pHeader->sectionSizeHint(c));
    }
    auto* pSidebar = dlg->findChild<QListView*>("sidebar");
    ASSERT_NE(pSidebar, nullptr);
    EXPECT_GE(pSidebar->viewport()->width(),
              static_cast<const QAbstractItemView*>(pSidebar)->sizeHintForColumn(0));
    test::SaveScreenshot(*dlg, "open-dialog-columns");
}

TEST_F(ViewerFileDialogTest, TypedZeroSurvivesLeavingTheField) {
    m_dir.Write("a.log", "1\n");
    auto dlg = Make(false, false, 80, 4);
    dlg->show();
    Child<QCheckBox>(*dlg, "fixedCheck")->setChecked(true);
    auto* fixed = Child<QSpinBox>(*dlg, "fixedLength");
    fixed->selectAll();
    QTest::keyClicks(fixed, "0");
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason); // as when clicking OK
    QApplication::sendEvent(fixed, &leave);
    EXPECT_EQ(fixed->text(), QString("0"));
    dlg->selectFile("a.log");
    Accept(*dlg);
    EXPECT_EQ(dlg->Values().m_nFixedLength, 0u);
    EXPECT_FALSE(m_profile.HasKey("Settings", "FixRecSize"));
}

TEST_F(ViewerFileDialogTest, CancelStillReadsValuesAndRemembersLength) {
    auto dlg = Make(true, true, 80);
    Child<QCheckBox>(*dlg, "fixedCheck")->setChecked(true);
    Child<QSpinBox>(*dlg, "fixedLength")->setValue(200);
    dlg->reject();
    EXPECT_TRUE(dlg->SelectedFiles().empty());
    EXPECT_EQ(dlg->Values(), (OpenDialogValues{true, 200, 0, 0}));
    EXPECT_EQ(m_settings.FixRecSize(), 200);
}

} // namespace
} // namespace tervik
