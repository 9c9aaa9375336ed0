#include "command_line.h"

#include "language.h"
#include "settings_file.h"
#include "settings_keys.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <cstdio>

namespace kq {

namespace {

// The value of every --lang in args, "--lang=" ones included; a --lang that ends the line has none.
QStringList languageValues(const QStringList& args) {
    QStringList values;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lang") && i + 1 < args.size())
            values << args[++i];
        else if (args[i].startsWith(QLatin1String("--lang=")))
            values << args[i].mid(7);
    }
    return values;
}

} // namespace

bool useCommandLineLanguage(const QString& program, const QStringList& args, const QString& appFolder) {
    const QString setting = appFolder.isEmpty()
                                ? QString()
                                : Fun_ReadIni(appFolder + QStringLiteral("/system.ini"), key::InterfaceLanguage);
    const Language language = chooseLanguage(args, setting, QLocale::system().name());
    // The Chinese texts are the program's own; only a missing English translation can fail, and then
    // nothing would be read in English: this one line says so in both.
    if (!useLanguage(language))
        std::fprintf(stderr, "%s: the English texts cannot be loaded (无法载入英文文本)\n", qPrintable(program));
    for (const QString& name : languageValues(args))
        if (!languageNamed(name)) {
            std::fprintf(
                stderr, "%s\n",
                qPrintable(
                    QCoreApplication::translate("kq", "%1：--lang 只能是 zh 或 en，不能是“%2”").arg(program, name)));
            return false;
        }
    return true;
}

QStringList withoutLanguageOption(const QStringList& args) {
    QStringList kept;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (i > 0 && args[i] == QLatin1String("--lang") && i + 1 < args.size())
            ++i;
        else if (i == 0 || !args[i].startsWith(QLatin1String("--lang=")))
            kept << args[i];
    }
    return kept;
}

QString commandLineError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.front();
        return QCoreApplication::translate("kq", "未知选项“%1”")
            .arg((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    // The option is the one Qt names in quotes: "Missing value after '--port'." and the like.
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    const QString text = parser.errorText();
    const QString option = quoted.match(text).captured(1);
    if (text.startsWith(QLatin1String("Missing value")))
        return QCoreApplication::translate("kq", "选项“%1”后面缺少值").arg(option);
    if (text.startsWith(QLatin1String("Unexpected value")))
        return QCoreApplication::translate("kq", "选项“%1”不带值").arg(option);
    return text;
}

} // namespace kq
