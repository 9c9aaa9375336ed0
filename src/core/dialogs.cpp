#include "dialogs.h"

#include "shared_state.h"

#include <QCoreApplication>
#include <cstdio>

namespace kq {

MessageAnswer ScriptedDialogs::message(const QString& text, const QString& title, MessageButtons buttons) {
    shown.append({text, title, buttons});
    if (!answers.empty()) {
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

QString ScriptedDialogs::nextFileName(const FileDialogRequest& request) {
    fileRequests.append(request);
    if (fileNames.empty()) return {};
    QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}

QString ScriptedDialogs::openFileName(const FileDialogRequest& request) {
    return nextFileName(request);
}
QString ScriptedDialogs::saveFileName(const FileDialogRequest& request) {
    return nextFileName(request);
}

MessageAnswer ConsoleDialogs::message(const QString& text, const QString& title, MessageButtons buttons) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

namespace {
ScriptedDialogs g_silentDialogs;
Dialogs* g_dialogs = &g_silentDialogs;

FileDialogRequest fileRequest(const QString& ext, bool mustExist) {
    return {QCoreApplication::translate("kq", "打开文件"), QCoreApplication::translate("kq", "文件 (*.%1)").arg(ext),
            g_AppFolder, mustExist};
}

// The dialog's buffer could leave trailing blanks and a NUL behind the name.
QString cleanChosenPath(QString path) {
    if (path.endsWith(QChar(0))) path.chop(1);
    while (path.endsWith(QLatin1Char(' ')))
        path.chop(1);
    return path;
}
} // namespace

Dialogs& dialogs() {
    return *g_dialogs;
}
void setDialogs(Dialogs* d) {
    g_dialogs = d ? d : &g_silentDialogs;
}

} // namespace kq

void Fun_MsgBox(const QString& text) {
    kq::dialogs().message(text, QCoreApplication::applicationName(), kq::MessageButtons::Ok);
}

bool Fun_AskYesNo(const QString& text) {
    return kq::dialogs().message(text, QCoreApplication::applicationName(), kq::MessageButtons::YesNo) ==
           kq::MessageAnswer::Yes;
}

QString Fun_OpenFileDialog(const QString& ext) {
    return kq::cleanChosenPath(kq::dialogs().openFileName(kq::fileRequest(ext, true)));
}

QString Fun_SaveFileDialog(const QString& ext) {
    QString path = kq::cleanChosenPath(kq::dialogs().saveFileName(kq::fileRequest(ext, false)));
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('.') + ext)) path += QLatin1Char('.') + ext;
    return path;
}
