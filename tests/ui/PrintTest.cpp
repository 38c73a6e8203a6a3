// Printing: "tervik --print-pdf" as a process, read back with pdfinfo and pdftotext,
// and the preview of a view in the running viewer.

#include "framework/CommandIds.h"
#include "framework/ui/BusyPump.h"
#include "support/RunProcess.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/PrintPreview.h"
#include "views/ui/PrinterSetup.h"
#include "views/ui/TervikView.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace tervik::test {
namespace {

// The full path of a program on PATH, empty when there is none.
std::string Tool(const std::string& name) {
    std::string path = RunProcess("/bin/sh", {"-c", "command -v " + name}).out;
    while (!path.empty() && path.back() == '\n')
        path.pop_back();
    return path;
}

bool HavePoppler() {
    return !Tool("pdftotext").empty() && !Tool("pdfinfo").empty() && !Tool("pdftoppm").empty();
}

int PdfPages(const std::string& pdf) {
    const ProcessResult r = RunProcess(Tool("pdfinfo"), {pdf});
    const size_t at = r.out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(r.out.c_str() + at + 6);
}

// The text of one page (0 = all), laid out as printed.
std::string PdfText(const std::string& pdf, int nPage = 0) {
    std::vector<std::string> args = {"-layout", "-enc", "UTF-8"};
    if (nPage > 0) {
        args.insert(args.end(), {"-f", std::to_string(nPage), "-l", std::to_string(nPage)});
    }
    args.insert(args.end(), {pdf, "-"});
    return RunProcess(Tool("pdftotext"), args).out;
}

// The left edge (in points) of the first word of a "pdftotext -bbox" page that
// contains what; -1 when there is none.
double WordLeft(const std::string& boxes, const std::string& what) {
    const size_t at = boxes.find(what);
    if (at == std::string::npos) return -1;
    const size_t x = boxes.rfind("xMin=\"", at);
    return x == std::string::npos ? -1 : std::atof(boxes.c_str() + x + 6);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Pixels of a page rendered at a low resolution that are clearly coloured (not grey).
int ColouredPixels(const std::string& pdf, const std::string& prefix) {
    RunProcess(Tool("pdftoppm"), {"-r", "40", "-f", "1", "-l", "1", pdf, prefix});
    std::string ppm;
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(prefix).parent_path()))
        if (e.path().string().rfind(prefix, 0) == 0 && e.path().extension() == ".ppm")
            ppm = ReadWholeFile(e.path().string());
    // P6, width, height, 255, then RGB bytes.
    std::istringstream in(ppm);
    std::string magic;
    int w = 0, h = 0, nMax = 0;
    in >> magic >> w >> h >> nMax;
    if (magic != "P6" || w <= 0 || h <= 0) return -1;
    const size_t nData = ppm.size() - static_cast<size_t>(3 * w * h);
    int n = 0;
    for (size_t i = nData; i + 2 < ppm.size(); i += 3) {
        const int r = static_cast<uint8_t>(ppm[i]), g = static_cast<uint8_t>(ppm[i + 1]),
                  b = static_cast<uint8_t>(ppm[i + 2]);
        if (std::max({r, g, b}) - std::min({r, g, b}) > 60) ++n;
    }
    return n;
}

class PrintPdf : public ::testing::Test {
protected:
    CTempDir m_dir;
    std::string m_ini = m_dir.File("tervik.ini");
    std::string m_pdf = m_dir.File("out.pdf");
    // A settings file of its own; it must come out unchanged.
    std::string m_settings = std::string("[Settings]\nTabSize=4\nFontName=") + kTestFont + "\n";

