// The find subcommand: the search engine of the views from a given start, one hit or
// all of them in one direction.

#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "search/SearchEngine.h"
#include "views/HitPlacement.h"

#include <chrono>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace tervik::cli {

int RunFind(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const bool bBackward = args.TakeFlag("--backward");
    const bool bDump = args.TakeFlag("--dump");
    const bool bAll = args.TakeFlag("--all");
    const std::optional<std::string> onlySelected = args.TakeValue("--only-selected");
    const auto nLineArg = args.TakeNumber("--line", kMaxRecords - 1);
    const auto nColumnArg =
        args.TakeNumber("--column", static_cast<uint64_t>(std::numeric_limits<int>::max()));
    const auto nOffsetArg =
        args.TakeNumber("--offset", static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 2)
        args.SetError(rest.size() < 2 ? "Aufruf: find ZEILE DATEI" : "Zu viele Argumente.");
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));
    const std::string patternLine = Utf8ToCp1252(rest[0]);
    if (FixedLength(DecodePattern(patternLine)) == 0) {
        PrintMessage(Utf8ToCp1252("Das Suchmuster enthält nichts zu suchen."));
        return kExitFailure;
    }
    int nExit = kExitOk;
    OpenedFile f = OpenFile(open, rest[1], nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;
    // Only the lines the script selects are searched, as with "selektierte Zeilen
    // anzeigen" on.
    if (onlySelected && !PlayScriptForCli(f, *onlySelected)) return kExitFailure;

    // The first search starts where the options say; later ones continue behind
    // each hit as "Weitersuchen" (or "Vorher suchen") does with the hit on screen.
    ScrollState st;
    st.m_eMode = bDump ? DisplayMode::Dump : DisplayMode::Text;
    st.m_nTopLine = static_cast<uint32_t>(nLineArg.value_or(0));
    st.m_nLeftColumn = static_cast<int>(nColumnArg.value_or(0));
    st.m_nDumpTop = nOffsetArg.value_or(0);
    // A view showing only selected lines has a selected line on top.
    bool bNoStart = false;
    if (onlySelected && !bDump && !doc.IsLineSelected(st.m_nTopLine, nullptr, nullptr)) {
        uint32_t r = st.m_nTopLine;
        bNoStart = !doc.NextSelected(r);
        st.m_nTopLine = r;
        st.m_nLeftColumn = 0;
    }
    TextHit textHit;
    DumpHit dumpHit;
    const SearchPattern pattern = DecodePattern(patternLine);
    COutput out;
    bool bFoundAny = false;
    const auto start = std::chrono::steady_clock::now();
    while (!bNoStart) {
        const auto from = ChooseSearchStart(doc, st, pattern, bBackward, textHit, dumpHit);
        if (!from) break;
        uint32_t nLine = from->m_nLine;
        int nColumn = from->m_nColumn;
        int64_t nOffset = from->m_nOffset;
        if (FindNext(doc, patternLine, bDump, bBackward, onlySelected.has_value(), nLine, nColumn,
                     nOffset, textHit, dumpHit) != FindResult::Found)
            break;
        bFoundAny = true;
        if (bDump) {
            dumpHit.m_bShown = true;
            out.PutNumber(static_cast<uint64_t>(dumpHit.m_nOffset));
            out.Put(' ');
            out.PutNumber(dumpHit.m_nLength);
        } else {
            textHit.m_bShown = true;
            out.PutNumber(textHit.m_nLine);
            out.Put(' ');
            out.PutNumber(textHit.m_nColumn);
            out.Put(' ');
            out.PutNumber(textHit.m_nLength);
        }
        out.Put('\n');
        if (!bAll) break;
    }
    out.Flush();
    f.PrintTiming("find", start);
    if (!bFoundAny) {
        PrintMessage(LoadString(bBackward ? IDS_SEARCH_START_REACHED : IDS_SEARCH_END_REACHED));
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace tervik::cli
