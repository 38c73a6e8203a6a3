#pragma once

// What a view asks of the window that holds it. The main frame implements it and hands
// it to every view it makes; a view without a host works on its own (no other views to
// scroll with, no add-ons, its own printer).

#include <cstdint>
#include <string>
#include <vector>

class QMenu;
class QPrinter;

namespace tervik {

class CSearchBox;
class CTervikDoc;
class CTervikView;
struct Bookmark;
struct TextHistoryEntry;

class IViewHost {
public:
    virtual ~IViewHost() = default;

    // The view of the active document window; nullptr without one.
    virtual CTervikView* ActiveView() const = 0;
    // The other views of the document scroll with pView (scroll code, thumb position).
    virtual void BroadcastScroll(CTervikDoc* pDoc, CTervikView* pView, int nScrollCode, int nPos,
                                 bool bHorizontal) = 0;
    // The dump box shows pView's column count; hidden when no view is in dump mode.
    virtual void ShowDumpBox(int nColumns, CTervikView* pView) = 0;
    virtual void HideDumpBox() = 0;
    // A command the view does not handle itself (from its context menu).
    virtual bool ExecuteCommand(unsigned nId) = 0;
    // The toolbar's search box (0) or that of search bar 1..4.
    virtual CSearchBox* SearchBoxOfBar(int nBar) const = 0;
    // The texts entered in "Zeilen selektieren ..." this session.
    virtual std::vector<TextHistoryEntry>* SelectTextHistory() = 0;
    // The add-ons' entries at the end of the context menu.
    virtual void AppendAddOnItems(QMenu& menu) = 0;
    virtual unsigned CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const = 0;
    virtual const Bookmark* BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine,
                                           unsigned n) const = 0;
    // "Blockmarkierung" is on (one switch for all views).
    virtual bool BlockMarking() const = 0;
    // The folder for generated files (the character frequency's CSV); empty after a
    // message when there is none.
    virtual std::string GeneratedFolder() = 0;
    // A generated file stays the program's until it ends (then the cleanup removes it).
    virtual void ClaimTempFile(const std::string& path) = 0;
    // The printer set up in "Druckereinrichtung...", kept while the program runs.
    virtual QPrinter& Printer() = 0;
    // "In Farbe drucken" is on.
    virtual bool PrintInColour() const = 0;
};

} // namespace tervik
