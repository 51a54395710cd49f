// The MULTIPLEX page against simulated modulators of several models: read-back rules and their
// fallbacks, what each model offers, the output-type buttons, the level trackbar, the LCN country
// and the bitrate meter.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>

#include "MultiplexServiceTestSupport.h"
#include "ui/pages/EditNumbers.h"

namespace ostrivane::uitest {
namespace {

using namespace mpxcontrol;

TEST(EditNumbersTest, TypedText_ReadsLeadingDigitsAndNeverWraps) {
  EXPECT_EQ(ReadUnsignedEdit(QStringLiteral("4294967295")), 4294967295U);
  EXPECT_EQ(ReadUnsignedEdit(QStringLiteral("4294967296")), std::nullopt);
  EXPECT_EQ(ReadUnsignedEdit(QStringLiteral("000000000000000000042")), 42U);
  EXPECT_EQ(ReadUnsignedEdit(QStringLiteral("  7 kHz")), 7U);
  EXPECT_EQ(ReadUnsignedEdit(QStringLiteral("-0")), std::nullopt);
  // Holding no number reads as 0.
  for (const char* text : {"", "-", "+5", "kHz", "\u0663"}) {
    EXPECT_EQ(ReadUnsignedEdit(QString::fromUtf8(text)), 0U) << text;
  }
  EXPECT_EQ(ReadSignedEdit(QStringLiteral("-2147483648")), -2147483647 - 1);
  EXPECT_EQ(ReadSignedEdit(QStringLiteral("-2147483649")), std::nullopt);
  EXPECT_EQ(ReadSignedEdit(QStringLiteral("2147483647")), 2147483647);
  EXPECT_EQ(ReadSignedEdit(QStringLiteral("2147483648")), std::nullopt);
  EXPECT_EQ(ReadSignedEdit(QStringLiteral(" -12ms")), -12);
  EXPECT_EQ(ReadBitPattern(QStringLiteral("4294967295")), -1);
  EXPECT_EQ(ShowBitPattern(-1), QStringLiteral("4294967295"));
  // Fields held as signed numbers never take a value past their sign bit.
  EXPECT_EQ(ReadAtLeast(QStringLiteral("3000000000"), 32, 32), 32);
}

TEST(MultiplexPageTest, TypedNumbers_OutOfRangeOrSignedTakeTheFieldFallback) {
  OpenPanel panel(131);
  ASSERT_TRUE(panel.connected);
  ModulatorSettings& output = panel.Config().Modulators[0];
  auto* tsId = panel.Find<QLineEdit>(TsId);
  const std::pair<const char*, std::int32_t> tsIds[] = {
      {"65535", 65535},      {"65536", 8442},      {"-5", 8442},         {"", 0},
      {"99999999999", 8442}, {"4294967301", 8442}, {"2147483648", 8442}, {" 12 ", 12}};
  for (const auto& [typed, stored] : tsIds) {
    TypeInto(tsId, QString::fromLatin1(typed));
    EXPECT_EQ(output.TsId, stored) << "typed '" << typed << "'";
  }
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 10);

  auto* frequency = panel.Find<QLineEdit>(Frequency);
  const std::pair<const char*, std::int32_t> frequencies[] = {
      {"46999", 474000},  {"47000", 47000},    {"862000", 862000},
      {"862001", 474000}, {"-474000", 474000}, {"abc", 474000}};
  for (const auto& [typed, stored] : frequencies) {
    TypeInto(frequency, QString::fromLatin1(typed));
    EXPECT_EQ(output.FrequencyKhz, stored) << "typed '" << typed << "'";
  }
  // Letters are refused while typing (the text stays as it was); a number out of range stays
  // until the page is filled again (marked with what the device got).
  EXPECT_EQ(frequency->text(), QStringLiteral("-474000"));
  TypeInto(frequency, QStringLiteral("46999"));
  EXPECT_EQ(frequency->text(), QStringLiteral("46999"));
  panel.Refill();
  EXPECT_EQ(frequency->text(), QStringLiteral("474000"));

