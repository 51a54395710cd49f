// The window says what the device holds: partial addresses and letters never reach it, a value
// the device got instead of the typed one is marked, every write's fate is shown, the unit is
// named, and the activity panel and log keep what happened.
#include <gtest/gtest.h>

#include <QAction>
#include <QFocusEvent>
#include <QImage>
#include <QPainter>
#include <QToolButton>

#include "MultiplexServiceTestSupport.h"
#include "config/ConfigCodec.h"
#include "link/Commands.h"
#include "ui/ActivityPanel.h"
#include "ui/DisplayScale.h"
#include "ui/OstrivaneDlg.h"
#include "ui/Pictures.h"
#include "ui/Theme.h"
#include "ui/pages/FieldMarks.h"
#include "ui/pages/UsbPictures.h"

namespace ostrivane::uitest {
namespace {

using namespace mpxcontrol;

// The record the simulator stores, read the way the window reads it.
DeviceConfig Stored(OpenPanel& panel) {
  DeviceConfig config;
  PanelState state;
  const std::uint8_t type = panel.Ctx().identity.DeviceTypeCode;
  const LayoutContext context{type, panel.Ctx().identity.Version.main, RecordShape::ForType(type)};
  DecodeConfigImage(panel.sim.device.ConfigRecord(), context, config, state);
  return config;
}

bool WaitWriteState(OpenPanel& panel, const QString& prefix) {
  return WaitUntil([&] { return panel.ui->Info().WriteStateText().startsWith(prefix); }, 8000);
}

void LeaveField(QLineEdit* edit) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(edit, &out);
}

QString LogText(OpenPanel& panel) {
  QFile file(panel.ui->Dialog().Activity().Log().Path());
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(WriteTruthTest, PartialDeviceAddress_IsMarkedAndNeverSentWhileOtherEditsAre) {
  OpenPanel panel(121, {.advanced = true});
  ASSERT_TRUE(panel.connected);
  auto* dhcp = panel.Find<QCheckBox>(Dhcp);
  if (dhcp->isChecked()) ClickButton(dhcp);
  AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Ok);
  const QString held = panel.Config().IpAddress;
  auto* ip = panel.Find<QLineEdit>(DeviceIp);
  TypeInto(ip, QStringLiteral("10.0"));
  QTest::keyClick(ip, Qt::Key_Return);
  LeaveField(ip);
  EXPECT_TRUE(FieldMarks::IsMarked(ip));
  EXPECT_EQ(ip->toolTip(), QStringLiteral("Expected form: 192.168.1.10"));
  EXPECT_EQ(panel.Config().IpAddress, held);
  // Letters and a fifth part are refused while typing.
  TypeInto(panel.Find<QLineEdit>(Mask), QStringLiteral("255.x255.255.0."));
  EXPECT_EQ(panel.Find<QLineEdit>(Mask)->text(), QStringLiteral("255.255.255.0"));

  TypeInto(panel.Find<QLineEdit>(TsId), QStringLiteral("77"));
  ASSERT_TRUE(WaitWriteState(panel, QStringLiteral("Sent ")));
  EXPECT_EQ(Stored(panel).Modulators[0].TsId, 77);
  EXPECT_EQ(Stored(panel).IpAddress, held);

  // A whole address counts once its edit is finished and, as it moves the device away from the
  // network link, once the installer has agreed.
  TypeInto(ip, QStringLiteral("10.0.0.9"));
  EXPECT_EQ(panel.Config().IpAddress, held);
  QTest::keyClick(ip, Qt::Key_Return);
  QString question;
  ASSERT_TRUE(AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Cancel, &question));
  EXPECT_EQ(question, QStringLiteral("The device will move to 10.0.0.9; the window will look for "
                                     "it there"));
  EXPECT_EQ(panel.Config().IpAddress, held);
  EXPECT_EQ(ip->text(), held);
  TypeInto(ip, QStringLiteral("10.0.0.9"));
  QTest::keyClick(ip, Qt::Key_Return);
  ASSERT_TRUE(AnswerDeviceMove(panel.ui->Dialog(), QMessageBox::Ok));
  EXPECT_EQ(panel.Config().IpAddress, QStringLiteral("10.0.0.9"));
  EXPECT_FALSE(FieldMarks::IsMarked(ip));
}

