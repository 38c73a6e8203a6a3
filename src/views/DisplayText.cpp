#include "views/DisplayText.h"

#include "document/Ebcdic.h"
#include "platform/CodePage.h"

namespace tervik {

void ConvertForDisplay(uint8_t* p, size_t n, bool bEbcdic, bool bOem) {
    if (bEbcdic) EbcdicToAnsi(p, p, n);
    if (bOem) OemToAnsi(p, p, n);
}

void MakePrintable(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == 0x09)
            p[i] = ' ';
        else if (p[i] < 0x20)
            p[i] = '.';
    }
}

} // namespace tervik
