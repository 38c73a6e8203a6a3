#pragma once

// A started application on a settings file of its own, with message boxes
// answered by the test.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "framework/ui/MessageBox.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QMdiArea>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tervik::test {

// A font the set-up installs (fonts-liberation2): the tests do not depend on the
// machine's monospace font.
inline constexpr const char* kTestFont = "Liberation Mono";

class ShellTest : public ::testing::Test {
protected:
    CTempDir m_dir;
    std::string m_ini =
        m_dir.Write("tervik.ini", std::string("[Settings]\nFontName=") + kTestFont + "\n");
    std::vector<std::string> m_messages;
    std::unique_ptr<CTervikApp> m_app;

    void SetUp() override {
        SetMessageBoxHook([this](const std::string& text, unsigned) {
            m_messages.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override {
        Stop();
        SetMessageBoxHook({});
    }
    bool Start(QStringList args = {}) {
        args << "--ini" << QString::fromStdString(m_ini);
        m_app = std::make_unique<CTervikApp>();
        return m_app->InitInstance(args);
    }
    // Closes the main window the way the user does and ends the application.
    void Stop() {
        if (!m_app) return;
        if (m_app->MainFrame()) m_app->MainFrame()->close();
        Settle();
        m_app->ExitInstance();
        m_app.reset();
    }
    CMainFrame& Frame() { return *m_app->MainFrame(); }
    // Starts on one file with the main window active, as keys and shortcuts need it;
    // answers the file's document window (null when that failed).
    CChildFrame* StartActive(const std::string& path) {
        if (!Start({QString::fromStdString(path)})) return nullptr;
        Frame().activateWindow();
        if (!QTest::qWaitForWindowActive(&Frame())) return nullptr;
        return qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().value(0));
    }
    // Lets closed windows go, as the event loop would.
    static void Settle() {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string Log(const std::string& name, int nLines) {
        std::string s;
        for (int i = 0; i < nLines; ++i)
            s += "2026-12-07 08:00:" + std::to_string(10 + i % 50) + " INFO  Zeile " +
                 std::to_string(i) + "\tok\r\n";
        return m_dir.Write(name, s);
    }
    CProfile Settings() { return CProfile(m_ini); }
};

} // namespace tervik::test