TEST(WriteTruthTest, NumberFields_RefuseLettersAndMarkWhatTheDeviceGot) {
  OpenPanel panel(121);
  ASSERT_TRUE(panel.connected);
  struct Case {
    int id;
    const char* typed;
    const char* shown;
    std::int32_t ModulatorSettings::*field;
    std::int32_t stored;
    const char* mark;
  };
  const Case cases[] = {
      {TsId, "abc-12x", "-12", &ModulatorSettings::TsId, 8442, "sent as 8442; 0 to 65535"},
      {TsId, "4660", "4660", &ModulatorSettings::TsId, 4660, ""},
      {Frequency, "5", "5", &ModulatorSettings::FrequencyKhz, 474000,
       "sent as 474000; 47000 to 862000"},
      {Frequency, "6x50000", "650000", &ModulatorSettings::FrequencyKhz, 650000, ""},
      {Frequency, "5", "5", &ModulatorSettings::FrequencyKhz, 474000,
       "sent as 474000; 47000 to 862000"},
  };
  for (const Case& c : cases) {
    auto* edit = panel.Find<QLineEdit>(c.id);
    TypeInto(edit, QString::fromLatin1(c.typed));
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.typed;
    EXPECT_EQ(panel.Config().Modulators[0].*c.field, c.stored) << c.typed;
    EXPECT_EQ(edit->toolTip(), QString::fromLatin1(c.mark)) << c.typed;
    EXPECT_EQ(edit->accessibleDescription(), QString::fromLatin1(c.mark)) << c.typed;
  }
  // Leaving the field shows what the device holds; that is no edit of its own.
  auto* frequency = panel.Find<QLineEdit>(Frequency);
  ASSERT_TRUE(WaitWriteState(panel, QStringLiteral("Sent ")));
  LeaveField(frequency);
  EXPECT_EQ(frequency->text(), QStringLiteral("474000"));
  EXPECT_FALSE(FieldMarks::IsMarked(frequency));
  EXPECT_EQ(panel.Ctx().panel.SendCountdown, 0);
  EXPECT_EQ(Stored(panel).Modulators[0].FrequencyKhz, 474000);
}

TEST(WriteTruthTest, RefusedWrite_ShowsNotAppliedKeepsTheEditAndSendsAgain) {
  OpenPanel panel(192);
  ASSERT_TRUE(panel.connected);
  CInfo& info = panel.ui->Info();
  const std::int32_t held = Stored(panel).Modulators[0].FrequencyKhz;
  sim::SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = cmd::WriteConfig;
  panel.sim.device.SetFaults(refuse);

  auto* frequency = panel.Find<QLineEdit>(Frequency);
  TypeInto(frequency, QStringLiteral("650000"));
  EXPECT_EQ(info.WriteStateText(), QStringLiteral("Changes pending"));
  ASSERT_TRUE(WaitWriteState(panel, QStringLiteral("Not applied")));
  EXPECT_EQ(info.WriteStateText(), QStringLiteral("Not applied: refused"));
  auto* label = info.findChild<QLabel*>(QStringLiteral("writeState"));
  EXPECT_EQ(label->accessibleName(), QStringLiteral("Write state"));
  EXPECT_EQ(label->accessibleDescription(), QStringLiteral("Not applied: refused"));
  EXPECT_EQ(Stored(panel).Modulators[0].FrequencyKhz, held);
  // The installer's value stays, also after a tab change.
  panel.ShowPage(1);
  panel.ShowPage(0);
  EXPECT_EQ(frequency->text(), QStringLiteral("650000"));
  ASSERT_TRUE(info.SendAgainOffered());

  panel.sim.device.SetFaults(sim::SimFaults{});
  info.findChild<QToolButton*>(QStringLiteral("sendAgainButton"))->click();
  ASSERT_TRUE(WaitWriteState(panel, QStringLiteral("Sent ")));
  EXPECT_FALSE(info.SendAgainOffered());
  EXPECT_EQ(Stored(panel).Modulators[0].FrequencyKhz, 650000);
  const QStringList lines = panel.ui->Dialog().Activity().Lines();
  EXPECT_EQ(lines.filter(QStringLiteral("Not applied: refused")).size(), 1)
      << lines.join('\n').toStdString();
  EXPECT_TRUE(LogText(panel).contains(QStringLiteral(" Not applied: refused\n")));
}

