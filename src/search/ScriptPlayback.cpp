#include "search/ScriptPlayback.h"

#include "document/TervikDoc.h"
#include "search/LineSelection.h"
#include "search/RawScan.h"
#include "search/SelectionScript.h"

namespace tervik {

uint32_t PlayScript(const std::string& path, CTervikDoc& doc,
                    const std::function<void(int nColour)>& setColour,
                    std::vector<TextHistoryEntry>* pHistory) {
    CBusyGuard busy(doc.Host());
    CScriptReader reader;
    uint32_t nError = 0;
    if (!reader.Open(path, nError)) return nError;
    std::string line;
    for (;;) {
        doc.Host().ServeBusy(); // no abort, but the window stays painted
        switch (reader.NextLine(line, nError)) {
        case CScriptReader::kEnd:
            return 0;
        case CScriptReader::kError:
            return nError;
        case CScriptReader::kLine:
            break;
        }
        ScriptStatement s = ParseScriptLine(line, doc.m_nRecords);
        switch (s.m_eKind) {
        case ScriptStatement::kColour:
            if (setColour) setColour(s.m_nColour);
            break;
        case ScriptStatement::kSelect:
            s.m_criteria.m_pHistory = pHistory;
            SelectByCriteria(doc, s.m_criteria);
            break;
        case ScriptStatement::kDeselect:
            s.m_criteria.m_pHistory = pHistory;
            DeselectByCriteria(doc, s.m_criteria);
            break;
        case ScriptStatement::kInvert:
            InvertSelection(doc);
            break;
        case ScriptStatement::kIgnored:
            break;
        }
    }
}

} // namespace tervik
