// The device thread: jobs run off the window's thread, one at a time, on a copy of the model that
// is merged back before their completion runs; closing never waits on a question or a dead device.
#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <future>

#include "UiTestSupport.h"
#include "link/Commands.h"
#include "ui/device/DeviceThread.h"

namespace ostrivane::uitest {
namespace {

// Records which model the displays saw when the window replayed them.
class SeenDisplays final : public PanelDisplays {
 public:
  explicit SeenDisplays(const DeviceConfig& config) : m_config(config) {}
  void RefreshScheduleList() override { seen.append(m_config.Reference); }
  void ShowUsbStatus() override {}
  void ShowServiceTabLabels() override {}
  void ShowBitrateMeter() override {}
  void SetClockText(const QString& text) override { clockTexts.append(text); }

  QStringList seen;
  QStringList clockTexts;

 private:
  const DeviceConfig& m_config;
};

struct WindowModel {
  WindowModel() : link(clock, status), displays(config) {}

  OperationContext Context() {
    return OperationContext{link,     identity, config, panel,   shape,    deviceStatus,
                            settings, flags,    status, prompts, displays, clock};
  }

  AcceleratedClock clock{kClockFactor};
  NullStatusSink status;
  CXmit link;
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  RecordingPrompts prompts;
  SeenDisplays displays;
};

struct Fixture {
  Fixture() : ctx(model.Context()), device(ctx, mailbox, model.prompts) { device.Start(); }

  WindowModel model;
  OperationContext ctx;
  WindowMailbox mailbox;
  DeviceThread device;
};

TEST(DeviceThreadTest, Jobs_RunInOrderOffTheWindowThreadAndMergeBeforeTheirCompletion) {
  Fixture f;
  QList<bool> onWindowThread;
  int completions = 0;
  for (int i = 0; i < 3; ++i) {
    f.device.Submit(
        [&onWindowThread](OperationContext& ctx) {
          onWindowThread.append(QThread::currentThread() == qApp->thread());
          // Each job starts from the model its predecessor left.
          ctx.config.NetworkId += 1;
          ctx.config.Reference = QStringLiteral("job %1").arg(ctx.config.NetworkId);
          ctx.displays.RefreshScheduleList();
        },
        [&] {
          ++completions;
          EXPECT_TRUE(QThread::currentThread() == qApp->thread());
          EXPECT_EQ(f.model.config.NetworkId, completions);
        });
  }
  ASSERT_TRUE(WaitUntil([&] { return completions == 3; }, 3000));
  EXPECT_EQ(onWindowThread, (QList<bool>{false, false, false}));
  // The displays ran on the window's thread with the job's model already merged.
  EXPECT_EQ(f.model.displays.seen, (QStringList{QStringLiteral("job 1"), QStringLiteral("job 2"),
                                                QStringLiteral("job 3")}));
  EXPECT_FALSE(f.device.Busy());
}

TEST(DeviceThreadTest, EditWhileAJobRuns_TheEditWinsAndTheJobKeepsWhatItAloneChanged) {
  Fixture f;
  f.model.config.NetworkName = QStringLiteral("before");
  f.model.panel.SendCountdown = 1;
  f.model.panel.FactoryDefaultRequest = 1;
  std::promise<void> edited;
  std::shared_future<void> editDone = edited.get_future().share();
  std::atomic<bool> started{false};
  bool done = false;
  f.device.Submit(
      [&](OperationContext& ctx) {
        started = true;
        editDone.wait();
        // What a send and read-back does: the device's record replaces the model, the countdown
        // and the factory request are consumed, a poll updates the status.
        ctx.config.NetworkName = QStringLiteral("device");
        ctx.config.NetworkId = 77;
        ctx.panel.SendCountdown = 0;
        ctx.panel.FactoryDefaultRequest = 0;
        ctx.deviceStatus.current.UsbMode = 3;
      },
      [&] { done = true; });
  ASSERT_TRUE(WaitUntil([&] { return started.load(); }, 2000));
  // The installer types while the job runs: the page's read-back marks the model for sending.
  f.model.config.NetworkName = QStringLiteral("typed");
  f.model.panel.MarkForSending();
  edited.set_value();
  ASSERT_TRUE(WaitUntil([&] { return done; }, 2000));

  EXPECT_EQ(f.model.config.NetworkName, QStringLiteral("typed"));
  EXPECT_EQ(f.model.config.NetworkId, 0) << "the edited model is kept whole, to be sent again";
  EXPECT_EQ(f.model.panel.SendCountdown, PanelState::kSendDelayTicks);
  EXPECT_EQ(f.model.panel.FactoryDefaultRequest, 0);
  EXPECT_EQ(f.model.deviceStatus.current.UsbMode, 3);
}

// A request the user makes while a job consumes the same kind of request (the countdown, the
// factory default, the player command) is the newer one and must survive the job's merge.
struct RequestDuringJob {
  const char* name;
  std::function<void(PanelState&)> pending;  // what the job starts with
  std::function<void(PanelState&)> consume;  // what the job's send or tick does with it
  std::function<void(PanelState&)> request;  // the user, while the job runs
  std::function<void(const PanelState&)> expect;
};

TEST(DeviceThreadTest, RequestWhileAJobConsumesTheSameKind_TheNewRequestStaysPending) {
  const auto consumeSend = [](PanelState& p) {
    p.SendCountdown = 0;
    p.FactoryDefaultRequest = 0;
    p.FourKChanged = 0;
    p.SentRequest = p.Requests.send;
  };
  const RequestDuringJob cases[] = {
      {"close during the last send", [](PanelState& p) { p.RequestSendNow(); }, consumeSend,
       [](PanelState& p) { p.RequestSendNow(); },
       [](const PanelState& p) {
         EXPECT_EQ(p.SendCountdown, 1);
         EXPECT_TRUE(p.UnsentEdits());
       }},
      {"factory default during a send", [](PanelState& p) { p.RequestSendNow(); }, consumeSend,
       [](PanelState& p) { p.RequestFactoryDefault(); },
       [](const PanelState& p) {
         EXPECT_EQ(p.SendCountdown, 1);
         EXPECT_EQ(p.FactoryDefaultRequest, 1);
       }},
      {"4K change during a send", [](PanelState& p) { p.RequestSendNow(); }, consumeSend,
       [](PanelState& p) { p.RequestFourKChange(); },
       [](const PanelState& p) {
         EXPECT_EQ(p.SendCountdown, PanelState::kSendDelayTicks);
         EXPECT_EQ(p.FourKChanged, 1);
       }},
      {"second play while the first goes out", [](PanelState& p) { p.RequestPlayer(1); },
       [](PanelState& p) { p.PlayerCommand = 0; }, [](PanelState& p) { p.RequestPlayer(1); },
       [](const PanelState& p) { EXPECT_EQ(p.PlayerCommand, 1); }},
  };
  for (const RequestDuringJob& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    c.pending(f.model.panel);
    std::promise<void> requested;
    std::shared_future<void> requestDone = requested.get_future().share();
    std::atomic<bool> started{false};
    bool done = false;
    f.device.Submit(
        [&](OperationContext& ctx) {
          started = true;
          requestDone.wait();
          c.consume(ctx.panel);
        },
        [&] { done = true; });
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }, 2000));
    c.request(f.model.panel);
    requested.set_value();
    ASSERT_TRUE(WaitUntil([&] { return done; }, 2000));
    c.expect(f.model.panel);
  }
}

