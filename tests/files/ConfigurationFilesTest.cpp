#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "files/ApplicationData.h"
#include "files/ConfigurationFiles.h"
#include "tests/files/FakeUi.h"

namespace ostrivane {
namespace {

using testing::FakePrompts;
using testing::FakeStatusSink;

LayoutContext ContextFor(std::uint8_t typeCode) {
  return LayoutContext{typeCode, 20, RecordShape::ForType(typeCode)};
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

class ConfigurationFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_data.isValid());
    ASSERT_TRUE(QDir(m_data.path()).mkpath(QStringLiteral("config")));
    m_settings.LoadApplicationData(m_data.path(), m_data.path());
    m_status.calls = &m_prompts.calls;
    m_config.NetworkName = QStringLiteral("Hotel");
    m_config.Services[0].ServiceName = QStringLiteral("Lobby");
  }

  QString ConfigPath(const QString& name) const { return m_settings.ConfigFolder() + name; }

  SaveOutcome SaveTo(const QString& path, std::uint8_t typeCode) {
    return m_files.SaveConfigurationTo(path, m_config, m_panel, ContextFor(typeCode));
  }
  LoadResult LoadFrom(const QString& path, std::uint8_t typeCode) {
    return m_files.LoadConfigurationFrom(path, m_config, m_panel, ContextFor(typeCode));
  }
  // The SAVE and LOAD buttons: the dialogs (answered at once here), then the file.
  SaveOutcome SaveByDialog(std::uint8_t typeCode) {
    SaveOutcome outcome = SaveOutcome::Cancelled;
    m_files.AskSavePath(typeCode, [&](const QString& path) {
      if (!path.isEmpty()) outcome = SaveTo(path, typeCode);
    });
    return outcome;
  }
  LoadResult LoadByDialog(std::uint8_t typeCode) {
    LoadResult result;
    m_files.AskLoadPath(typeCode, [&](const QString& path) {
      if (!path.isEmpty()) result = LoadFrom(path, typeCode);
    });
    return result;
  }

  // A load that is refused leaves the model and the panel state exactly as they were.
  void ExpectRefusedUnchanged(const LoadResult& result, LoadOutcome outcome, const char* text) {
    EXPECT_EQ(result.outcome, outcome);
    EXPECT_EQ(result.pageToSelect, LoadResult::kNoPage);
    EXPECT_EQ(m_status.Last(), QLatin1String(text));
    EXPECT_EQ(m_prompts.calls.mid(m_prompts.calls.size() - 2),
              QStringList({QStringLiteral("beep"), QStringLiteral("status")}));
    EXPECT_EQ(m_prompts.beeps.back(), std::make_pair(440, 250));
    EXPECT_EQ(m_config.NetworkName, QStringLiteral("Hotel"));
    EXPECT_EQ(m_config.Services[0].ServiceName, QStringLiteral("Lobby"));
    EXPECT_EQ(m_panel.SendCountdown, 0);
    EXPECT_EQ(m_panel.FactoryDefaultRequest, 0);
  }

  QTemporaryDir m_data;
  ApplicationData m_settings;
  FakePrompts m_prompts;
  FakeStatusSink m_status;
  ConfigurationFiles m_files{m_settings, m_prompts, m_status};
  DeviceConfig m_config;
  PanelState m_panel;
};

TEST(ConfigurationFileNames, ExtensionRule_AppendsUnlessTheTypesExtensionEndsThePath) {
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("demo", 131), "demo.itc");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("DEMO.ITC", 131), "DEMO.ITC");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("demo.txt", 131), "demo.txt.itc");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("demo.tmc", 131), "demo.tmc.itc");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("site", 121), "site.tmc");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("a.Tmc", 121), "a.Tmc");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("a.itc", 121), "a.itc.tmc");
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("/x/v1.2/demo", 176), "/x/v1.2/demo.itc");
  // The full stop is part of the extension.
  EXPECT_EQ(ConfigurationFiles::WithExpectedExtension("demoitc", 131), "demoitc.itc");
}

