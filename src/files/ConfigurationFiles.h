#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "common/Prompts.h"
#include "common/StatusSink.h"
#include "config/ConfigCodec.h"
#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"
#include "files/ApplicationData.h"

namespace ostrivane {

enum class SaveOutcome {
  Cancelled,           // no file chosen: nothing shown
  Saved,               // "Saved"
  WriteError,          // "Config. write Error"
  ConfigurationError,  // the record would not fit: nothing written
};

enum class LoadOutcome {
  Cancelled,      // no file chosen: nothing shown
  Loaded,         // "Loaded"; the model holds the file's configuration
  ReadError,      // "Config. read error"
  NotCompatible,  // "Config. file not compatible !"; the model is unchanged
};

struct LoadResult {
  static constexpr int kNoPage = -1;
  static constexpr int kManufacturerPage = 4;

  LoadOutcome outcome = LoadOutcome::Cancelled;
  // The page the panel shows next (SelectPage), kNoPage to leave the panel as it is.
  int pageToSelect = kNoPage;
};

// Saving and loading one configuration record as a ".tmc"/".itc" file. The dialog steps go
// through Prompts, every report through StatusSink; the *To/*From steps take a path and need no
// dialog, for the command-line tool.
class ConfigurationFiles {
 public:
  static constexpr std::uint8_t kLegacyTypeCode = 121;
  static constexpr qint64 kMinFileBytes = 5;
  static constexpr int kStatusMs = 2000;
  static constexpr int kErrorBeepHz = 440;
  static constexpr int kErrorBeepMs = 250;

  ConfigurationFiles(const ApplicationData& settings, Prompts& prompts, StatusSink& status);

  // SAVE button: asks for a file in the config folder (and, when the type's extension makes it
  // name another existing file, whether to replace it); chosen gets the path with the type's
  // extension, or an empty string when the user cancelled. The answer may come later: the caller
  // then writes with SaveConfigurationTo. Nothing of this object is kept until then.
  void AskSavePath(std::uint8_t typeCode, std::function<void(const QString&)> chosen);
  // LOAD button: the same for a file to read with LoadConfigurationFrom.
  void AskLoadPath(std::uint8_t typeCode, std::function<void(const QString&)> chosen);

  // Writes the record of config (with the logo of the panel's logo field) to exactly path.
  SaveOutcome SaveConfigurationTo(const QString& path, DeviceConfig& config, PanelState& panel,
                                  const LayoutContext& context);
  // Reads path as a record of the connected device; on success the next panel tick sends it and
  // stores it as the device default.
  LoadResult LoadConfigurationFrom(const QString& path, DeviceConfig& config, PanelState& panel,
                                   const LayoutContext& context);
  // The same for the bytes of a file already read.
  LoadResult LoadRecord(const QByteArray& bytes, DeviceConfig& config, PanelState& panel,
                        const LayoutContext& context,
                        EmptyApplication empty = EmptyApplication::ShowDefault);

  // Whether bytes, as read from a file, are a record of the connected device; decodes it into
  // config and panel when they are.
  static bool DecodeFileRecord(const QByteArray& bytes, const LayoutContext& context,
                               DeviceConfig& config, PanelState& panel,
                               EmptyApplication empty = EmptyApplication::ShowDefault);
  // ".tmc" for type 121, ".itc" for every other type.
  static QString ExtensionFor(std::uint8_t typeCode);
  // Replaces path with exactly record, or leaves an existing file as it was.
  static bool WriteRecordFile(const QString& path, const QByteArray& record);
  // path unchanged when it already ends in the type's extension (any case), else with it appended.
  static QString WithExpectedExtension(const QString& path, std::uint8_t typeCode);

 private:
  void ChooseFile(const QString& title, bool forSave, std::uint8_t typeCode,
                  std::function<void(const QString&)> chosen);
  void Report(const QString& text, bool error);
  // The activity line: entry with the file and, for a failure, the status text shown.
  void Note(int entry, const QString& path, const QString& why = {});
  // LoadRecord for bytes read from path (named in the activity line).
  LoadResult LoadRecordFrom(const QString& path, const QByteArray& bytes, DeviceConfig& config,
                            PanelState& panel, const LayoutContext& context,
                            EmptyApplication empty);

  const ApplicationData& m_settings;
  Prompts& m_prompts;
  StatusSink& m_status;
};

}  // namespace ostrivane
