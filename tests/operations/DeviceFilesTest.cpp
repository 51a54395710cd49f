#include <gtest/gtest.h>

#include <QFile>

#include "OpsTestSupport.h"
#include "link/Commands.h"
#include "operations/DeviceFiles.h"
#include "sim/DeviceFiles.h"

namespace ostrivane {
namespace {

using opstest::Accept;
using opstest::Harness;
using opstest::Request;
using opstest::SimHarness;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QDateTime kClick(QDate(2024, 3, 5), QTime(9, 5, 7));

struct LogSession : SimHarness {
  LogSession(std::int64_t size0, std::int64_t size1) : SimHarness(Sized(size0, size1)) {}
  static sim::SimOptions Sized(std::int64_t size0, std::int64_t size1) {
    sim::SimOptions options = Options(131);
    options.logFile0Size = size0;
    options.logFileSize = size1;
    return options;
  }
  // 0xA0/3 payloads in order.
  QList<QByteArray> BlockRequests() const {
    QList<QByteArray> blocks;
    for (const auto& r : DeviceRequests(cmd::FileTransfer)) {
      if (r.payload.startsWith('\x03')) blocks.append(r.payload);
    }
    return blocks;
  }
};

TEST(DownloadLogs, BothFiles_AppendedInOrderWithProgressAndMessage) {
  LogSession s(5000, 2048);
  const QString path = DownloadLogs(s.ctx, kClick, s.folder.path());
  EXPECT_EQ(path, s.folder.filePath(QStringLiteral("LOG_20240305_090507.txt")));
  EXPECT_EQ(ReadAll(path), sim::DeviceFiles::LogText(QStringLiteral("logFile.0"), 5000) +
                               sim::DeviceFiles::LogText(QStringLiteral("logFile"), 2048));
  // Read block: 03, count le16 (catalogue of 0xA0).
  EXPECT_EQ(s.BlockRequests(),
            (QList<QByteArray>{QByteArray::fromHex("030008"), QByteArray::fromHex("030008"),
                               QByteArray::fromHex("038803"), QByteArray::fromHex("030008")}));
  EXPECT_EQ(s.status.progress, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                                   {5000, 2048}, {5000, 4096}, {5000, 5000}, {2048, 2048}}));
  EXPECT_EQ(s.status.texts.front().text, "Downloading file 1/2...");
  EXPECT_EQ(s.status.texts.back().text, "Downloading file 2/2...");
  ASSERT_EQ(s.prompts.messages.size(), 1u);
  EXPECT_EQ(s.prompts.messages[0].text, "Logs saved into " + path);
  EXPECT_EQ(s.prompts.messages[0].buttons, PromptButtons::Ok);

  // A second click appends to the same file instead of replacing it.
  DownloadLogs(s.ctx, kClick, s.folder.path());
  EXPECT_EQ(ReadAll(path).size(), 2 * (5000 + 2048));
}

TEST(DownloadLogs, OneByteOverABlockAndAnEmptyFile_TwoBlocksAndNoClose) {
  LogSession s(2049, 0);
  DownloadLogs(s.ctx, kClick, s.folder.path());
  EXPECT_EQ(s.BlockRequests(),
            (QList<QByteArray>{QByteArray::fromHex("030008"), QByteArray::fromHex("030100")}));
  // The empty file costs only its open request: no block and no close for it.
  const auto file = s.DeviceRequests(cmd::FileTransfer);
  ASSERT_EQ(file.size(), 5u);
  EXPECT_EQ(file[3].payload, QByteArray::fromHex("02"));
  EXPECT_TRUE(file[4].payload.startsWith('\x01'));
}

TEST(DownloadDeviceFile, FailedOrShortBlocks_WriteWhatTheBufferHeldBefore) {
  Harness h(131);
  int blocks = 0;
  h.responder = [&](const Request& r) {
    if (r.payload.startsWith('\x01')) return Accept(QByteArray::fromHex("a00f0000"));  // 4000
    if (!r.payload.startsWith('\x03')) return Accept();
    ++blocks;
    // First block short (10 of 2048), the second one unanswered.
    return blocks == 1 ? Accept(QByteArray(10, 'x')) : opstest::Silent();
  };
  const QString path = h.folder.filePath(QStringLiteral("out.txt"));
  EXPECT_FALSE(DownloadDeviceFile(h.ctx, QStringLiteral("/logFile"), path, 1, 2));
  const QByteArray written = ReadAll(path);
  // The buffer is filled with 0xAB once per file: the short block leaves the fill beyond its
  // reply, and the unanswered one writes the previous block's bytes again.
  const QByteArray firstBlock = QByteArray(10, 'x') + QByteArray(2038, '\xAB');
  EXPECT_EQ(written, firstBlock + firstBlock.left(1952));
  EXPECT_TRUE(h.link.LinkError);
  EXPECT_EQ(h.Sent(cmd::FileTransfer).back().payload, QByteArray::fromHex("02"));

  // A reply longer than the transfer buffer is cut to it.
  h.responder = [](const Request& r) {
    if (r.payload.startsWith('\x01')) return Accept(QByteArray::fromHex("10000000"));  // 16
    return Accept(QByteArray(3000, 'y'));
  };
  const QString other = h.folder.filePath(QStringLiteral("other.txt"));
  EXPECT_TRUE(DownloadDeviceFile(h.ctx, QStringLiteral("/logFile"), other, 1, 1));
  EXPECT_EQ(ReadAll(other), QByteArray(16, 'y'));
}

TEST(DownloadLogs, LocalFileCannotBeCreated_NothingSentMessageStillShown) {
  LogSession s(100, 100);
  const QString path = DownloadLogs(s.ctx, kClick, s.folder.filePath(QStringLiteral("no/such")));
  EXPECT_TRUE(s.device.Requests().isEmpty());
  ASSERT_EQ(s.prompts.messages.size(), 1u);
  EXPECT_EQ(s.prompts.messages[0].text, "Logs saved into " + path);
}

TEST(MultiStepTransfers, RefusedPiece_StopsUploadAndSkipsFlashEnd) {
  Harness h(121);
  // The third request of each transfer (its second piece) is refused.
  h.responder = [&](const Request&) { return h.log.size() == 3 ? opstest::Refuse() : Accept(); };
  EXPECT_FALSE(UploadDeviceFile(h.link, QStringLiteral("/mnt/logo.dg1"), QByteArray(1000, 'L')));
  ASSERT_EQ(h.log.size(), 4u);  // open, block, refused block, close
  EXPECT_EQ(h.log[0].payload, QByteArray("\x00/mnt/logo.dg1\x00", 15));
  EXPECT_EQ(h.log[1].payload, QByteArray(1, '\x04') + QByteArray(400, 'L'));
  EXPECT_EQ(h.log[3].payload, QByteArray::fromHex("02"));
  EXPECT_EQ(h.status.activity, (std::vector<bool>{true, true, true, false}));

  h.log.clear();
  const QByteArray data(1500, 'F');
  EXPECT_FALSE(
      WriteFlashArea(h.link, 750, {reinterpret_cast<const std::uint8_t*>(data.constData()), 1500}));
  ASSERT_EQ(h.log.size(), 3u);                                 // begin, piece, refused piece
  EXPECT_EQ(h.log[0].payload, QByteArray::fromHex("00ee02"));  // flash begin, area 750 le16

  // Nothing to upload: the open request alone.
  h.log.clear();
  EXPECT_TRUE(UploadDeviceFile(h.link, QStringLiteral("/a"), QByteArray()));
  EXPECT_EQ(h.log.size(), 1u);
}

}  // namespace
}  // namespace ostrivane
