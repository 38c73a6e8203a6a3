#include "search/BookmarkList.h"

#include <algorithm>
#include <tuple>

namespace tervik {

uint32_t CBookmarkList::Add(CTervikDoc* pDoc, uint64_t nViewId, std::string name, uint32_t nLine,
                            uint32_t nColumn, uint32_t nLength, uint32_t nFlags) {
    if (name.size() > Bookmark::kMaxName) name.resize(Bookmark::kMaxName);
    Bookmark b;
    b.m_nId = ++m_nLastId;
    b.m_pDoc = pDoc;
    b.m_nViewId = nViewId;
    b.m_name = std::move(name);
    b.m_nLine = nLine;
    b.m_nColumn = nColumn;
    b.m_nLength = nLength;
    b.m_nFlags = nFlags;
    m_list.push_back(std::move(b));
    return m_nLastId;
}

bool CBookmarkList::Remove(uint32_t nId) {
    const auto it = std::find_if(m_list.begin(), m_list.end(),
                                 [&](const Bookmark& b) { return b.m_nId == nId; });
    if (it == m_list.end()) return false;
    m_list.erase(it);
    return true;
}

size_t CBookmarkList::RemoveOf(const CTervikDoc* pDoc) {
    return std::erase_if(m_list, [&](const Bookmark& b) { return b.m_pDoc == pDoc; });
}

Bookmark* CBookmarkList::Find(uint32_t nId) {
    for (Bookmark& b : m_list)
        if (b.m_nId == nId) return &b;
    return nullptr;
}

const Bookmark* CBookmarkList::Find(uint32_t nId) const {
    return const_cast<CBookmarkList*>(this)->Find(nId);
}

unsigned CBookmarkList::CountOnLine(const CTervikDoc* pDoc, uint32_t nLine) const {
    unsigned n = 0;
    for (const Bookmark& b : m_list)
        if (b.m_pDoc == pDoc && b.m_nLine == nLine) ++n;
    return n;
}

const Bookmark* CBookmarkList::OnLine(const CTervikDoc* pDoc, uint32_t nLine, unsigned n) const {
    for (const Bookmark& b : m_list)
        if (b.m_pDoc == pDoc && b.m_nLine == nLine && n-- == 0) return &b;
    return nullptr;
}

std::vector<CTervikDoc*> CBookmarkList::Activate(uint32_t nId) {
    std::vector<CTervikDoc*> lost;
    Bookmark* pTarget = Find(nId);
    if (!pTarget) return lost;
    for (Bookmark& b : m_list) {
        if (&b == pTarget) continue;
        if (b.IsActive() && b.m_pDoc != pTarget->m_pDoc &&
            std::find(lost.begin(), lost.end(), b.m_pDoc) == lost.end())
            lost.push_back(b.m_pDoc);
        b.m_nFlags &= ~Bookmark::kActive;
    }
    pTarget->m_nFlags |= Bookmark::kActive;
    return lost;
}

const Bookmark* CBookmarkList::ActiveOf(const CTervikDoc* pDoc) const {
    for (const Bookmark& b : m_list)
        if (b.m_pDoc == pDoc && b.IsActive()) return &b;
    return nullptr;
}

const Bookmark* CBookmarkList::Next(const CTervikDoc* pDoc, uint32_t nTopLine) const {
    return Step(pDoc, nTopLine, true);
}

const Bookmark* CBookmarkList::Previous(const CTervikDoc* pDoc, uint32_t nTopLine) const {
    return Step(pDoc, nTopLine, false);
}

const Bookmark* CBookmarkList::Step(const CTervikDoc* pDoc, uint32_t nTopLine,
                                    bool bForward) const {
    // Keys (line, column, list index); the origin is the active bookmark's key, or
    // the start of the top line, which lies before every bookmark on it.
    using Key = std::tuple<uint64_t, uint64_t, uint64_t>;
    Key origin{nTopLine, 0, 0};
    bool bFromTop = true;
    for (size_t i = 0; i < m_list.size(); ++i)
        if (m_list[i].m_pDoc == pDoc && m_list[i].IsActive()) {
            origin = Key{m_list[i].m_nLine, m_list[i].m_nColumn, i + 1};
            bFromTop = false;
            break;
        }
    const Bookmark* pBest = nullptr;
    Key best{};
    for (size_t i = 0; i < m_list.size(); ++i) {
        const Bookmark& b = m_list[i];
        if (b.m_pDoc != pDoc) continue;
        const Key k{b.m_nLine, b.m_nColumn, i + 1};
        // From the top, "next" includes the bookmarks on the top line itself.
        const bool bAhead = bForward ? (bFromTop ? k >= origin : k > origin) : k < origin;
        if (!bAhead) continue;
        if (!pBest || (bForward ? k < best : k > best)) {
            pBest = &b;
            best = k;
        }
    }
    return pBest;
}

} // namespace tervik
