#include "document/DocumentHost.h"

namespace tervik {

std::optional<PixelRect> ProgressBarRect(size_t nTextLength, const PixelRect& pane) {
    const int64_t nLeft = static_cast<int64_t>(nTextLength) * 5 + 45;
    const int64_t nRight = static_cast<int64_t>(pane.m_nRight) - 50;
    if (nLeft >= nRight || nRight - nLeft < 150) return std::nullopt;
    return PixelRect{static_cast<int>(nLeft), pane.m_nTop + 1, static_cast<int>(nRight),
                     pane.m_nBottom - 1};
}

} // namespace tervik
