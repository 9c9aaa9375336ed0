// kq510-pattern: a window of moving colour bars to lay the position window over, for demonstrations;
// with --static it shows a fixed pattern whose pixel (x, y) is red x % 256, green y % 256, blue 200.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class Pattern : public QWidget {
public:
    explicit Pattern(bool still) : still_(still) {
        setWindowTitle(QStringLiteral("kq510 pattern"));
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption stillOpt(QStringLiteral("static"),
                                      QStringLiteral("A fixed pattern instead of moving bars."));
    const QCommandLineOption geometryOpt(QStringLiteral("area"),
                                         QStringLiteral("Where the window goes: x,y,width,height."),
                                         QStringLiteral("x,y,w,h"), QStringLiteral("0,0,640,480"));
    parser.addOptions({stillOpt, geometryOpt});
    parser.process(app);
    const QStringList g = parser.value(geometryOpt).split(QLatin1Char(','));
    if (g.size() != 4) parser.showHelp(2);
    Pattern w(parser.isSet(stillOpt));
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.setGeometry(g[0].toInt(), g[1].toInt(), g[2].toInt(), g[3].toInt());
    w.show();
    return QApplication::exec();
}
