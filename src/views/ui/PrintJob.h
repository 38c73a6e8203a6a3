#pragma once

// One print job of a document: the header, the rule and the body of every page in
// text, hex or dump form, on any QPrinter (paper, PDF, preview). The view's print
// commands and "tervik --print-pdf" both print through it.

#include "views/DisplayMode.h"
#include "views/PrintLayout.h"
#include "views/PrintPager.h"

#include <QFont>
#include <QPen>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class QPrinter;

namespace tervik {

class CBusyProgress;
class CTervikDoc;
class IDocumentHost;

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
    // Escape stopped it (the status bar says so), memory ran out, the file became
    // shorter than the document knows it or the output cannot be written (the user
    // has been told); pPages gets the number of pages of the whole printout. A PDF
    // file appears only when the job is complete.
    bool Run(QPrinter& printer, uint32_t* pPages = nullptr);

    // The steps of Run, for tests and the preview. Begin needs a painter active on
    // the printer; the preview begins without one: every measure comes from the
    // printer, so its pages break where the printout's do.
    void Begin(QPrinter& printer, QPainter& painter);
    void Begin(QPrinter& printer);
    // Where the pages of a text or hex job start, found once under the busy pump.
    PieceBuild BuildPieces();
    // The same pass in slices of nRecords records, for a preview that shows its
    // first page before the last one is known.
    PieceBuild LayoutSome(uint32_t nRecords);
    bool LayoutDone() const;
    // The pages known so far; all of them once the layout is done.
    uint32_t PageCount() const;
    // Draws page nPage with the painter's origin at the printable area's corner.
    void PrintPage(QPainter& painter, uint32_t nPage);
    // A page met a record or bytes the file no longer holds.
    bool Shorter() const { return m_bShorter; }
    // Tells the user why a layout failed (memory, a shorter file); nothing for Ok
    // and Escape.
    static void TellFailure(IDocumentHost& host, PieceBuild why);
    // Frees the font, the pen and the layout (the next job builds them again).
    void End();

    int LinesPerPage() const { return m_nLines; }

private:
    // The layout under the job's progress bar, which it fills up to nShare of 1000.
    PieceBuild BuildPieces(CBusyProgress& progress, int nShare);
    void PrintTextSlots(QPainter& painter, uint32_t nPage, int y);
    void PrintDumpSlots(QPainter& painter, uint32_t nPage, int y);

    CTervikDoc& m_doc;
    PrintRequest m_request;
    QString m_title; // the file's name, as the system spells it
    std::unique_ptr<QFont> m_pPrintFont;
    std::unique_ptr<QPen> m_pPrintPen;
    std::unique_ptr<IPrintMeasure> m_pMeasure;
    std::unique_ptr<CPrintPager> m_pPager;
    std::vector<PrintPiece> m_pagePieces;
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
