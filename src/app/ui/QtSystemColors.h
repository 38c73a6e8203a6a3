#pragma once

#include "base/Colour.h"

namespace tervik {

// The named system colours of the settings, taken from the application palette.
class CQtSystemColors : public ISystemColors {
public:
    COLORREF WindowColor() const override;
    COLORREF AppWorkspaceColor() const override;
    COLORREF DesktopColor() const override;
    COLORREF InfoBkColor() const override;
};

} // namespace tervik
