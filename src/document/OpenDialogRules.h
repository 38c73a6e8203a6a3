#pragma once

// What the open dialog answers and how its answer becomes the application's open
// options. Kept apart from the dialog so the rules run without a display.

#include "base/Settings.h"
#include "document/DocumentHost.h"
#include "framework/FileFilters.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

// The four values the open dialog hands back (on OK and on Cancel alike).
struct OpenDialogValues {
    bool m_bShareWrite = false;
    uint32_t m_nFixedLength = 0; // 0 = records end at LF
    uint32_t m_nRecordLimit = 0; // 0 = no limit
    int m_nLimitDirection = 0;   // 0 = from the beginning, 1 = from the end
    bool operator==(const OpenDialogValues&) const = default;
};

// Reads the panel's controls. An empty field behind a checked box gives 1, a typed 0
// switches the option off, large numbers saturate. A fixed length typed into a checked
// field is remembered in the settings.
OpenDialogValues ReadOpenDialogValues(bool bShareChecked, bool bFixedChecked,
                                      std::string_view fixedText, bool bLimitChecked,
                                      std::string_view limitText, int nDirectionIndex,
                                      CSettings& settings);

// The application's open options around the open dialog. The share flag and the fixed
// length apply only to files chosen in the dialog; the record limit and its direction
// rest until the next confirmed dialog and apply to every other open meanwhile.
class COpenOptionsState {
public:
    // At start: the share flag from OpenMode, the last fixed length from FixRecSize.
    explicit COpenOptionsState(bool bShareWrite = false, int nLastFixRecSize = kDefaultFixRecSize)
        : m_bShareWrite(bShareWrite), m_nLastFixRecSize(nLastFixRecSize) {}

    void BeforeDialog();
    // Takes the dialog's values for the files about to be opened.
    void OnOk(const OpenDialogValues& values);
    // After the files were opened (or the dialog cancelled): back to resting state.
    void AfterDialog(bool bOk, const OpenDialogValues& values);

    // The options an open uses now.
    OpenOptions Current() const;

    bool ShareWrite() const { return m_bShareWrite; }
    // The length the next dialog offers; 0 after a cancel or without a fixed length.
    int LastFixRecSize() const { return m_nLastFixRecSize; }
    // Index of the dialog's file type, counted from 0; kept for this run only.
    int FilterIndex() const { return m_nFilterIndex; }
    void SetFilterIndex(int nIndex) { m_nFilterIndex = nIndex; }

private:
    bool m_bShareWrite = false;
    bool m_bSavedShareWrite = false;
    uint32_t m_nFixRecSize = 0;
    int m_nLastFixRecSize = kDefaultFixRecSize;
    uint32_t m_nRecordLimit = 0;
    bool m_bLimitFromEnd = false;
    int m_nFilterIndex = 0;
};

} // namespace tervik
