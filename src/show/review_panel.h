#pragma once

#include "core/panel_widgets.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// "Frame素材编辑": shows the recorded frames of a show material on the machines, one at a time or
// playing, deletes frames, and keeps each material's note ("素材说明.txt").
class ReviewPanel : public kq::StatePanel {
    Q_OBJECT
public:
    explicit ReviewPanel(QWidget* parent = nullptr);

    // The state's work once per frame tick: a pending deletion, else the shown frame.
    void cycle() override;
    void Fun_素材编辑();
    void Fun_删除一帧();
    void Command播放_Click();
    bool deleteRequested() const { return deleteRequest_; }
    void setEditControlsEnabled(bool enabled);

    int selectedMaterial() const;
    void showMaterial(int material); // selects it in "Combo素材编辑"

    // Material notes: "[5n-(5n+4)] " + text under the key "素材NN".
    void Fun_素材说明(int material, const QString& text);
    void Fun_素材说明调入(int material);

signals:
    void materialChosen(int material);
    // "预览": the material on its model's layout, without the machines.
    void previewRequested(int material);

private:
    QComboBox* Combo素材编辑 = nullptr;
    QScrollBar* HScroll帧数 = nullptr;
    QLabel* Label总帧数 = nullptr;
    QLineEdit* Text当前帧数编辑 = nullptr;
    QPushButton* Command播放 = nullptr;
    QPushButton* Command删除帧 = nullptr;
    QPushButton* Command预览 = nullptr;
    QLineEdit* Text素材说明 = nullptr;
    int noteMaterial_ = 1;
    bool noteLoading_ = false;
    bool playing_ = false;
    bool deleteRequest_ = false;
    bool reviewHalf_ = false;
    bool reviewing_ = false;
};
