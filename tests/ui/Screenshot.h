#pragma once

#include <QDir>
#include <QWidget>

namespace tervik::test {

// Saves what a person would see, to look at by eye. TERVIK_SCREENSHOT_DIR in the
// environment overrides the folder in the build tree.
inline QString SaveScreenshot(QWidget& widget, const char* pszName) {
    QString dir = qEnvironmentVariable("TERVIK_SCREENSHOT_DIR", TERVIK_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QString path = dir + "/" + pszName + ".png";
    widget.grab().save(path);
    return path;
}

} // namespace tervik::test
