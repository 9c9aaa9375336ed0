#include "version_notes.h"

#include "core/panel_widgets.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace kq::show {

QStringList changeLog() {
    struct Version {
        const char* name;
        std::initializer_list<const char*> items;
    };
    const Version versions[] = {
        {"V1.0", {QT_TRANSLATE_NOOP("kq", "第一版软件！")}},
        {"V1.3",
         {QT_TRANSLATE_NOOP("kq", "增加DMX512模拟功能"),
          QT_TRANSLATE_NOOP("kq", "增加可以使用芯片序列号识别并设置机器"),
          QT_TRANSLATE_NOOP("kq", "增加查看机器版本号")}},
        {"V1.4A",
         {QT_TRANSLATE_NOOP("kq", "增加测试灯带功能"), QT_TRANSLATE_NOOP("kq", "增加灯带跑马测试"),
          QT_TRANSLATE_NOOP("kq", "下载文件显示进度")}},
        {"V1.5",
         {QT_TRANSLATE_NOOP("kq", "增加自动查找相似帧"), QT_TRANSLATE_NOOP("kq", "增加淡入淡出录制"),
          QT_TRANSLATE_NOOP("kq", "增加单步录制"), QT_TRANSLATE_NOOP("kq", "增加参数文件自动备份")}},
        {"V1.6",
         {QT_TRANSLATE_NOOP("kq", "增加R、G、B单色录制"), QT_TRANSLATE_NOOP("kq", "增加位置窗口显示方式"),
          QT_TRANSLATE_NOOP("kq", "增加素材说明"), QT_TRANSLATE_NOOP("kq", "在模型中增加素材由1000个增加至2000个")}},
        {"V1.7",
         {QT_TRANSLATE_NOOP("kq", "增加外挂程序接口"), QT_TRANSLATE_NOOP("kq", "增加升级程序功能"),
          QT_TRANSLATE_NOOP("kq", "增加颜色顺序选择"), QT_TRANSLATE_NOOP("kq", "增加素材对应模型")}},
        {"V1.8",
         {QT_TRANSLATE_NOOP("kq", "斜线角度输入更加灵活,横线和竖线禁止使用斜线建立"),
          QT_TRANSLATE_NOOP("kq", "增加建模测试跑点显示方向"),
          QT_TRANSLATE_NOOP("kq", "增加自增复制自动下移和自动反向"), QT_TRANSLATE_NOOP("kq", "增加快捷按键备注编号")}},
    };
    QStringList lines{QStringLiteral(" "),
                      QCoreApplication::translate("kq", ">>>>>>>>>>>>>>>> 软件版本更新说明 <<<<<<<<<<<<<<<<<<"),
                      QStringLiteral(" ")};
    for (const Version& v : versions) {
        lines << QCoreApplication::translate("kq", "--------------【KQ-510 %1】-------------")
                     .arg(QString::fromUtf8(v.name));
        int n = 0;
        for (const char* item : v.items)
            lines << QStringLiteral("%1.%2").arg(++n).arg(QCoreApplication::translate("kq", item));
        lines << QStringLiteral(" ");
    }
    return lines;
}

QStringList modellingShortcuts() {
    return {
        QCoreApplication::translate("kq", "所有快捷键的使用必须先点击素材列表框"),
        QString(),
        QCoreApplication::translate("kq", "Ctrl+Z 插入一行"),
        QCoreApplication::translate("kq", "Ctrl+X 剪贴"),
        QCoreApplication::translate("kq", "Ctrl+C 复制"),
        QCoreApplication::translate("kq", "Ctrl+V 粘贴"),
        QCoreApplication::translate("kq", "Ctrl+Shift+Z 撤销"),
        QCoreApplication::translate("kq", "Ctrl+Y 重做"),
        QString(),
        QCoreApplication::translate("kq", "W 向上移动"),
        QCoreApplication::translate("kq", "S 向下移动"),
        QCoreApplication::translate("kq", "A 向左移动"),
        QCoreApplication::translate("kq", "D 向右移动"),
        QCoreApplication::translate("kq", "P 将当前光标向下移动N次（N为 复制数量框中的数值）"),
        QString(),
        QCoreApplication::translate("kq", "以下0-9 都为数字键"),
        QCoreApplication::translate("kq", "快捷按键选（机器编号） 0-9 设置机器"),
        QCoreApplication::translate("kq", "快捷按键选（端口编号） 0-9 设置端口"),
        QCoreApplication::translate("kq", "快捷按键选（类型） 1 横线 2 竖线 3 斜线 4 点"),
        QCoreApplication::translate("kq", "快捷按键选（方向） 1 正向 2 反向 3 切换"),
        QCoreApplication::translate("kq", "快捷按键选（备注） 1 记住备注 2 填入记住的备注"),
        QCoreApplication::translate("kq", "快捷按键选（位置同步） 1 填入上次移动的坐标并移动一步"),
        QCoreApplication::translate("kq", "快捷按键选（备注编号[x]） 1 从[1]开始编号 2 编号加1"),
        QString(),
        QCoreApplication::translate("kq", "点击素材列表框,按住Ctrl键,选中多个素材,可批量删除"),
    };
}

} // namespace kq::show

VersionNotesDialog::VersionNotesDialog(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form版本说明"));
    setWindowTitle(tr("版本说明"));
    auto* layout = new QVBoxLayout(this);
    Text信息 = new QPlainTextEdit(this);
    Text信息->setObjectName(QStringLiteral("Text信息"));
    Text信息->setMinimumSize(520, 420);
    Text信息->setAccessibleName(tr("说明内容"));
    layout->addWidget(Text信息);
    auto* buttons = new QHBoxLayout;
    QPushButton* version = kq::makeButton(this, QStringLiteral("Command软件版本"), tr("软件版本"));
    QPushButton* keys = kq::makeButton(this, QStringLiteral("Command建模快捷键"), tr("建模快捷键"));
    QPushButton* quit = kq::makeButton(this, QStringLiteral("Command退出"), tr("退出"));
    for (QPushButton* b : {version, keys, quit})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(version, &QPushButton::clicked, this, [this] { Command软件版本_Click(); });
    connect(keys, &QPushButton::clicked, this, [this] { Command建模快捷键_Click(); });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    Command软件版本_Click(); // it opens on the change log
    connect(Text信息, &QPlainTextEdit::textChanged, this, [this] {
        if (Text信息->toPlainText().left(6) == QLatin1String(kq::show::kChangeLogCode)) Command软件版本_Click();
    });
}

void VersionNotesDialog::Fun_txt信息载入换行(const QString& text) {
    Text信息->moveCursor(QTextCursor::End);
    Text信息->insertPlainText(text + QLatin1Char('\n'));
}

void VersionNotesDialog::showLines(const QStringList& lines) {
    const QSignalBlocker quiet(Text信息);
    Text信息->clear();
    for (const QString& line : lines)
        Fun_txt信息载入换行(line);
    toTop();
}

void VersionNotesDialog::toTop() {
    // The lines are appended at the end: left there, the caret would scroll the text to its last line.
    Text信息->moveCursor(QTextCursor::Start);
    Text信息->verticalScrollBar()->setValue(0);
}

void VersionNotesDialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Shown again after being read and closed, it starts over at the title.
    toTop();
}

void VersionNotesDialog::Command软件版本_Click() {
    showLines(kq::show::changeLog());
}

void VersionNotesDialog::Command建模快捷键_Click() {
    showLines(kq::show::modellingShortcuts());
}
