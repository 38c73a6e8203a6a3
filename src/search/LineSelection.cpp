#include "search/LineSelection.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "platform/CodePage.h"
#include "search/RawScan.h"
#include "search/SearchPattern.h"
#include "search/SelectionScript.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace tervik {

std::vector<LineListItem> ParseLineList(std::string_view list) {
    std::vector<LineListItem> items;
    list = list.substr(0, kMaxLineList);
    if (list.empty()) return items;
    for (;;) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        const size_t dash = item.find('-');
        const uint32_t a = LenientNumber(item.substr(0, dash));
        const uint32_t b =
            dash == std::string_view::npos ? a : LenientNumber(item.substr(dash + 1));
        items.push_back({std::min(a, b), std::max(a, b)});
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return items;
}

std::string GroupDigits(uint32_t n) {
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3;) {
        i -= 3;
        digits.insert(i, 1, '.');
    }
    return digits;
}

Cp1252String SelectedCountMessage(uint32_t nSelected) {
    return FormatString(IDS_SELECTED_COUNT, GroupDigits(nSelected).c_str());
}

std::string DecodeHexText(std::string_view text) {
    std::string bytes;
    int nHigh = -1;
    for (char c : text) {
        const int d = HexDigitValue(c);
        if (d < 0) continue;
        if (nHigh < 0) {
            nHigh = d;
        } else {
            bytes.push_back(static_cast<char>(nHigh << 4 | d));
            nHigh = -1;
        }
    }
    if (nHigh >= 0) bytes.push_back(static_cast<char>(nHigh));
    return bytes;
}

CLineTextTest::CLineTextTest(const SelectCriteria& c) {
    if (c.m_text.empty()) return;
    m_bHex = (c.m_nFlags & SEL_HEX_STRING) != 0;
    m_bWildcards = !m_bHex && (c.m_nFlags & SEL_WILDCARDS) != 0;
    m_bFold = !m_bHex && !(c.m_nFlags & SEL_MATCH_CASE);
    m_bColumns = (c.m_nFlags & SEL_COLUMN_RANGE) != 0;
    m_nColumnFrom = m_bColumns ? c.m_nColumnFrom : 0;
    m_nColumnTo = c.m_nColumnTo;

    std::vector<std::string_view> texts;
    if (c.m_nFlags & SEL_MULTI_TEXT) {
        std::string_view rest = c.m_text;
        for (;;) {
            const size_t bar = rest.find('|');
            texts.push_back(rest.substr(0, bar));
            if (bar == std::string_view::npos) break;
            rest.remove_prefix(bar + 1);
        }
    } else {
        texts.push_back(c.m_text);
    }
    for (std::string_view text : texts) {
        std::string needle = m_bHex ? DecodeHexText(text) : std::string(text);
        if (needle.empty()) continue; // "a||b" has two alternatives, not an empty third
        if (m_bFold) UpperBuffer1252(reinterpret_cast<uint8_t*>(needle.data()), needle.size());
        // The wildcard matcher reads a C string.
        if (m_bWildcards) needle.resize(std::min(needle.size(), needle.find('\0')));
        if (needle.empty()) continue;
        m_needles.push_back(std::move(needle));
    }
    if (m_needles.empty()) {
        m_bMatchNothing = true;
        return;
    }
    for (const std::string& needle : m_needles) {
        std::string scan(m_bWildcards ? LongestLiteralRun(needle) : std::string_view(needle));
        if (scan.empty()) {
            m_scan.clear();
            return;
        }
        if (m_bFold) LowerBuffer1252(reinterpret_cast<uint8_t*>(scan.data()), scan.size());
        m_scan.push_back(std::move(scan));
    }
}

bool CLineTextTest::Matches(char* pText, uint32_t n) const {
    if (m_bMatchNothing) return false;
    const uint32_t nFrom = m_nColumnFrom;
    if (m_bColumns) {
        if (n < nFrom) return false;
        n = std::min(n, m_nColumnTo + 1);
        if (n < nFrom) return false;
    }
    char* p = pText + nFrom;
    const uint32_t nLength = n - nFrom;
    if (m_bFold) UpperBuffer1252(reinterpret_cast<uint8_t*>(p), nLength);
    p[nLength] = '\0';
    const std::string_view line(p, nLength);
    for (const std::string& needle : m_needles) {
        if (m_bWildcards ? MatchWildcardPlain(p, needle.c_str(), '*', '/')
                         : line.find(needle) != std::string_view::npos)
            return true;
    }
    return false;
}

