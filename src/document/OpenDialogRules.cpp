#include "document/OpenDialogRules.h"

#include "base/Settings.h"

#include <algorithm>
#include <limits>

namespace tervik {

namespace {

// Largest value the record count field holds.
constexpr uint32_t kMaxRecordLimit = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());

// Leading decimal digits after blanks; no digits give 0. Saturates at nMax so a
// long number never wraps into a small one.
uint32_t ParseField(std::string_view text, uint32_t nMax) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    uint64_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + static_cast<uint64_t>(text[i] - '0');
        if (n > nMax) return nMax;
    }
    return static_cast<uint32_t>(n);
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

OpenDialogValues ReadOpenDialogValues(bool bShareChecked, bool bFixedChecked,
                                      std::string_view fixedText, bool bLimitChecked,
                                      std::string_view limitText, int nDirectionIndex,
                                      CSettings& settings) {
    OpenDialogValues values;
    values.m_bShareWrite = bShareChecked;
    if (bFixedChecked) {
        values.m_nFixedLength = 1;
        if (!IsBlank(fixedText)) {
            values.m_nFixedLength = ParseField(fixedText, static_cast<uint32_t>(kMaxFixRecSize));
            // A typed 0 means lines; keep the remembered length then.
            if (values.m_nFixedLength > 0)
                settings.WriteFixRecSize(static_cast<int>(values.m_nFixedLength));
        }
    }
    if (bLimitChecked) {
        values.m_nRecordLimit = 1;
        if (!IsBlank(limitText)) values.m_nRecordLimit = ParseField(limitText, kMaxRecordLimit);
        values.m_nLimitDirection = nDirectionIndex == 1 ? 1 : 0;
    }
    return values;
}

void COpenOptionsState::BeforeDialog() {
    m_nFixRecSize = 0;
    m_bSavedShareWrite = m_bShareWrite;
}

void COpenOptionsState::OnOk(const OpenDialogValues& values) {
    m_bShareWrite = values.m_bShareWrite;
    m_nFixRecSize = std::min(values.m_nFixedLength, static_cast<uint32_t>(kMaxFixRecSize));
    m_nRecordLimit = values.m_nRecordLimit;
    m_bLimitFromEnd = values.m_nLimitDirection != 0;
}

void COpenOptionsState::AfterDialog(bool bOk, const OpenDialogValues& values) {
    m_bShareWrite = m_bSavedShareWrite;
    const uint32_t nFixed =
        bOk ? std::min(values.m_nFixedLength, static_cast<uint32_t>(kMaxFixRecSize)) : 0;
    m_nLastFixRecSize = static_cast<int>(nFixed);
    m_nFixRecSize = 0;
}

OpenOptions COpenOptionsState::Current() const {
    OpenOptions options;
    options.m_bShareWrite = m_bShareWrite;
    options.m_nFixRecSize = m_nFixRecSize;
    options.m_nRecordLimit = m_nRecordLimit;
    options.m_bLimitFromEnd = m_bLimitFromEnd;
    return options;
}

} // namespace tervik
