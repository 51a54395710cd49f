// The buttons of the MANUFACTURER page against the simulated device: configuration files,
// factory default with the chosen logo, clock, reset and snapshot.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "DevicePagesTestSupport.h"
#include "link/Commands.h"
#include "ui/pages/ManufacturerPage.h"

namespace ostrivane::uitest {
namespace {

void Click(DeviceWindow& window, int id) {
  auto* button = window.Control<QPushButton>(id);
  ASSERT_TRUE(button->isVisible() && button->isEnabled()) << id;
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_TRUE(window.WaitDeviceIdle());
}

WindowSetup Manufacturer(std::uint8_t type, QStringList logos = {}) {
  return {type, 20, true, false, logos};
}

TEST(ManufacturerButtonsTest, SaveThenLoad_RestoresTheFileAndStoresItOnTheDevice) {
  DeviceWindow window(Manufacturer(131));
  ASSERT_TRUE(window.connected);
  const QString folder = window.DataFolder() + QStringLiteral("/config/");
  window.prompts.saveAnswer = folder + QStringLiteral("site");
  Click(window, control::SaveButton);
  ASSERT_EQ(window.prompts.saveRequests.size(), 1);
  const FileDialogRequest& save = window.prompts.saveRequests[0];
  EXPECT_EQ(save.title + " " + save.filterDescription + " " + save.filterPattern,
            QStringLiteral("Save Configuration Config. *.itc"));
  EXPECT_EQ(QDir(save.folder), QDir(folder));
  EXPECT_TRUE(save.overwritePrompt);
  EXPECT_TRUE(QFile::exists(folder + QStringLiteral("site.itc")));
  EXPECT_EQ(window.Info().StatusText(), QStringLiteral("Saved"));

  auto* reference = window.Control<QLineEdit>(manufacturercontrol::Reference);
  const QString saved = reference->text();
  reference->setText(QStringLiteral("Edited"));
  window.prompts.openAnswer = folder + QStringLiteral("site");
  Click(window, control::LoadButton);
  EXPECT_EQ(window.prompts.openRequests.value(0).title, QStringLiteral("Load Configuration"));
  EXPECT_EQ(reference->text(), saved) << "the page is refilled at once";
  EXPECT_EQ(window.Info().StatusText(), QStringLiteral("Loaded"));
  ASSERT_TRUE(WaitUntil([&] { return window.device.Counters().factoryDefaults == 1; }, 1000));
  EXPECT_EQ(window.StoredConfig().Reference, saved);

  // A record of a multi-output device is refused and changes nothing.
  QFile multi(folder + QStringLiteral("multi.itc"));
  ASSERT_TRUE(multi.open(QIODevice::WriteOnly));
  multi.write(QByteArray("VEVE") + char(176) + QByteArray(300, '\0'));
  multi.close();
  const DeviceConfig before = window.Ctx().config;
  window.prompts.openAnswer = multi.fileName();
  Click(window, control::LoadButton);
  EXPECT_EQ(window.Info().StatusText(), QStringLiteral("Config. file not compatible !"));
  EXPECT_EQ(window.prompts.beeps, (QList<QPair<int, int>>{{440, 250}}));
  EXPECT_EQ(window.Ctx().config, before);
  EXPECT_EQ(window.Ctx().panel.FactoryDefaultRequest, 0);
}

TEST(ManufacturerButtonsTest, SaveLoadBackupAndClock_EachLeaveAnActivityLineWithTheirFile) {
  DeviceWindow window(Manufacturer(131));
  ASSERT_TRUE(window.connected);
  const QString folder = window.DataFolder() + QStringLiteral("/config/");
  const QString site = QDir::toNativeSeparators(folder + QStringLiteral("site.itc"));
  const QString nowhere = window.DataFolder() + QStringLiteral("/missing/folder/site.itc");
  const auto count = [&](const QString& text) {
    return window.Activity().Lines().filter(text).size();
  };
  window.prompts.saveAnswer = nowhere;
  Click(window, control::SaveButton);
  EXPECT_EQ(count(QStringLiteral("Configuration not saved to ") +
                  QDir::toNativeSeparators(nowhere) + QStringLiteral(": Config. write Error")),
            1);
  window.prompts.saveAnswer = folder + QStringLiteral("site");
  Click(window, control::SaveButton);
  EXPECT_EQ(count(QStringLiteral("Configuration saved to ") + site), 1);

  window.prompts.openAnswer = folder + QStringLiteral("site");
  Click(window, control::LoadButton);
  EXPECT_EQ(count(QStringLiteral("Configuration loaded from ") + site), 1);
  // The device's record is kept before the loaded one replaces it.
  const QString backups =
      QDir::toNativeSeparators(window.DataFolder() + QStringLiteral("/backups/"));
  ASSERT_TRUE(
      WaitUntil([&] { return count(QStringLiteral("Backup saved: ") + backups) == 1; }, 2000))
      << window.Activity().Lines().join('\n').toStdString();

  Click(window, control::ClockSetButton);
  EXPECT_EQ(count(QStringLiteral("Device clock set to ")), 1);
  QFile log(window.Activity().Log().Path());
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains(QStringLiteral("Configuration saved to ")));
}

TEST(ManufacturerButtonsTest, FactoryDefault_SendsAtTheNextTickWithTheChosenLogo) {
  DeviceWindow window(Manufacturer(131, {QStringLiteral("house.dg1")}));
  ASSERT_TRUE(window.connected);
  QFile logoFile(window.DataFolder() + QStringLiteral("/logos/house.dg1"));
  ASSERT_TRUE(logoFile.open(QIODevice::WriteOnly));
  logoFile.write(QByteArray(700, '\x5a'));
  logoFile.close();
  auto* logo = window.Control<QComboBox>(manufacturercontrol::Logo);
  logo->setCurrentIndex(0);
  Q_EMIT logo->activated(0);
  Click(window, control::FactoryDefaultButton);
  EXPECT_EQ(window.Ctx().panel.SendCountdown, 1);
  ASSERT_TRUE(WaitUntil([&] { return window.device.Counters().factoryDefaults == 1; }, 1000));
  EXPECT_EQ(window.Payloads(cmd::WriteConfig).size(), 1);
  EXPECT_EQ(window.StoredConfig().LogoName, QStringLiteral("house.dg1"));
  ASSERT_TRUE(WaitUntil([&] { return !window.device.FlashTransfers().isEmpty(); }, 1000));
  EXPECT_EQ(window.device.FlashTransfers().back().data, QByteArray(700, '\x5a'));
}

// The bitmap header by the snapshot file table (little-endian fields).
const QByteArray kBitmapHeader = QByteArray::fromHex(
    "424d3e04000000000000"
    "3e000000"  // pixel rows at 62
    "280000008000000040000000"
    "0100"
    "0100"  // header size, 128 x 64, 1 plane, 1 bit
    "00000000"
    "00040000"
    "00000000000000000000000000000000"  // no compression, 1024 bytes
    "00000000"
    "ffffff00");  // black, white

TEST(ManufacturerButtonsTest, ClockResetAndSnapshot_ReachTheDeviceAndTheFile) {
  DeviceWindow window(Manufacturer(192));
  ASSERT_TRUE(window.connected);
  Click(window, control::ClockSetButton);
  ASSERT_EQ(window.device.Counters().clockSets, 1);
  const QByteArray clock = window.Payloads(cmd::System).back();
  ASSERT_EQ(clock.size(), 8);
  EXPECT_EQ(static_cast<std::uint8_t>(clock[1]) | static_cast<std::uint8_t>(clock[2]) << 8,
            QDate::currentDate().year());

  const QString base = window.DataFolder() + QStringLiteral("/shot");
  Click(window, control::SnapshotButton);  // cancelled: requested, nothing written
  EXPECT_EQ(window.device.Counters().snapshots, 1);
  EXPECT_EQ(window.prompts.saveRequests.value(0).title, QStringLiteral("SAVE"));
  EXPECT_EQ(window.prompts.saveRequests.value(0).filterPattern, QStringLiteral("*.bmp"));
  window.prompts.saveAnswer = base;
  Click(window, control::SnapshotButton);
  QFile file(base + QStringLiteral(".bmp"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bitmap = file.readAll();
  ASSERT_EQ(bitmap.size(), 1086);
  EXPECT_EQ(bitmap.left(62), kBitmapHeader);
  // The simulated picture: a white border and a diagonal from the top-left corner, two columns
  // per row. File rows run bottom to top, 16 bytes each, leftmost pixel in the top bit.
  const QByteArray pixels = bitmap.mid(62);
  EXPECT_EQ(pixels.left(16), QByteArray(16, '\xff')) << "bottom row";
  EXPECT_EQ(pixels.mid(1008, 16), QByteArray(16, '\xff')) << "top row";
  EXPECT_EQ(static_cast<std::uint8_t>(pixels[62 * 16]), 0xb0) << "row 1: border, x 2 and 3";
  EXPECT_EQ(static_cast<std::uint8_t>(pixels[62 * 16 + 15]), 0x01) << "row 1: right border";

  Click(window, control::ResetButton);
  EXPECT_EQ(window.Payloads(cmd::Restart), QList<QByteArray>{QByteArray()});
}

}  // namespace
}  // namespace ostrivane::uitest
