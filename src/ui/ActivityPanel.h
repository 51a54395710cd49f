#pragma once

#include <QDateTime>
#include <QStringList>
#include <QWidget>

#include "files/ActivityLog.h"

class QListWidget;

namespace ostrivane {

// "Activity" (F9): what the window did and what came of it, with times: connections, writes
// and their outcome, link losses and every status text, which the status bar shows only for a
// moment. Each line also goes to activity.log in the data folder.
class CActivityPanel final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxLines = 2000;

  CActivityPanel(const QString& dataFolder, const QString& title, QWidget* parent);

  // device: the connected unit's name, empty when none.
  void Add(const QString& device, const QString& event);
  void Toggle();
  QStringList Lines() const;
  const ActivityLog& Log() const { return m_log; }

 private:
  ActivityLog m_log;
  QListWidget* m_list = nullptr;
};

}  // namespace ostrivane
