#pragma once

// The program's message boxes: German texts (cp1252), the program's title, the
// button and icon kinds of MB_*, answers as ID*. Tests answer them through a hook.

#include "framework/MessageBoxTypes.h"
#include "platform/CodePage.h"

#include <functional>
#include <string>

class QWidget;

namespace tervik {

int TervikMessageBox(const Cp1252String& text, unsigned nType = MB_OK, QWidget* pParent = nullptr);

// While set, the hook answers instead of a box being shown.
using MessageBoxHook = std::function<int(const Cp1252String& text, unsigned nType)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The default beep.
void MessageBeep();

} // namespace tervik
