#pragma once

#include "record/screen_capture.h"

namespace kq::test {

// A scripted screen: picture k = (grabs / every) % cycle, whose screen pixel (x, y) is red (x + 7k),
// green y and blue (200 + 40k), each mod 256. With the defaults it never changes.
class PatternCapture final : public record::ScreenCapture {
public:
    bool grab(const QRect& wanted, record::CapturedPicture& picture) override {
        if (failing) return false;
        const int k = (grabs++ / every) % cycle;
        QByteArray bits(qsizetype(wanted.width()) * wanted.height() * 4, '\0');
        for (int y = 0; y < wanted.height(); ++y)
            for (int x = 0; x < wanted.width(); ++x) {
                char* p = bits.data() + (qsizetype(y) * wanted.width() + x) * 4;
                p[0] = char((200 + 40 * k) % 256);
                p[1] = char((wanted.y() + y) % 256);
                p[2] = char((wanted.x() + x + 7 * k) % 256);
            }
        picture.bits = bits;
        picture.width = wanted.width();
        picture.height = wanted.height();
        return true;
    }
    QString name() const override { return QStringLiteral("pattern"); }
    bool waiting() const override { return settingUp; }
    QString advice() const override { return whatToDo; }

    int grabs = 0;
    int every = 1;
    int cycle = 1;
    bool failing = false;   // the screen cannot be copied (a desktop that allows no capture)
    bool settingUp = false; // no picture yet, the desktop still asking the user
    QString whatToDo;
};

} // namespace kq::test
