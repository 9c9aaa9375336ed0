#pragma once

#include "core/shared_state.h"
#include "model_data.h"

#include <QObject>
#include <array>
#include <cstdint>

class QAction;
class QMenu;
class QMenuBar;

// The main window's model menu "【模型n】" (the current model), the model file menu and the colour
// menu, and which model each show material is recorded against ("素材对应模型NN").
class ModelMenus : public QObject {
    Q_OBJECT
public:
    // Adds the three menus to the bar.
    explicit ModelMenus(QMenuBar* bar, QObject* parent = nullptr);

    void Fun_模型菜单显示();
    void CD_模型_Click(int index);
    void Fun_y颜色选择菜单显示();
    void Fun_素材对应模型读取初始化();
    // The menu item of model n as it reads now: "【模型n】(length,width) note" for the current one.
    QString modelCaption(int model) const;

    int materialModel(int material) const;
    // Records the model of a show material and writes it to the settings.
    void setMaterialModel(int material, int model);

signals:
    // The model menu was refreshed: the models, their notes or the current model may have changed.
    void modelsChanged();

private:
    QMenu* CD_选择模型 = nullptr;
    std::array<QAction*, kModelCount + 1> CD_模型{};
    QAction* CD打开模型 = nullptr;
    QAction* CD保存模型 = nullptr;
    QMenu* CD颜色调整 = nullptr;
    std::array<QAction*, 7> CD_颜色选择{};
    std::array<uint8_t, kShowMaterials + 1> materialModel_{};
};
