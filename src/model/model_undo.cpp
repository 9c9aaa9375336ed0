#include "model_undo.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>

namespace {

class ModelEdit final : public QUndoCommand {
public:
    ModelEdit(const QString& text, ModelUndo::Snapshot before, ModelUndo::Snapshot after, int mergeId,
              std::function<void()> restored)
        : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), mergeId_(mergeId),
          restored_(std::move(restored)) {}
    void undo() override {
        ModelUndo::restore(before_);
        restored_();
    }
    void redo() override {
        // The first redo is the action itself, which has already happened.
        if (first_) {
            first_ = false;
            return;
        }
        ModelUndo::restore(after_);
        restored_();
    }
    int id() const override { return mergeId_; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* o = static_cast<const ModelEdit*>(other);
        if (o->after_.current != after_.current) return false;
        after_ = o->after_;
        return true;
    }

private:
    ModelUndo::Snapshot before_, after_;
    int mergeId_;
    std::function<void()> restored_;
    bool first_ = true;
};

} // namespace

ModelUndo::Snapshot ModelUndo::take() {
    Snapshot s;
    s.model = currentModel();
    s.length = g_ModelLength[s.model];
    s.width = g_ModelWidth[s.model];
    s.note = g_ModelNote[s.model];
    s.materials.assign(std::begin(g_Materials[s.model]), std::end(g_Materials[s.model]));
    s.current = g_CurMaterial;
    return s;
}

void ModelUndo::restore(const Snapshot& s) {
    g_CurModel = s.model;
    g_ModelLength[s.model] = s.length;
    g_ModelWidth[s.model] = s.width;
    g_ModelNote[s.model] = s.note;
    std::copy(s.materials.begin(), s.materials.end(), std::begin(g_Materials[s.model]));
    g_CurMaterial = s.current;
}

ModelUndo::ModelUndo(QObject* parent) : QObject(parent), stack_(new QUndoStack(this)) {}

ModelUndo::~ModelUndo() = default;

void ModelUndo::perform(const QString& text, const std::function<void()>& action, int mergeId) {
    // A step being restored, or an action inside another action (auto-increment copy moves and
    // reverses the pasted material), makes no step of its own: the outer action's step holds it all.
    if (restoring_ || performing_) {
        action();
        return;
    }
    Snapshot before = take();
    performing_ = true;
    action();
    performing_ = false;
    Snapshot after = take();
    if (before.sameModel(after)) return;
    stack_->push(new ModelEdit(text, std::move(before), std::move(after), mergeId, [this] {
        restoring_ = true;
        emit restored();
        restoring_ = false;
    }));
}

void ModelUndo::clear() {
    stack_->clear();
}
