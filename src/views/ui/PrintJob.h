#pragma once

// One print job of a document: the header, the rule and the body of every page in
// text, hex or dump form, on any QPrinter (paper, PDF, preview). The view's print
// commands and "tervik --print-pdf" both print through it.

#include "views/DisplayMode.h"
#include "views/PrintLayout.h"

#include <QFont>
#include <QPen>
#include <QString>
#include <memory>
#include <string>

class QPainter;
class QPrinter;

namespace tervik {

class CTervikDoc;

struct PrintRequest {
    DisplayMode m_eMode = DisplayMode::Text;
    bool m_bOnlySelected = false;
    // Selected lines in their colours ("In Farbe drucken").
    bool m_bColour = false;
    QString m_fontName;
    int m_nFontSize10 = 100;
};

class CPrintJob {
public:
    CPrintJob(CTervikDoc& doc, const PrintRequest& request);
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    // Prints every page, or the printer's page range, and ends the job. False when
    // Escape stopped it, memory ran out or the file became shorter than the
    // document knows it (the user has been told); pPages gets the
    // number of pages of the whole printout. A PDF file of a stopped job is removed;
    // a preview (bPreview) writes no file and keeps the pages printed so far.
    bool Run(QPrinter& printer, uint32_t* pPages = nullptr, bool bPreview = false);

    // The steps of Run, for tests and the preview. Begin needs a painter active on
    // the printer.
    void Begin(QPrinter& printer, QPainter& painter);
    // The printed lines of a text or hex job, built once under the busy pump.
    PieceBuild BuildPieces();
    uint32_t PageCount() const;
    void PrintPage(QPainter& painter, uint32_t nPage);
    // Frees the font, the pen and the pieces (the next job builds them again).
    void End();

    int LinesPerPage() const { return m_nLines; }
    int DumpGroups() const { return m_nPrintDumpColumns; }
    int MarginX() const { return m_nMarginX; }
    int MarginY() const { return m_nMarginY; }

private:
    void PrintTextSlots(QPainter& painter, uint32_t nPage, int y);
    void PrintDumpSlots(QPainter& painter, uint32_t nPage, int y);

    CTervikDoc& m_doc;
    PrintRequest m_request;
    QString m_title; // the file's name, as the system spells it
    std::unique_ptr<QFont> m_pPrintFont;
    std::unique_ptr<QPen> m_pPrintPen;
    std::unique_ptr<IPrintMeasure> m_pMeasure;
    std::unique_ptr<CBlockList> m_pPrintPieces;
    int m_nMarginX = 0;
    int m_nMarginY = 0;
    int m_nRight = 0;
    int m_nHeight = 0;
    int m_nLineHeight = 1;
    int m_nAscent = 0;
    int m_nMaxCharWidth = 1;
    int m_nLines = 1;
    int m_nPrintDumpColumns = 8;
    // A page met bytes the file no longer holds; the job ends there.
    bool m_bShorter = false;
};

} // namespace tervik
