#include "panel_widgets.h"

#include "gbk_codec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>
#include <algorithm>

namespace kq {
namespace {

class KeyEater final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::KeyPress || QObject::eventFilter(watched, event);
    }
};

// Qt also asks the validator when the program sets a text, so the message waits for the box to say
// that the user's input was refused. U+FFFD stands for bytes a file held that were no character at all:
// it is what the box was given, saved as "?" as before, and never refused.
class CodePage936Only final : public QValidator {
public:
    explicit CodePage936Only(QLineEdit* box) : QValidator(box) {
        connect(box, &QLineEdit::inputRejected, this, [this, box] {
            if (!refused_.isEmpty())
                sayAtBox(box, QCoreApplication::translate("kq", "不能保存的字符：%1（只能使用GBK字符）").arg(refused_));
        });
    }
    State validate(QString& input, int& /*pos*/) const override {
        refused_ = kq::gbk::unencodable(input).remove(QChar(QChar::ReplacementCharacter));
        return refused_.isEmpty() ? Acceptable : Invalid;
    }

private:
    mutable QString refused_;
};

QString& said() {
    static QString text;
    return text;
}

} // namespace

void sayAtBox(QWidget* box, const QString& text) {
    said() = text;
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), text, box);
}

QString lastSaid() {
    return said();
}

void acceptOnlyCodePage936(QLineEdit* box) {
    box->setValidator(new CodePage936Only(box));
}

QComboBox* makePickList(QWidget* parent, const QString& name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->installEventFilter(new KeyEater(box));
    return box;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QLabel* makeLabel(QWidget* box, const QString& caption) {
    auto* label = new QLabel(caption, box->parentWidget());
    label->setBuddy(box);
    return label;
}

int numberIn(const QComboBox* box, int max) {
    return std::clamp(box->currentText().toInt(), 1, max);
}

} // namespace kq
