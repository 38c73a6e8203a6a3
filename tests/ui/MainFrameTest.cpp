#include "app/ui/MainFrame.h"
#include "ui/Screenshot.h"

#include <QFile>
#include <QMdiArea>
#include <QPixmap>
#include <gtest/gtest.h>

namespace tervik {
namespace {

TEST(MainFrameSmoke, OpensEmptyWithGermanTitle) {
    CMainFrame frame;
    frame.show();
    EXPECT_EQ(frame.windowTitle(), QString("Orv's File-Viewer"));
    ASSERT_NE(frame.MdiArea(), nullptr);
    EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());
    const QPixmap shot = frame.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(QFile::exists(test::SaveScreenshot(frame, "mainframe-empty")));
}

} // namespace
} // namespace tervik
