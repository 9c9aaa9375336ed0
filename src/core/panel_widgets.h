#pragma once

#include <QGroupBox>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the panels of the main window have in common.
namespace kq {

// A panel of the operation-state selector: shown while its state is chosen, and asked once per frame
// tick to do that state's work with the machines.
class StatePanel : public QGroupBox {
public:
    using QGroupBox::QGroupBox;
    virtual void cycle() {}
};

// A pick list: chosen with the mouse only, it takes no typing.
QComboBox* makePickList(QWidget* parent, const QString& name);
QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& caption);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
// The caption shown beside a box, which a screen reader also names the box by. Qt looks for a box's
// label among its siblings only (and else names it by the group it sits in), so the label is made in
// the box's parent. A list reads no label: name it with setAccessibleName.
QLabel* makeLabel(QWidget* box, const QString& caption);
// A short message shown at a box, for input it refused; the last one stays readable as lastSaid().
void sayAtBox(QWidget* box, const QString& text);
QString lastSaid();
// The box takes only characters that code page 936 holds, since the files it is saved to hold no
// others: a character typed or pasted that it cannot hold is refused as typed, with a message.
void acceptOnlyCodePage936(QLineEdit* box);
// The number a list of numbers shows, within 1..max.
int numberIn(const QComboBox* box, int max);

} // namespace kq