  DeviceConfig& config = panel.Config();
  TypeInto(panel.Find<QLineEdit>(NetworkVersion), QStringLiteral("33"));
  EXPECT_EQ(config.NetworkVersion, 1);
  TypeInto(panel.Find<QLineEdit>(NetworkVersion), QStringLiteral("32"));
  EXPECT_EQ(config.NetworkVersion, 32);
  TypeInto(panel.Find<QLineEdit>(NetworkVersion), QStringLiteral("-1"));
  EXPECT_EQ(config.NetworkVersion, 1);
  TypeInto(panel.Find<QLineEdit>(NetworkId), QStringLiteral("65536"));
  EXPECT_EQ(config.NetworkId, 100);
  TypeInto(panel.Find<QLineEdit>(OriginalNetworkId), QStringLiteral("-3"));
  EXPECT_EQ(config.OriginalNetworkId, 8442);
  TypeInto(panel.Find<QLineEdit>(NetworkName), QString(40, QLatin1Char('N')));
  EXPECT_EQ(config.NetworkName, QString(32, QLatin1Char('N')));
}

TEST(MultiplexPageTest, IpOutputOnFullHardware_ReadsTtlPortAndAddressByTheirRules) {
  OpenPanel panel(121);
  ASSERT_TRUE(panel.connected);
  EXPECT_EQ(Items(panel.Find<QComboBox>(Protocol)), QStringList({"UDP", "RTP"}));
  auto* ip = panel.Find<QRadioButton>(Ip);
  EXPECT_FALSE(ip->isEnabled()) << "IP output offered on LITE hardware";
  panel.Config().HardwareType = 0;
  panel.Refill();
  ASSERT_TRUE(ip->isEnabled());
  ClickButton(ip);
  EXPECT_EQ(panel.Config().Modulators[0].Mode, 0);
  EXPECT_FALSE(panel.Find(Frequency)->isEnabled());
  EXPECT_FALSE(panel.Find(Level)->isEnabled());
  ASSERT_TRUE(panel.Find(Ttl)->isEnabled());
  ASSERT_TRUE(panel.Find(DestPort)->isEnabled());

  const std::pair<const char*, std::int32_t> ttls[] = {{"0", 128}, {"129", 128}, {"-1", 128},
                                                       {"1", 1},   {"128", 128}, {"64", 64}};
  for (const auto& [typed, stored] : ttls) {
    TypeInto(panel.Find<QLineEdit>(Ttl), QString::fromLatin1(typed));
    EXPECT_EQ(panel.Config().Ttl, stored) << "typed '" << typed << "'";
  }
  ServiceSettings& destination = panel.Config().Services[0];
  TypeInto(panel.Find<QLineEdit>(DestPort), QStringLiteral("65536"));
  EXPECT_EQ(destination.DestPort, 5004);
  TypeInto(panel.Find<QLineEdit>(DestPort), QStringLiteral("-1"));
  EXPECT_EQ(destination.DestPort, 5004);
  TypeInto(panel.Find<QLineEdit>(DestPort), QStringLiteral("65535"));
  EXPECT_EQ(destination.DestPort, 65535);
  TypeInto(panel.Find<QLineEdit>(DestAddress), QStringLiteral("239.192.100.200:1234"));
  EXPECT_EQ(destination.DestAddress, QStringLiteral("239.192.100.200:"));
}

TEST(MultiplexPageTest, Model156_OffersSatelliteOnlyWithItsOwnLimits) {
  OpenPanel panel(156);
  ASSERT_TRUE(panel.connected);
  auto* dvbS = panel.Find<QRadioButton>(DvbS);
  EXPECT_TRUE(dvbS->isChecked());
  EXPECT_TRUE(dvbS->isEnabled());
  EXPECT_FALSE(panel.Find(DvbT)->isEnabled());
  EXPECT_FALSE(panel.Find(DvbC)->isEnabled());
  EXPECT_FALSE(panel.Find(LcnCountry)->isEnabled());
  EXPECT_FALSE(panel.Find(LcnType)->isVisible()) << "LCN ID list shown on model 156";
  EXPECT_FALSE(panel.Find(LcnTypeLabel)->isVisible());
  EXPECT_TRUE(panel.Find(NetworkId)->isVisible());
  EXPECT_TRUE(panel.Find(SymbolRate)->isEnabled());
  EXPECT_TRUE(panel.Find(CodeRate)->isEnabled());
  EXPECT_FALSE(panel.Find(Bandwidth)->isEnabled());
  EXPECT_FALSE(panel.Find(Constellation)->isVisible());
  EXPECT_FALSE(panel.Find(CableConstellation)->isVisible());
  EXPECT_EQ(panel.Find<QSlider>(Level)->maximum(), 15);

  ModulatorSettings& output = panel.Config().Modulators[0];
  TypeInto(panel.Find<QLineEdit>(Frequency), QStringLiteral("960000"));
  EXPECT_EQ(output.FrequencyKhz, 960000);
  TypeInto(panel.Find<QLineEdit>(Frequency), QStringLiteral("949999"));
  EXPECT_EQ(output.FrequencyKhz, 960000);
  TypeInto(panel.Find<QLineEdit>(Frequency), QStringLiteral("1150000"));
  EXPECT_EQ(output.FrequencyKhz, 1150000);
  TypeInto(panel.Find<QLineEdit>(SymbolRate), QStringLiteral("2499"));
  EXPECT_EQ(output.SymbolRateKsps, 22000);
  TypeInto(panel.Find<QLineEdit>(SymbolRate), QStringLiteral("2500"));
  EXPECT_EQ(output.SymbolRateKsps, 2500);

  // A click on DVB-S stores the output type and refreshes the page at once, like the others.
  output.Mode = 1;
  panel.Refill();
  ASSERT_FALSE(dvbS->isChecked());
  panel.Ctx().panel.SendCountdown = 0;
  ClickButton(dvbS);
  EXPECT_EQ(output.Mode, 3);
  EXPECT_TRUE(panel.Find(SymbolRate)->isEnabled());
  EXPECT_FALSE(panel.Find(TransmissionMode)->isEnabled());
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 10);
}