    void SetUp() override {
        if (!HavePoppler()) GTEST_SKIP() << "pdftotext/pdfinfo missing (scripts/setup.sh)";
        m_dir.Write("tervik.ini", m_settings);
    }
    ProcessResult Print(std::vector<std::string> args) {
        args.insert(args.begin(), {"--print-pdf", m_pdf});
        args.insert(args.end(), {"--ini", m_ini});
        return RunProcess(TERVIK_VIEWER_PATH, args);
    }
    // A log of 200 lines whose line 3 wraps, checked page by page.
    void PrintWrappedLine() {
        std::string log;
        for (int i = 0; i < 200; ++i)
            log += "Zeile " + std::to_string(i) +
                   (i == 3 ? " " + std::string(300, 'w') + "ENDE" : "") + "\n";
        const std::string file = m_dir.Write("drei.log", log);
        const ProcessResult r = Print({file});
        ASSERT_EQ(r.nExitCode, 0) << r.err;
        const int nPages = PdfPages(m_pdf);
        ASSERT_GE(nPages, 2);
        // Every page has the title and its number; the lines appear once each, in order,
        // and every page but the last is full.
        size_t nLinesOnFirst = 0;
        int nNext = 0;
        for (int p = 1; p <= nPages; ++p) {
            const std::string text = PdfText(m_pdf, p);
            EXPECT_NE(text.find("drei.log"), std::string::npos) << p;
            EXPECT_NE(text.find("Seite " + std::to_string(p)), std::string::npos) << p;
            std::istringstream lines(text);
            std::string line;
            size_t nLines = 0;
            while (std::getline(lines, line)) {
                const size_t at = line.find("Zeile ");
                if (line.find("Seite") != std::string::npos ||
                    line.find_first_not_of(" \f") == std::string::npos)
                    continue;
                ++nLines;
                if (at == std::string::npos) continue; // a continuation of line 3
                EXPECT_EQ(std::atoi(line.c_str() + at + 6), nNext) << line;
                ++nNext;
            }
            if (p == 1) nLinesOnFirst = nLines;
            if (p < nPages) {
                EXPECT_EQ(nLines, nLinesOnFirst) << p;
            }
        }
        EXPECT_EQ(nNext, 200);
        // The long line wraps: its end stands on a line of its own, indented.
        const std::string all = PdfText(m_pdf);
        const size_t at = all.find("ENDE");
        ASSERT_NE(at, std::string::npos);
        const size_t lineStart = all.rfind('\n', at) + 1;
        const std::string endLine = all.substr(lineStart, all.find('\n', at) - lineStart);
        EXPECT_EQ(endLine.find("Zeile"), std::string::npos) << endLine;
        // Continuations stand a little right of the first line, less than a character.
        const std::string boxes =
            RunProcess(Tool("pdftotext"), {"-bbox", "-f", "1", "-l", "1", m_pdf, "-"}).out;
        const double dFirst = WordLeft(boxes, ">Zeile<"), dEnd = WordLeft(boxes, "ENDE<");
        EXPECT_GT(dEnd, dFirst + 0.5);
        EXPECT_LT(dEnd, dFirst + 4);
        EXPECT_EQ(Count(all, "w"), 300u);
        EXPECT_EQ(ReadWholeFile(m_ini), m_settings);
    }
};

TEST_F(PrintPdf, TextPagesHeaderAndWrappedLine) {
    PrintWrappedLine();
}

// Fontconfig does not flag Noto Sans Mono as fixed-pitch; its widest glyph is three
// columns wide, and a continuation still stands less than a character right.
TEST_F(PrintPdf, WrappedLineInAnUnflaggedMonospacedFont) {
    if (!QFontDatabase::hasFamily("Noto Sans Mono"))
        GTEST_SKIP() << "Noto Sans Mono is not installed (scripts/setup.sh)";
    m_settings = "[Settings]\nTabSize=4\nFontName=Noto Sans Mono\n";
    m_dir.Write("tervik.ini", m_settings);
    PrintWrappedLine();
}

// The header names the file as the file system does: its name is UTF-8, not cp1252,
// and may hold characters cp1252 has not.
TEST_F(PrintPdf, HeaderNamesAFileWithUmlautsAsItIsCalled) {
    for (const char* pszName : {"Größe_Übung.txt", "Łódź.log"}) {
        SCOPED_TRACE(pszName);
        const ProcessResult r = Print({m_dir.Write(pszName, "Zeile\n")});
        ASSERT_EQ(r.nExitCode, 0) << r.err;
        const std::string text = PdfText(m_pdf);
        const std::string header = text.substr(0, text.find('\n'));
        EXPECT_NE(header.find(pszName), std::string::npos) << header;
        EXPECT_NE(header.find("Seite 1"), std::string::npos) << header;
    }
}