TEST(DeviceThreadTest, Finish_AnswersAPendingQuestionCautiouslyWithoutShowingIt) {
  Fixture f;
  std::atomic<bool> asking{false};
  PromptAnswer answer = PromptAnswer::Ok;
  QString file = QStringLiteral("unchanged");
  f.device.Submit([&](OperationContext& ctx) {
    asking = true;
    MessageBoxRequest request;
    request.buttons = PromptButtons::OkCancel;
    answer = ctx.prompts.ShowMessage(request);
    file = ctx.prompts.GetSaveFileName({});
  });
  while (!asking.load()) QThread::msleep(1);
  // Blocks the window's thread: the question posted to it cannot be shown, and must not be waited
  // for.
  f.device.Finish();
  EXPECT_EQ(answer, PromptAnswer::Cancel);
  EXPECT_TRUE(file.isEmpty());
  QCoreApplication::processEvents();
  EXPECT_TRUE(f.model.prompts.messages.isEmpty());
}

TEST(DeviceThreadTest, EndRunningJob_EndsItAfterItsCurrentRequestAndSparesTheNextJob) {
  SimDevice sim(131);
  sim.GoSilent();
  Fixture f;
  std::atomic<int> failed{0};
  f.device.Submit([&](OperationContext& ctx) {
    ConnectionOptions options;
    options.tcpPort = sim.TcpPort();
    if (!ConnectTcp(ctx.link, QStringLiteral("127.0.0.1"), options)) return;
    for (int i = 0; i < 5; ++i) failed += !ctx.link.Transact(cmd::ReadStatus, {}, timeout::Normal);
  });
  bool nextRan = false;
  ASSERT_TRUE(WaitUntil([&] { return sim.Count(cmd::ReadStatus) >= 1; }, 3000));
  f.device.EndRunningJob();
  // Queued after the ending job, like the panel's last send when the window closes.
  f.device.Submit([&](OperationContext& ctx) {
    nextRan = true;
    ctx.link.Transact(cmd::ReadConfig, {}, timeout::Normal);
  });
  f.device.Finish();
  EXPECT_EQ(failed.load(), 5);
  // The request under way had its two attempts; none of the four after it went out.
  EXPECT_LE(sim.Count(cmd::ReadStatus), 2);
  EXPECT_TRUE(nextRan);
  EXPECT_GE(sim.Count(cmd::ReadConfig), 1) << "the job after it was sent normally";
}

}  // namespace
}  // namespace ostrivane::uitest
