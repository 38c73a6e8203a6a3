// Search patterns: any line must decode within its 129-byte buffer, and both wildcard
// matchers must take the same decision, the hit lying inside the text.
#include "search/SearchPattern.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Decode: the line as typed, cut to the buffer like the search boxes do.
    char buf[tervik::kMaxPatternText + 1];
    const size_t nLine = size < sizeof buf - 1 ? size : sizeof buf - 1;
    std::memcpy(buf, data, nLine);
    buf[nLine] = 0;
    uint32_t nFlags = 0;
    const int nBytes = tervik::DecodeSearchPattern(buf, nFlags);
    if (nBytes < 0 || nBytes > tervik::kMaxPatternText || nFlags > 0x1FF) std::abort();
    if (buf[nBytes] != 0) std::abort();
    const int nStars = tervik::CountWildcardStars(buf, nBytes);
    if (nStars < 0 || nStars > nBytes) std::abort();

    // Match: the first byte splits the rest into pattern and text; the second picks
    // the start column.
    if (size < 2) return 0;
    const size_t nPatternLen = data[0] % (size - 1);
    const std::string pattern(reinterpret_cast<const char*>(data + 2),
                              nPatternLen > 0 ? nPatternLen - 1 : 0);
    const std::string text(reinterpret_cast<const char*>(data + 2) + pattern.size(),
                           size - 2 - pattern.size());
    const size_t nText = std::strlen(text.c_str());
    const int nStart = static_cast<int>(data[1] % (nText + 1));
    for (const char cOne : {'/', '\0'}) {
        int nPos = nStart;
        int nLength = -1;
        const bool bMatch =
            tervik::MatchWildcard(text.c_str(), pattern.c_str(), '*', cOne, nPos, nLength);
        const bool bPlain =
            tervik::MatchWildcardPlain(text.c_str() + nStart, pattern.c_str(), '*', cOne);
        if (bMatch != bPlain) std::abort();
        if (bMatch && (nPos < nStart || nLength < 0 ||
                       static_cast<size_t>(nPos) + static_cast<size_t>(nLength) > nText))
            std::abort();
    }
    // The decoded pattern against the text, as a wildcard search would use it.
    int nPos = nStart;
    int nLength = 0;
    if (tervik::MatchWildcard(text.c_str(), buf, '*', '/', nPos, nLength) !=
        tervik::MatchWildcardPlain(text.c_str() + nStart, buf, '*', '/'))
        std::abort();
    return 0;
}