namespace {

// Text windows hold this much of a line; one more byte takes the matcher's NUL.
constexpr uint32_t kLineBuffer = 65536;
// The clock is read once per this many records.
constexpr uint32_t kClockStride = 1024;

// One select or deselect run.
class CSelectionRun {
public:
    CSelectionRun(CTervikDoc& doc, const SelectCriteria& c, bool bSelect)
        : m_doc(doc), m_c(c), m_bSelect(bSelect), m_test(c), m_progress(doc),
          m_pre(ParseLineList(c.m_preLines)), m_post(ParseLineList(c.m_postLines)) {
        m_preDone.assign(m_pre.size(), -1);
        m_postDone.assign(m_post.size(), -1);
    }

    void Run();

private:
    bool Passes(uint32_t r);
    void Mark(uint32_t r);
    void MarkNeighbours(uint32_t r);
    // The next record at or after r that may pass the text test; UINT32_MAX: none.
    uint32_t NextCandidate(uint32_t r);

    CTervikDoc& m_doc;
    const SelectCriteria& m_c;
    bool m_bSelect;
    CLineTextTest m_test;
    CProgress m_progress;
    std::vector<LineListItem> m_pre;
    std::vector<LineListItem> m_post;
    // Per list item the last record it has already treated: ranges of later hits
    // start behind it, so long ranges do not make a run quadratic.
    std::vector<int64_t> m_preDone;
    std::vector<int64_t> m_postDone;
    std::vector<CRawScanner> m_scanners;
    std::vector<uint32_t> m_candidates; // per scanner: its next candidate
    std::unique_ptr<char[]> m_buf;
    bool m_bChanged = false;
};

void CSelectionRun::Mark(uint32_t r) {
    const bool bSelected = m_doc.IsLineSelected(r, nullptr, nullptr);
    if (m_bSelect == bSelected) return;
    m_doc.SetLineSelected(r, m_bSelect, nullptr);
    m_bChanged = true;
}

void CSelectionRun::MarkNeighbours(uint32_t r) {
    const int64_t R = r;
    const int64_t nLast = int64_t{m_doc.m_nRecords} - 1;
    for (size_t i = 0; i < m_pre.size(); ++i) {
        const int64_t hi = R - m_pre[i].m_nLow;
        int64_t lo = std::max<int64_t>(0, R - m_pre[i].m_nHigh);
        lo = std::max(lo, m_preDone[i] + 1);
        for (int64_t x = lo; x <= hi; ++x)
            Mark(static_cast<uint32_t>(x));
        if (hi >= 0) m_preDone[i] = std::max(m_preDone[i], hi);
    }
    for (size_t i = 0; i < m_post.size(); ++i) {
        int64_t lo = R + m_post[i].m_nLow;
        const int64_t hi = std::min(nLast, R + int64_t{m_post[i].m_nHigh});
        lo = std::max(lo, m_postDone[i] + 1);
        for (int64_t x = lo; x <= hi; ++x)
            Mark(static_cast<uint32_t>(x));
        if (hi >= lo) m_postDone[i] = hi;
    }
}

uint32_t CSelectionRun::NextCandidate(uint32_t r) {
    uint32_t nBest = UINT32_MAX;
    for (size_t i = 0; i < m_scanners.size(); ++i) {
        if (m_candidates[i] < r) {
            const std::optional<uint32_t> next = m_scanners[i].Next(r, m_progress);
            m_candidates[i] = next ? *next : UINT32_MAX;
        }
        nBest = std::min(nBest, m_candidates[i]);
    }
    return nBest;
}

bool CSelectionRun::Passes(uint32_t r) {
    const uint32_t nValue = m_c.m_nSizeValue;
    switch (m_c.m_nSizeTest) {
    case SIZE_NONE:
        break;
    case SIZE_LONGER:
        if (!(m_doc.GetRecordLength(r, true) > nValue)) return false;
        break;
    case SIZE_SHORTER:
        if (!(m_doc.GetRecordLength(r, true) < nValue)) return false;
        break;
    case SIZE_EQUAL:
        if (m_doc.GetRecordLength(r, true) != nValue) return false;
        break;
    case SIZE_NOT_EQUAL:
        if (m_doc.GetRecordLength(r, true) == nValue) return false;
        break;
    default:
        break;
    }
    if (!m_test.HasText()) return true;
    if (!m_scanners.empty() && NextCandidate(r) != r) return false;
    const uint32_t n =
        m_doc.GetRecordText(r, m_buf.get(), kLineBuffer, 0, m_test.ExpandTabs(), false);
    return m_test.Matches(m_buf.get(), n);
}

void CSelectionRun::Run() {
    CBusyGuard busy(m_doc.Host());
    m_buf.reset(new (std::nothrow) char[kLineBuffer + 1]);
    if (!m_buf) {
        m_doc.Host().SetStatusText(LoadString(IDS_NO_MEMORY));
        return;
    }
    // Where the file's bytes tell which lines may hold the text, the file is scanned
    // raw and only those lines are read one by one.
    if (m_test.HasText()) {
        for (const std::string& lit : m_test.ScanLiterals()) {
            auto needle = RawNeedleFor(m_doc, lit, m_test.Fold(), m_test.ExpandTabs());
            if (!needle) {
                m_scanners.clear();
                break;
            }
            m_scanners.emplace_back(m_doc, std::move(*needle));
        }
        m_candidates.assign(m_scanners.size(), 0);
    }
    // Only lines that may pass need a visit, unless already selected lines must be
    // looked at whether they pass or not.
    const bool bJump = !m_scanners.empty() && !(m_bSelect && m_c.m_bScope);
    const uint32_t nEnd = std::min(m_c.m_nEndLine, m_doc.m_nRecords);
    m_doc.BeginBulkSelect();
    for (uint32_t r = std::min(m_c.m_nFirstLine, nEnd); r < nEnd; ++r) {
        if (r % kClockStride == 0) m_progress.Show(r);
        if (bJump) {
            r = NextCandidate(r);
            if (r >= nEnd) break;
        }
        if (EscapePressed(m_doc)) break;
        const bool bSelected = m_doc.IsLineSelected(r, nullptr, nullptr);
        if (m_bSelect && m_c.m_bScope) {
            if (!bSelected) continue;
            m_doc.SetLineSelected(r, false, nullptr);
            m_bChanged = true;
        } else if (!m_bSelect && !bSelected) {
            continue;
        }
        if (!Passes(r)) continue;
        Mark(r);
        MarkNeighbours(r);
    }
    m_doc.EndBulkSelect();
    if (m_bChanged) m_doc.UpdateAllViews(nullptr, HINT_SELECTION);
    m_doc.Host().SetStatusText(SelectedCountMessage(m_doc.SelectedCount()));
}

void RunByCriteria(CTervikDoc& doc, const SelectCriteria& c, bool bSelect) {
    IDocumentHost& host = doc.Host();
    if (host.IsRecordingScript()) host.RecordScript(ScriptSelectLine(c, doc.m_nRecords));
    if (!c.m_text.empty() && c.m_pHistory)
        EnterIntoHistory(*c.m_pHistory, {c.m_nFlags, c.m_nColumnFrom, c.m_nColumnTo, c.m_text});
    CSelectionRun(doc, c, bSelect).Run();
}

} // namespace

void SelectByCriteria(CTervikDoc& doc, const SelectCriteria& criteria) {
    RunByCriteria(doc, criteria, true);
}

void DeselectByCriteria(CTervikDoc& doc, const SelectCriteria& criteria) {
    RunByCriteria(doc, criteria, false);
}

void InvertSelection(CTervikDoc& doc) {
    IDocumentHost& host = doc.Host();
    if (host.IsRecordingScript()) host.RecordScript(kScriptInvertLine);
    CBusyGuard busy(host);
    doc.BeginBulkSelect();
    // Without abort, but the window stays painted.
    for (uint32_t r = 0; r < doc.m_nRecords; ++r) {
        if ((r & 0xFFFF) == 0) host.ServeBusy();
        doc.SetLineSelected(r, !doc.IsLineSelected(r, nullptr, nullptr), nullptr);
    }
    doc.EndBulkSelect();
    doc.UpdateAllViews(nullptr, HINT_SELECTION);
    host.SetStatusText(SelectedCountMessage(doc.SelectedCount()));
}

} // namespace tervik
