#pragma once

// The window that shows a document as text lines, as text with two hex-digit rows
// under each line, or as a dump of the raw bytes.

#include "document/TervikDoc.h"
#include "framework/CommandTarget.h"
#include "views/DisplayMode.h"
#include "views/HitPlacement.h"
#include "views/MarkModel.h"
#include "views/ScrollModel.h"
#include "views/ui/PrintJob.h"
#include "views/ui/ViewPens.h"
#include "views/ui/ViewSearch.h"

#include <QAbstractScrollArea>
#include <QRawFont>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QDialog;
class QPrinter;

namespace tervik {

// A coloured span over a text line: a bookmark.
struct SpanOverlay {
    uint32_t m_nColumn = 0;
    uint32_t m_nLength = 0;
    bool m_bActive = false;
};

class IViewHost;

class CTervikView : public QAbstractScrollArea, public IDocumentView, public CCommandTarget {
    Q_OBJECT
public:
    // pHost may be nullptr: the view then works on its own.
    CTervikView(CTervikDoc& doc, IViewHost* pHost, QWidget* pParent = nullptr);
    ~CTervikView() override;

    // A line shows at most this many characters from its left column.
    static constexpr uint32_t kMaxColumns = 511;

    CTervikDoc& GetDocument() const { return m_doc; }
    void OnUpdate(IDocumentView* pSender, unsigned nHint) override;
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    // --- state ---
    DisplayMode Mode() const { return m_st.m_eMode; }
    uint32_t TopLine() const { return m_st.m_nTopLine; }
    uint64_t DumpTop() const { return m_st.m_nDumpTop; }
    int LeftColumn() const { return m_st.m_nLeftColumn; }
    int DumpColumns() const { return m_st.m_nDumpColumns; }
    bool OnlySelected() const { return m_st.m_bOnlySelected; }
    int LineHeight() const { return m_nLineHeight; }
    int CharWidth() const { return m_nCharWidth; }
    int VisibleLines() const { return m_st.m_nVisibleLines; }
    const QString& FontName() const { return m_fontName; }
    int FontSize10() const { return m_nFontSize10; }

    // --- operations other parts call ---
    void SetMode(DisplayMode eMode);
    void SetDumpColumns(int nGroups);
    void SetTopLine(uint32_t nLine);
    // A workspace puts back the place, the mode and the line filter; positions
    // beyond the document are brought inside it.
    void RestoreState(DisplayMode eMode, uint32_t nTopLine, int nLeftColumn, uint64_t nDumpTop,
                      bool bOnlySelected);
    void SetFontChoice(const QString& name, int nSize10);
    // Scrolling as the bars, keys and wheel do; bPropagate lets synchronous
    // scrolling move the other views.
    void OnVScroll(ScrollCode code, int nThumbPos, bool bPropagate);
    void OnHScroll(ScrollCode code, int nThumbPos, bool bPropagate);
    void ReportPosition();
    void UpdateScrollRanges();
    // The dump box shows this view's row width, or nothing outside the dump.
    void UpdateDumpBox();

    TextHit m_textHit;
    DumpHit m_dumpHit;
    // The view's identity in workspaces and bookmarks.
    uint64_t m_nViewId;

    // --- commands ---
    void OnViewText();
    void OnViewHex();
    void OnViewDump();
    void OnUpdateViewText(CCmdUI& ui);
    void OnUpdateViewHex(CCmdUI& ui);
    void OnUpdateViewDump(CCmdUI& ui);
    void OnViewFont();
    void OnOnlySelected();
    void OnUpdateOnlySelected(CCmdUI& ui);
    void OnGotoLine();
    // Counts the file's bytes into a CSV in the temporary folder and opens it.
    void OnCharFrequency();
    // While set, the hook gets the path of a file to open with its desktop program
    // instead of xdg-open (tests start no program).
    using OpenFileHook = std::function<void(const std::string& path)>;
    static void SetOpenFileHook(OpenFileHook hook);

