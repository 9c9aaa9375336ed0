#pragma once

#include "model_data.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QUndoStack;

// Undo and redo of the modelling editor's edits. Every user action runs through perform(): the
// current model (its materials, size and note) is taken before and after, and the change becomes one
// step. Consecutive edits of the same box merge into one step.
class ModelUndo : public QObject {
    Q_OBJECT
public:
    struct Snapshot {
        int model = 1;
        int32_t length = 0, width = 0;
        QString note;
        std::vector<T_Material> materials; // 1..2000 at their indices
        int32_t current = 1;
        bool sameModel(const Snapshot& o) const {
            return model == o.model && length == o.length && width == o.width && note == o.note &&
                   materials == o.materials;
        }
    };
    static Snapshot take();
    static void restore(const Snapshot& s);

    explicit ModelUndo(QObject* parent = nullptr);
    ~ModelUndo() override;

    // Runs the action as one undoable step named `text`; mergeId >= 0 joins it to the step before when
    // that came from the same box.
    void perform(const QString& text, const std::function<void()>& action, int mergeId = -1);
    QUndoStack& stack() { return *stack_; }
    void clear();

signals:
    // An undo or redo changed the tables: the editor shows them again.
    void restored();

private:
    QUndoStack* stack_;
    bool restoring_ = false;
    bool performing_ = false;
};