TEST_F(PrintPdf, OnlySelectedLinesInColour) {
    const std::string file = m_dir.Write("f.log", "a Fehler\nb gut\nc fehler\nd gut\n");
    const std::string script = m_dir.Write("s.terviks", "SELECT LINE=*ALL,TEXT=\"fehler\"\n");
    ProcessResult r = Print({"--only-selected", script, file, "--color", "--mode", "text"});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(PdfPages(m_pdf), 1);
    std::string text = PdfText(m_pdf);
    EXPECT_NE(text.find("a Fehler"), std::string::npos);
    EXPECT_NE(text.find("c fehler"), std::string::npos);
    EXPECT_EQ(text.find("gut"), std::string::npos);
    EXPECT_GT(ColouredPixels(m_pdf, m_dir.File("colour")), 0);
    // Without --color the same lines print in black.
    r = Print({"--only-selected", script, file});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(ColouredPixels(m_pdf, m_dir.File("black")), 0);
    EXPECT_EQ(PdfText(m_pdf), text);
}

TEST_F(PrintPdf, DumpAndHexRows) {
    std::string bytes;
    for (int i = 0; i < 40; ++i)
        bytes += static_cast<char>('A' + i % 26);
    const std::string file = m_dir.Write("b.bin", bytes);
    ProcessResult r = Print({file, "--mode", "dump"});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    const std::string text = PdfText(m_pdf);
    // A4 portrait is too narrow for 32 bytes a row: 16, offsets in hex and decimal;
    // the last partial row is printed.
    EXPECT_NE(text.find("00000000 (00000000)   41424344 45464748 494A4B4C 4D4E4F50   "
                        ">ABCDEFGHIJKLMNOP<"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("00000010 (00000016)"), std::string::npos);
    EXPECT_NE(text.find("00000020 (00000032)   4748494A 4B4C4D4E"), std::string::npos);
    EXPECT_NE(text.find(">GHIJKLMN<"), std::string::npos);

    r = Print({"--mode", "hex", m_dir.Write("h.txt", "AB\n")});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    const std::string hex = PdfText(m_pdf);
    // The character row, then the high and the low digits under it.
    EXPECT_NE(hex.find("AB\n"), std::string::npos) << hex;
    EXPECT_NE(hex.find("44\n"), std::string::npos) << hex;
    EXPECT_NE(hex.find("12\n"), std::string::npos) << hex;
}

TEST_F(PrintPdf, FailuresSayWhyAndWriteNothing) {
    const std::string file = m_dir.Write("f.log", "x\n");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "Aufruf: tervik --print-pdf"},
        {{m_dir.File("fehlt.log")}, "fehlt.log"},
        {{file, "--mode", "bunt"}, "Unbekannte Darstellung"},
        {{file, "--only-selected", m_dir.File("fehlt.terviks")}, "fehlt.terviks"},
        {{file, "zweite.log"}, "Nur eine Datei"},
        {{file, "--mode"}, "fehlt die Darstellung"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = Print(c.args);
        EXPECT_EQ(r.nExitCode, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(m_pdf)) << c.message;
    }
    // A PDF that cannot be written.
    const ProcessResult r = RunProcess(
        TERVIK_VIEWER_PATH, {"--print-pdf", m_dir.File("kein/ordner.pdf"), file, "--ini", m_ini});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_NE(r.err.find("kann nicht geschrieben werden"), std::string::npos) << r.err;
    // The file shown is never overwritten, nor removed with a failed printout.
    const ProcessResult own =
        RunProcess(TERVIK_VIEWER_PATH, {"--print-pdf", file, file, "--ini", m_ini});
    EXPECT_EQ(own.nExitCode, 1);
    EXPECT_NE(own.err.find("angezeigte Datei"), std::string::npos) << own.err;
    EXPECT_EQ(ReadWholeFile(file), "x\n");
    EXPECT_EQ(ReadWholeFile(m_ini), m_settings);
}

