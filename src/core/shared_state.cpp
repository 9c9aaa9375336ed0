#include "shared_state.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

void Fun_SetAppFolder(const QString& folder) {
    g_AppFolder = folder;
    g_IniPath = folder + QStringLiteral("/system.ini");
    g_ModelFilePath = folder + QStringLiteral("/模型.mx20");
}

void Fun_ResetSharedState() {
    g_AppTitle = QStringLiteral("KQ-510 V1.8");
    g_FramePeriodMs = 36;
    g_PauseTasks = false;
    g_ExitRequested = false;
    g_MainClosing = false;
    g_ColourOrder = 3;
    std::memset(g_LivePlanes, 0, sizeof g_LivePlanes);
    std::memset(g_PortHasData, 0, sizeof g_PortHasData);
    g_StepFlag = false;
    g_UsePlugin = 0;
    g_PluginCountdown = 0;
    g_ModellingOpen = 0;
    g_PosWinSavedTop = g_PosWinSavedLeft = g_MainWinSavedTop = g_MainWinSavedLeft = 0;
    g_PosWinMode = 1;
    Fun_SetAppFolder(g_AppFolder);
}

bool Fun_UseAppFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) return false;
    Fun_SetAppFolder(folder);
    return true;
}
