#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The interface language: Chinese, as the machines' installers have always read it, or English. The
// texts are Chinese in the code; English comes from the translation built into the program.

namespace kq {

enum class Language { Chinese, English };

// "zh" or "en"; anything else is none.
std::optional<Language> languageNamed(const QString& name);
QString languageName(Language language);

// The language to start in: "--lang zh|en" on the command line, else the setting "界面语言" (zh or
// en), else the locale's (Chinese for zh_*, English for any other).
Language chooseLanguage(const QStringList& args, const QString& setting, const QString& localeName);

// Puts the language's texts in place for every window made after it; false when the English
// translation cannot be loaded (the interface then stays Chinese).
bool useLanguage(Language language);
Language currentLanguage();

} // namespace kq
