#include "views/MarkModel.h"

#include "base/Strings.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace tervik {

namespace {

uint32_t LineLength(const MarkDocument& doc, int64_t nLine) {
    if (nLine < 0 || nLine >= static_cast<int64_t>(doc.nRecords) || !doc.length) return 0;
    return doc.length(static_cast<uint32_t>(nLine));
}

// Progress is reported every this many lines.
constexpr uint64_t kProgressLines = 1024;

// Walks the lines from l1 to l2 (only the selected ones when asked), calling
// f(record, bFirstCopied); false when the progress callback stopped it.
template <class F>
bool ForEachMarkedLine(int64_t l1, int64_t l2, bool bOnlySelected, const MarkDocument& doc,
                       const MarkProgress& progress, F&& f) {
    if (doc.nRecords == 0 || l1 < 0) return true;
    l2 = std::min<int64_t>(l2, static_cast<int64_t>(doc.nRecords) - 1);
    if (l1 > l2) return true;
    uint32_t r = static_cast<uint32_t>(l1);
    if (bOnlySelected && !(doc.selected && doc.selected(r))) {
        if (!doc.next || !doc.next(r)) return true;
    }
    const uint64_t nTotal = static_cast<uint64_t>(l2 - l1 + 1);
    bool bFirst = true;
    uint64_t nSteps = 0;
    while (static_cast<int64_t>(r) <= l2) {
        if (progress && ++nSteps % kProgressLines == 0 &&
            !progress(static_cast<uint64_t>(r - l1), nTotal))
            return false;
        if (!f(r, bFirst)) return false;
        bFirst = false;
        if (bOnlySelected) {
            if (!doc.next || !doc.next(r)) break;
        } else {
            if (static_cast<int64_t>(r) == l2) break;
            ++r;
        }
    }
    return true;
}

// The characters of a line of nLength columns a copy takes: (first, count).
std::pair<int64_t, int64_t> CopiedPart(const MarkPos& first, const MarkPos& second, bool bBlock,
                                       int64_t nLine, int64_t nLength) {
    const auto r = MarkedColumns(first, second, bBlock, nLine, nLength);
    if (!r) return {0, 0};
    const int64_t s = std::max<int64_t>(0, r->m_nFirst);
    const int64_t e = std::min(r->m_nLast, nLength - 1);
    return {s, std::max<int64_t>(0, e - s + 1)};
}

} // namespace