TEST(WriteTruthTest, Connection_NamesTheUnitAndTheActivityPanelAndLogKeepIt) {
  const QString missingPort = QStringLiteral("/nonexistent/ttyACM9");
  OpenPanel panel(131, {.serialPaths = {missingPort}});
  ASSERT_TRUE(panel.connected);
  const QString where = QStringLiteral("127.0.0.1:%1").arg(panel.sim.TcpPort());
  EXPECT_TRUE(panel.ui->Info().UnitText().startsWith(QStringLiteral("UITEST  ") + where))
      << panel.ui->Info().UnitText().toStdString();
  CActivityPanel& activity = panel.ui->Dialog().Activity();
  EXPECT_EQ(activity.accessibleName(), QStringLiteral("Activity"));
  const QStringList lines = activity.Lines();
  EXPECT_EQ(lines.filter(QStringLiteral("UITEST  Connected to UITEST  ") + where).size(), 1)
      << lines.join('\n').toStdString();
  EXPECT_EQ(lines.filter(QStringLiteral("Hardware connected")).size(), 1);
  // The search said what it tried and why the port could not be opened, once each.
  // Before the announcement was heard only the port was tried; then the announced address.
  EXPECT_EQ(lines.filter(QStringLiteral("Search tried ") + missingPort).size(), 1)
      << lines.join('\n').toStdString();
  EXPECT_EQ(lines.filter(QStringLiteral("Search tried ") + where).size(), 1);
  EXPECT_EQ(lines.filter(QStringLiteral("Cannot open ") + missingPort).size(), 1);
  EXPECT_EQ(lines.filter(QStringLiteral("Listening for network devices on ")).size(), 1);
  const QString log = LogText(panel);
  EXPECT_TRUE(log.contains(QStringLiteral(" UITEST Connected to UITEST  ") + where))
      << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral(" - Waiting connection...\n")));

  // A page with nothing to show in this mode says why.
  panel.ShowPage(4);
  auto* note = panel.Panel().findChild<QLabel*>(QStringLiteral("emptyPageNote"));
  EXPECT_TRUE(note->isVisible());
  EXPECT_EQ(note->text(), QStringLiteral("Shown in advanced or manufacturer mode only."));
  panel.ShowPage(0);
  EXPECT_FALSE(note->isVisible());

  auto* toggle = panel.ui->Dialog().findChild<QAction*>(QStringLiteral("activityAction"));
  ASSERT_NE(toggle, nullptr);
  EXPECT_EQ(toggle->shortcut(), QKeySequence(Qt::Key_F9));
  EXPECT_EQ(toggle->text(), QStringLiteral("Activity"));
  toggle->trigger();
  EXPECT_TRUE(activity.isVisible());
  toggle->trigger();
  EXPECT_FALSE(activity.isVisible());
}

TEST(ScreenFitTest, WindowLargerThanItsScreen_ScrollsWithinTheScreen) {
  // 1674 x 688: the connected window at QT_SCALE_FACTOR=2; 1024 x 768 less a title bar.
  const ScreenFit tooWide = FitToScreen({1674, 688}, {1024, 728});
  EXPECT_TRUE(tooWide.scrolls);
  EXPECT_EQ(tooWide.window, QSize(1024, 688));
  EXPECT_EQ(FitToScreen({1674, 800}, {1024, 728}).window, QSize(1024, 728));
  // Where it fits, the described size stays, as it does without a known screen.
  for (const QSize available : {QSize(1920, 1160), QSize(837, 344), QSize()}) {
    const ScreenFit fit = FitToScreen({837, 344}, available);
    EXPECT_FALSE(fit.scrolls);
    EXPECT_EQ(fit.window, QSize(837, 344));
  }
}

