#pragma once

// Numbers of the window's controls. Every numbered control carries its number as the Qt property
// "controlId", so tests and accessibility checks find controls by number.

namespace ostrivane::control {

inline constexpr char kProperty[] = "controlId";

// Status bar.
inline constexpr int StatusText = 1068;
inline constexpr int Progress = 1000;
inline constexpr int ActivityLamp = 1101;
inline constexpr int WriteLamp = 1099;
inline constexpr int WarningIcon = 1164;
inline constexpr int LogButton = 1120;
inline constexpr int ApplicationIcon = 1123;

// Settings panel.
inline constexpr int PageTabs = 1270;
inline constexpr int ModulatorTabs = 1274;
inline constexpr int ServiceTabs = 1271;
inline constexpr int ProtocolList = 1019;
inline constexpr int ClockField = 1311;
inline constexpr int EdidButton = 1162;
inline constexpr int SaveButton = 1092;
inline constexpr int LoadButton = 1091;
inline constexpr int FactoryDefaultButton = 1089;
inline constexpr int ClockSetButton = 1163;
inline constexpr int FirmwareReloadButton = 1088;
inline constexpr int ResetButton = 1225;
inline constexpr int SnapshotButton = 1180;

}  // namespace ostrivane::control
