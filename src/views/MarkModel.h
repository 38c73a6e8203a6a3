#pragma once

// The marking of a view without any window behind it: the hit test from a
// client point to a line and column, the marker pair, the columns a marking
// covers on a line, the text a copy takes and its size, and the state changes
// of mouse, Shift-key and double-click marking. The view applies the results
// (repaint, position pane, clipboard).
//
// Stable API used by the context menu and the conversions dialog:
//   MarkPos, MarkState, MarkDocument, HitGeometry, ITextMeasure, HitTest,
//   OrderedMarks, OrderMarks, MarkedColumns, MarkedTextSize, BuildMarkedText,
//   SetFirstMarkPoint, SetSecondMarkPoint, ClearMarking.

#include "views/ScrollModel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tervik {

// A position: a line (record number; the hit test may give one past the last
// record) and a 0-based display column after tab expansion. -1 = unset.
struct MarkPos {
    int64_t m_nLine = -1;
    int64_t m_nColumn = -1;

    // A column may be -1: the last column of an empty line.
    bool IsSet() const { return m_nLine >= 0; }
    friend bool operator==(const MarkPos&, const MarkPos&) = default;
};

// By line, then column.
inline bool IsBefore(const MarkPos& a, const MarkPos& b) {
    return a.m_nLine < b.m_nLine || (a.m_nLine == b.m_nLine && a.m_nColumn < b.m_nColumn);
}

// The marking state of one view.
struct MarkState {
    bool m_bMarking = false;      // a marking exists
    bool m_bMarkingShown = false; // some part was inverted at the last paint
    MarkPos m_mark1;              // first position
    MarkPos m_mark2;              // second position; not ordered during a Shift marking
    bool m_bMarkPoint = false;    // a single marker point from the context menu
    MarkPos m_point;
    bool m_bMouseDown = false; // the left button went down in the view
    bool m_bTracking = false;  // a mouse drag or a Shift-key marking is in progress
};

// What marking needs of a document. text reads a record with tabs expanded
// from display column nSkip (at most nMax characters), as ReadRecordText does
// (negative for a line the file no longer holds); length is GetRecordLength with
// tabs expanded.
struct MarkDocument {
    uint32_t nRecords = 0;
    // Characters a whole line's text may take (tab size times the longest record, + 1).
    uint32_t nMaxText = 65536;
    std::function<uint32_t(uint32_t nRecord)> length;
    std::function<int64_t(uint32_t nRecord, char* pDest, uint32_t nMax, uint32_t nSkip)> text;
    // The same columns as the document's own characters (ReadRecordChars), for a copy.
    std::function<int64_t(uint32_t nRecord, char32_t* pDest, uint32_t nMax, uint32_t nSkip)>
        chars;
    std::function<bool(uint32_t nRecord)> selected;
    // Strictly after the given record, as NextSelected; false = none.
    std::function<bool(uint32_t& nRecord)> next;
};

// Text widths for proportional fonts, in pixels, of cp1252 text as drawn.
class ITextMeasure {
public:
    virtual ~ITextMeasure() = default;
    virtual int TextWidth(std::string_view text) = 0;
};

struct HitGeometry {
    int nClientWidth = 0;
    int nClientHeight = 0;
    int nLineHeight = 1;
    int nCharWidth = 1;
    bool bFixedPitch = true;
    // The exact glyph advance of a fixed-pitch font when the painter places glyphs
    // by it (0 = nCharWidth); a rounded width drifts over long lines.
    double dAdvance = 0;
};

// Characters of a line read from the left column when measuring a proportional font.
inline constexpr uint32_t kMeasureChars = 512;

// The line and column under a client point: none outside the client area, and,
// with only selected lines shown, none below the last shown line. In the other
// modes a point below the end gives a line past the last record. pMeasure is
// needed for a proportional font only.
std::optional<MarkPos> HitTest(const ScrollState& st, const HitGeometry& g, const MarkDocument& doc,
                               int x, int y, ITextMeasure* pMeasure = nullptr);

// The pair with the first position not after the second.
std::pair<MarkPos, MarkPos> OrderedMarks(const MarkPos& a, const MarkPos& b);
void OrderMarks(MarkState& m);

