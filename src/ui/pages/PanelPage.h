#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "operations/OperationContext.h"

class QDialog;
class QLabel;

namespace ostrivane {

class FieldMarks;

// What a page may ask of the panel that holds it.
class PanelHost {
 public:
  virtual ~PanelHost() = default;
  virtual int CurrentPage() const = 0;
  virtual int CurrentService() const = 0;
  virtual int CurrentModulator() const = 0;
  // The service and modulator strips report the user's choice here; the panel refills the page.
  virtual void ChooseService(int index) = 0;
  virtual void ChooseModulator(int index) = 0;
  virtual void SelectPage(int page) = 0;
  // Work with the device (the buttons' requests): queued to the thread that owns the link, never
  // run on the window's thread.
  virtual void RunOnDevice(std::function<void(OperationContext&)> work) = 0;
  // The same; then runs on the window's thread once the work is done and merged.
  virtual void RunOnDeviceThen(std::function<void(OperationContext&)> work,
                               std::function<void()> then) {
    RunOnDevice(std::move(work));
    if (then) then();
  }
  // A page's read-back marked the configuration for sending (the panel says so).
  virtual void NoteEdit() {}
  // True while the device is reached over the network (its address is the link's).
  virtual bool OverNetwork() const { return false; }
  // The connection the panel is open for: a new number whenever the panel opens for a device or
  // closes, so that what a dialog answers for an older connection is never sent to a newer one.
  virtual std::uint32_t ConnectionEpoch() const { return 0; }
  // True while epoch is still the panel's; otherwise the user is told that nothing was sent.
  virtual bool StillConnected(std::uint32_t epoch) { return epoch == ConnectionEpoch(); }
  // A dialog open for the current connection, closed as cancelled when the connection changes.
  virtual void BindToConnection(QDialog*) {}
};

// One page of the settings panel. The panel runs PageLayout once, PageShow when the page choice
// changes, PageFill whenever the model must reach the controls, and every page's controls call
// PageRead when the user changes them.
//
// Notifications: edits report every text change (textChanged), programmatic ones included, so
// their read-back relies on the guard; lists report user choices only (activated), as a list's
// selection change does not fire for a selection the program makes.
class PanelPage : public QWidget {
  Q_OBJECT

 public:
  PanelPage(int pageIndex, PanelHost& host, OperationContext& ctx, QWidget* parent);

  int PageIndex() const { return m_pageIndex; }

  // Once, when the panel is built: localised labels and fixed lists.
  virtual void PageLayout() {}
  // Shows or hides the page. Overrides call this first, then hide the controls that the model
  // does not offer, and refresh what depends on the model even when the page stays hidden.
  virtual void PageShow(bool flag) { setVisible(flag); }
  // Enables, disables and sometimes hides controls by model, mode and current values.
  virtual void PageEnable() {}
  // Model to controls, then PageEnable. The panel holds UpdatingGuard while it runs.
  virtual void PageFill();
  // Controls to model, MarkForSending, PageEnable; nothing while UpdatingGuard is held.
  virtual void PageRead();

  // The control with this number, or nullptr.
  QWidget* Control(int id) const { return m_controls.value(id, nullptr); }
  const QList<QWidget*>& Controls() const { return m_order; }

  // "Freq. (kHz) :" is spoken as "Freq. (kHz)".
  static QString SpokenName(const QString& labelText);

 protected:
  virtual void FillValues() {}
  virtual void ReadValues() {}

  bool Updating() const { return m_ctx.panel.UpdatingGuard != 0; }
  // The fields whose text may differ from what the device got (validators and marks).
  FieldMarks& Marks() { return *m_marks; }
  OperationContext& Ctx() { return m_ctx; }
  const OperationContext& Ctx() const { return m_ctx; }
  PanelHost& Host() { return m_host; }
  const PanelHost& Host() const { return m_host; }
  std::uint8_t TypeCode() const { return m_ctx.identity.DeviceTypeCode; }
  unsigned MainVersion() const { return m_ctx.identity.Version.main; }
  // Entry of the text table in the installer's language.
  QString Text(int entry) const;
  // A spoken name or tooltip, written in English, in the installer's language.
  QString Local(QStringView english) const;
  // Opens dialog window-modal (it is deleted once closed); answered gets its result on the
  // window's thread, unless the connection it was opened for changed meanwhile: then the dialog
  // is closed, the user told, and nothing done.
  void OpenForConnection(QDialog* dialog, std::function<void(int result)> answered);

  // Registers a numbered control of this page: its number as "controlId", a descriptive object
  // name and the name a screen reader speaks (in English; it is spoken in the installer's
  // language).
  template <class W>
  W* AddControl(int id, W* widget, const char* objectName, const QString& accessibleName) {
    Register(id, widget, objectName, accessibleName);
    return widget;
  }
  // A numbered label; it is spoken by its text, without the colon.
  QLabel* AddLabel(int id, const QString& text, const char* objectName);
  // Chains the keyboard path through the focusable controls in the order they were added, which
  // pages keep as rows from top to bottom, each left to right.
  void ChainTabOrder();

 private:
  void Register(int id, QWidget* widget, const char* objectName, const QString& accessibleName);

  int m_pageIndex;
  PanelHost& m_host;
  OperationContext& m_ctx;
  FieldMarks* m_marks = nullptr;
  QMap<int, QWidget*> m_controls;
  QList<QWidget*> m_order;
};

}  // namespace ostrivane
