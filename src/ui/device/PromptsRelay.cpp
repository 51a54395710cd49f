#include "ui/device/PromptsRelay.h"

namespace ostrivane {

PromptsRelay::PromptsRelay(WindowMailbox& window, Prompts& target)
    : m_window(window), m_target(target) {}

std::optional<PromptsRelay::Answer> PromptsRelay::Ask(std::function<void(Prompts&, Answer&)> ask) {
  if (m_abandoned.load()) return std::nullopt;
  if (m_window.OnWindowThread()) {
    Answer answer;
    ask(m_target, answer);
    return answer;
  }
  auto shared = std::make_shared<Answer>();
  m_window.Post([this, shared, ask = std::move(ask)] {
    {
      std::lock_guard lock(m_mutex);
      if (shared->abandoned) return;
    }
    // The dialog runs here, on the window's thread, while the device thread waits below.
    Answer answer;
    ask(m_target, answer);
    std::lock_guard lock(m_mutex);
    shared->button = answer.button;
    shared->path = answer.path;
    shared->answered = true;
    m_answered.notify_all();
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
  const auto answer = Ask([request](Prompts& p, Answer& a) { a.button = p.ShowMessage(request); });
  if (answer) return answer->button;
  return request.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

QString PromptsRelay::GetSaveFileName(const FileDialogRequest& request) {
  const auto answer =
      Ask([request](Prompts& p, Answer& a) { a.path = p.GetSaveFileName(request); });
  return answer ? answer->path : QString();
}

QString PromptsRelay::GetOpenFileName(const FileDialogRequest& request) {
  const auto answer =
      Ask([request](Prompts& p, Answer& a) { a.path = p.GetOpenFileName(request); });
  return answer ? answer->path : QString();
}

void PromptsRelay::Beep(int frequencyHz, int durationMs) {
  if (m_abandoned.load()) return;
  // Nothing to wait for: the tone is the window's business.
  Prompts* target = &m_target;
  m_window.Post([target, frequencyHz, durationMs] { target->Beep(frequencyHz, durationMs); });
}

}  // namespace ostrivane
