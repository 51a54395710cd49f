// The SERVICE page against simulated modulators of several models: read-back rules, codec lists,
// what each model enables, the A.I.T. change counter, the channel pick, the tab labels, and one
// send of the typed values about two seconds after the last edit.
#include <gtest/gtest.h>

#include <QScopedValueRollback>

#include <QElapsedTimer>

#include "MultiplexServiceTestSupport.h"
#include "link/Commands.h"

namespace ostrivane::uitest {
namespace {

using namespace svccontrol;

TEST(ServicePageTest, TypedValues_TakeEachFieldsRuleOnTheChosenService) {
  OpenPanel panel(142);  // two services, gain field and audio delay
  ASSERT_TRUE(panel.connected);
  panel.ShowPage(1);
  panel.Find<QTabBar>(control::ServiceTabs)->setCurrentIndex(1);
  ASSERT_EQ(panel.Panel().CurrentService(), 1);
  ServiceSettings& service = panel.Config().Services[1];
  const ServiceSettings first = panel.Config().Services[0];

  struct Case {
    int id;
    const char* typed;
    std::int32_t ServiceSettings::*field;
    std::int32_t stored;
  };
  const Case cases[] = {
      {PmtPid, "5", &ServiceSettings::PmtPid, 32},
      {PmtPid, "-40", &ServiceSettings::PmtPid, 32},
      {PmtPid, "70000", &ServiceSettings::PmtPid, 70000},
      {VideoPid, "5", &ServiceSettings::VideoPid, 33},
      {AudioPid, "5", &ServiceSettings::AudioPid, 34},
      {AudioPid, "32", &ServiceSettings::AudioPid, 32},
      {ServiceId, "65536", &ServiceSettings::ServiceId, 100},
      {ServiceId, "-1", &ServiceSettings::ServiceId, 100},
      {ServiceId, "65535", &ServiceSettings::ServiceId, 65535},
      {Lcn, "0", &ServiceSettings::Lcn, 801},
      {Lcn, "", &ServiceSettings::Lcn, 801},
      {Lcn, "-7", &ServiceSettings::Lcn, 801},
      {Lcn, "7", &ServiceSettings::Lcn, 7},
      {VideoBitrate, "499", &ServiceSettings::VideoBitrateKbps, 9000},
      {VideoBitrate, "15001", &ServiceSettings::VideoBitrateKbps, 9000},
      {VideoBitrate, "15000", &ServiceSettings::VideoBitrateKbps, 15000},
      {Gain, "101", &ServiceSettings::GainPercent, 100},
      {Gain, "-5", &ServiceSettings::GainPercent, 100},
      {Gain, "50", &ServiceSettings::GainPercent, 50},
      {Delay, "-1000", &ServiceSettings::AudioDelayMs, 0},
      {Delay, "1000", &ServiceSettings::AudioDelayMs, 0},
      {Delay, "-5", &ServiceSettings::AudioDelayMs, -5},
      {Delay, "-2147483649", &ServiceSettings::AudioDelayMs, 0},
      {Delay, "999", &ServiceSettings::AudioDelayMs, 999},
  };
  for (const Case& c : cases) {
    auto* edit = panel.Find<QLineEdit>(c.id);
    ASSERT_TRUE(edit->isEnabled()) << c.id;
    TypeInto(edit, QString::fromLatin1(c.typed));
    EXPECT_EQ(service.*c.field, c.stored) << c.id << " typed '" << c.typed << "'";
  }
  TypeInto(panel.Find<QComboBox>(ServiceName), QString(40, QLatin1Char('S')));
  EXPECT_EQ(service.ServiceName, QString(32, QLatin1Char('S')));
  EXPECT_EQ(panel.Config().Services[0], first) << "an edit of service 2 reached service 1";
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 10);
}

TEST(ServicePageTest, Model121_OffersMpeg2AndEditsHdLcnAndEventTexts) {
  OpenPanel panel(121);
  ASSERT_TRUE(panel.connected);
  panel.ShowPage(1);
  EXPECT_EQ(Items(panel.Find<QComboBox>(VideoCodec)), QStringList({"H264", "MPEG2-SD", "MPEG2"}));
  EXPECT_EQ(Items(panel.Find<QComboBox>(AudioCodec)), QStringList({"AAC-LC", "MPEG1-L2"}));
  EXPECT_EQ(Items(panel.Find<QComboBox>(AudioBitrate)),
            QStringList({"128 Kb/s", "192 Kb/s", "256 Kb/s", "320  Kb/s"}));
  for (int id : {HdLcn, EitName, EitText, EitLabel, HdLcnLabel}) {
    EXPECT_TRUE(panel.Find(id)->isEnabled()) << id;
  }
  for (int id : {Delay, Gain, AitEnabled, AitPid}) EXPECT_FALSE(panel.Find(id)->isEnabled()) << id;
  // Sources follow the hardware: LITE records carry none of their own.
  EXPECT_EQ(panel.Find(VideoSource)->isEnabled(), panel.Config().HardwareType == 0);

  TypeInto(panel.Find<QLineEdit>(HdLcn), QStringLiteral("0"));
  EXPECT_EQ(panel.Config().HdLcn, 1);
  TypeInto(panel.Find<QLineEdit>(EitName), QString(50, QLatin1Char('e')));
  EXPECT_EQ(panel.Config().Services[0].EitEventName, QString(40, QLatin1Char('e')));
  TypeInto(panel.Find<QLineEdit>(EitText), QString(120, QLatin1Char('t')));
  EXPECT_EQ(panel.Config().Services[0].EitEventText, QString(100, QLatin1Char('t')));
  Choose(panel.Find<QComboBox>(VideoCodec), 2);
  EXPECT_EQ(panel.Config().VideoCodec, 2);
}

TEST(ServicePageTest, CodecListsAndDelayRange_FollowTheModel) {
  {
    OpenPanel panel(192);
    ASSERT_TRUE(panel.connected);
    panel.ShowPage(1);
    EXPECT_EQ(Items(panel.Find<QComboBox>(VideoCodec)), QStringList({"H264", "H265"}));
    EXPECT_EQ(Items(panel.Find<QComboBox>(AudioCodec)), QStringList({"AAC-LC"}));
    ASSERT_TRUE(panel.Find(Delay)->isEnabled());
    TypeInto(panel.Find<QLineEdit>(Delay), QStringLiteral("-5"));
    EXPECT_EQ(panel.Config().Services[0].AudioDelayMs, 0);
    TypeInto(panel.Find<QLineEdit>(Delay), QStringLiteral("5"));
    EXPECT_EQ(panel.Config().Services[0].AudioDelayMs, 5);
    EXPECT_FALSE(panel.Find(Gain)->isEnabled());
    EXPECT_FALSE(panel.Find(AitEnabled)->isEnabled());
  }
  OpenPanel panel(131);
  ASSERT_TRUE(panel.connected);
  panel.ShowPage(1);
  EXPECT_EQ(Items(panel.Find<QComboBox>(VideoCodec)), QStringList({"H264"}));
  EXPECT_EQ(Items(panel.Find<QComboBox>(AudioCodec)), QStringList({"AAC-LC", "MPEG1-L2"}));
  EXPECT_TRUE(panel.Find(VideoCodec)->isEnabled());
  EXPECT_FALSE(panel.Find(Delay)->isEnabled()) << "model 131 has no audio delay";
  EXPECT_FALSE(panel.Find(HdLcn)->isEnabled());
  EXPECT_FALSE(panel.Find(EitName)->isEnabled());
  Choose(panel.Find<QComboBox>(AudioCodec), 1);
  EXPECT_EQ(panel.Config().Services[0].AudioCodec, 1);
}

TEST(ServicePageTest, Model156_DisablesLcnAndEditsTheApplicationOnceSwitchedOn) {
  OpenPanel panel(156);
  ASSERT_TRUE(panel.connected);
  panel.ShowPage(1);
  EXPECT_FALSE(panel.Find(Lcn)->isEnabled());
  EXPECT_FALSE(panel.Find(LcnLabel)->isEnabled());
  auto* aitOn = panel.Find<QCheckBox>(AitEnabled);
  ASSERT_TRUE(aitOn->isEnabled());
  ASSERT_FALSE(aitOn->isChecked());
  for (int id : {AitPid, AitControl, AitOrganisation, AitName, AitRoot, AitPath, AitPidLabel}) {
    EXPECT_FALSE(panel.Find(id)->isEnabled()) << id;
  }
  ClickButton(aitOn);
  ServiceSettings& service = panel.Config().Services[0];
  EXPECT_EQ(service.AitEnabled, 1);
  for (int id : {AitPid, AitControl, AitOrganisation, AitName, AitRoot, AitPath, AitPathLabel}) {
    EXPECT_TRUE(panel.Find(id)->isEnabled()) << id;
  }
  TypeInto(panel.Find<QLineEdit>(AitPid), QStringLiteral("5"));
  EXPECT_EQ(service.AitPid, 100);
  TypeInto(panel.Find<QLineEdit>(AitPath), QString(70, QLatin1Char('p')));
  EXPECT_EQ(service.AitPath, QString(60, QLatin1Char('p')));
  Choose(panel.Find<QComboBox>(AitControl), 8);
  EXPECT_EQ(service.AitControlCode, 8);

  // The organisation id is a 32-bit unsigned number: it comes back as it was typed.
  auto* organisation = panel.Find<QLineEdit>(AitOrganisation);
  TypeInto(organisation, QStringLiteral("4294967295"));
  EXPECT_EQ(static_cast<std::uint32_t>(service.AitOrganisationId), 4294967295U);
  panel.Refill();
  EXPECT_EQ(organisation->text(), QStringLiteral("4294967295"));
  TypeInto(panel.Find<QLineEdit>(AitName), QStringLiteral("Quiz"));
  EXPECT_EQ(static_cast<std::uint32_t>(service.AitOrganisationId), 4294967295U);
  TypeInto(organisation, QStringLiteral("-1"));
  EXPECT_EQ(service.AitOrganisationId, 0);
  TypeInto(organisation, QStringLiteral("4294967296"));
  EXPECT_EQ(service.AitOrganisationId, 0);
}

TEST(ServicePageTest, AitVersion_CountsEachAitEditAndEachRewriteByAFill) {
  OpenPanel panel(156);
  ASSERT_TRUE(panel.connected);
  const std::int32_t& version = panel.Config().Services[0].AitVersion;
  const std::int32_t start = version;
  panel.ShowPage(1);
  // The fill rewrote the five A.I.T. edits, which counts, but sends nothing.
  EXPECT_EQ(version, start + 5);
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 0);
  panel.Refill();
  EXPECT_EQ(version, start + 10) << "an unchanged text counts as well";