TEST(MultiplexPageTest, Model192_ShowsIpLabelAndProtocolDecidesTheDestination) {
  OpenPanel panel(192);
  ASSERT_TRUE(panel.connected);
  EXPECT_FALSE(panel.Find(Ip)->isVisible());
  EXPECT_TRUE(panel.Find(IpLabel)->isVisible());
  auto* protocols = panel.Find<QComboBox>(Protocol);
  EXPECT_EQ(Items(protocols), QStringList({"RTP", "UDP", "RTSP", "HLS"}));
  ASSERT_EQ(panel.Config().Modulators[0].Mode, 1);
  EXPECT_TRUE(protocols->isEnabled()) << "model 192 streams whatever its output type";
  EXPECT_FALSE(panel.Find(Ttl)->isEnabled());
  EXPECT_TRUE(panel.Find(LcnCountry)->isEnabled());

  for (const int served : {2, 3}) {
    Choose(protocols, served);
    EXPECT_EQ(panel.Config().StreamProtocol, served);
    EXPECT_FALSE(panel.Find(DestAddress)->isEnabled()) << served;
    EXPECT_FALSE(panel.Find(DestPort)->isEnabled()) << served;
    EXPECT_FALSE(panel.Find(PortLabel)->isEnabled()) << served;
  }
  Choose(protocols, 1);
  EXPECT_TRUE(panel.Find(DestAddress)->isEnabled());
  EXPECT_TRUE(panel.Find(DestPort)->isEnabled());
}

