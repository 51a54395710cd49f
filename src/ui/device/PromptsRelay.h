#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "common/Prompts.h"
#include "ui/device/WindowMailbox.h"

namespace ostrivane {

// The prompts of device jobs: the question is shown by the window's thread (window-modal, no
// nested event loop) while the device thread waits for the answer. A box with only OK has no
// answer to wait for: the job goes on while it is shown. Once the window is closing, questions
// still pending (and new ones) get the cautious answer (Cancel, no file, no beep) instead, so that
// closing never waits on a dialog nobody will see.
class PromptsRelay final : public Prompts {
 public:
  // window: the mailbox of the window's thread, which outlives every job; target: the prompts
  // the window's thread shows.
  PromptsRelay(WindowMailbox& window, Prompts& target);

  PromptAnswer ShowMessage(const MessageBoxRequest& request) override;
  QString GetSaveFileName(const FileDialogRequest& request) override;
  QString GetOpenFileName(const FileDialogRequest& request) override;
  void Beep(int frequencyHz, int durationMs) override;

  // Any thread: from now on questions get the cautious answer; a waiting one is released.
  void Abandon();
  bool Abandoned() const { return m_abandoned.load(); }

 private:
  // What the window's thread answered; shared, so that an abandoned question may still finish.
  struct Answer {
    bool answered = false;
    bool abandoned = false;
    PromptAnswer button = PromptAnswer::Cancel;
    QString path;
  };
  // What a question fills in, then calls done with (on the window's thread).
  using Question = std::function<void(Prompts&, std::function<void(const Answer&)> done)>;
  // Device thread: asks on the window's thread and waits for the answer; nothing when the
  // question was abandoned.
  std::optional<Answer> Ask(Question ask);
  // A file dialog's path (empty: none chosen, or the question abandoned).
  QString AskPath(const FileDialogRequest& request, bool forSave);

  WindowMailbox& m_window;
  Prompts& m_target;
  std::atomic<bool> m_abandoned{false};
  std::mutex m_mutex;
  std::condition_variable m_answered;
};

}  // namespace ostrivane
