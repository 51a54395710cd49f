#include "ui/device/WindowMailbox.h"

#include <QMetaObject>
#include <QThread>

namespace ostrivane {

void WindowMailbox::Post(std::function<void()> call) {
  bool wake = false;
  {
    std::lock_guard lock(m_mutex);
    wake = m_calls.empty();
    m_calls.push_back(std::move(call));
  }
  // One wake-up per batch: a Drain already on its way takes the rest.
  if (wake) QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

bool WindowMailbox::OnWindowThread() const {
  return QThread::currentThread() == thread();
}

void WindowMailbox::Drain() {
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard lock(m_mutex);
      if (m_calls.empty()) return;
      call = std::move(m_calls.front());
      m_calls.pop_front();
    }
    // Dialogs are opened window-modal and answer later, so no call runs an event loop of its
    // own.
    call();
  }
}

}  // namespace ostrivane
