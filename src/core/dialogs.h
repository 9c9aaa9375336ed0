#pragma once

#include <QList>
#include <QString>
#include <deque>

// Message boxes, Yes/No questions and file dialogs go through this seam, so that tests can answer them
// and read back what the program showed. The program installs the widget implementation at start.
namespace kq {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct FileDialogRequest {
    QString title;
    QString filter; // as Qt writes it: "文件 (*.mx20)"
    QString directory;
    bool mustExist = false;
    bool operator==(const FileDialogRequest&) const = default;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MessageAnswer message(const QString& text, const QString& title, MessageButtons buttons) = 0;
    // Empty text when the user cancels.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
};

// Answers from queues and remembers what was asked. With an empty queue a message gets Ok (for Yes/No:
// No, the answer that changes nothing) and a file dialog is cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString text;
        QString title;
        MessageButtons buttons;
    };

    MessageAnswer message(const QString& text, const QString& title, MessageButtons buttons) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;

    std::deque<MessageAnswer> answers;
    std::deque<QString> fileNames;
    QList<Shown> shown;
    QList<FileDialogRequest> fileRequests;

private:
    QString nextFileName(const FileDialogRequest& request);
};

// For the command line: messages go to standard error, questions are answered No, file dialogs cancel.
class ConsoleDialogs final : public Dialogs {
public:
    MessageAnswer message(const QString& text, const QString& title, MessageButtons buttons) override;
    QString openFileName(const FileDialogRequest&) override { return {}; }
    QString saveFileName(const FileDialogRequest&) override { return {}; }
};

Dialogs& dialogs();
// Installs the dialogs the program uses; nullptr goes back to a ScriptedDialogs that answers nothing.
void setDialogs(Dialogs* d);

} // namespace kq

// Message box with an OK button, titled with the application name as the Windows program's were.
void Fun_MsgBox(const QString& text);
// Yes/No question; true for Yes.
bool Fun_AskYesNo(const QString& text);

// Open and save dialogs for files of one extension; empty text when cancelled. The save dialog
// appends "." + ext when the chosen name does not already end with it.
QString Fun_OpenFileDialog(const QString& ext);
QString Fun_SaveFileDialog(const QString& ext);
