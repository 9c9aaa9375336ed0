#pragma once

#include <QString>

// The keys of "system.ini" (and of the material notes file), one name for every place that reads or
// writes them.
namespace kq::key {

inline const QString FramePeriod = QStringLiteral("帧时间");
inline const QString ColourOrder = QStringLiteral("颜色选择");
inline const QString CurrentModel = QStringLiteral("当前模型");
inline const QString CurrentMaterial = QStringLiteral("当前素材");
inline const QString ContinueRecording = QStringLiteral("继续上次录制");
inline const QString FindSimilar = QStringLiteral("自动查找相似帧");
inline const QString SimilarityThreshold = QStringLiteral("相似度阈值");
inline const QString SimilarityMinFrames = QStringLiteral("相似度最少帧");
inline const QString SimilarityMargin = QStringLiteral("相似度正负");
inline const QString UsePlugin = QStringLiteral("使用外挂程序");
inline const QString MaterialModelPrefix = QStringLiteral("素材对应模型"); // + two-digit material number
inline const QString LastModelFile = QStringLiteral("最后打开文件1");
inline const QString BackupInterval = QStringLiteral("参数文件自动备份");
inline const QString PositionWindowMode = QStringLiteral("位置窗体显示方式");
inline const QString PositionWindowTransparency = QStringLiteral("位置窗体透明度");
inline const QString PositionWindowTop = QStringLiteral("位置窗体top");
inline const QString PositionWindowLeft = QStringLiteral("位置窗体left");
inline const QString MainWindowTop = QStringLiteral("主窗体top");
inline const QString MainWindowLeft = QStringLiteral("主窗体left");
inline const QString EditorLeft = QStringLiteral("建模窗体left"); // the editor's place and size, in twips
inline const QString EditorTop = QStringLiteral("建模窗体top");
inline const QString EditorWidth = QStringLiteral("建模窗体width");
inline const QString EditorHeight = QStringLiteral("建模窗体height");
inline const QString EditorMaximised = QStringLiteral("建模窗体最大化"); // 1 or 0
inline const QString EditorSplits = QStringLiteral("建模窗体分割");      // the splitters' sizes in pixels
inline const QString MoveCount = QStringLiteral("移动数量");             // the editor's aids
inline const QString MoveStep = QStringLiteral("移动步进");
inline const QString ScreenCapture = QStringLiteral("截屏方式");       // "x11", "portal", else automatic
inline const QString ScreenCastToken = QStringLiteral("屏幕共享令牌"); // the desktop's restore token
inline const QString InterfaceLanguage = QStringLiteral("界面语言");   // "zh" or "en", else the locale's
inline const QString MaterialNotePrefix = QStringLiteral("素材"); // + two-digit material number, in "素材说明.txt"

} // namespace kq::key
