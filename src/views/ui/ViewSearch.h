#pragma once

// The view's search and line-selection commands. A part of CTervikView: it works on
// the view's document, position and hits.

#include "framework/CommandTarget.h"

#include <string>

namespace tervik {

class CTervikView;

class CViewSearch : public CCommandTarget {
public:
    explicit CViewSearch(CTervikView& view);
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    // "Weiter suchen" and "Vorher suchen": a pattern line searched from where the user
    // looks; the hit is scrolled into sight and reported in the status bar.
    void Forward(const std::string& patternLine);
    void Backward(const std::string& patternLine);

private:
    void Search(const std::string& patternLine, bool bBackward);
    void OnSearchCommand(unsigned nId);
    void OnUpdateSearchCommand(CCmdUI& ui);
    void OnSearchDefine();
    // Line selection by criteria, its inversion and the export of selected lines.
    void OnSelectLines();
    void OnDeselectLines();
    void OnInvertSelection();
    void OnExportSelected();
    void OnUpdateSelectLines(CCmdUI& ui);
    void OnUpdateNeedsSelection(CCmdUI& ui);
    void OnNextSelected();
    void OnPrevSelected();
    void OnUpdateNextSelected(CCmdUI& ui);
    void OnUpdatePrevSelected(CCmdUI& ui);
    // "Was ist das? ...": the conversions dialog on the marked text.
    void OnConversions();

    CTervikView& m_view;
};

} // namespace tervik
