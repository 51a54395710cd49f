#include "ui/device/PromptsRelay.h"

namespace ostrivane {

PromptsRelay::PromptsRelay(WindowMailbox& window, Prompts& target)
    : m_window(window), m_target(target) {}

std::optional<PromptsRelay::Answer> PromptsRelay::Ask(Question ask) {
  if (m_abandoned.load()) return std::nullopt;
  auto shared = std::make_shared<Answer>();
  m_window.Post([this, shared, ask = std::move(ask)] {
    {
      std::lock_guard lock(m_mutex);
      if (shared->abandoned) return;
    }
    // Shown here, on the window's thread; the device thread waits below for the answer.
    ask(m_target, [this, shared](const Answer& given) {
      std::lock_guard lock(m_mutex);
      shared->button = given.button;
      shared->path = given.path;
      shared->answered = true;
      m_answered.notify_all();
    });
  });
  std::unique_lock lock(m_mutex);
  m_answered.wait(lock, [&] { return shared->answered || m_abandoned.load(); });
  if (shared->answered) return *shared;
  shared->abandoned = true;
  return std::nullopt;
}

void PromptsRelay::Abandon() {
  std::lock_guard lock(m_mutex);
  m_abandoned = true;
  m_answered.notify_all();
}

PromptAnswer PromptsRelay::ShowMessage(const MessageBoxRequest& request) {
  // The window's own thread has nobody to wait for it: it asks directly.
  if (m_window.OnWindowThread() && !m_abandoned.load()) return m_target.ShowMessage(request);
  if (request.buttons == PromptButtons::Ok) {
    // Nothing to decide: the device thread goes on (polling, watching the link) while it is
    // shown, and the answer is OK whatever becomes of the box.
    if (m_abandoned.load()) return PromptAnswer::Ok;
    m_window.Post([this, request] {
      if (!m_abandoned.load()) m_target.AskMessage(request, [](PromptAnswer) {});
    });
    return PromptAnswer::Ok;
  }
  const auto answer = Ask([request](Prompts& p, std::function<void(const Answer&)> done) {
    p.AskMessage(request, [done = std::move(done)](PromptAnswer button) {
      Answer a;
      a.button = button;
      done(a);
    });
  });
  return answer ? answer->button : PromptAnswer::Cancel;
}

QString PromptsRelay::AskPath(const FileDialogRequest& request, bool forSave) {
  if (m_window.OnWindowThread() && !m_abandoned.load()) {
    return forSave ? m_target.GetSaveFileName(request) : m_target.GetOpenFileName(request);
  }
  const auto answer = Ask([request, forSave](Prompts& p, std::function<void(const Answer&)> done) {
    auto given = [done = std::move(done)](const QString& path) {
      Answer a;
      a.path = path;
      done(a);
    };
    if (forSave) {
      p.AskSaveFileName(request, std::move(given));
    } else {
      p.AskOpenFileName(request, std::move(given));
    }
  });
  return answer ? answer->path : QString();
}

QString PromptsRelay::GetSaveFileName(const FileDialogRequest& request) {
  return AskPath(request, true);
}

QString PromptsRelay::GetOpenFileName(const FileDialogRequest& request) {
  return AskPath(request, false);
}

void PromptsRelay::Beep(int frequencyHz, int durationMs) {
  if (m_abandoned.load()) return;
  // Nothing to wait for: the tone is the window's business.
  Prompts* target = &m_target;
  m_window.Post([target, frequencyHz, durationMs] { target->Beep(frequencyHz, durationMs); });
}

}  // namespace ostrivane
