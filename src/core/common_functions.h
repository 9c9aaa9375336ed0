#pragma once

#include <QString>
#include <cstdint>

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}
// A window's saved place this near the screen's right or bottom edge is not used: the window goes to
// kFallbackPlaceTwips instead.
inline constexpr int kEdgeMarginTwips = 1500;
inline constexpr int kFallbackPlaceTwips = 100;

// Waits until more than ms milliseconds have passed, handling user-interface and socket events meanwhile
// (so replies arrive during the wait). Sleeps between events instead of spinning; may be nested.
void Fun_Delay(uint32_t ms);

// The rightmost `width` characters of `width` copies of pad followed by value.
QString Fun_PadLeft(const QString& value, int width, QChar pad);
QString Fun_ZeroPad(long long value, int width);
QString Fun_Pad2(long long value);

// "&H" + high byte (which = 1) or low byte (which = 2) of the low 16 bits of value, two upper-case hex
// digits; any other `which` gives empty text.
QString Fun_HexByteOfWord(int32_t value, int which);
// "&H" + two hex digits of hi + two of lo.
QString Fun_HexWordOfBytes(int32_t hi, int32_t lo);
// Four upper-case hex digits per UTF-16 code unit, and back.
QString Fun_TextToHex4(const QString& text);
QString Fun_Hex4ToText(const QString& hex);

// 1: screen width in pixels, 2: height in pixels, 3: width in twips, 4: height in twips; else 0.
int32_t Fun_ScreenSize(int which);

namespace kq {
int32_t screenSizeValue(int which, int widthPx, int heightPx);
} // namespace kq

namespace kq {
// The application folder when none is given: the program's own folder, unless that is an installed
// program's (under /usr, or not writable), whose settings and shows go to the user's data folder
// ($XDG_DATA_HOME/kq510, by default ~/.local/share/kq510).
QString defaultApplicationFolder(const QString& programFolder);
} // namespace kq
