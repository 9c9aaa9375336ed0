#include "language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

namespace kq {

std::optional<Language> languageNamed(const QString& name) {
    if (name == QLatin1String("zh")) return Language::Chinese;
    if (name == QLatin1String("en")) return Language::English;
    return std::nullopt;
}

QString languageName(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

Language chooseLanguage(const QStringList& args, const QString& setting, const QString& localeName) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lang") && i + 1 < args.size())
            if (const auto l = languageNamed(args[i + 1])) return *l;
        if (args[i].startsWith(QLatin1String("--lang=")))
            if (const auto l = languageNamed(args[i].mid(7))) return *l;
    }
    if (const auto l = languageNamed(setting.trimmed())) return *l;
    return localeName.startsWith(QLatin1String("zh")) ? Language::Chinese : Language::English;
}

namespace {
Language g_language = Language::Chinese;
std::unique_ptr<QTranslator> g_translator;
} // namespace

bool useLanguage(Language language) {
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator.get());
        g_translator.reset();
    }
    g_language = Language::Chinese;
    if (language == Language::Chinese) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/kq510_en.qm")) ||
        !QCoreApplication::installTranslator(translator.get()))
        return false;
    g_translator = std::move(translator);
    g_language = Language::English;
    return true;
}

Language currentLanguage() {
    return g_language;
}

} // namespace kq