TEST(ViewerHelp, ListsTheOptions) {
    const ProcessResult r = RunProcess(TERVIK_VIEWER_PATH, {"--help"});
    EXPECT_EQ(r.nExitCode, 0);
    for (const char* option : {"--ini", "--print-pdf", "--mode", "--color", "--only-selected"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    // The word the menus use.
    EXPECT_NE(r.out.find("ARBEITSPLATZ.tervik"), std::string::npos);
    EXPECT_EQ(r.out.find("Arbeitsbereich"), std::string::npos);
}

class PrintPreview : public ShellTest {
protected:
    // The viewer on 1.3 million records of 80 bytes (a sparse file), its view focused.
    CTervikView* StartOnBigFile() {
        const std::string path = m_dir.File("gross.dat");
        {
            std::ofstream out(path, std::ios::binary);
            out.seekp((std::streamoff{100} << 20) - 1);
            out.put('x');
        }
        if (!Start()) return nullptr;
        // Commands reach the view of the active window.
        Frame().activateWindow();
        if (!QTest::qWaitForWindowActive(&Frame())) return nullptr;
        const OpenDialogValues values{false, 80, 0, 0};
        m_app->m_openOptions.BeforeDialog();
        m_app->m_openOptions.OnOk(values);
        if (!m_app->OpenDocumentFile(path)) return nullptr;
        m_app->m_openOptions.AfterDialog(true, values);
        Settle();
        CTervikView* pView = Frame().ActiveView();
        // The page count below needs every record, as the print command waits for them.
        if (pView && !m_app->DocumentManager().WholeDocument(pView->GetDocument())) return nullptr;
        if (pView) pView->setFocus();
        return pView;
    }
};

// The preview's window: its tool buttons, its page area.
struct PreviewParts {
    CPrintPreview* pPreview = nullptr;
    QWidget* pArea = nullptr;
    QToolBar* pBar = nullptr;

    explicit PreviewParts(QDialog& dialog)
        : pPreview(qobject_cast<CPrintPreview*>(&dialog)),
          pArea(dialog.findChild<QWidget*>("previewArea")),
          pBar(dialog.findChild<QToolBar*>("previewBar")) {}
    bool Ok() const { return pPreview && pArea && pBar; }
    void Click(const char* pszAction) const {
        QAction* pAction = pBar->findChild<QAction*>(pszAction);
        ASSERT_NE(pAction, nullptr) << pszAction;
        QTest::mouseClick(pBar->widgetForAction(pAction), Qt::LeftButton);
        QApplication::processEvents();
    }
    void Key(int nKey) const {
        QTest::keyClick(pArea, static_cast<Qt::Key>(nKey));
        QApplication::processEvents();
    }
    // Keys reach the preview's shortcuts once it is the active window.
    bool Show() const {
        pPreview->show();
        pPreview->activateWindow();
        return QTest::qWaitForWindowActive(pPreview);
    }
    bool WaitForCount() const {
        return QTest::qWaitFor([this] { return pPreview->CountDone(); }, 120000);
    }
};

// A small log: the count the preview shows is the printout's, and its print
// button prints through the print dialog.
TEST_F(PrintPreview, PageCounterMatchesThePrintout) {
    std::string log;
    for (int i = 0; i < 150; ++i)
        log += "Zeile " + std::to_string(i) + (i == 2 ? " " + std::string(200, '#') : "") + "\n";
    CChildFrame* pFrame = StartActive(m_dir.Write("vorschau.log", log));
    ASSERT_NE(pFrame, nullptr);
    auto* pView = qobject_cast<CTervikView*>(QApplication::focusWidget());
    ASSERT_NE(pView, nullptr);
    CTervikDoc& doc = pView->GetDocument();
    for (uint32_t r : {1u, 2u, 5u}) {
        const COLORREF colour = doc.Host().Colours().m_crRedMarker;
        ASSERT_TRUE(doc.SetLineSelected(r, true, &colour));
    }
    Frame().Action(ID_PRINT_COLOR)->trigger();

    QPrinter& printer = m_app->Printer();
    const std::string pdf = m_dir.File("vorschau.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    struct Case {
        DisplayMode eMode;
        const char* screenshot;
    } cases[] = {{DisplayMode::Text, "print_preview_text"},
                 {DisplayMode::Hex, "print_preview_hex"},
                 {DisplayMode::Dump, "print_preview_dump"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screenshot);
        pView->SetMode(c.eMode);
        std::filesystem::remove(pdf);
        uint32_t nPreviewPages = 0;
        int nMaxPage = -1;
        CTervikView::SetPrintDialogHook([&](QDialog& dialog) {
            if (auto* pPrint = qobject_cast<QPrintDialog*>(&dialog)) {
                // Printing from the preview: its page count bounds the range.
                nMaxPage = pPrint->maxPage();
                dialog.setResult(QDialog::Accepted);
                return;
            }
            const PreviewParts parts(dialog);
            ASSERT_TRUE(parts.Ok());
            dialog.resize(900, 1000);
            ASSERT_TRUE(parts.Show());
            ASSERT_TRUE(parts.WaitForCount());
            nPreviewPages = parts.pPreview->PageCount();
            parts.Click("fitPage");
            SaveScreenshot(dialog, c.screenshot);
            parts.Click("print");
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            dialog.hide();
        });
        EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
        CTervikView::SetPrintDialogHook({});
        EXPECT_GE(nPreviewPages, 2u);
        EXPECT_EQ(nMaxPage, static_cast<int>(nPreviewPages));
        ASSERT_TRUE(std::filesystem::exists(pdf));
        if (HavePoppler()) {
            EXPECT_EQ(PdfPages(pdf), static_cast<int>(nPreviewPages));
            EXPECT_NE(PdfText(pdf, 1).find("Seite 1"), std::string::npos);
            // Only what the window shows, the selected lines in colour.
            if (c.eMode == DisplayMode::Text) {
                EXPECT_GT(ColouredPixels(pdf, m_dir.File("vorschau")), 0);
            }
        }
        // A printout that ran to its end leaves the status text as it was.
        EXPECT_EQ(Frame().GetMessageText(), "Bereit");
    }
    printer.setOutputFileName({});
    printer.setOutputFormat(QPrinter::NativeFormat);
}

// 1.3 million records: page 1 shows at once and only the pages looked at are drawn;
// keys and buttons move through the pages; Escape closes the preview.
TEST_F(PrintPreview, ABigFileShowsPageOneAndDrawsOnlyThePagesShown) {
    CTervikView* pView = StartOnBigFile();
    ASSERT_NE(pView, nullptr);
    QPrinter& printer = m_app->Printer();
    // The count the printout would have: one line a record of 80 characters.
    CPrintJob job(pView->GetDocument(), pView->PrintRequestOf());
    job.Begin(printer);
    const uint32_t nExpected = PrintPageCount(
        pView->GetDocument().m_nRecords, PrintSlotsPerPage(job.LinesPerPage(), DisplayMode::Text));
    job.End();
    ASSERT_GT(nExpected, 10000u);
    bool bVisibleAfter = true;
    CTervikView::SetPrintDialogHook([&](QDialog& dialog) {
        const PreviewParts parts(dialog);
        ASSERT_TRUE(parts.Ok());
        CPrintPreview& preview = *parts.pPreview;
        ASSERT_TRUE(parts.Show());
        ASSERT_TRUE(QTest::qWaitFor([&] { return preview.PagesDrawn() > 0; }, 60000));
        EXPECT_EQ(preview.CurrentPage(), 1u);
        SaveScreenshot(dialog, "print_preview_big");
        ASSERT_TRUE(parts.WaitForCount());
        EXPECT_EQ(preview.PageCount(), nExpected);
        EXPECT_EQ(preview.PageText(), QStringLiteral("Seite 1 von %1").arg(nExpected));

        struct Step {
            const char* what;
            std::function<void()> act;
            uint32_t nPage;
        } steps[] = {
            {"End", [&] { parts.Key(Qt::Key_End); }, nExpected},
            {"PageUp", [&] { parts.Key(Qt::Key_PageUp); }, nExpected - 1},
            {"first page button", [&] { parts.Click("firstPage"); }, 1},
            {"PageDown", [&] { parts.Key(Qt::Key_PageDown); }, 2},
            {"next page button", [&] { parts.Click("nextPage"); }, 3},
            {"previous page button", [&] { parts.Click("previousPage"); }, 2},
            {"page number typed",
             [&] {
                 auto* pField = dialog.findChild<QLineEdit*>("pageField");
                 pField->selectAll();
                 QTest::keyClicks(pField, "12345");
                 QTest::keyClick(pField, Qt::Key_Return);
             },
             12345},
            {"page number beyond the end",
             [&] {
                 auto* pField = dialog.findChild<QLineEdit*>("pageField");
                 pField->selectAll();
                 QTest::keyClicks(pField, "99999999");
                 QTest::keyClick(pField, Qt::Key_Return);
             },
             nExpected},
            {"last page button", [&] { parts.Click("firstPage"), parts.Click("lastPage"); },
             nExpected},
            {"Home", [&] { parts.Key(Qt::Key_Home); }, 1},
        };
        for (const Step& step : steps) {
            step.act();
            QApplication::processEvents();
            EXPECT_EQ(preview.CurrentPage(), step.nPage) << step.what;
        }
        // Each page looked at was drawn about once; none of the others.
        EXPECT_LE(preview.PagesDrawn(), 30);

        const double dWhole = preview.Scale();
        parts.Click("fitWidth");
        const double dWidth = preview.Scale();
        EXPECT_GT(dWidth, dWhole);
        parts.Click("zoomIn");
        EXPECT_GT(preview.Scale(), dWidth);
        EXPECT_EQ(preview.FitMode(), CPrintPreview::Fit::None);
        parts.Click("zoomOut");
        parts.Click("zoomOut");
        EXPECT_LT(preview.Scale(), dWidth);
        parts.Key(Qt::Key_Escape);
        bVisibleAfter = dialog.isVisible();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
    CTervikView::SetPrintDialogHook({});
    EXPECT_FALSE(bVisibleAfter);
    // The viewer goes on: another document opens and paints.
    ASSERT_NE(m_app->OpenDocumentFile(Log("danach.log", 30)), nullptr);
    Settle();
    ASSERT_NE(Frame().ActiveView(), nullptr);
    EXPECT_FALSE(Frame().ActiveView()->grab().isNull());
}

// A file that lost lines since it was opened stops the printout with the reason,
// and no PDF stays behind, whether the pieces or a page meet the loss.
TEST_F(PrintPreview, AFileThatBecameShorterStopsThePrintout) {
    std::string log;
    for (int i = 0; i < 1500; ++i)
        log += "Zeile " + std::to_string(i) + std::string(50, '=') + "\n";
    const std::string path = m_dir.Write("kurz.log", log);
    const std::string pdf = m_dir.File("kurz.pdf");
    for (const DisplayMode eMode : {DisplayMode::Text, DisplayMode::Hex, DisplayMode::Dump}) {
        SCOPED_TRACE(static_cast<int>(eMode));
        m_dir.Write("kurz.log", log);
        ASSERT_NE(StartActive(path), nullptr);
        auto* pView = qobject_cast<CTervikView*>(QApplication::focusWidget());
        ASSERT_NE(pView, nullptr);
        std::filesystem::resize_file(path, log.size() / 2);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        PrintRequest request = pView->PrintRequestOf();
        request.m_eMode = eMode;
        CPrintJob job(pView->GetDocument(), request);
        m_messages.clear();
        EXPECT_FALSE(job.Run(printer));
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].rfind("Die Datei ist k\xFCrzer geworden", 0), 0u) << m_messages[0];
        EXPECT_FALSE(std::filesystem::exists(pdf));
        // The preview says so as well, once the count or the last page meets the
        // loss, and closes.
        pView->SetMode(eMode);
        m_messages.clear();
        bool bClosed = false;
        CTervikView::SetPrintDialogHook([&](QDialog& dialog) {
            const PreviewParts parts(dialog);
            ASSERT_TRUE(parts.Ok());
            ASSERT_TRUE(parts.Show());
            parts.Key(Qt::Key_End);
            bClosed = QTest::qWaitFor([&] { return !dialog.isVisible(); }, 60000);
        });
        EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
        CTervikView::SetPrintDialogHook({});
        EXPECT_TRUE(bClosed);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].rfind("Die Datei ist k\xFCrzer geworden", 0), 0u) << m_messages[0];
        Stop();
    }
}

