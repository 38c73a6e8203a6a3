#pragma once

// The layout of a printout without any printer behind it: how records are cut into
// printed lines (pieces) that fit the page width, how many lines and pages there
// are, and the text of a printed dump row. The view's printing paints what this
// computes.

#include "document/BlockList.h"
#include "views/DisplayMode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tervik {

// One printed text line: nCount characters of record nRecord from column nStart
// (after tab expansion).
struct PrintPiece {
    uint32_t m_nRecord = 0;
    uint32_t m_nStart = 0;
    uint32_t m_nCount = 0;
    bool operator==(const PrintPiece&) const = default;
};
static_assert(sizeof(PrintPiece) == 12);

// Text widths in printer units with the print font.
class IPrintMeasure {
public:
    virtual ~IPrintMeasure() = default;
    virtual int64_t TextWidth(std::string_view text) const = 0;
    // The most leading characters of text no wider than nWidth. The default asks
    // TextWidth by halving (widths never shrink as text grows).
    virtual size_t FitCount(std::string_view text, int64_t nWidth) const;
};

// A fixed-pitch font needs no measuring per character: the count that fits is the
// width divided by the advance.
class CFixedPitchMeasure : public IPrintMeasure {
public:
    explicit CFixedPitchMeasure(double dAdvance) : m_dAdvance(dAdvance > 0 ? dAdvance : 1) {}
    int64_t TextWidth(std::string_view text) const override;
    size_t FitCount(std::string_view text, int64_t nWidth) const override;

private:
    double m_dAdvance;
};

// The characters of the next printed line of rest: as many as fit nWidth, at least
// one; none for an empty rest.
size_t PrintPieceLength(std::string_view rest, int64_t nWidth, const IPrintMeasure& measure);

// Appends the pieces of one record's text (tabs expanded) to fit nWidth: as many
// characters as fit, at least one per piece; an empty text gives one empty piece.
// False when the list has no memory left.
bool AppendRecordPieces(CBlockList& pieces, uint32_t nRecord, std::string_view text, int64_t nWidth,
                        const IPrintMeasure& measure);

// What the pieces are built from. text reads a record from column 0 with tabs
// expanded and made printable, at most nMax characters, answering the count, or a
// negative number for a record the file no longer holds. selected answers the i-th
// selected record.
struct PrintSource {
    uint32_t nRecords = 0;
    bool bOnlySelected = false;
    uint32_t nSelected = 0;
    std::function<int64_t(uint32_t nRecord, char* pDest, uint32_t nMax)> text;
    std::function<bool(uint32_t nIndex, uint32_t& nRecord)> selected;
    // Called every few thousand records with the share done (0..1000); false
    // stops the build (Escape).
    std::function<bool(int nPermille)> progress;
};

class CTervikDoc;
// A document as the pieces read it: the display text after the character-set
// conversion, and the selected records through the document's index of them.
PrintSource DocumentPrintSource(CTervikDoc& doc, bool bOnlySelected);

// Shorter: a record could not be read, the file became shorter.
enum class PieceBuild { Ok, Cancelled, NoMemory, Shorter };

// At most this many characters of a record are printed.
inline constexpr uint32_t kPrintMaxChars = 32768;

// Builds the list of 12-byte pieces of every record (or every selected one) in order.
PieceBuild BuildPrintPieces(const PrintSource& source, int64_t nWidth, const IPrintMeasure& measure,
                            std::unique_ptr<CBlockList>& pPieces);

// Text lines on a page: (printable height - 2 * top margin) / line height - 3 (the
// header and the gap under it), never less than 1.
int PrintLinesPerPage(int64_t nPrintableHeight, int64_t nMarginY, int64_t nLineHeight);
// Items per page: lines, records with their two hex rows (a third), or dump rows.
int PrintSlotsPerPage(int nLinesPerPage, DisplayMode eMode);
// Pages for nItems items (pieces or dump rows), at least one.
uint32_t PrintPageCount(uint64_t nItems, int nSlotsPerPage);
// Dump rows of a file of nFileSize bytes; a last partial row counts.
uint64_t PrintDumpRows(uint64_t nFileSize, int nGroups);

// The printed dump row of the n bytes at nOffset (n at most a row): offsets in
// hex and decimal, the groups, then the characters between '>' and '<'. 8 and 4
// groups differ in their spacing.
std::string BuildPrintDumpRow(uint64_t nOffset, const uint8_t* pBytes, size_t n, int nGroups);
// 8 groups unless a full row of 8 is wider than nRight, then 4. The sample row has
// the file's largest offset: a longer decimal offset widens the row.
int ChoosePrintDumpGroups(const IPrintMeasure& measure, int64_t nRight, uint64_t nFileSize);

} // namespace tervik
