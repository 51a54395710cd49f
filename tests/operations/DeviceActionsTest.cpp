#include <gtest/gtest.h>

#include <QFile>

#include "OpsTestSupport.h"
#include "link/Commands.h"
#include "operations/DeviceActions.h"
#include "texts/TextTable.h"

namespace ostrivane {
namespace {

using opstest::Accept;
using opstest::Harness;
using opstest::Request;
using opstest::SimHarness;

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Clock, Payloads_YearLittleEndianAndFailureMarkers) {
  Harness h(131);
  SendDeviceClock(h.link, 2024, 3, 5, 14, 7, 9);
  SetClockFromComputer(h.ctx, QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59)));
  SetClockFromComputer(h.ctx, QDateTime());
  const auto sent = h.Sent(cmd::System);
  ASSERT_EQ(sent.size(), 3u);
  // Set clock: 00, year le16, month, day, hour, minute, second.
  EXPECT_EQ(sent[0].payload, QByteArray::fromHex("00e80703050e0709"));
  EXPECT_EQ(sent[1].payload, QByteArray::fromHex("00e0070c1f173b3b"));
  EXPECT_EQ(sent[2].payload, QByteArray::fromHex("0000000000ffffff"));
}

TEST(SnapshotToBitmap, HeaderAndPixelPlacement) {
  // File header, information header and the black/white palette of the bitmap table.
  const QByteArray header = QByteArray::fromHex(
      "424d 3e040000 0000 0000 3e000000"
      "28000000 80000000 40000000 0100 0100 00000000 00040000"
      "00000000 00000000 00000000 00000000"
      "00000000 ffffff00");
  QByteArray data(1024, '\0');
  data[0] = '\x01';  // top-left pixel
  QByteArray bmp = SnapshotToBitmap(Span(data));
  ASSERT_EQ(bmp.size(), 1086);
  EXPECT_EQ(bmp.left(62), header);
  QByteArray pixels = bmp.mid(62);
  EXPECT_EQ(static_cast<std::uint8_t>(pixels[1008]), 0x80);
  EXPECT_EQ(pixels.count('\0'), 1023);

  data.fill('\0');
  data[1023] = '\x80';  // bottom-right pixel
  pixels = SnapshotToBitmap(Span(data)).mid(62);
  EXPECT_EQ(static_cast<std::uint8_t>(pixels[15]), 0x01);
  EXPECT_EQ(pixels.count('\0'), 1023);

  EXPECT_EQ(SnapshotToBitmap(Span(QByteArray(1024, '\xFF'))).mid(62), QByteArray(1024, '\xFF'));
  // Pixels the device did not send stay black.
  pixels = SnapshotToBitmap(Span(QByteArray(128, '\xFF'))).mid(62);
  EXPECT_EQ(pixels.right(128), QByteArray(128, '\xFF'));
  EXPECT_EQ(pixels.left(896), QByteArray(896, '\0'));
}

TEST(CaptureSnapshot, RequestBeforeDialog_NameRuleAndCancel) {
  SimHarness s(SimHarness::Options(131));
  s.prompts.savePath = s.folder.filePath(QStringLiteral("shot"));
  CaptureSnapshot(s.ctx);
  ASSERT_EQ(s.prompts.saveDialogs.size(), 1u);
  const FileDialogRequest& dialog = s.prompts.saveDialogs[0];
  EXPECT_EQ(dialog.title, "SAVE");
  EXPECT_EQ(dialog.filterDescription, "Bitmap.");
  EXPECT_EQ(dialog.filterPattern, "*.bmp");
  EXPECT_TRUE(dialog.overwritePrompt);
  EXPECT_TRUE(dialog.folder.isEmpty());
  const QByteArray bmp = ReadAll(s.folder.filePath(QStringLiteral("shot.bmp")));
  ASSERT_EQ(bmp.size(), 1086);
  // The simulated picture has a white border: the top row is the last row of the file.
  EXPECT_EQ(bmp.right(16), QByteArray(16, '\xFF'));

  s.prompts.savePath.clear();
  CaptureSnapshot(s.ctx);
  EXPECT_EQ(s.device.Counters().snapshots, 2);  // cancelled after the request went out

  EXPECT_EQ(WithBitmapExtension("shot.BMP"), "shot.BMP");
  EXPECT_EQ(WithBitmapExtension("shot.Bmp"), "shot.Bmp");
  EXPECT_EQ(WithBitmapExtension("shot.bmp.txt"), "shot.bmp.txt.bmp");
}

