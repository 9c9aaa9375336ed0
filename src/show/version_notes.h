#pragma once

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QShowEvent;

namespace kq::show {
// The program's change log, 40 lines, oldest version first.
QStringList changeLog();
// The modelling editor's keyboard shortcuts.
QStringList modellingShortcuts();
// Typed at the start of the text box, it shows the change log.
inline constexpr char kChangeLogCode[] = "510180";
} // namespace kq::show

// "Form版本说明": the change log or the modelling shortcuts in one text box.
class VersionNotesDialog : public QWidget {
    Q_OBJECT
public:
    explicit VersionNotesDialog(QWidget* parent = nullptr);

    void Command软件版本_Click();
    void Command建模快捷键_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Fun_txt信息载入换行(const QString& text);
    void showLines(const QStringList& lines);
    void toTop();

    QPlainTextEdit* Text信息 = nullptr;
};
