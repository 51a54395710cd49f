#include "files/ConfigurationFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "config/ConfigCodec.h"
#include "texts/TextTable.h"

namespace ostrivane {
namespace {

const QLatin1String kSaveTitle("Save Configuration");
const QLatin1String kLoadTitle("Load Configuration");
const QLatin1String kFilterDescription("Config.");
const QLatin1String kSavedText("Saved");
const QLatin1String kWriteErrorText("Config. write Error");
const QLatin1String kReadErrorText("Config. read error");
const QLatin1String kNotCompatibleText("Config. file not compatible !");
const QLatin1String kLoadedText("Loaded");
const QLatin1String kLegacyExtension(".tmc");
const QLatin1String kStandardExtension(".itc");
const QLatin1String kReplaceQuestion("%1 already exists.\nDo you want to replace it?");

}  // namespace

bool ConfigurationFiles::WriteRecordFile(const QString& path, const QByteArray& record) {
  QSaveFile file(path);
  // A writable file in a folder that refuses new entries is still replaced in place.
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(record) != record.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

ConfigurationFiles::ConfigurationFiles(const ApplicationData& settings, Prompts& prompts,
                                       StatusSink& status)
    : m_settings(settings), m_prompts(prompts), m_status(status) {}

QString ConfigurationFiles::ExtensionFor(std::uint8_t typeCode) {
  return typeCode == kLegacyTypeCode ? kLegacyExtension : kStandardExtension;
}

QString ConfigurationFiles::WithExpectedExtension(const QString& path, std::uint8_t typeCode) {
  const QString extension = ExtensionFor(typeCode);
  return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

void ConfigurationFiles::ChooseFile(const QString& title, bool forSave, std::uint8_t typeCode,
                                    std::function<void(const QString&)> chosen) {
  FileDialogRequest request;
  request.title = title;
  request.folder = m_settings.ConfigFolder();
  request.filterDescription = kFilterDescription;
  request.filterPattern = QLatin1Char('*') + ExtensionFor(typeCode);
  request.overwritePrompt = forSave;
  Prompts* prompts = &m_prompts;
  auto picked = [prompts, title, forSave, typeCode,
                 chosen = std::move(chosen)](const QString& name) {
    if (name.isEmpty()) {
      chosen({});
      return;
    }
    const QString path = WithExpectedExtension(name, typeCode);
    // The dialog only asked about the name as typed; the appended extension may name another
    // existing file, which must not be replaced silently.
    if (!forSave || path == name || !QFileInfo::exists(path)) {
      chosen(path);
      return;
    }
    MessageBoxRequest question;
    question.owner = PromptOwner::Panel;
    question.caption = title;
    question.text = QString(kReplaceQuestion).arg(QDir::toNativeSeparators(path));
    question.buttons = PromptButtons::OkCancel;
    question.icon = PromptIcon::Exclamation;
    question.cancelIsDefault = true;
    prompts->AskMessage(question, [path, chosen](PromptAnswer answer) {
      chosen(answer == PromptAnswer::Ok ? path : QString());
    });
  };
  if (forSave) {
    m_prompts.AskSaveFileName(request, std::move(picked));
  } else {
    m_prompts.AskOpenFileName(request, std::move(picked));
  }
}

void ConfigurationFiles::Report(const QString& text, bool error) {
  if (error) m_prompts.Beep(kErrorBeepHz, kErrorBeepMs);
  m_status.ShowStatusText(text, kStatusMs, false);
}

void ConfigurationFiles::Note(int entry, const QString& path, const QString& why) {
  // One pass: a "%2" in a file name stays as it is.
  const QString text = LocalText(entry, m_settings.LanguageIndex());
  const QString file = QDir::toNativeSeparators(path);
  m_status.NoteActivity(why.isEmpty() ? text.arg(file) : text.arg(file, why));
}

void ConfigurationFiles::AskSavePath(std::uint8_t typeCode,
                                     std::function<void(const QString&)> chosen) {
  ChooseFile(kSaveTitle, true, typeCode, std::move(chosen));
}

void ConfigurationFiles::AskLoadPath(std::uint8_t typeCode,
                                     std::function<void(const QString&)> chosen) {
  ChooseFile(kLoadTitle, false, typeCode, std::move(chosen));
}

SaveOutcome ConfigurationFiles::SaveConfigurationTo(const QString& path, DeviceConfig& config,
                                                    PanelState& panel,
                                                    const LayoutContext& context) {
  // The file carries the logo chosen in the field even before it has been sent.
  const QString keptLogo = config.LogoName;
  config.LogoName = panel.LogoFieldText;
  QByteArray record;
  const bool encoded = EncodeConfigImage(config, panel, context, record);
  config.LogoName = keptLogo;
  // Encoding first, so that a record that cannot be built leaves an existing file untouched.
  if (!encoded || record.isEmpty() || record.size() > qsizetype{kConfigImageMax}) {
    Report(LocalText(text::ConfigurationError, m_settings.LanguageIndex()), true);
    Note(text::NotSavedTo, path, LocalText(text::ConfigurationError, m_settings.LanguageIndex()));
    return SaveOutcome::ConfigurationError;
  }
  if (!WriteRecordFile(path, record)) {
    Report(kWriteErrorText, true);
    Note(text::NotSavedTo, path, kWriteErrorText);
    return SaveOutcome::WriteError;
  }
  Report(kSavedText, false);
  Note(text::SavedTo, path);
  return SaveOutcome::Saved;
}

LoadResult ConfigurationFiles::LoadConfigurationFrom(const QString& path, DeviceConfig& config,
                                                     PanelState& panel,
                                                     const LayoutContext& context) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Report(kReadErrorText, true);
    Note(text::NotLoadedFrom, path, kReadErrorText);
    return {LoadOutcome::ReadError};
  }
  // One byte more than a record can hold tells an oversized file from a full one.
  const QByteArray bytes = file.read(qint64{kConfigImageMax} + 1);
  const bool readFailed = file.error() != QFileDevice::NoError;
  file.close();
  if (readFailed) {
    Report(kReadErrorText, true);
    Note(text::NotLoadedFrom, path, kReadErrorText);
    return {LoadOutcome::ReadError};
  }
  return LoadRecordFrom(path, bytes, config, panel, context, EmptyApplication::ShowDefault);
}

LoadResult ConfigurationFiles::LoadRecord(const QByteArray& bytes, DeviceConfig& config,
                                          PanelState& panel, const LayoutContext& context,
                                          EmptyApplication empty) {
  return LoadRecordFrom(QStringLiteral("-"), bytes, config, panel, context, empty);
}

LoadResult ConfigurationFiles::LoadRecordFrom(const QString& path, const QByteArray& bytes,
                                              DeviceConfig& config, PanelState& panel,
                                              const LayoutContext& context,
                                              EmptyApplication empty) {
  if (!DecodeFileRecord(bytes, context, config, panel, empty)) {
    Report(kNotCompatibleText, true);
    Note(text::NotLoadedFrom, path, kNotCompatibleText);
    return {LoadOutcome::NotCompatible};
  }
  panel.RequestFactoryDefault();
  Report(kLoadedText, false);
  Note(text::LoadedFrom, path);
  return {LoadOutcome::Loaded, LoadResult::kManufacturerPage};
}

bool ConfigurationFiles::DecodeFileRecord(const QByteArray& bytes, const LayoutContext& context,
                                          DeviceConfig& config, PanelState& panel,
                                          EmptyApplication empty) {
  return bytes.size() >= kMinFileBytes && bytes.size() <= qsizetype{kConfigImageMax} &&
         DecodeConfigImage(bytes, context, config, panel, empty);
}

}  // namespace ostrivane