TEST(ThemeTest, DarkPalette_StripAndStatusTextStayReadable) {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 45));
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  ASSERT_TRUE(IsDarkPalette(dark));
  EXPECT_FALSE(IsDarkPalette(QPalette(Qt::lightGray)));
  EXPECT_EQ(StripBackground(QPalette(Qt::lightGray)), ColouredTabBar::kBackground);
  const QColor strip = StripBackground(dark);
  for (const QColor& colour :
       {ColouredTabBar::kRoyalBlue, ColouredTabBar::kLimeGreen, ColouredTabBar::kSilver,
        ColouredTabBar::kOrange, ColouredTabBar::kDarkRed}) {
    EXPECT_GE(ContrastRatio(Readable(colour, strip), strip), 3.0) << colour.name().toStdString();
  }
  // The status bar's grey: described on light, lightened on dark.
  ApplicationData settings;
  CInfo light(settings, nullptr);
  EXPECT_EQ(light.TextColour(), CInfo::kNormalTextColour);
  QWidget window;
  window.setPalette(dark);
  CInfo onDark(settings, &window);
  EXPECT_GE(ContrastRatio(onDark.TextColour(), dark.color(QPalette::Window)), 4.5);
}

TEST(ActivityTextTest, PortWithoutPermission_NamesTheGroupToJoinInTheWindowsLanguage) {
  OpenFailure denied{OpenFailure::Cause::Permission,
                     QStringLiteral("/dev/ttyACM0"),
                     {},
                     QStringLiteral("dialout")};
  EXPECT_EQ(OpenFailureText(denied, 0),
            QStringLiteral("Cannot open /dev/ttyACM0: permission denied; join the group dialout "
                           "and log in again"));
  EXPECT_TRUE(OpenFailureText(denied, 3).contains(QStringLiteral("Gruppe dialout")));
  // The command line keeps its English sentence.
  EXPECT_EQ(denied.Sentence(), QStringLiteral("cannot open /dev/ttyACM0: permission denied — is "
                                              "the user in the dialout group?"));
}

// Share of a picture's area that stands out (3:1) from the window colour it is drawn on.
double StandingOut(const std::function<void(QPainter&, const QRectF&)>& paint,
                   const QPalette& palette) {
  constexpr int kSide = 64;
  const QColor window = palette.color(QPalette::Window);
  QImage image(kSide, kSide, QImage::Format_ARGB32);
  image.fill(window);
  QPainter painter(&image);
  paint(painter, QRectF(0, 0, kSide, kSide));
  painter.end();
  int standing = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      if (ContrastRatio(image.pixelColor(x, y), window) >= 3.0) ++standing;
    }
  }
  return static_cast<double>(standing) / (kSide * kSide);
}

TEST(ThemeTest, DarkPalette_EveryPictureStandsOutFromTheWindow) {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 48));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  // The painted icons follow the application's palette.
  const QPalette kept = QGuiApplication::palette();
  QGuiApplication::setPalette(dark);
  constexpr double kMinimumShare = 0.04;
  for (int i = 0; i <= static_cast<int>(Picture::DoubleArrow); ++i) {
    const auto picture = static_cast<Picture>(i);
    EXPECT_GE(
        StandingOut([&](QPainter& p, const QRectF& r) { PaintPicture(p, picture, r, dark); }, dark),
        kMinimumShare)
        << "picture " << i;
  }
  for (const SchedulePicture picture :
       {SchedulePicture::StartMarker, SchedulePicture::StopMarker, SchedulePicture::Week}) {
    const QIcon icon = SchedulePictureIcon(picture);
    EXPECT_GE(StandingOut([&](QPainter& p, const QRectF& r) { icon.paint(&p, r.toRect()); }, dark),
              kMinimumShare)
        << "schedule picture " << static_cast<int>(picture);
  }
  QGuiApplication::setPalette(kept);
}

}  // namespace
}  // namespace ostrivane::uitest
