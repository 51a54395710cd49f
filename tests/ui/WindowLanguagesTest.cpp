// Every text the window shows, in each of its six languages: a text that a French, Italian,
// German, Polish or Spanish window shows exactly as the English window does must be one that is
// the same in every language on purpose.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>

#include "UiTestSupport.h"
#include "texts/TextTable.h"
#include "ui/CRTC.h"

namespace ostrivane::uitest {
namespace {

const char* const kLanguageCodes[kLanguages] = {"EN", "FR", "IT", "DE", "PO", "ES"};
// Entries 0 to 42 of the text table carry their given wordings, some the same in every language.
constexpr int kGivenEntries = 43;

// Texts that stay English in every language: the panel's own captions and the names spoken for
// them, the clock dialog's buttons, the product's name and the DVB terms they are made of.
// clang-format off
const QSet<QString> kEnglishOnly = {
    "IP Address", "Mask", "Gateway", "DHCP", "Vers.", "LCN Country", "DVB-T", "DVB-C", "DVB-S",
    "IP", "TTL", "dB", "Kb/s", "PID", "PMT", "VIDEO", "AUDIO", "Delay", "ms", "E.I.T.", "A.I.T.",
    "Cntrl", "Org. ID", "Name", "Root", "Path", "E.I.T. Name", "E.I.T. Text", "A.I.T. PID",
    "A.I.T. Cntrl", "A.I.T. Org. ID", "A.I.T. Name", "A.I.T. Root", "A.I.T. Path", "AUTO", "PLAY",
    "REC", "HDMI", "X", "Y", "File", "4K", "I.R.", "H264 Profile", "Strict C.B.R.", "Reference",
    "Def. Country", "Harware Type", "Logo", "MAC Address", "HDCP", "Capabilities", "Play/Rec USB",
    "Infrared", "SAVE", "LOAD", "SET FACTORY DEFAULT", "Clock Set", "Firm. Reload", "Reset",
    "Snapshot", "USB (M1A)", "MANUFACTURER", "OK", "Cancel", "Ostrivane"};
// clang-format on
// Numbers and signs, the title (product, version, hardware) and the output and service tabs.
const QRegularExpression kSameEverywhere(QStringLiteral("^([^A-Za-z]*|Ostrivane .*|M\\d.*)$"));
// Controls whose items are the device's own lists or values, or the computer's files.
// clang-format off
const QSet<QString> kValueControls = {
    "unit", "deviceEntries", "activityList", "serviceName", "usbFiles", "overlayFile", "logo",
    "levelValue",
    "bandwidth", "constellation", "cableConstellation", "transmissionMode", "codeRate",
    "guardInterval", "lcnType", "lcnCountry", "streamProtocol", "videoCodec", "videoSource",
    "audioCodec", "audioSource", "audioBitrate", "aitControlCode", "fourK", "irCarrier",
    "pcmVolume", "h264Profile", "defaultCountry", "hardwareType", "schedule"};
// clang-format on

bool SameOnPurpose(const QString& text, int language) {
  const QString spoken = PanelPage::SpokenName(text);
  if (kEnglishOnly.contains(spoken) || kSameEverywhere.match(spoken).hasMatch()) return true;
  for (int entry = 0; entry < kGivenEntries; ++entry) {
    if (PanelPage::SpokenName(LocalText(entry, language)) == spoken) return true;
  }
  for (int day = 0; day < kWeekdays; ++day) {
    if (WeekdayLetter(day, language) == spoken) return true;
  }
  return false;
}

// Qt's composite widgets own what is inside them (scroll buttons, popups, line edits).
bool InsideQtWidget(const QWidget* widget, const QWidget* root) {
  for (const QWidget* w = widget->parentWidget(); w != nullptr && w != root;
       w = w->parentWidget()) {
    if (qobject_cast<const QTabBar*>(w) || qobject_cast<const QComboBox*>(w) ||
        qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QAbstractItemView*>(w))
      return true;
  }
  return false;
}

// The window's texts by where they are shown: object names from the window down, with a count
// for names that repeat.
class WindowTexts {
 public:
  void Collect(QWidget& root, const QString& where) {
    QMap<QString, int> seen;
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
      if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")) ||
          InsideQtWidget(widget, &root))
        continue;
      const QString place = where + QLatin1Char('/') + widget->objectName();
      Widget(*widget, place + QLatin1Char('#') + QString::number(seen[place]++));
    }
    for (QAction* action : root.findChildren<QAction*>()) {
      if (!action->objectName().isEmpty())
        Add(where + QLatin1Char('/') + action->objectName(), "text", action->text());
    }
  }

  QMap<QString, QString> texts;

 private:
  void Add(const QString& place, const char* kind, const QString& text, int index = -1) {
    if (text.trimmed().isEmpty()) return;
    QString key = place + QLatin1Char('/') + QLatin1String(kind);
    if (index >= 0) key += QString::number(index);
    texts.insert(key, text);
  }

