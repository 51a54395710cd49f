#include "operations/ModelTable.h"

#include <algorithm>
#include <initializer_list>

namespace ostrivane {

namespace {

constexpr unsigned kFirstAudioDelayVersion142 = 7;

bool OneOf(unsigned code, std::initializer_list<unsigned> codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

bool InRange(unsigned code, unsigned first, unsigned last) {
  return code >= first && code <= last;
}

// Rows share a handful of shapes; the helpers keep the table readable.
FirmwareUpgradeProfile Profile(std::optional<std::uint16_t> mainArea, bool header, bool trailer,
                               std::uint16_t secondaryArea, int skip,
                               std::optional<std::uint16_t> versionArea,
                               SecondaryVersionFormat format) {
  FirmwareUpgradeProfile profile;
  profile.mainStartArea = mainArea;
  profile.mainHeader = header;
  profile.mainTrailer = trailer;
  profile.mainBlockSize = 512;
  profile.secondaryStartArea = secondaryArea;
  profile.secondarySkip = skip;
  profile.secondaryVersionArea = versionArea;
  profile.secondaryVersionFormat = format;
  return profile;
}

FirmwareUpgradeProfile Profile121() {
  FirmwareUpgradeProfile profile;
  profile.mainBlockSize = 2048;
  return profile;
}

QString Tenths(unsigned value) {
  return QStringLiteral("%1.%2").arg(value / 10).arg(value % 10);
}

}  // namespace

QString ModelName(unsigned typeCode, Prompts& prompts) {
  // Every accepted code is named after itself; the accepted set and the name table coincide.
  if (IsAcceptedTypeCode(typeCode)) return QStringLiteral("UNIT%1").arg(typeCode);
  MessageBoxRequest request;
  request.owner = PromptOwner::None;
  request.caption = QStringLiteral("ERROR");
  request.text = QStringLiteral("UNDEFINED VALUE");
  request.buttons = PromptButtons::Ok;
  prompts.ShowMessage(request);
  return QString();
}

QString FirmwareFamilyName(unsigned typeCode) {
  switch (typeCode) {
    case 128:
      return QStringLiteral("FWFAM128");
    case 131:
      return QStringLiteral("FWFAM131");
    case 142:
    case 154:
      return QStringLiteral("FWFAM142");
    case 156:
      return QStringLiteral("FWFAM156");
    case 157:
      return QStringLiteral("FWFAM157");
    default:
      return QStringLiteral("FWFAMNONE");
  }
}

std::optional<FirmwareUpgradeProfile> UpgradeProfile(unsigned typeCode) {
  using F = SecondaryVersionFormat;
  if (!IsAcceptedTypeCode(typeCode)) return std::nullopt;
  switch (typeCode) {
    case 121:
      return Profile121();
    case 128:
      return Profile(991, false, false, 0, 16, 990, F::Tenths);
    case 131:
      return Profile(928, true, true, 0, 16, 927, F::Tenths);
    case 142:
    case 154:
      return Profile(752, true, true, 620, 0, std::nullopt, F::Whole);
    case 156:
      return Profile(752, true, true, 256, 0, 751, F::Whole);
    case 157:
      return Profile(752, true, true, 492, 0, std::nullopt, F::Whole);
    case 158:
    case 159:
    case 176:
      return Profile(128, false, true, 0, 0, std::nullopt, F::Tenths);
    case 178:
      return Profile(128, false, true, 0, 0, std::nullopt, F::Whole);
    case 192:
      return Profile(752, false, true, 0, 0, std::nullopt, F::Tenths);
    default:  // 132-141, 143-153, 155
      return Profile(752, true, true, 0, 16, 751, F::Tenths);
  }
}

bool UsesDecimalVersion(unsigned typeCode) {
  return typeCode == 121 || typeCode == 132;
}

bool HasUsbPlayRecord(unsigned typeCode) {
  return OneOf(typeCode,
               {131, 134, 135, 138, 140, 142, 144, 148, 149, 154, 157, 158, 159, 176, 178, 192});
}

bool HasAudioDelay(unsigned typeCode, unsigned mainVersion) {
  if (typeCode == 142) return mainVersion >= kFirstAudioDelayVersion142;
  return InRange(typeCode, 132, 141) || InRange(typeCode, 143, 157) || typeCode == 192;
}

bool HasDvbC(unsigned typeCode) {
  return typeCode == 121 || InRange(typeCode, 147, 155) ||
         OneOf(typeCode, {157, 158, 159, 176, 178, 192});
}

QString FormatMainVersion(unsigned typeCode, unsigned mainVersion) {
  if (UsesDecimalVersion(typeCode)) return Tenths(mainVersion);
  return QString::number(mainVersion);
}

QString FormatSecondaryVersion(unsigned typeCode, unsigned secondaryVersion) {
  const auto profile = UpgradeProfile(typeCode);
  const bool tenths = profile && profile->secondaryStartArea &&
                      profile->secondaryVersionFormat == SecondaryVersionFormat::Tenths;
  return tenths ? Tenths(secondaryVersion) : QString::number(secondaryVersion);
}

QString FormatTitleVersion(const DeviceIdentity& identity) {
  const unsigned main = identity.Version.main;
  if (UsesDecimalVersion(identity.DeviceTypeCode)) return Tenths(main);
  return QStringLiteral("%1.%2").arg(main).arg(identity.Version.secondary);
}

}  // namespace ostrivane
