// kq510-pattern: a window of moving colour bars to lay the position window over, for demonstrations;
// with --static it shows a fixed pattern whose pixel (x, y) is red x % 256, green y % 256, blue 200.
#include "core/command_line.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class Pattern : public QWidget {
public:
    explicit Pattern(bool still) : still_(still) {
        setWindowTitle(QCoreApplication::translate("kq", "kq510 图案"));
        clock_.start();
        if (!still_) {
            auto* t = new QTimer(this);
            connect(t, &QTimer::timeout, this, qOverload<>(&QWidget::update));
            t->start(20);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        const int shift = still_ ? 0 : int(clock_.elapsed() / 10);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = still_
                             ? qRgb(x % 256, y % 256, 200)
                             : QColor::fromHsv((x + y / 2 + shift) % 360, 255, (x / 40 + y / 40) % 2 ? 255 : 120).rgb();
        }
        QPainter(this).drawImage(0, 0, image);
    }

private:
    bool still_;
    QElapsedTimer clock_;
};

QString usage() {
    return QCoreApplication::translate("kq", "用法：kq510-pattern [选项]\n"
                                             "一个移动彩条的窗口，用来放在位置窗口下面演示。\n"
                                             "  --static         固定的图案，而不是移动的彩条：像素(x, y)是\n"
                                             "                   红 x % 256，绿 y % 256，蓝 200\n"
                                             "  --area x,y,w,h   窗口的位置：x,y,宽,高（默认 0,0,640,480）\n"
                                             "  --lang zh|en     输出的语言（否则按区域设置）\n"
                                             "  -h, --help       本说明\n");
}

int refuse(const QString& why) {
    std::fprintf(stderr, "%s\n%s", qPrintable(QCoreApplication::translate("kq", "kq510-pattern：%1").arg(why)),
                 qPrintable(usage()));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!kq::useCommandLineLanguage(QStringLiteral("kq510-pattern"), app.arguments(), {})) return 2;
    QCommandLineParser parser;
    const QCommandLineOption helpOpt(QStringList{QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption stillOpt(QStringLiteral("static"), {});
    const QCommandLineOption geometryOpt(QStringLiteral("area"), {}, QStringLiteral("x,y,w,h"),
                                         QStringLiteral("0,0,640,480"));
    const QCommandLineOption langOpt(QStringLiteral("lang"), {}, QStringLiteral("zh|en"));
    parser.addOptions({helpOpt, stillOpt, geometryOpt, langOpt});
    if (!parser.parse(app.arguments())) return refuse(kq::commandLineError(parser));
    if (parser.isSet(helpOpt)) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }
    const QStringList g = parser.value(geometryOpt).split(QLatin1Char(','));
    if (g.size() != 4) return refuse(QCoreApplication::translate("kq", "--area 只能是 x,y,w,h"));
    Pattern w(parser.isSet(stillOpt));
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.setGeometry(g[0].toInt(), g[1].toInt(), g[2].toInt(), g[3].toInt());
    w.show();
    return QApplication::exec();
}