// Inclusive column range.
struct ColumnRange {
    int64_t m_nFirst = 0;
    int64_t m_nLast = -1;
    int64_t Count() const { return m_nLast - m_nFirst + 1; }
};

// The marked columns of line nLine of length nLength (tabs expanded) for an
// ordered pair; none when the line has no marked part.
std::optional<ColumnRange> MarkedColumns(const MarkPos& first, const MarkPos& second, bool bBlock,
                                         int64_t nLine, int64_t nLength);

// The part of a marked range on a line shown from nLeftColumn, as characters
// of the shown text (from, count); none when it lies left of the shown text.
std::optional<std::pair<int64_t, int64_t>> ShownPart(const ColumnRange& r, int64_t nLeftColumn);

// Called now and then during a long size count or copy with lines done and the
// lines in all; false stops the work.
using MarkProgress = std::function<bool(uint64_t nDone, uint64_t nTotal)>;

// Bytes a copy of the marking takes, the terminating NUL included; 0 with no
// marking or an empty text. The pair need not be ordered. nullopt = stopped.
std::optional<uint64_t> MarkedTextSize(const MarkState& m, bool bBlock, bool bOnlySelected,
                                       const MarkDocument& doc, const MarkProgress& progress = {});

// Shorter: a line could not be read, the file became shorter; nothing is built.
enum class BuildResult { Done, Stopped, NoMemory, Shorter };

// The text of the marking as a copy takes it: the characters with tabs as runs
// of tab characters and no display conversion, CR LF between lines and none
// after the last, with only selected lines shown only those. nSizeHint (from
// MarkedTextSize) lets the text be allocated once.
BuildResult BuildMarkedText(const MarkState& m, bool bBlock, bool bOnlySelected,
                            const MarkDocument& doc, std::string& out, uint64_t nSizeHint = 0,
                            const MarkProgress& progress = {});

// The same marking as UTF-8 for the clipboard: the document's own characters (also
// those the display shows as "?"), lines joined by LF.
BuildResult BuildMarkedUtf8(const MarkState& m, bool bBlock, bool bOnlySelected,
                            const MarkDocument& doc, std::string& out, uint64_t nSizeHint = 0,
                            const MarkProgress& progress = {});

// A copy of more bytes than this asks first.
inline constexpr uint64_t kAskCopyAbove = uint64_t{256} << 20;
// "1.234.567"
std::string GroupDigits64(uint64_t n);
// The question before copying nBytes bytes.
std::string AskCopyText(uint64_t nBytes);

// --- changes of the marking ---

// Drops the marking and the marker point; true when a repaint is needed.
bool ClearMarking(MarkState& m);
// "Alles Markieren": from the start to the last column of the last line.
void MarkAll(MarkState& m, const MarkDocument& doc);
// Marker points from the context menu at a hit position.
void SetFirstMarkPoint(MarkState& m, const MarkPos& pos);
void SetSecondMarkPoint(MarkState& m, const MarkPos& pos);

// Left button down at a hit position (none outside) over a line of nLength
// columns. True when the old marking was shown and must be wiped at once. The
// first position is set only on the text of a line.
bool MouseDown(MarkState& m, const std::optional<MarkPos>& hit, int64_t nLength);

enum class MarkRepaint { None, Line, All };
struct MoveResult {
    std::optional<MarkPos> shown; // for the position pane (0-based)
    MarkRepaint eRepaint = MarkRepaint::None;
};
// Mouse moved with the button down to a hit position.
MoveResult MouseMove(MarkState& m, const std::optional<MarkPos>& hit, int64_t nLength, bool bBlock);
// Button up: orders the pair and ends the drag.
void MouseUp(MarkState& m);

// A Shift + navigation key while the top line is nTopLine of nTopLength columns.
void ShiftKeyMark(MarkState& m, uint32_t nTopLine, int64_t nTopLength);

// The delimiters that end a word for a double-click.
bool IsWordDelimiter(char c);
// The range a double-click at column nColumn of a line's whole text marks: the
// word, or the whole line on a delimiter; none beyond the text.
std::optional<ColumnRange> WordAt(std::string_view line, int64_t nColumn);

// After the block marking flag changed to stream mode: columns beyond their
// line's end move to its last column.
void OnStreamModeSwitched(MarkState& m, const MarkDocument& doc);

} // namespace tervik
