#pragma once

#include <QString>
#include <cstdint>

// Process-wide state that more than one subsystem reads or writes. Everything here is touched from the
// single user-interface thread only. Tables are indexed from 1 for machines and ports; index 0 exists
// and stays unused.

inline constexpr int kMaxMachine = 10;
inline constexpr int kShowMaterials = 50; // show materials (numbered clips) 1..50
inline constexpr int kMaxPort = 8;
inline constexpr int kLivePlaneSize = 3001; // positions 0..3000 of one port's live block
inline constexpr int kPortBlockBytes = 2250;

// Application core.
inline QString g_AppFolder; // the application folder (the executable's folder, or --home)
inline QString g_IniPath;   // g_AppFolder + "/system.ini"
inline QString g_AppTitle = QStringLiteral("KQ-510 V1.8");
inline int32_t g_FramePeriodMs = 36;
inline bool g_PauseTasks = false;    // set during show download and firmware upgrade
inline bool g_ExitRequested = false; // the main window was closed: the loop ends the program
inline bool g_MainClosing = false;   // the main window is closing: its placement is no longer saved

// Output and recording.
inline int32_t g_ColourOrder = 3;                                                // 1RGB .. 6BGR
inline uint8_t g_LivePlanes[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize] = {}; // machine, port, position
inline uint8_t g_PortHasData[kMaxPort + 1][kMaxMachine + 1] = {};                // port, machine
inline bool g_StepFlag = false;
inline uint8_t g_UsePlugin = 0;
inline int32_t g_PluginCountdown = 0; // while 1 or more, the picture comes from the plug-in program

// Model (the model tables themselves live with the model files).
inline QString g_ModelFilePath;
inline int32_t g_ModellingOpen = 0;

// Window placement, in twips, as last saved.
inline int32_t g_PosWinSavedTop = 0;
inline int32_t g_PosWinSavedLeft = 0;
inline int32_t g_MainWinSavedTop = 0;
inline int32_t g_MainWinSavedLeft = 0;
inline uint8_t g_PosWinMode = 1;

// Sets g_AppFolder and the paths that follow from it.
void Fun_SetAppFolder(const QString& folder);
// The same for a folder given on the command line, made first when it is not there; false (and nothing
// set) when it cannot be.
bool Fun_UseAppFolder(const QString& folder);
// Puts every value above back to its start value (tests run many programs in one process).
void Fun_ResetSharedState();