TEST(MultiplexPageTest, LcnCountryChoice_HidesNetworkIdentityUntilNoneIsChosen) {
  OpenPanel panel(176);
  ASSERT_TRUE(panel.connected);
  auto* countries = panel.Find<QComboBox>(LcnCountry);
  ASSERT_TRUE(countries->isEnabled());
  ASSERT_EQ(countries->count(), 28);
  const int identity[] = {NetworkId,      OriginalNetworkId, LcnType,
                          NetworkIdLabel, OriginalIdLabel,   LcnTypeLabel};
  Choose(countries, 27);
  EXPECT_EQ(panel.Config().LcnCountry, 27);
  for (int id : identity) EXPECT_TRUE(panel.Find(id)->isVisible()) << id;
  Choose(countries, 4);  // GERMANY
  EXPECT_EQ(panel.Config().LcnCountry, 4);
  for (int id : identity) EXPECT_FALSE(panel.Find(id)->isVisible()) << id;
  Choose(countries, 27);
  for (int id : identity) EXPECT_TRUE(panel.Find(id)->isVisible()) << id;
  Choose(panel.Find<QComboBox>(LcnType), 2);
  EXPECT_EQ(panel.Config().LcnType, 2);
}

TEST(MultiplexPageTest, DvbTToDvbC_SwapsConstellationListsAndModulationFields) {
  OpenPanel panel(178);
  ASSERT_TRUE(panel.connected);
  auto* terrestrial = panel.Find<QComboBox>(Constellation);
  auto* cable = panel.Find<QComboBox>(CableConstellation);
  ASSERT_TRUE(panel.Find<QRadioButton>(DvbT)->isChecked());
  EXPECT_TRUE(terrestrial->isVisible());
  EXPECT_FALSE(cable->isVisible());
  EXPECT_FALSE(panel.Find(SymbolRate)->isEnabled());
  EXPECT_EQ(Items(cable), QStringList({"QAM16", "QAM32", "QAM64", "QAM128", "QAM256"}));

  ClickButton(panel.Find<QRadioButton>(DvbC));
  EXPECT_EQ(panel.Config().Modulators[0].Mode, 2);
  EXPECT_FALSE(terrestrial->isVisible());
  EXPECT_TRUE(cable->isVisible());
  EXPECT_TRUE(cable->isEnabled());
  const QRect place = terrestrial->geometry();
  QCoreApplication::processEvents();  // the layout places the list it has just shown
  EXPECT_EQ(cable->geometry(), place) << "the two lists share one place";
  EXPECT_TRUE(panel.Find(SymbolRate)->isEnabled());
  EXPECT_TRUE(panel.Find(Bandwidth)->isEnabled());
  for (int id : {TransmissionMode, GuardInterval, CodeRate, ModeLabel}) {
    EXPECT_FALSE(panel.Find(id)->isEnabled()) << id;
  }
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 10);
  Choose(cable, 4);
  EXPECT_EQ(panel.Config().Modulators[0].CableConstellation, 4);

  ClickButton(panel.Find<QRadioButton>(DvbT));
  EXPECT_EQ(panel.Config().Modulators[0].Mode, 1);
  EXPECT_TRUE(terrestrial->isVisible());
  EXPECT_FALSE(cable->isVisible());
}

TEST(MultiplexPageTest, LevelTrackbar_CountsOnReleaseOrKeyNotWhileDragged) {
  OpenPanel panel(121);
  ASSERT_TRUE(panel.connected);
  auto* level = panel.Find<QSlider>(Level);
  EXPECT_EQ(level->minimum(), 0);
  EXPECT_EQ(level->maximum(), 29);
  EXPECT_EQ(level->tickInterval(), 5);
  EXPECT_NE(level->tickPosition(), QSlider::NoTicks);
  ModulatorSettings& output = panel.Config().Modulators[0];
  const std::int32_t before = output.AttenuationDb;

  level->setSliderDown(true);
  level->setSliderPosition(20);
  level->setSliderPosition(29);
  EXPECT_EQ(output.AttenuationDb, before) << "moving alone changed the model";
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 0);
  level->setSliderDown(false);
  EXPECT_EQ(output.AttenuationDb, 29);
  EXPECT_EQ(panel.Find<QLabel>(LevelValue)->text(), QStringLiteral("29dB"));
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 10);

  QTest::keyClick(level, Qt::Key_Left);
  EXPECT_EQ(output.AttenuationDb, 28);
  EXPECT_EQ(panel.Find<QLabel>(LevelValue)->text(), QStringLiteral("28dB"));
  QTest::keyClick(level, Qt::Key_Home);
  EXPECT_EQ(output.AttenuationDb, 0);
}