TEST_F(ConfigurationFilesTest, SaveDialogOnType121_WritesTmcFileInChosenFolder) {
  m_prompts.savePath = ConfigPath(QStringLiteral("site"));
  EXPECT_EQ(SaveByDialog(121), SaveOutcome::Saved);

  ASSERT_EQ(m_prompts.dialogs.size(), 1);
  const FileDialogRequest& dialog = m_prompts.dialogs.front();
  EXPECT_EQ(dialog.title, QStringLiteral("Save Configuration"));
  EXPECT_EQ(dialog.folder, m_settings.ConfigFolder());
  EXPECT_EQ(dialog.filterDescription, QStringLiteral("Config."));
  EXPECT_EQ(dialog.filterPattern, QStringLiteral("*.tmc"));
  EXPECT_TRUE(dialog.overwritePrompt);

  EXPECT_TRUE(QFileInfo::exists(ConfigPath(QStringLiteral("site.tmc"))));
  EXPECT_FALSE(QFileInfo::exists(ConfigPath(QStringLiteral("site"))));
  ASSERT_EQ(m_status.texts.size(), 1);
  EXPECT_EQ(m_status.texts[0].text, QStringLiteral("Saved"));
  EXPECT_EQ(m_status.texts[0].durationMs, 2000);
  EXPECT_FALSE(m_status.texts[0].wait);
  EXPECT_TRUE(m_prompts.beeps.isEmpty());
}

TEST_F(ConfigurationFilesTest, CancelledDialogs_DoNothingAndSayNothing) {
  EXPECT_EQ(SaveByDialog(131), SaveOutcome::Cancelled);
  const LoadResult result = LoadByDialog(131);
  EXPECT_EQ(result.outcome, LoadOutcome::Cancelled);
  EXPECT_EQ(result.pageToSelect, LoadResult::kNoPage);

  ASSERT_EQ(m_prompts.dialogs.size(), 2);
  EXPECT_EQ(m_prompts.dialogs[1].title, QStringLiteral("Load Configuration"));
  EXPECT_EQ(m_prompts.dialogs[1].filterPattern, QStringLiteral("*.itc"));
  EXPECT_FALSE(m_prompts.dialogs[1].overwritePrompt);
  EXPECT_TRUE(m_status.texts.isEmpty());
  EXPECT_TRUE(m_prompts.beeps.isEmpty());
  EXPECT_TRUE(QDir(m_settings.ConfigFolder()).isEmpty());
}

TEST_F(ConfigurationFilesTest, FolderWithFullStop_GetsExactlyTheChosenFile) {
  const QString folder = m_data.path() + QStringLiteral("/site.v2/");
  ASSERT_TRUE(QDir().mkpath(folder));
  m_prompts.savePath = folder + QStringLiteral("a.itc");
  EXPECT_EQ(SaveByDialog(131), SaveOutcome::Saved);
  m_prompts.savePath = folder + QStringLiteral("b");
  EXPECT_EQ(SaveByDialog(131), SaveOutcome::Saved);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
            QStringList({QStringLiteral("a.itc"), QStringLiteral("b.itc")}));
}

TEST_F(ConfigurationFilesTest, AppendedExtensionNamesExistingFile_AsksBeforeReplacing) {
  const QString existing = ConfigPath(QStringLiteral("demo.itc"));
  WriteAll(existing, "keep me");
  m_prompts.savePath = ConfigPath(QStringLiteral("demo"));
  m_prompts.messageAnswer = PromptAnswer::Cancel;
  EXPECT_EQ(SaveByDialog(131), SaveOutcome::Cancelled);
  EXPECT_EQ(ReadAll(existing), QByteArray("keep me"));
  EXPECT_TRUE(m_status.texts.isEmpty());
  ASSERT_EQ(m_prompts.messages.size(), 1);
  EXPECT_EQ(m_prompts.messages[0].buttons, PromptButtons::OkCancel);

  m_prompts.messageAnswer = PromptAnswer::Ok;
  EXPECT_EQ(SaveByDialog(131), SaveOutcome::Saved);
  EXPECT_NE(ReadAll(existing), QByteArray("keep me"));

  // A name chosen with its extension was confirmed by the dialog itself.
  m_prompts.savePath = existing;
  EXPECT_EQ(SaveByDialog(131), SaveOutcome::Saved);
  EXPECT_EQ(m_prompts.messages.size(), 2);
}

