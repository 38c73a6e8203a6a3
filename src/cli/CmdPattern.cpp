// The pattern subcommand: how a search pattern line decodes.

#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "search/SearchPattern.h"

#include <string>
#include <vector>

namespace tervik::cli {

int RunPattern(CArgs& args) {
    // The general options mean nothing here but must not be taken for the line.
    args.TakeValue("--ini");
    args.TakeFlag("--timing");
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 1)
        args.SetError(rest.empty() ? "Es fehlt das Suchmuster." : "Zu viele Argumente.");
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));

    const SearchPattern pattern = DecodePattern(Utf8ToCp1252(rest[0]));
    const int nLength = static_cast<int>(pattern.m_bytes.size());
    int nFixed = nLength;
    if (pattern.m_nFlags & SF_WILDCARDS)
        nFixed -= CountWildcardStars(pattern.m_bytes.data(), nLength);

    static constexpr char kDigits[] = "0123456789abcdef";
    COutput out;
    out.Put("flags: 0x");
    out.Put(kDigits[pattern.m_nFlags >> 8 & 0xF]);
    out.Put(kDigits[pattern.m_nFlags >> 4 & 0xF]);
    out.Put(kDigits[pattern.m_nFlags & 0xF]);
    out.Put("\nlength: ");
    out.PutNumber(static_cast<uint64_t>(nLength));
    out.Put("\nbytes:");
    for (const char c : pattern.m_bytes) {
        const auto b = static_cast<uint8_t>(c);
        out.Put(' ');
        out.Put(kDigits[b >> 4]);
        out.Put(kDigits[b & 0xF]);
    }
    out.Put("\nfixed-length: ");
    out.PutNumber(static_cast<uint64_t>(nFixed));
    out.Put('\n');
    return nFixed > 0 ? kExitOk : kExitFailure;
}

} // namespace tervik::cli