    // --- marking (text and hex modes) ---
    // Used by the context menu and the conversions dialog; positions are record
    // numbers and 0-based display columns after tab expansion.
    const MarkState& Marking() const { return m_mark; }
    bool HasMarking() const { return m_mark.m_bMarking; }
    // The marker pair ordered, first not after second; none without a marking.
    std::optional<std::pair<MarkPos, MarkPos>> MarkedRange() const;
    // The marked text as a copy takes it: cp1252, tabs as runs of tab characters,
    // no OEM/EBCDIC display conversion, CR LF between lines. Empty without a
    // marking or when memory cannot be had.
    std::string MarkedText() const;
    // Bytes of a copy with its terminating NUL (0 = nothing to copy); the
    // context menu shows this minus 1 as the marked bytes.
    uint64_t MarkedTextSize() const;
    // The line and column under a viewport point; none outside the text area.
    std::optional<MarkPos> HitTestPoint(const QPoint& pt) const;
    // The marker point commands of the context menu at a hit position.
    void SetMarkPoint(bool bSecond, const MarkPos& pos);
    // Copies the marking to the clipboard (the main frame's copy command).
    void CopyMarking();
    // What marking reads of the document.
    MarkDocument DocumentForMark() const;
    void OnMarkAll();
    void OnMarkClear();
    void OnUpdateMarkClear(CCmdUI& ui);
    // --- parts ---
    // The right-button menu and the pens.
    CViewPens& Pens() { return m_pens; }
    // Search and the line-selection commands.
    CViewSearch& Searching() { return m_search; }

    // --- printing ---
    // The print dialog, printing without it, and the preview; the printer setup is
    // the application's, kept while the program runs.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // What a print of this view asks for: its mode, its line filter, its font and
    // the main frame's colour switch.
    PrintRequest PrintRequestOf() const;
    // "Druckereinrichtung": printer, paper and orientation onto the printer.
    static void PrinterSetup(QPrinter& printer, QWidget* pParent);
    // While set, the hook gets the print and preview dialogs instead of them being
    // run (tests look at them and close them).
    using PrintDialogHook = std::function<void(QDialog&)>;
    static void SetPrintDialogHook(PrintDialogHook hook);

signals:
    // The view became the one the user works with.
    void Activated(CTervikView* pView);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    // The right button and the pens are served before the marking sees the mouse.
    bool viewportEvent(QEvent* pEvent) override;

private:
    void ApplyFont();
    void OnBarAction(bool bHorizontal, int nAction);
    ScrollDocument DocumentForScroll() const;
    // The known part of the file in bytes.
    uint64_t DocumentSize() const;
    void PaintTextRows(class QPainter& painter);
    void PaintDumpRows(class QPainter& painter);
    // A span at column nColumn of nLength characters over a line shown from the
    // left column; true when any of it lies at or right of the left column.
    bool DrawSpan(QPainter& painter, int y, std::string_view line, uint32_t nColumn,
                  uint32_t nLength, const QColor& back);
    std::vector<SpanOverlay> BookmarkSpans(uint32_t nRecord) const;
    // The marked columns of a record of nLength columns, none when it is not marked.
    std::optional<ColumnRange> MarkedColumns(uint32_t nRecord, int64_t nLength) const;
    // Inverts characters nFrom..nFrom+nCount of a shown line (the marking).
    void InvertCells(QPainter& painter, int y, std::string_view line, int64_t nFrom,
                     int64_t nCount);
    // Draws characters nFrom..nFrom+nCount of a cp1252 line on a cell background,
    // placed as if the whole line were drawn from x = 0.
    void DrawCells(QPainter& painter, int y, std::string_view line, int nFrom, int nCount,
                   const QColor& back, const QColor& fore);

    // Mouse marking: a move with the button down, and the edge scrolling.
    void MarkMouseMove(QPoint pt);
    void OnMarkTimer();
    // Shift with a navigation key marks from the top line; true when handled.
    void MarkByKey(const QKeyEvent& event);
    bool BlockMarking() const;

    CTervikDoc& m_doc;
    IViewHost* m_pHost;
    ScrollState m_st{};
    uint32_t m_nTrackTop = 0;
    // The document as this view last drew it: records and bytes.
    uint32_t m_nKnownRecords = 0;
    uint64_t m_nKnownSize = 0;
    int m_nLineHeight = 16;
    int m_nAscent = 12;
    int m_nCharWidth = 8;
    bool m_bFixedPitch = true;
    QString m_fontName;
    int m_nFontSize10 = 100;
    bool m_bUpdatingBars = false;
    // Fixed-pitch fonts draw from a glyph table: no text layout per line.
    QRawFont m_rawFont;
    QColor m_windowColour;
    quint32 m_glyphs[256] = {};
    qreal m_dAdvance = 8;
    std::vector<quint32> m_runGlyphs;
    std::vector<QPointF> m_runPositions;
    // The marking and its drag.
    MarkState m_mark;
    QTimer m_markTimer; // scrolls while a drag is at the edge
    QPoint m_lastMousePos;

    // The parts: each works on the view's state.
    friend class CViewPens;
    friend class CViewSearch;
    CViewPens m_pens{*this};
    CViewSearch m_search{*this};
};

} // namespace tervik
