#include "common_functions.h"

#include "clock.h"
#include "event_pump.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

void Fun_Delay(uint32_t ms) {
    kq::Clock& clock = kq::appClock();
    kq::EventPump& pump = kq::appPump();
    const uint32_t start = clock.nowMs();
    const uint32_t deadline = start + ms + 1;
    while (uint32_t(clock.nowMs() - start) <= ms)
        pump.waitForEvents(deadline);
}

QString Fun_PadLeft(const QString& value, int width, QChar pad) {
    if (width <= 0) return {};
    return (QString(width, pad) + value).right(width);
}

QString Fun_ZeroPad(long long value, int width) {
    return Fun_PadLeft(QString::number(value), width, QLatin1Char('0'));
}

QString Fun_Pad2(long long value) {
    return Fun_ZeroPad(value, 2);
}

namespace {
QString hexDigits(uint32_t value, int width) {
    return Fun_PadLeft(QString::number(value, 16).toUpper(), width, QLatin1Char('0'));
}
} // namespace

QString Fun_HexByteOfWord(int32_t value, int which) {
    const QString s = hexDigits(uint32_t(value), 4);
    if (which == 1) return QStringLiteral("&H") + s.left(2);
    if (which == 2) return QStringLiteral("&H") + s.right(2);
    return {};
}

QString Fun_HexWordOfBytes(int32_t hi, int32_t lo) {
    return QStringLiteral("&H") + hexDigits(uint32_t(hi), 2) + hexDigits(uint32_t(lo), 2);
}

QString Fun_TextToHex4(const QString& text) {
    QString out;
    out.reserve(text.size() * 4);
    for (QChar c : text)
        out += hexDigits(c.unicode(), 4);
    return out;
}

QString Fun_Hex4ToText(const QString& hex) {
    QString out;
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        const QString group = hex.mid(i, 4);
        bool ok = false;
        // A group whose first two digits are "00" holds the code of its last two; otherwise it is the
        // whole code. Both read as the group's value.
        const uint code = group.toUInt(&ok, 16);
        if (ok) out += QChar(char16_t(code));
    }
    return out;
}

namespace kq {
int32_t screenSizeValue(int which, int widthPx, int heightPx) {
    switch (which) {
    case 1:
        return widthPx;
    case 2:
        return heightPx;
    case 3:
        return widthPx * kTwipsPerPixel;
    case 4:
        return heightPx * kTwipsPerPixel;
    default:
        return 0;
    }
}
} // namespace kq

int32_t Fun_ScreenSize(int which) {
    const QScreen* screen =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen) return 0;
    const QSize size = screen->size();
    return kq::screenSizeValue(which, size.width(), size.height());
}

namespace kq {
QString defaultApplicationFolder(const QString& programFolder) {
    const QFileInfo folder(programFolder);
    const bool installed = programFolder.startsWith(QLatin1String("/usr/")) || !folder.isWritable();
    if (!installed) return programFolder;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/kq510");
}
} // namespace kq