TEST_F(ConfigurationFilesTest, SaveTwiceThenLoad_GivesIdenticalFilesAndArmsTheSend) {
  const QString first = ConfigPath(QStringLiteral("one.itc"));
  const QString second = ConfigPath(QStringLiteral("two.itc"));
  ASSERT_EQ(SaveTo(first, 131), SaveOutcome::Saved);
  ASSERT_EQ(SaveTo(second, 131), SaveOutcome::Saved);
  EXPECT_FALSE(ReadAll(first).isEmpty());
  EXPECT_EQ(ReadAll(first), ReadAll(second));

  m_config = DeviceConfig{};
  const LoadResult result = LoadFrom(first, 131);
  EXPECT_EQ(result.outcome, LoadOutcome::Loaded);
  EXPECT_EQ(result.pageToSelect, 4);
  EXPECT_EQ(m_panel.SendCountdown, 1);
  EXPECT_EQ(m_panel.FactoryDefaultRequest, 1);
  EXPECT_EQ(m_config.NetworkName, QStringLiteral("Hotel"));
  EXPECT_EQ(m_config.Services[0].ServiceName, QStringLiteral("Lobby"));
  EXPECT_EQ(m_status.Last(), QStringLiteral("Loaded"));
  EXPECT_EQ(m_status.texts.back().durationMs, 2000);
  EXPECT_TRUE(m_prompts.beeps.isEmpty());
}

TEST_F(ConfigurationFilesTest, Save_WritesLogoOfTheFieldAndKeepsTheModelsLogo) {
  m_config.LogoName = QStringLiteral("OLDLOGO.dg1");
  m_panel.LogoFieldText = QStringLiteral("NEWLOGO.dg1");
  const QString path = ConfigPath(QStringLiteral("logo.itc"));
  ASSERT_EQ(SaveTo(path, 131), SaveOutcome::Saved);
  EXPECT_EQ(m_config.LogoName, QStringLiteral("OLDLOGO.dg1"));
  const QByteArray bytes = ReadAll(path);
  EXPECT_TRUE(bytes.contains(QByteArray("NEWLOGO.dg1\0", 12)));
  EXPECT_FALSE(bytes.contains("OLDLOGO"));
}