TEST(MultiplexPageTest, DeviceAddress_EditableOnModel121InAModeAndWithoutDhcp) {
  {
    OpenPanel plain(121);
    ASSERT_TRUE(plain.connected);
    EXPECT_FALSE(plain.Find(Dhcp)->isEnabled());
    EXPECT_FALSE(plain.Find(DeviceIp)->isEnabled());
  }
  {
    OpenPanel other(192, {.manufacturer = true});
    ASSERT_TRUE(other.connected);
    other.ShowPage(0);
    EXPECT_FALSE(other.Find(Dhcp)->isEnabled());
  }
  OpenPanel panel(121, {.advanced = true});
  ASSERT_TRUE(panel.connected);
  auto* dhcp = panel.Find<QCheckBox>(Dhcp);
  ASSERT_TRUE(dhcp->isEnabled());
  // Over the network, a change of the device's own address is asked first.
  if (!dhcp->isChecked()) ClickButton(dhcp);
  AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Ok);
  EXPECT_EQ(panel.Config().Dhcp, 1);
  for (int id : {DeviceIp, Mask, Gateway, DeviceIpLabel}) {
    EXPECT_FALSE(panel.Find(id)->isEnabled()) << id;
  }
  ClickButton(dhcp);
  EXPECT_TRUE(AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Ok));
  EXPECT_EQ(panel.Config().Dhcp, 0);
  ASSERT_TRUE(panel.Find(DeviceIp)->isEnabled());
  // Addresses count when their edit is finished, and only in their dotted form.
  TypeInto(panel.Find<QLineEdit>(DeviceIp), QStringLiteral("192.168.100.200.7"));
  QTest::keyClick(panel.Find<QLineEdit>(DeviceIp), Qt::Key_Return);
  EXPECT_TRUE(AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Ok));
  EXPECT_EQ(panel.Config().IpAddress, QStringLiteral("192.168.100.200"));
  TypeInto(panel.Find<QLineEdit>(Gateway), QStringLiteral("192.168.100.1"));
  QTest::keyClick(panel.Find<QLineEdit>(Gateway), Qt::Key_Return);
  AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Ok);
  EXPECT_EQ(panel.Config().Gateway, QStringLiteral("192.168.100.1"));
}

TEST(MultiplexPageTest, BitrateMeter_ShowsTheChosenOutputAndInitWithoutCapacity) {
  OpenPanel panel(176);
  ASSERT_TRUE(panel.connected);
  panel.sim.device.SetBitrate(0, 31668000, 20500);
  panel.sim.device.SetBitrate(1, 0, 0);
  auto* outputs = panel.Find<QTabBar>(control::ModulatorTabs);
  auto* text = panel.Find<QLabel>(BitrateText);
  auto* meter = panel.Find<QProgressBar>(BitrateMeter);
  ASSERT_TRUE(WaitUntil([&] { return outputs->tabText(1) == "M2 (Init...)"; }, 2000));
  EXPECT_EQ(outputs->tabText(0), QStringLiteral("M1"));
  EXPECT_EQ(outputs->height(), outputs->sizeHint().height()) << "the strip is squeezed";
  ASSERT_TRUE(WaitUntil([&] { return text->text() == "20500/31668 Kb/s"; }, 2000));
  EXPECT_TRUE(meter->isVisible());
  EXPECT_EQ(meter->maximum(), 31668);
  EXPECT_EQ(meter->value(), 20500);

  outputs->setCurrentIndex(1);
  EXPECT_EQ(panel.Panel().CurrentModulator(), 1);
  ASSERT_TRUE(WaitUntil([&] { return text->text() == "Init..."; }, 2000));
  EXPECT_EQ(meter->maximum(), 100);
  EXPECT_EQ(meter->value(), 0);
  // The tab keeps its measurement label when the page is refilled for another output.
  ASSERT_TRUE(WaitUntil([&] { return outputs->tabText(1) == "M2 (Init...)"; }, 2000));
  EXPECT_EQ(outputs->currentIndex(), 1);

  // A multiplex fuller than its capacity shows a full bar, not an empty one.
  panel.sim.device.SetBitrate(1, 1000000, 1500);
  ASSERT_TRUE(WaitUntil([&] { return text->text() == "1500/1000 Kb/s"; }, 2000));
  EXPECT_EQ(meter->value(), meter->maximum());
}