TEST(CaptureSnapshot, FailedRequestAndUncreatableFile) {
  Harness h(131);
  h.responder = [](const Request&) { return opstest::Silent(); };
  h.prompts.savePath = h.folder.filePath(QStringLiteral("black.bmp"));
  CaptureSnapshot(h.ctx);
  EXPECT_EQ(h.prompts.saveDialogs.size(), 1u);
  EXPECT_EQ(ReadAll(h.prompts.savePath).mid(62), QByteArray(1024, '\0'));

  h.prompts.savePath = h.folder.filePath(QStringLiteral("missing/dir/x.bmp"));
  CaptureSnapshot(h.ctx);
  EXPECT_EQ(h.prompts.beeps, (std::vector<std::pair<int, int>>{{440, 250}}));

  EXPECT_FALSE(CaptureSnapshotTo(h.ctx, h.folder.filePath(QStringLiteral("cli.bmp"))));
  EXPECT_FALSE(QFile::exists(h.folder.filePath(QStringLiteral("cli.bmp"))));
}

TEST(EdidRepair, Confirmations_DecideTheRequest) {
  Harness h(131);
  h.prompts.answers = {PromptAnswer::Cancel};
  RequestEdidRepair(h.ctx);
  EXPECT_EQ(h.prompts.messages.size(), 1u);
  EXPECT_FALSE(h.flags.EdidRequest);

  h.prompts.answers = {PromptAnswer::Ok, PromptAnswer::Cancel};
  RequestEdidRepair(h.ctx);
  EXPECT_EQ(h.prompts.messages.size(), 3u);
  EXPECT_FALSE(h.flags.EdidRequest);

  h.settings.SetLanguageIndex(1);
  h.prompts.answers = {PromptAnswer::Ok, PromptAnswer::Ok};
  RequestEdidRepair(h.ctx);
  EXPECT_TRUE(h.flags.EdidRequest);
  EXPECT_TRUE(h.log.empty());  // the connection loop sends it later
  const MessageBoxRequest& second = h.prompts.messages.back();
  EXPECT_EQ(second.owner, PromptOwner::Panel);
  EXPECT_EQ(second.caption, "Ostrivane");
  EXPECT_EQ(second.text, LocalText(text::EdidConfirm2, 1));
  EXPECT_EQ(second.buttons, PromptButtons::OkCancel);
  EXPECT_EQ(second.icon, PromptIcon::Exclamation);
  EXPECT_TRUE(second.cancelIsDefault);
}

TEST(EdidRepair, ManufacturerModeSendsAtOnce_LoopStepClosesSerial) {
  SimHarness s(SimHarness::Options(131));
  s.settings.SetModes(true, false);
  RequestEdidRepair(s.ctx);
  EXPECT_TRUE(s.prompts.messages.empty());
  EXPECT_EQ(s.device.Counters().edidProgrammings, 1);
  EXPECT_TRUE(s.link.IsConnected());
  s.status.texts.clear();

  s.flags.EdidRequest = true;
  ProgramEdid(s.ctx);
  EXPECT_FALSE(s.flags.EdidRequest);
  EXPECT_TRUE(s.status.warning);
  // The programming text, then what came of it and what to do next.
  ASSERT_EQ(s.status.texts.size(), 2u);
  EXPECT_EQ(s.status.texts[0].text, LocalText(text::EdidProgramming, 0));
  EXPECT_EQ(s.status.texts[0].durationMs, 5000);
  EXPECT_FALSE(s.status.texts[0].wait);
  EXPECT_EQ(s.status.texts[1].text,
            QStringLiteral("EDID repaired: unplug and replug the HDMI source."));
  EXPECT_EQ(s.device.Counters().edidProgrammings, 2);
  EXPECT_TRUE(s.DeviceRequests(cmd::FileTransfer).back().payload.isEmpty());
  EXPECT_FALSE(s.link.IsConnected());
}

TEST(ResetDevice, RestartThenSerialClosed_NetworkLinkStays) {
  SimHarness serial(SimHarness::Options(131));
  ResetDevice(serial.ctx);
  EXPECT_EQ(serial.device.Counters().restarts, 1);
  EXPECT_FALSE(serial.link.IsConnected());

  Harness tcp(131);
  ResetDevice(tcp.ctx);
  EXPECT_EQ(tcp.Sent(cmd::Restart).size(), 1u);
  EXPECT_TRUE(tcp.link.IsConnected());
}

}  // namespace
}  // namespace ostrivane
