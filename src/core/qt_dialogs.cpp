#include "qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace kq {

MessageAnswer QtDialogs::message(const QString& text, const QString& title, MessageButtons buttons) {
    QWidget* parent = QApplication::activeWindow();
    if (buttons == MessageButtons::Ok) {
        QMessageBox::information(parent, title, text);
        return MessageAnswer::Ok;
    }
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
                   QMessageBox::Yes
               ? MessageAnswer::Yes
               : MessageAnswer::No;
}

QString QtDialogs::openFileName(const FileDialogRequest& request) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), request.title, request.directory, request.filter);
}

QString QtDialogs::saveFileName(const FileDialogRequest& request) {
    // Like the dialog the installers know, this one does not ask before replacing a file.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), request.title, request.directory, request.filter,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace kq
