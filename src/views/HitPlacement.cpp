#include "views/HitPlacement.h"

#include "document/TervikDoc.h"

#include <algorithm>

namespace tervik {

std::optional<SearchStart> ChooseSearchStart(CTervikDoc& doc, const ScrollState& st,
                                             const SearchPattern& pattern, bool bBackward,
                                             const TextHit& textHit, const DumpHit& dumpHit) {
    const int nFixed = FixedLength(pattern);
    if (pattern.m_bytes.empty() || nFixed <= 0) return std::nullopt;
    SearchStart s;
    if (st.m_eMode == DisplayMode::Dump) {
        const bool bHit = dumpHit.m_bValid && dumpHit.m_bShown;
        const auto nTop = static_cast<int64_t>(std::min<uint64_t>(st.m_nDumpTop, INT64_MAX));
        s.m_nOffset = !bHit ? nTop : bBackward ? dumpHit.m_nOffset - 1 : dumpHit.m_nOffset + 1;
        if (s.m_nOffset < 0) return std::nullopt;
        return s;
    }
    const bool bAnchored = IsAnchoredWildcard(pattern);
    const bool bHit = textHit.m_bValid && textHit.m_bShown;
    if (!bHit) {
        s.m_nLine = st.m_nTopLine;
        s.m_nColumn = bBackward && bAnchored ? 0 : std::max(0, st.m_nLeftColumn);
        return s;
    }
    const auto nHitColumn = static_cast<int>(std::min<uint32_t>(textHit.m_nColumn, INT32_MAX));
    if (!bBackward) {
        if (bAnchored) {
            if (textHit.m_nLine == UINT32_MAX) return std::nullopt;
            s.m_nLine = textHit.m_nLine + 1;
            s.m_nColumn = 0;
        } else {
            s.m_nLine = textHit.m_nLine;
            s.m_nColumn = nHitColumn == INT32_MAX ? nHitColumn : nHitColumn + 1;
        }
        return s;
    }
    if (nHitColumn > 0) {
        s.m_nLine = textHit.m_nLine;
        s.m_nColumn = bAnchored ? 0 : nHitColumn - 1;
        return s;
    }
    for (uint32_t r = textHit.m_nLine; r-- > 0;) {
        const uint32_t nLen = doc.GetRecordLength(r, true);
        if (nLen >= static_cast<uint32_t>(nFixed)) {
            s.m_nLine = r;
            s.m_nColumn = bAnchored ? 0
                                    : static_cast<int>(std::min<uint32_t>(nLen, kSearchWindow)) -
                                          std::min(nFixed, static_cast<int>(kSearchWindow));
            return s;
        }
    }
    return std::nullopt;
}

bool PlaceTextHit(ScrollState& st, uint32_t nHitLine, uint32_t nHitColumn, uint32_t nHitLength,
                  bool bBackward, const std::function<bool(int column)>& isColumnVisible) {
    const int64_t R = st.m_nVisibleLines;
    const int64_t k = R < 1 ? 2 : R <= 3 ? 0 : R <= 5 ? 1 : 2;
    const int64_t nTop = st.m_nTopLine;
    const int64_t nHit = nHitLine;
    bool bMoved = false;
    auto setTop = [&](int64_t n) {
        const auto nNew = static_cast<uint32_t>(std::clamp<int64_t>(n, 0, UINT32_MAX));
        bMoved |= nNew != st.m_nTopLine;
        st.m_nTopLine = nNew;
    };
    if (!bBackward) {
        if (nHit >= nTop + (R <= 1 ? R : R - 1)) setTop(nHit - k);
    } else if (nHit < nTop) {
        setTop(nHit + 2 * k - R);
    }

    const auto nCol = static_cast<int64_t>(nHitColumn);
    const auto nLen = static_cast<int64_t>(nHitLength);
    if (nCol < st.m_nLeftColumn) {
        st.m_nLeftColumn = static_cast<int>(std::max<int64_t>(0, nCol - 2));
        return true;
    }
    const auto nBehind = static_cast<int>(std::min<int64_t>(nCol + nLen, INT32_MAX));
    const int64_t nStep = std::max<int64_t>(1, 2 * nLen);
    while (st.m_nLeftColumn < nCol && !isColumnVisible(nBehind)) {
        st.m_nLeftColumn = static_cast<int>(std::min(nCol, st.m_nLeftColumn + nStep));
        bMoved = true;
    }
    return bMoved;
}

bool PlaceDumpHit(ScrollState& st, int64_t nHit, bool bBackward) {
    if (nHit < 0) return false;
    const uint64_t nRow = DumpRowBytes(st);
    const auto hit = static_cast<uint64_t>(nHit);
    const uint64_t R = static_cast<uint64_t>(std::max(0, st.m_nVisibleLines));
    const uint64_t nBelow = st.m_nDumpTop + R * nRow;
    const bool bOut = bBackward ? hit < st.m_nDumpTop : hit >= nBelow;
    if (!bOut) return false;
    uint64_t nTop = hit - hit % nRow;
    if (R > 3 && nTop >= 2 * nRow) nTop -= 2 * nRow;
    if (R > 2 && nTop >= nRow) nTop -= nRow;
    const bool bMoved = nTop != st.m_nDumpTop;
    st.m_nDumpTop = nTop;
    return bMoved;
}

bool CanSearchBackward(std::string_view boxText, const ScrollState& st, const TextHit& textHit,
                       const DumpHit& dumpHit) {
    if (boxText.empty()) return false;
    if (st.m_eMode == DisplayMode::Dump) {
        const bool bHit = dumpHit.m_bValid && dumpHit.m_bShown;
        return bHit ? dumpHit.m_nOffset >= 1 : st.m_nDumpTop >= 1;
    }
    const bool bHit = textHit.m_bValid && textHit.m_bShown;
    return !(bHit && textHit.m_nLine == 0 && textHit.m_nColumn == 0);
}

} // namespace tervik