  ClickButton(panel.Find<QCheckBox>(AitEnabled));
  EXPECT_EQ(version, start + 11);
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 10);
  QTest::keyClicks(panel.Find<QLineEdit>(AitRoot), QStringLiteral("ab"));
  EXPECT_EQ(version, start + 13) << "one per typed character";
  Choose(panel.Find<QComboBox>(AitControl), 2);
  EXPECT_EQ(version, start + 14);

  // Set by the program while it fills the page, not by the installer: nothing counts.
  {
    const QScopedValueRollback<std::int32_t> filling(panel.Ctx().panel.UpdatingGuard, 1);
    panel.Find<QCheckBox>(AitEnabled)->setChecked(false);
  }
  panel.Find<QComboBox>(AitControl)->setCurrentIndex(3);
  EXPECT_EQ(version, start + 14);
  // Other fields do not count.
  TypeInto(panel.Find<QLineEdit>(ServiceId), QStringLiteral("9"));
  EXPECT_EQ(version, start + 14);
}

TEST(ServicePageTest, ChannelPick_FillsNameIdAndLcnAndMarksForSending) {
  QTemporaryDir data;
  ASSERT_TRUE(WriteDataFolder(data.path(), "EN\n", "5,News,7\n12,Sports,30,extra\n"));
  MultiplexServiceBench bench(131, data.path());
  bench.config.Services[0].ServiceName = QStringLiteral("Before");
  bench.Open(*bench.service);
  auto* names = bench.Find<QComboBox>(ServiceName);
  ASSERT_EQ(Items(names), QStringList({"News", "Sports"}));
  EXPECT_EQ(names->currentText(), QStringLiteral("Before"));
  EXPECT_EQ(bench.panel.SendCountdown, 0);

  Choose(names, 1);
  const ServiceSettings& service = bench.config.Services[0];
  EXPECT_EQ(service.ServiceName, QStringLiteral("Sports"));
  EXPECT_EQ(service.ServiceId, 12);
  EXPECT_EQ(service.Lcn, 30);
  EXPECT_EQ(bench.Find<QLineEdit>(svccontrol::ServiceId)->text(), QStringLiteral("12"));
  EXPECT_EQ(bench.Find<QLineEdit>(Lcn)->text(), QStringLiteral("30"));
  EXPECT_EQ(bench.panel.SendCountdown, 10);

  // A typed name is taken as typed and never joins the channel list.
  TypeInto(names, QStringLiteral("My own"));
  QTest::keyClick(names->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(service.ServiceName, QStringLiteral("My own"));
  EXPECT_EQ(names->count(), 2);
  EXPECT_EQ(service.ServiceId, 12);
}

TEST(ServicePageTest, ServiceTabs_ShowEachInputAndTheApplicationOnlyWhereOffered) {
  OpenPanel panel(176);
  ASSERT_TRUE(panel.connected);
  panel.sim.device.SetServiceStatus(0, {0, 0, 0, 0, 0, 0});
  panel.sim.device.SetServiceStatus(1, {1, 1080, 0, 50, 0, 0});
  panel.sim.device.SetServiceStatus(2, {0, 0, 0, 0, 0, 0});
  panel.sim.device.SetServiceStatus(3, {1, 720, 1, 60, 1, 0});
  panel.ShowPage(1);
  auto* tabs = panel.Find<QTabBar>(control::ServiceTabs);
  ASSERT_EQ(tabs->count(), 4);
  ASSERT_TRUE(WaitUntil([&] { return tabs->tabText(3) == "M2B 720P60 AC3"; }, 2000));
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("M1A"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("M1B 1080i50 PCM"));
  EXPECT_EQ(tabs->tabText(2), QStringLiteral("M2A 1080i50 PCM"));
  EXPECT_EQ(tabs->height(), tabs->sizeHint().height()) << "the strip is squeezed";

  tabs->setCurrentIndex(2);
  EXPECT_EQ(panel.Find<QComboBox>(ServiceName)->currentText(),
            panel.Config().Services[2].ServiceName);
  TypeInto(panel.Find<QLineEdit>(ServiceId), QStringLiteral("4242"));
  EXPECT_EQ(panel.Config().Services[2].ServiceId, 4242);
  // Model 176 signals no application, on no tab.
  EXPECT_FALSE(panel.Find(AitEnabled)->isEnabled());
  EXPECT_FALSE(panel.Find(Gain)->isEnabled());
}

// StandardLayout, type 131, hand-counted from the default record of the simulated device:
// Reference "Ostrivane 131" + 0 (bytes 0-13), DefaultCountry 14, CountryMirror 15, le32
// FrequencyKhz 16-19, six modulation bytes 20-25, NetworkVersion 26, le16 NetworkId 27-28, le16
// OriginalNetworkId 29-30, NetworkName "Ostrivane" + 0 (31-40), le16 TsId 41-42, then the one
// service block: le16 ServiceId 43-44, LcnType 45, le16 Lcn 46-47, ServiceName from 48.
TEST(ServicePageTest, EditBurst_SentOnceAboutTwoSecondsAfterTheLastEdit) {
  OpenPanel panel(131);
  ASSERT_TRUE(panel.connected);
  TypeInto(panel.Find<QLineEdit>(mpxcontrol::Frequency), QStringLiteral("650000"));
  TypeInto(panel.Find<QLineEdit>(mpxcontrol::TsId), QStringLiteral("4660"));
  panel.ShowPage(1);
  TypeInto(panel.Find<QComboBox>(ServiceName), QStringLiteral("Haus \"7\""));
  TypeInto(panel.Find<QLineEdit>(Lcn), QStringLiteral("0"));
  QElapsedTimer sinceLastEdit;
  sinceLastEdit.start();
  ASSERT_EQ(panel.sim.Count(cmd::WriteConfig), 0);

  ASSERT_TRUE(WaitUntil([&] { return panel.sim.Count(cmd::WriteConfig) > 0; }, 4000));
  const qint64 delay = sinceLastEdit.elapsed();
  EXPECT_GE(delay, 1800);
  EXPECT_LE(delay, 3200);
  QTest::qWait(600);
  EXPECT_EQ(panel.sim.Count(cmd::WriteConfig), 1) << "one send for the whole burst";

  const QByteArray record = panel.sim.device.ConfigRecord();
  ASSERT_GE(record.size(), 57);
  EXPECT_EQ(record.mid(16, 4), QByteArray::fromHex("10eb0900"));  // 650000
  EXPECT_EQ(record.mid(41, 2), QByteArray::fromHex("3412"));      // 4660
  EXPECT_EQ(record.mid(46, 2), QByteArray::fromHex("2103"));      // LCN 0 is sent as 801
  // The double quote has no byte of its own in the device's character set.
  EXPECT_EQ(record.mid(48, 9), QByteArray::fromHex("48617573202e372e00"));
  // The record read back after the send is what the model now holds.
  ASSERT_TRUE(
      WaitUntil([&] { return panel.Config().Services[0].ServiceName == "Haus .7."; }, 1000));
  EXPECT_EQ(panel.Config().Modulators[0].FrequencyKhz, 650000);
}

TEST(ServicePageTest, Labels_InTheInstallersLanguageAndSpokenUniquely) {
  QTemporaryDir data;
  ASSERT_TRUE(WriteDataFolder(data.path(), "FR\n", {}));
  MultiplexServiceBench bench(156, data.path());
  bench.Open(*bench.service);
  EXPECT_EQ(bench.Find<QLabel>(LcnLabel)->text(), QStringLiteral("LCN :"));
  EXPECT_EQ(bench.Find<QLabel>(NameLabel)->text(), QStringLiteral("Nom :"));
  EXPECT_EQ(bench.Find<QLabel>(EitTextLabel)->text(), QStringLiteral("Texte :"));
  EXPECT_EQ(bench.Find<QLabel>(EitNameLabel)->accessibleName(), QStringLiteral("E.I.T. Nom"));
  EXPECT_EQ(Items(bench.Find<QComboBox>(AitControl)),
            QStringList({"reserved", "autostart", "present", "destroy", "kill", "prefetch",
                         "remote", "disabled", "playback"}));
  EXPECT_EQ(Items(bench.Find<QComboBox>(VideoSource)), QStringList({"HDMI", "COMP.", "PC"}));
  EXPECT_TRUE(UnspokenOrRepeated(*bench.service).isEmpty())
      << UnspokenOrRepeated(*bench.service).join(", ").toStdString();
}

}  // namespace
}  // namespace ostrivane::uitest