  void Widget(QWidget& widget, const QString& place) {
    Add(place, "name", widget.accessibleName());
    Add(place, "tooltip", widget.toolTip());
    if (widget.isWindow()) Add(place, "title", widget.windowTitle());
    if (kValueControls.contains(widget.objectName())) return;
    Add(place, "description", widget.accessibleDescription());
    if (auto* label = qobject_cast<QLabel*>(&widget)) Add(place, "text", label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(&widget)) Add(place, "text", button->text());
    if (auto* group = qobject_cast<QGroupBox*>(&widget)) Add(place, "text", group->title());
    if (auto* edit = qobject_cast<QLineEdit*>(&widget))
      Add(place, "placeholder", edit->placeholderText());
    if (auto* list = qobject_cast<QComboBox*>(&widget)) {
      for (int i = 0; i < list->count(); ++i) Add(place, "item", list->itemText(i), i);
    }
    if (auto* tabs = qobject_cast<QTabBar*>(&widget)) {
      for (int i = 0; i < tabs->count(); ++i) Add(place, "tab", tabs->tabText(i), i);
    }
  }
};

// The spoken names of a page's numbered controls are its own in every language.
void NoteRepeatedNames(QWidget& page, const QString& where, QStringList& faults) {
  QSet<QString> names;
  for (QWidget* widget : page.findChildren<QWidget*>()) {
    if (!widget->property(control::kProperty).isValid() || widget->accessibleName().isEmpty())
      continue;
    if (names.contains(widget->accessibleName()))
      faults.append(where + QStringLiteral(" repeats ") + widget->accessibleName());
    names.insert(widget->accessibleName());
  }
}

// The window connected to a simulated device, in one language, walked on each page with the
// clock dialog open beside it.
QMap<QString, QString> ShownTexts(std::uint8_t type, HarnessSetup setup, int language,
                                  QStringList& faults) {
  SimDevice sim(type);
  setup.devicePort = sim.TcpPort();
  setup.language = QString::fromLatin1(kLanguageCodes[language]);
  UiHarness ui(setup);
  if (!sim.Announce(ui.App().DiscoveryPort()) || !ui.WaitConnected()) {
    faults.append(setup.language + QStringLiteral(": no connection"));
    return {};
  }
  ui.WaitDeviceIdle();
  // Qt's own dialogs and buttons (message boxes, the calendar) speak the language too.
  if (language != 0 && QCoreApplication::translate("QPlatformTheme", "Cancel") == "Cancel")
    faults.append(setup.language + QStringLiteral(": Qt's own texts are English"));
  WindowTexts window;
  for (int page = 0; page < CSetting::kPageCount; ++page) {
    ui.Setting().SelectPage(page);
    window.Collect(ui.Dialog(), QStringLiteral("page %1").arg(page));
    NoteRepeatedNames(*ui.Setting().Page(page),
                      setup.language + QStringLiteral(" page %1").arg(page), faults);
  }
  CRTC clock(DeviceClockTime{}, QDateTime::currentDateTime(), &ui.Dialog(), language);
  window.Collect(clock, QStringLiteral("clock"));
  return window.texts;
}

struct WindowCase {
  std::uint8_t type;
  HarnessSetup setup;
};

TEST(WindowLanguagesTest, EveryShownText_IsTranslatedOrTheSameOnPurpose) {
  const WindowCase cases[] = {{176, {.advanced = true, .manufacturer = true}}, {131, {}}};
  QStringList faults;
  for (const WindowCase& c : cases) {
    const QMap<QString, QString> english = ShownTexts(c.type, c.setup, 0, faults);
    ASSERT_FALSE(english.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    for (int language = 1; language < kLanguages; ++language) {
      const QMap<QString, QString> shown = ShownTexts(c.type, c.setup, language, faults);
      for (auto text = shown.cbegin(); text != shown.cend(); ++text) {
        if (english.value(text.key()) == text.value() && !SameOnPurpose(text.value(), language)) {
          faults.append(
              QStringLiteral("H%1 %2 %3: \"%4\"")
                  .arg(c.type)
                  .arg(QLatin1String(kLanguageCodes[language]), text.key(), text.value()));
        }
      }
    }
  }
  EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

// Why a port did not open is noted in the activity in the window's language.
TEST(WindowLanguagesTest, PortThatDoesNotOpen_IsNotedInTheWindowsLanguage) {
  const QString path = QStringLiteral("/nonexistent/ostrivane-tty");
  UiHarness ui({.serialPaths = {path}, .language = QStringLiteral("DE")});
  const auto* activity = ui.Dialog().findChild<QListWidget*>(QStringLiteral("activityList"));
  ASSERT_NE(activity, nullptr);
  EXPECT_TRUE(WaitUntil(
      [&] {
        return !activity
                    ->findItems(path + QStringLiteral(" kann nicht geöffnet werden"),
                                Qt::MatchContains)
                    .isEmpty();
      },
      5000));
}

}  // namespace
}  // namespace ostrivane::uitest
