#pragma once

// Two ways to reach the MULTIPLEX and SERVICE pages in tests: the whole window connected to a
// simulated modulator (its TCP server on its own thread, on loopback), and a bench that holds the
// two pages alone, for what needs no device (texts of another language, the channel list).

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSet>
#include <QTemporaryDir>
#include <memory>

#include "UiTestSupport.h"
#include "ui/ColouredTabBar.h"
#include "ui/pages/MultiplexPage.h"
#include "ui/pages/ServicePage.h"

namespace ostrivane::uitest {

// The window, connected to a simulated modulator of the given type code.
struct OpenPanel {
  explicit OpenPanel(std::uint8_t type, HarnessSetup setup = {}) : sim(type) {
    setup.devicePort = sim.TcpPort();
    ui = std::make_unique<UiHarness>(setup);
    connected = sim.Announce(ui->App().DiscoveryPort()) && ui->WaitConnected();
  }

  CSetting& Panel() { return ui->Setting(); }
  OperationContext& Ctx() { return ui->Ctx(); }
  DeviceConfig& Config() { return ui->Ctx().config; }
  template <class W = QWidget>
  W* Find(int id) {
    return FindControl<W>(Panel(), id);
  }
  // As the installer does: a click on the page's tab.
  void ShowPage(int page) { Panel().PageTabs()->setCurrentIndex(page); }
  // Writes the model into the page shown, as a tab change does.
  void Refill() { Panel().SelectPage(Panel().CurrentPage()); }

  SimDevice sim;
  std::unique_ptr<UiHarness> ui;
  bool connected = false;
};

// Answers the question a change of the device's own address asks over the network; false when
// none is asked.
inline bool AnswerDeviceMove(QWidget& window, QMessageBox::StandardButton answer,
                             QString* text = nullptr) {
  auto* question = window.findChild<QMessageBox*>(QStringLiteral("deviceMoveQuestion"));
  if (question == nullptr || !question->isVisible()) return false;
  if (text != nullptr) *text = question->text();
  question->button(answer)->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return true;
}

// Replaces the text of an edit by typing, key by key.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Backspace);
  } else {
    QTest::keyClicks(edit, text);
  }
}

inline void TypeInto(QComboBox* combo, const QString& text) {
  TypeInto(combo->lineEdit(), text);
}

// A click on a check box or radio button, on its indicator.
inline void ClickButton(QAbstractButton* button) {
  const int middle = button->height() / 2;
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(middle, middle));
}

// A choice in a list, reported as the installer's.
inline void Choose(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  Q_EMIT list->activated(index);
}

inline QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items.append(list->itemText(i));
  return items;
}

// Numbered controls of a page without a spoken name, or whose name repeats another's.
inline QStringList UnspokenOrRepeated(QWidget& page) {
  QStringList faults;
  QSet<QString> names;
  for (QWidget* widget : page.findChildren<QWidget*>()) {
    if (!widget->property(control::kProperty).isValid()) continue;
    const QString name = widget->accessibleName();
    const QString id = widget->property(control::kProperty).toString();
    if (name.isEmpty() || names.contains(name)) faults.append(id + QStringLiteral(" ") + name);
    names.insert(name);
  }
  return faults;
}

// The two pages alone, with the data folder's files (language, channel list) of the test.
class MultiplexServiceBench {
 public:
  MultiplexServiceBench(std::uint8_t type, const QString& dataFolder) {
    settings.LoadApplicationData(dataFolder, dataFolder);
    identity.DeviceTypeCode = type;
    identity.Version.main = 20;
    shape = RecordShape::ForType(type);
    multiplex = std::make_unique<MultiplexPage>(host, ctx, &window);
    service = std::make_unique<ServicePage>(host, ctx, &window);
    multiplex->PageLayout();
    service->PageLayout();
    multiplex->RefillProtocolList(type);
  }

  // Shows one page filled from the model, as the panel does when its tab is chosen.
  void Open(PanelPage& page) {
    panel.UpdatingGuard = 1;
    multiplex->PageShow(&page == multiplex.get());
    service->PageShow(&page == service.get());
    page.PageFill();
    panel.UpdatingGuard = 0;
  }

  template <class W = QWidget>
  W* Find(int id) {
    return FindControl<W>(window, id);
  }

  FakeClock clock;
  NullStatusSink status;
  CXmit link{clock, status};
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  RecordingPrompts prompts;
  NullPanelDisplays displays;
  OperationContext ctx{link,     identity, config, panel,   shape,    deviceStatus,
                       settings, flags,    status, prompts, displays, clock};
  BenchHost host;
  QWidget window;
  std::unique_ptr<MultiplexPage> multiplex;
  std::unique_ptr<ServicePage> service;
};

// A data folder holding the given language preference and channel list.
inline bool WriteDataFolder(const QString& folder, const QByteArray& pref,
                            const QByteArray& channels) {
  QDir(folder).mkpath(QStringLiteral("config"));
  QFile prefFile(folder + QStringLiteral("/pref.txt"));
  QFile channelFile(folder + QStringLiteral("/config/channel.csv"));
  return prefFile.open(QIODevice::WriteOnly) && prefFile.write(pref) == pref.size() &&
         channelFile.open(QIODevice::WriteOnly) && channelFile.write(channels) == channels.size();
}

}  // namespace ostrivane::uitest
