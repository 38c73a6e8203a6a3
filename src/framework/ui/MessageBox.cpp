#include "framework/ui/MessageBox.h"

#include "base/Strings.h"
#include "framework/ui/QtText.h"

#include <QApplication>
#include <QMessageBox>

namespace tervik {

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook s_hook;
    return s_hook;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

int TervikMessageBox(const Cp1252String& text, unsigned nType, QWidget* pParent) {
    if (Hook()) return Hook()(text, nType);
    QMessageBox box(pParent ? pParent : QApplication::activeWindow());
    box.setWindowTitle(FromAnsi(LoadString(IDS_MAIN_TITLE)));
    box.setText(FromAnsi(text));
    switch (nType & MB_ICONMASK) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    switch (nType & MB_TYPEMASK) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

void MessageBeep() {
    QApplication::beep();
}

} // namespace tervik