TEST(MultiplexPageTest, ModelsWithoutMeter_HideItAndKeepOneOutputTab) {
  OpenPanel panel(178);
  ASSERT_TRUE(panel.connected);
  auto* outputs = panel.Find<QTabBar>(control::ModulatorTabs);
  EXPECT_EQ(outputs->count(), 1);
  EXPECT_TRUE(panel.Find(BitrateMeter)->isVisible()) << "model 178 has a meter";
  OpenPanel plain(142);
  ASSERT_TRUE(plain.connected);
  EXPECT_FALSE(plain.Find(BitrateMeter)->isVisible());
  EXPECT_FALSE(plain.Find(BitrateText)->isVisible());
  EXPECT_EQ(plain.Find<QTabBar>(control::ModulatorTabs)->tabText(0), QStringLiteral("M1"));
}

TEST(MultiplexPageTest, Labels_InTheInstallersLanguageAndSpokenUniquely) {
  QTemporaryDir data;
  ASSERT_TRUE(WriteDataFolder(data.path(), "FR\n", {}));
  MultiplexServiceBench bench(131, data.path());
  bench.Open(*bench.multiplex);
  // Texts of the text table, never the template's own captions.
  EXPECT_EQ(bench.Find<QLabel>(FrequencyLabel)->text(), QStringLiteral("Fréq. (kHz) :"));
  EXPECT_EQ(bench.Find<QLabel>(BandwidthLabel)->text(), QStringLiteral("L. Bande :"));
  EXPECT_EQ(bench.Find<QLabel>(NetworkLabel)->text(), QStringLiteral("Réseau"));
  EXPECT_EQ(bench.Find<QLabel>(LcnTypeLabel)->text(), QStringLiteral("LCN Id. :"));
  EXPECT_EQ(bench.Find<QLabel>(SymbolRateLabel)->text(), QStringLiteral("Débit Sym. :"));
  EXPECT_EQ(bench.Find<QLabel>(AddressLabel)->text(), QStringLiteral("Adresse :"));
  EXPECT_EQ(bench.Find<QLabel>(VersionLabel)->text(), QStringLiteral("Vers. :"));
  EXPECT_EQ(bench.Find<QLabel>(FrequencyLabel)->accessibleName(), QStringLiteral("Fréq. (kHz)"));
  EXPECT_EQ(Items(bench.Find<QComboBox>(Bandwidth)), QStringList({"6 Mhz", "7 Mhz", "8 Mhz"}));
  EXPECT_EQ(Items(bench.Find<QComboBox>(GuardInterval)),
            QStringList({"1/32", "1/16", "1/8", "1/4"}));
  EXPECT_EQ(bench.Find<QComboBox>(LcnCountry)->itemText(15), QStringLiteral("NEW_ZEALAND"));
  EXPECT_TRUE(UnspokenOrRepeated(*bench.multiplex).isEmpty())
      << UnspokenOrRepeated(*bench.multiplex).join(", ").toStdString();
}

}  // namespace
}  // namespace ostrivane::uitest