// Escape while the lines are laid out: no PDF, and the status bar says why. While
// the job runs, a menu's hint gives way to the job's own text, after which the bar
// stands.
TEST_F(PrintPreview, EscapeStopsAPrintoutOfABigFile) {
    CTervikView* pView = StartOnBigFile();
    ASSERT_NE(pView, nullptr);
    const std::string pdf = m_dir.File("gross.pdf");
    QPrinter& printer = m_app->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    Frame().statusBar()->showMessage(QStringLiteral("Die aktive Datei drucken."));
    QString hintDuring = "?";
    std::string textDuring;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QProgressBar* pBar = Frame().ProgressBar();
        if (!pBar || !pBar->isVisible()) return;
        poll.stop();
        hintDuring = Frame().statusBar()->currentMessage();
        textDuring = Frame().GetMessageText();
        SaveScreenshot(*Frame().statusBar(), "print_progress_bar");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    poll.start(5);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_DIRECT));
    poll.stop();
    EXPECT_EQ(hintDuring, QString());
    EXPECT_EQ(textDuring, "Es wird gedruckt...");
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(Frame().GetMessageText(), "Der Druck wurde abgebrochen.");
    printer.setOutputFileName({});
    printer.setOutputFormat(QPrinter::NativeFormat);
}

// The setup chooses paper and orientation for the printouts to come and prints
// nothing; it shows the choice again while the program runs.
TEST_F(PrintPreview, PrinterSetupChoosesPaperAndOrientation) {
    ASSERT_NE(StartActive(Log("einrichten.log", 20)), nullptr);
    QPrinter& printer = m_app->Printer();
    auto* pView = qobject_cast<CTervikView*>(QApplication::focusWidget());
    ASSERT_NE(pView, nullptr);
    const auto linesPerPage = [&] {
        CPrintJob job(pView->GetDocument(), pView->PrintRequestOf());
        job.Begin(printer);
        return job.LinesPerPage();
    };
    const int nPortraitLines = linesPerPage();
    bool bLandscapeShown = false;
    CTervikView::SetPrintDialogHook([&](QDialog& dialog) {
        auto* pSetup = qobject_cast<CPrinterSetup*>(&dialog);
        ASSERT_NE(pSetup, nullptr);
        EXPECT_EQ(dialog.windowTitle(), "Druckereinrichtung");
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // Without a printer it says where the printout goes.
        auto* pNote = dialog.findChild<QLabel*>("printerNote");
        ASSERT_NE(pNote, nullptr);
        EXPECT_EQ(pNote->isVisible(), QPrinterInfo::availablePrinterNames().isEmpty());
        bLandscapeShown = pSetup->LandscapeButton()->isChecked();
        QComboBox* pPaper = pSetup->PaperBox();
        pPaper->setCurrentIndex(pPaper->findData(static_cast<int>(QPageSize::A5)));
        // On the circle: a wide button takes clicks only there and on its text.
        QRadioButton* pLandscape = pSetup->LandscapeButton();
        QTest::mouseClick(pLandscape, Qt::LeftButton, {}, QPoint(6, pLandscape->height() / 2));
        SaveScreenshot(dialog, "printer_setup");
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_SETUP));
    EXPECT_FALSE(bLandscapeShown);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A5);
    EXPECT_LT(linesPerPage(), nPortraitLines / 2);
    // Once more: the choice is there; Escape keeps it.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_SETUP));
    CTervikView::SetPrintDialogHook({});
    EXPECT_TRUE(bLandscapeShown);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A5);
}

} // namespace
} // namespace tervik::test
