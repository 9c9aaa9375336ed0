#include "model_menus.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "model_file.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

namespace {
const char* const kColourItems[] = {"", "1RGB", "2RBG", "3GRB", "4GBR", "5BRG", "6BGR"};
} // namespace

ModelMenus::ModelMenus(QMenuBar* bar, QObject* parent) : QObject(parent) {
    CD_选择模型 = bar->addMenu(tr("【模型%1】").arg(1));
    CD_选择模型->setObjectName(QStringLiteral("CD_选择模型"));
    for (int i = 1; i <= kModelCount; ++i) {
        CD_模型[size_t(i)] = CD_选择模型->addAction(tr("模型%1").arg(i));
        CD_模型[size_t(i)]->setObjectName(QStringLiteral("CD_模型%1").arg(i));
        connect(CD_模型[size_t(i)], &QAction::triggered, this, [this, i] { CD_模型_Click(i); });
    }
    QMenu* files = bar->addMenu(tr("模型文件"));
    CD打开模型 = files->addAction(tr("打开模型"));
    CD打开模型->setObjectName(QStringLiteral("CD打开模型"));
    CD保存模型 = files->addAction(tr("保存模型"));
    CD保存模型->setObjectName(QStringLiteral("CD保存模型"));
    connect(CD打开模型, &QAction::triggered, this, [this] {
        Fun_OpenModel(QString());
        Fun_模型菜单显示();
    });
    connect(CD保存模型, &QAction::triggered, this, [] { Fun_SaveModelAs(); });
    CD颜色调整 = bar->addMenu(tr("颜色"));
    CD颜色调整->setObjectName(QStringLiteral("CD颜色调整"));
    for (int i = 1; i <= 6; ++i) {
        CD_颜色选择[size_t(i)] = CD颜色调整->addAction(QString::fromUtf8(kColourItems[i]));
        CD_颜色选择[size_t(i)]->setObjectName(QStringLiteral("CD_颜色选择%1").arg(i));
        connect(CD_颜色选择[size_t(i)], &QAction::triggered, this, [this, i] {
            g_ColourOrder = i;
            Fun_y颜色选择菜单显示();
            Fun_WriteIni(g_IniPath, kq::key::ColourOrder, QString::number(i));
        });
    }
}

void ModelMenus::Fun_模型菜单显示() {
    for (int i = 1; i <= kModelCount; ++i)
        CD_模型[size_t(i)]->setText(tr("模型%1 %2").arg(i).arg(g_ModelNote[i]));
    const int n = g_CurModel;
    if (n >= 1 && n <= kModelCount) {
        CD_模型[size_t(n)]->setText(
            tr("【模型%1】(%2,%3) %4").arg(n).arg(g_ModelLength[n]).arg(g_ModelWidth[n]).arg(g_ModelNote[n]));
        CD_选择模型->setTitle(tr("【模型%1】").arg(n));
    }
    emit modelsChanged();
}

void ModelMenus::CD_模型_Click(int index) {
    g_CurModel = index;
    Fun_模型菜单显示();
    Fun_WriteIni(g_IniPath, kq::key::CurrentModel, QString::number(index));
}

void ModelMenus::Fun_y颜色选择菜单显示() {
    for (int i = 1; i <= 6; ++i)
        CD_颜色选择[size_t(i)]->setText(QString::fromUtf8(kColourItems[i]));
    if (g_ColourOrder >= 1 && g_ColourOrder <= 6) {
        const QString current = tr("【%1】").arg(QString::fromUtf8(kColourItems[g_ColourOrder]));
        CD_颜色选择[size_t(g_ColourOrder)]->setText(current);
        CD颜色调整->setTitle(current);
    }
}

void ModelMenus::Fun_素材对应模型读取初始化() {
    for (int n = 1; n <= kShowMaterials; ++n)
        materialModel_[size_t(n)] = uint8_t(Fun_ReadMaterialModel(n));
}

QString ModelMenus::modelCaption(int model) const {
    return CD_模型[size_t(std::clamp(model, 1, kModelCount))]->text();
}

int ModelMenus::materialModel(int material) const {
    return material >= 1 && material <= kShowMaterials ? materialModel_[size_t(material)] : 0;
}

void ModelMenus::setMaterialModel(int material, int model) {
    if (material < 1 || material > kShowMaterials) return;
    materialModel_[size_t(material)] = uint8_t(model);
    Fun_WriteIni(g_IniPath, kq::key::MaterialModelPrefix + Fun_Pad2(material), QString::number(model));
}
