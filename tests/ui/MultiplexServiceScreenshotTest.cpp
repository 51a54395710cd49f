// Pictures of the MULTIPLEX and SERVICE pages for the documentation, taken only when a folder is
// given: OSTRIVANE_PAGE_SHOTS=docs/screenshots ui_tests --gtest_filter='*Screenshot*'
// (with QT_SCALE_FACTOR=2 for the 2x pictures, which get "@2x" in their names).
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include "MultiplexServiceTestSupport.h"

namespace ostrivane::uitest {
namespace {

TEST(MultiplexServiceScreenshotTest, FolderGiven_SavesBothPagesOfThreeModels) {
  const QString folder = qEnvironmentVariable("OSTRIVANE_PAGE_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "OSTRIVANE_PAGE_SHOTS names no folder";
  QDir().mkpath(folder);
  const QString scale = qGuiApp->devicePixelRatio() > 1.0 ? QStringLiteral("@2x") : QString();
  for (const int type : {121, 176, 192}) {
    OpenPanel panel(static_cast<std::uint8_t>(type), {.advanced = true});
    ASSERT_TRUE(panel.connected) << type;
    panel.sim.device.SetBitrate(0, 31668000, 18250);
    QTest::qWait(600);  // a few polls: tab labels and the meter
    for (const auto& [page, name] : {std::pair{0, "multiplex"}, std::pair{1, "service"}}) {
      panel.ShowPage(page);
      QTest::qWait(50);
      const QString path =
          QDir(folder).filePath(QStringLiteral("%1-%2%3.png").arg(name).arg(type).arg(scale));
      EXPECT_TRUE(panel.Panel().grab().save(path)) << path.toStdString();
    }
  }
}

}  // namespace
}  // namespace ostrivane::uitest
