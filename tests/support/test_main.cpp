#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Widgets are real; they render offscreen unless a test run provides a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    // Whatever starts the tests, nothing they send may leave loopback.
    qputenv("KQ510_LOOPBACK_ONLY", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
