#include "panel_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QPushButton>
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

} // namespace

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

int numberIn(const QComboBox* box, int max) {
    return std::clamp(box->currentText().toInt(), 1, max);
}

} // namespace kq
