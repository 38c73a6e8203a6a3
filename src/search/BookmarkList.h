#pragma once

// All bookmarks of all open documents, in creation order, without any window:
// the application holds one list; views ask it what to paint, workspaces read
// and refill it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tervik {

class CTervikDoc;

struct Bookmark {
    static constexpr uint32_t kActive = 1; // flag bit 0
    static constexpr size_t kMaxName = 255;

    uint32_t m_nId = 0;           // unique in the run
    CTervikDoc* m_pDoc = nullptr; // the open document
    uint64_t m_nViewId = 0;       // the view's m_nViewId; 0 = none known
    std::string m_name;           // at most kMaxName characters
    uint32_t m_nLine = 0;         // 0-based record
    uint32_t m_nColumn = 0;       // 0-based displayed column (tabs expanded)
    uint32_t m_nLength = 0;       // characters highlighted
    uint32_t m_nFlags = 0;

    bool IsActive() const { return (m_nFlags & kActive) != 0; }
};

class CBookmarkList {
public:
    // Appends a bookmark with a new id (the counter counts up before each one;
    // the first id is 1) and returns that id. The name is cut to kMaxName. The
    // flags are taken as given: workspaces restore them; Activate() makes one
    // the only active one.
    uint32_t Add(CTervikDoc* pDoc, uint64_t nViewId, std::string name, uint32_t nLine,
                 uint32_t nColumn, uint32_t nLength, uint32_t nFlags = 0);
    // false when no bookmark has the id.
    bool Remove(uint32_t nId);
    // Removes every bookmark of the document; returns how many.
    size_t RemoveOf(const CTervikDoc* pDoc);

    // Creation order; pointers and references stay valid until the next change.
    const std::vector<Bookmark>& All() const { return m_list; }
    size_t Size() const { return m_list.size(); }
    Bookmark* Find(uint32_t nId);
    const Bookmark* Find(uint32_t nId) const;

    // For painting: the bookmarks of a document on a line, in list order.
    unsigned CountOnLine(const CTervikDoc* pDoc, uint32_t nLine) const;
    const Bookmark* OnLine(const CTervikDoc* pDoc, uint32_t nLine, unsigned n) const;

    // Makes the bookmark the only active one; returns the other documents that
    // lost their active bookmark (their views need repainting). Nothing happens
    // for an unknown id.
    std::vector<CTervikDoc*> Activate(uint32_t nId);
    // The active bookmark of the document, or none.
    const Bookmark* ActiveOf(const CTervikDoc* pDoc) const;

    // "Nächstes/Vorheriges Lesezeichen": the bookmarks of a document ordered by
    // line, then column, then list order. From the document's active bookmark the
    // next (previous) one in that order; without an active one the first bookmark
    // on or below nTopLine (the last one above it). None at the end: no wrap-around.
    const Bookmark* Next(const CTervikDoc* pDoc, uint32_t nTopLine) const;
    const Bookmark* Previous(const CTervikDoc* pDoc, uint32_t nTopLine) const;

private:
    const Bookmark* Step(const CTervikDoc* pDoc, uint32_t nTopLine, bool bForward) const;

    std::vector<Bookmark> m_list;
    uint32_t m_nLastId = 0;
};

} // namespace tervik
