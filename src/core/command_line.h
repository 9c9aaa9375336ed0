#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// What the command-line tools share: the language they print in, and the words for a command line
// they refuse.
namespace kq {

// Puts in place the language of "--lang zh|en" in args, else of the setting 界面语言 in appFolder's
// system.ini (an empty appFolder for a tool that has none), else of the locale: the windows' choice.
// Needs the QCoreApplication; reads the setting without creating the folder. A --lang other than zh or
// en is said on standard error ("PROGRAM: --lang takes zh or en, not 'xx'") and gives false.
bool useCommandLineLanguage(const QString& program, const QStringList& args, const QString& appFolder);

// args without "--lang NAME" and "--lang=NAME", for commands that take the option anywhere.
QStringList withoutLanguageOption(const QStringList& args);

// Why QCommandLineParser::parse refused the command line, in the interface's language: Qt words its
// parser's errors in English only.
QString commandLineError(const QCommandLineParser& parser);

} // namespace kq
