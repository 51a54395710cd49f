#include "cli/CliStatus.h"

namespace ostrivane::cli {

namespace {
constexpr int kBarWidth = 40;
constexpr int kAnswerLength = 64;
}  // namespace

CliStatusSink::CliStatusSink(QTextStream& err, bool interactive, bool quiet)
    : m_err(err), m_interactive(interactive), m_quiet(quiet) {}

void CliStatusSink::ShowStatusText(const QString& text, int, bool) {
  if (m_quiet || text.isEmpty()) return;
  Finish();
  m_err << text << Qt::endl;
}

void CliStatusSink::SetProgress(std::uint32_t range, std::uint32_t position) {
  // A range of 1 is the "shown, empty" bar between operations: nothing to draw.
  if (!m_interactive || m_quiet || range <= 1) return;
  const int percent = static_cast<int>(100.0 * position / range);
  if (percent == m_lastPercent) return;
  m_lastPercent = percent;
  const int filled = percent * kBarWidth / 100;
  m_err << '\r' << '[' << QString(filled, QLatin1Char('#'))
        << QString(kBarWidth - filled, QLatin1Char(' ')) << "] " << percent << '%' << Qt::flush;
  m_barShown = true;
}

void CliStatusSink::Finish() {
  if (!m_barShown) return;
  m_err << Qt::endl;
  m_barShown = false;
  m_lastPercent = -1;
}

PromptAnswer CliPrompts::ShowMessage(const MessageBoxRequest& request) {
  m_lastMessage = request.text;
  const bool informs =
      request.buttons == PromptButtons::Ok &&
      (request.icon == PromptIcon::None || request.icon == PromptIcon::Information);
  if (m_quiet && informs) return PromptAnswer::Ok;
  if (!m_input || request.buttons != PromptButtons::OkCancel) {
    m_err << request.text << Qt::endl;
    return PromptAnswer::Ok;
  }
  m_err << request.text << " [y/N] " << Qt::flush;
  char line[kAnswerLength] = {};
  if (!std::fgets(line, sizeof line, m_input)) return PromptAnswer::Cancel;
  const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
  return answer == QStringLiteral("y") || answer == QStringLiteral("yes") ? PromptAnswer::Ok
                                                                          : PromptAnswer::Cancel;
}

}  // namespace ostrivane::cli
