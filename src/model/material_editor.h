#pragma once

#include <QGroupBox>
#include <array>

class ModelUndo;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "Frame素材": the boxes of the current material and of the current model, the editing aids (move
// count and step, copy count, auto-increment options, shortcut digits) and the buttons that work on
// the current material. Every edit writes the tables at once, as one undoable step.
class MaterialEditor : public QGroupBox {
    Q_OBJECT
public:
    explicit MaterialEditor(ModelUndo& undo, QWidget* parent = nullptr);

    // Fills every box from the tables (its change handlers stay quiet meanwhile).
    void Fun_select_素材();
    void restoreAids(); // "移动数量" and "移动步进" from the settings
    void Command移动_Click(int direction);
    void Fun_快捷键设置id等(int digit);
    // One step of the mouse wheel over a numeric box (1 forward: +1; 0 backward: -1 while >= 1).
    void wheelStep(QLineEdit* box, int direction);
    int copyCount() const;
    void setCopyCount(int n);
    int shapeIndex() const;
    int angle() const;
    bool autoMoveDown() const;
    bool autoReverse() const;
    void toggleReverse();
    void continueAddresses(); // start address = shown end address + 1
    // The boxes the wheel steps, with their wheel targets (2..5 coordinates, 6 start, 41/42 size).
    std::array<QLineEdit*, 7> wheelBoxes() const;

signals:
    // The tables changed: the canvas, the list and the wiring check follow.
    void changed();
    // A diagonal is shown: the buttons that do not apply to it are off.
    void diagonalShown(bool diagonal);

private:
    void build();
    QLineEdit* numberBox(const QString& name);
    void storeNumber(QLineEdit* box, int mergeId, const std::function<void(int)>& store);
    // An edit of the model as one undo step (merged with the last one of the same mergeId), then the
    // boxes refilled and the change announced.
    void apply(const QString& name, const std::function<void()>& action, int mergeId = -1, QObject* typing = nullptr);
    void put(QLineEdit* box, const QString& text) const;
    void put(QComboBox* box, const QString& text) const;
    void shortcut(int digit);
    void applyShapeControls(int shape);
    void Combo形状_Click(int shape);
    void JiaoDu_Click(int angle);

    ModelUndo& undo_;
    bool updating_ = false;
    // The box the user is typing in: refilling the boxes leaves its text and cursor alone.
    QObject* typing_ = nullptr;
    QString rememberedNote_;
    std::array<int, 5> rememberedCoords_{};
    bool coordsRemembered_ = false;
    int noteCounter_ = 0;

    QComboBox* Combo机器编号 = nullptr;
    QComboBox* Combo端口编号 = nullptr;
    QLineEdit* Text素材起始地址 = nullptr;
    QLineEdit* Text点_结束地址 = nullptr;
    std::array<QLineEdit*, 5> Text素材坐标{};
    QComboBox* Combo形状 = nullptr;
    QCheckBox* Check素材方向 = nullptr;
    QComboBox* JiaoDu = nullptr;
    QLineEdit* Text素材备注 = nullptr;
    QLineEdit* Text素材地址结束 = nullptr;
    QLineEdit* Text模型长度 = nullptr;
    QLineEdit* Text模型宽度 = nullptr;
    QLineEdit* Text模型备注 = nullptr;
    QComboBox* Combo一次选择数量 = nullptr;
    QComboBox* Combo移动步进 = nullptr;
    QLineEdit* Text复制数量 = nullptr;
    QCheckBox* Check自增复制自动下移 = nullptr;
    QCheckBox* Check自增复制自动反向 = nullptr;
    QComboBox* Combo快捷按键 = nullptr;
    QPushButton* Command所有素材反向 = nullptr;
    QPushButton* Command_X轴反向 = nullptr;
    QPushButton* Command_Y轴反向 = nullptr;
    std::array<QPushButton*, 4> Command移动{};
};