TEST_F(ConfigurationFilesTest, UnwritablePath_BeepsAndReportsWriteError) {
  const QString path = m_data.path() + QStringLiteral("/missing/folder/a.itc");
  EXPECT_EQ(SaveTo(path, 131), SaveOutcome::WriteError);
  EXPECT_EQ(m_status.Last(), QStringLiteral("Config. write Error"));
  EXPECT_EQ(m_prompts.calls, QStringList({QStringLiteral("beep"), QStringLiteral("status")}));
  EXPECT_EQ(m_prompts.beeps.front(), std::make_pair(440, 250));
  EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(ConfigurationFilesTest, RecordTooLarge_ReportsConfigurationErrorAndKeepsOldFile) {
  const QString path = ConfigPath(QStringLiteral("big.itc"));
  WriteAll(path, "previous");
  m_config.LogoName = QStringLiteral("kept.dg1");
  m_panel.LogoFieldText = QString(1500, QLatin1Char('L'));
  EXPECT_EQ(SaveTo(path, 131), SaveOutcome::ConfigurationError);
  EXPECT_EQ(m_status.Last(), QStringLiteral("Configuration Error"));
  EXPECT_EQ(m_prompts.calls, QStringList({QStringLiteral("beep"), QStringLiteral("status")}));
  EXPECT_EQ(ReadAll(path), QByteArray("previous"));
  EXPECT_EQ(m_config.LogoName, QStringLiteral("kept.dg1"));

  m_settings.SetLanguageIndex(1);
  EXPECT_EQ(SaveTo(path, 131), SaveOutcome::ConfigurationError);
  EXPECT_EQ(m_status.Last(), QStringLiteral("Erreur Configuration"));
}

TEST_F(ConfigurationFilesTest, UnreadableFile_BeepsAndReportsReadError) {
  ExpectRefusedUnchanged(LoadFrom(ConfigPath(QStringLiteral("absent.itc")), 131),
                         LoadOutcome::ReadError, "Config. read error");
  ExpectRefusedUnchanged(LoadFrom(m_settings.ConfigFolder(), 131), LoadOutcome::ReadError,
                         "Config. read error");
}

TEST_F(ConfigurationFilesTest, FileTooShortOrTooLong_IsNotCompatible) {
  const QString good = ConfigPath(QStringLiteral("good.itc"));
  ASSERT_EQ(SaveTo(good, 176), SaveOutcome::Saved);
  const QByteArray record = ReadAll(good);
  ASSERT_GE(record.size(), 5);
  m_status.texts.clear();
  m_prompts.calls.clear();

  const QString path = ConfigPath(QStringLiteral("odd.itc"));
  for (const QByteArray& bytes :
       {QByteArray(), record.left(4), record + QByteArray(1025 - record.size(), '\0')}) {
    WriteAll(path, bytes);
    ExpectRefusedUnchanged(LoadFrom(path, 176), LoadOutcome::NotCompatible,
                           "Config. file not compatible !");
  }
}

TEST_F(ConfigurationFilesTest, FileOfAnotherHeaderClass_IsNotCompatible) {
  const QString multi176 = ConfigPath(QStringLiteral("m176.itc"));
  const QString standard = ConfigPath(QStringLiteral("s131.itc"));
  ASSERT_EQ(SaveTo(multi176, 176), SaveOutcome::Saved);
  ASSERT_EQ(SaveTo(standard, 131), SaveOutcome::Saved);
  // Saving normalises a few fields; start the refusals from the saved model.
  m_config.NetworkName = QStringLiteral("Hotel");

  ExpectRefusedUnchanged(LoadFrom(multi176, 178), LoadOutcome::NotCompatible,
                         "Config. file not compatible !");
  ExpectRefusedUnchanged(LoadFrom(multi176, 158), LoadOutcome::NotCompatible,
                         "Config. file not compatible !");
  ExpectRefusedUnchanged(LoadFrom(standard, 176), LoadOutcome::NotCompatible,
                         "Config. file not compatible !");
  EXPECT_EQ(LoadFrom(multi176, 176).outcome, LoadOutcome::Loaded);
}

TEST_F(ConfigurationFilesTest, HandMadeHeaders_AreCheckedAgainstTheConnectedType) {
  // Record header of the multi-output layout: "VEVE", then the type code (176 = 0xB0), then
  // items; the zero padding stands in for the items, which the header check never reaches.
  const QByteArray multi176 = QByteArray::fromHex(
                                  "56455645"
                                  "b0") +
                              QByteArray(200, '\0');
  const QString path = ConfigPath(QStringLiteral("hand.itc"));
  WriteAll(path, multi176);
  ExpectRefusedUnchanged(LoadFrom(path, 178), LoadOutcome::NotCompatible,
                         "Config. file not compatible !");
  ExpectRefusedUnchanged(LoadFrom(path, 158), LoadOutcome::NotCompatible,
                         "Config. file not compatible !");
  ExpectRefusedUnchanged(LoadFrom(path, 121), LoadOutcome::NotCompatible,
                         "Config. file not compatible !");
}

}  // namespace
}  // namespace ostrivane