std::optional<MarkPos> HitTest(const ScrollState& st, const HitGeometry& g, const MarkDocument& doc,
                               int x, int y, ITextMeasure* pMeasure) {
    if (x < 0 || y < 0 || x >= g.nClientWidth || y >= g.nClientHeight) return std::nullopt;
    int64_t nRow = y / std::max(1, g.nLineHeight);
    if (st.m_eMode == DisplayMode::Hex) nRow /= 3;
    MarkPos pos;
    if (st.m_bOnlySelected) {
        // Row k is the k-th selected line after the top line.
        if (st.m_nTopLine >= doc.nRecords) return std::nullopt;
        uint32_t r = st.m_nTopLine;
        for (int64_t k = 0; k < nRow; ++k)
            if (!doc.next || !doc.next(r)) return std::nullopt;
        pos.m_nLine = r;
    } else {
        pos.m_nLine = static_cast<int64_t>(st.m_nTopLine) + nRow;
    }
    const int64_t nLeft = st.m_nLeftColumn;
    if (g.bFixedPitch || !pMeasure) {
        pos.m_nColumn = (g.dAdvance > 0 ? static_cast<int64_t>(x / g.dAdvance)
                                        : x / std::max(1, g.nCharWidth)) +
                        nLeft;
        return pos;
    }
    // Proportional: the first character whose right edge lies right of x.
    uint32_t n = 0;
    char text[kMeasureChars];
    if (pos.m_nLine < static_cast<int64_t>(doc.nRecords) && doc.text)
        n = static_cast<uint32_t>(
            std::clamp<int64_t>(doc.text(static_cast<uint32_t>(pos.m_nLine), text, kMeasureChars,
                                         static_cast<uint32_t>(nLeft)),
                                0, kMeasureChars));
    // Prefix widths grow with the prefix: the smallest i with x < width(i).
    uint32_t lo = 1, hi = n + 1;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (x < pMeasure->TextWidth(std::string_view(text, mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    pos.m_nColumn = lo <= n ? nLeft + lo - 1 : LineLength(doc, pos.m_nLine);
    return pos;
}

std::pair<MarkPos, MarkPos> OrderedMarks(const MarkPos& a, const MarkPos& b) {
    if (IsBefore(b, a)) return {b, a};
    return {a, b};
}

void OrderMarks(MarkState& m) {
    std::tie(m.m_mark1, m.m_mark2) = OrderedMarks(m.m_mark1, m.m_mark2);
}

std::optional<ColumnRange> MarkedColumns(const MarkPos& first, const MarkPos& second, bool bBlock,
                                         int64_t nLine, int64_t nLength) {
    const int64_t l1 = first.m_nLine, l2 = second.m_nLine;
    if (nLine < l1 || nLine > l2) return std::nullopt;
    int64_t s, e;
    if (bBlock) {
        s = std::min(first.m_nColumn, second.m_nColumn);
        e = std::max(first.m_nColumn, second.m_nColumn);
        if (nLength <= s) return std::nullopt;
        e = std::min(e, nLength - 1);
    } else if (l1 == l2) {
        s = first.m_nColumn;
        e = second.m_nColumn;
    } else if (nLine == l1) {
        s = first.m_nColumn;
        e = nLength - 1;
    } else if (nLine == l2) {
        s = 0;
        e = second.m_nColumn;
    } else {
        s = 0;
        e = nLength - 1;
    }
    s = std::max<int64_t>(0, s);
    if (e < s) return std::nullopt;
    return ColumnRange{s, e};
}

std::optional<std::pair<int64_t, int64_t>> ShownPart(const ColumnRange& r, int64_t nLeftColumn) {
    if (r.m_nLast < nLeftColumn || r.m_nLast < r.m_nFirst) return std::nullopt;
    const int64_t s = std::max(r.m_nFirst, nLeftColumn);
    return std::make_pair(s - nLeftColumn, r.m_nLast - s + 1);
}

std::optional<uint64_t> MarkedTextSize(const MarkState& m, bool bBlock, bool bOnlySelected,
                                       const MarkDocument& doc, const MarkProgress& progress) {
    if (!m.m_bMarking || !m.m_mark1.IsSet() || !m.m_mark2.IsSet()) return 0;
    // Named references, not a structured binding: clang before 16 cannot capture those.
    const auto ordered = OrderedMarks(m.m_mark1, m.m_mark2);
    const MarkPos& first = ordered.first;
    const MarkPos& second = ordered.second;
    uint64_t nBytes = 0, nLines = 0;
    const bool bDone = ForEachMarkedLine(
        first.m_nLine, second.m_nLine, bOnlySelected, doc, progress, [&](uint32_t r, bool) {
            nBytes +=
                static_cast<uint64_t>(CopiedPart(first, second, bBlock, r, doc.length(r)).second);
            ++nLines;
            return true;
        });
    if (!bDone) return std::nullopt;
    if (nLines == 0) return 0;
    // CR LF between the lines, a NUL at the end.
    return nBytes + 2 * (nLines - 1) + 1;
}

namespace {

// The copied parts of the marked lines, joined by sep: read(r, nMax) reads a whole line
// into a scratch of T and answers its characters (negative for a line the file lost),
// append(out, p, n) adds n of them to the text.
template <class T, class Read, class Append>
BuildResult BuildMarked(const MarkState& m, bool bBlock, bool bOnlySelected,
                        const MarkDocument& doc, std::string& out, uint64_t nReserve,
                        std::string_view sep, const MarkProgress& progress, Read read,
                        Append append) {
    out.clear();
    if (!m.m_bMarking || !m.m_mark1.IsSet() || !m.m_mark2.IsSet()) return BuildResult::Done;
    // Named references, not a structured binding: clang before 16 cannot capture those.
    const auto ordered = OrderedMarks(m.m_mark1, m.m_mark2);
    const MarkPos& first = ordered.first;
    const MarkPos& second = ordered.second;
    std::unique_ptr<T[]> scratch(new (std::nothrow) T[std::max<uint32_t>(1, doc.nMaxText)]);
    if (!scratch) return BuildResult::NoMemory;
    try {
        if (nReserve > 0) out.reserve(static_cast<size_t>(nReserve));
        bool bShorter = false;
        const bool bDone =
            ForEachMarkedLine(first.m_nLine, second.m_nLine, bOnlySelected, doc, progress,
                              [&](uint32_t r, bool bFirst) {
                                  if (!bFirst) out.append(sep);
                                  // Reading the whole line gives its length too.
                                  const int64_t n = read(r, scratch.get());
                                  // A line the file lost is no empty line.
                                  if (n < 0) {
                                      bShorter = true;
                                      return false;
                                  }
                                  const auto [s, k] = CopiedPart(first, second, bBlock, r, n);
                                  if (k > 0) append(out, scratch.get() + s, static_cast<size_t>(k));
                                  return true;
                              });
        if (!bDone) {
            std::string().swap(out);
            return bShorter ? BuildResult::Shorter : BuildResult::Stopped;
        }
    } catch (const std::bad_alloc&) {
        std::string().swap(out);
        return BuildResult::NoMemory;
    } catch (const std::length_error&) {
        std::string().swap(out);
        return BuildResult::NoMemory;
    }
    return BuildResult::Done;
}

} // namespace

BuildResult BuildMarkedText(const MarkState& m, bool bBlock, bool bOnlySelected,
                            const MarkDocument& doc, std::string& out, uint64_t nSizeHint,
                            const MarkProgress& progress) {
    return BuildMarked<char>(
        m, bBlock, bOnlySelected, doc, out, nSizeHint > 1 ? nSizeHint - 1 : 0, "\r\n", progress,
        [&](uint32_t r, char* p) { return doc.text ? doc.text(r, p, doc.nMaxText, 0) : 0; },
        [](std::string& text, const char* p, size_t n) { text.append(p, n); });
}

BuildResult BuildMarkedUtf8(const MarkState& m, bool bBlock, bool bOnlySelected,
                            const MarkDocument& doc, std::string& out, uint64_t nSizeHint,
                            const MarkProgress& progress) {
    return BuildMarked<char32_t>(
        m, bBlock, bOnlySelected, doc, out, nSizeHint > 1 ? nSizeHint - 1 : 0, "\n", progress,
        [&](uint32_t r, char32_t* p) { return doc.chars ? doc.chars(r, p, doc.nMaxText, 0) : 0; },
        [](std::string& text, const char32_t* p, size_t n) { AppendCharsUtf8(text, p, n); });
}

std::string GroupDigits64(uint64_t n) {
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, 1, '.');
    return digits;
}

std::string AskCopyText(uint64_t nBytes) {
    return FormatString(IDS_ASK_COPY_LARGE, GroupDigits64(nBytes).c_str());
}

bool ClearMarking(MarkState& m) {
    const bool bRepaint = m.m_bMarking || m.m_bMarkPoint;
    m.m_bMarking = false;
    m.m_bMarkingShown = false;
    m.m_mark1 = m.m_mark2 = MarkPos{};
    m.m_bMarkPoint = false;
    m.m_point = MarkPos{};
    m.m_bTracking = false;
    return bRepaint;
}

void MarkAll(MarkState& m, const MarkDocument& doc) {
    ClearMarking(m);
    if (doc.nRecords == 0) return;
    const int64_t nLast = static_cast<int64_t>(doc.nRecords) - 1;
    m.m_bMarking = true;
    m.m_mark1 = {0, 0};
    // The last column with tabs expanded, so a last line with tabs is taken whole.
    m.m_mark2 = {nLast, static_cast<int64_t>(LineLength(doc, nLast)) - 1};
}

void SetFirstMarkPoint(MarkState& m, const MarkPos& pos) {
    if (!m.m_bMarking) {
        m.m_bMarkPoint = true;
        m.m_point = pos;
        return;
    }
    m.m_mark1 = pos;
    OrderMarks(m);
}

void SetSecondMarkPoint(MarkState& m, const MarkPos& pos) {
    if (!m.m_bMarking) {
        // Without a point the click becomes both ends.
        m.m_mark1 = m.m_bMarkPoint ? m.m_point : pos;
        m.m_mark2 = pos;
        m.m_bMarking = true;
        m.m_bMarkPoint = false;
        m.m_point = MarkPos{};
    } else {
        m.m_mark2 = pos;
    }
    OrderMarks(m);
}

bool MouseDown(MarkState& m, const std::optional<MarkPos>& hit, int64_t nLength) {
    const bool bWipe = m.m_bMarking && m.m_bMarkingShown;
    m.m_bMarking = false;
    m.m_bMarkingShown = false;
    m.m_bMouseDown = true;
    m.m_bTracking = false;
    m.m_mark1 = m.m_mark2 = MarkPos{};
    if (hit && hit->m_nColumn < nLength) m.m_mark1 = *hit;
    return bWipe;
}

MoveResult MouseMove(MarkState& m, const std::optional<MarkPos>& hit, int64_t nLength,
                     bool bBlock) {
    MoveResult res;
    if (!hit) return res;
    MarkPos pos = *hit;
    if (pos.m_nColumn < nLength) {
        if (!m.m_mark1.IsSet()) return res;
    } else if (!bBlock) {
        pos.m_nColumn = nLength - 1;
    }
    res.shown = pos;
    if (!m.m_mark1.IsSet()) m.m_mark1 = pos;
    // The drag starts at the first position, so the first step already marks.
    if (!m.m_mark2.IsSet()) m.m_mark2 = m.m_mark1;
    if (pos == m.m_mark2) return res;
    const bool bSameLine = pos.m_nLine == m.m_mark2.m_nLine;
    m.m_mark2 = pos;
    m.m_bMarking = true;
    m.m_bMarkPoint = false;
    m.m_point = MarkPos{};
    res.eRepaint = bSameLine && !bBlock ? MarkRepaint::Line : MarkRepaint::All;
    return res;
}

void MouseUp(MarkState& m) {
    if (m.m_bTracking) {
        OrderMarks(m);
        m.m_bTracking = false;
    }
    m.m_bMouseDown = false;
}

void ShiftKeyMark(MarkState& m, uint32_t nTopLine, int64_t nTopLength) {
    if (!(m.m_bTracking && m.m_bMarking && !m.m_bMouseDown)) {
        m.m_bMarking = true;
        m.m_bMarkingShown = false;
        m.m_mark1 = {nTopLine, 0};
        m.m_bTracking = true;
        m.m_bMarkPoint = false;
        m.m_point = MarkPos{};
    }
    m.m_mark2 = {nTopLine, nTopLength - 1};
}

bool IsWordDelimiter(char c) {
    switch (c) {
    case ' ':
    case '\t':
    case ',':
    case '.':
    case '-':
    case ';':
    case ':':
    case '!':
    case '"':
    case '\'':
    case '\\':
    case '?':
    case '(':
    case ')':
    case '/':
    case '=':
    case '+':
    case '*':
    case '%':
    case '[':
    case ']':
    case '{':
    case '}':
    case '&':
        return true;
    default:
        return false;
    }
}

std::optional<ColumnRange> WordAt(std::string_view line, int64_t nColumn) {
    const auto n = static_cast<int64_t>(line.size());
    if (nColumn < 0 || nColumn >= n) return std::nullopt;
    const auto at = [&](int64_t i) { return line[static_cast<size_t>(i)]; };
    if (IsWordDelimiter(at(nColumn))) return ColumnRange{0, n - 1};
    int64_t s = nColumn, e = nColumn;
    while (s > 0 && !IsWordDelimiter(at(s - 1)))
        --s;
    while (e + 1 < n && !IsWordDelimiter(at(e + 1)))
        ++e;
    return ColumnRange{s, e};
}

void OnStreamModeSwitched(MarkState& m, const MarkDocument& doc) {
    if (!m.m_bMarking) return;
    const auto clamp = [&](MarkPos& p) {
        const int64_t n = LineLength(doc, p.m_nLine);
        if (p.m_nColumn > n) p.m_nColumn = n - 1;
    };
    clamp(m.m_mark1);
    if (m.m_mark2.m_nLine != m.m_mark1.m_nLine) clamp(m.m_mark2);
}

} // namespace tervik
