// The interface in both languages: every window opened and every text a user reads in it walked.
#include "admin/tool_windows.h"
#include "app/main_window.h"
#include "core/language.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "model/modelling_window.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "show/preview_window.h"
#include "show/review_panel.h"
#include "support/open_window.h"
#include "support/show_files.h"
#include "support/widgets.h"
#include "support/window_with_machines.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <functional>
#include <gtest/gtest.h>

namespace {

using kq::Language;
using kq::test::child;
using kq::test::only;

// What a user reads in a window: its title, captions, list and menu entries, tool tips and read-only
// text boxes (the version notes). Typed values (numbers, notes) are the user's, not the interface's.
struct Text {
    QString where, text;
    bool clipped = false; // a caption narrower than it needs, on a window that is shown
};

QString widgetName(QWidget& window, QWidget* w) {
    return window.objectName() + QStringLiteral(" / ") +
           (w->objectName().isEmpty() ? QString::fromUtf8(w->metaObject()->className()) : w->objectName());
}

void addMenu(const QString& where, const QList<QAction*>& actions, QList<Text>& out) {
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        out.append({where + QStringLiteral(" > ") + a->objectName(), a->text()});
        if (QMenu* m = a->menu()) addMenu(where + QStringLiteral(" > ") + a->text(), m->actions(), out);
    }
}

QList<Text> visibleTexts(QWidget& window) {
    QList<Text> out;
    out.append({window.objectName() + QStringLiteral(" title"), window.windowTitle()});
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* w : widgets) {
        const QString where = widgetName(window, w);
        if (!w->toolTip().isEmpty()) out.append({where + QStringLiteral(" tip"), w->toolTip()});
        // A caption is whole when its control is at least as wide as the caption needs.
        const bool shown = window.isVisible() && w->isVisibleTo(&window);
        const bool narrow = shown && w->width() < w->minimumSizeHint().width();
        if (auto* l = qobject_cast<QLabel*>(w)) out.append({where, l->text(), narrow && !l->wordWrap()});
        if (auto* b = qobject_cast<QAbstractButton*>(w)) out.append({where, b->text(), narrow});
        if (auto* g = qobject_cast<QGroupBox*>(w)) out.append({where, g->title()});
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                out.append({where, c->itemText(i)});
        if (auto* l = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < l->count(); ++i)
                out.append({where, l->item(i)->text()});
        if (auto* t = qobject_cast<QPlainTextEdit*>(w); t && t->isReadOnly()) out.append({where, t->toPlainText()});
        if (auto* m = qobject_cast<QMenuBar*>(w)) addMenu(where, m->actions(), out);
    }
    return out;
}

// The controls a user sets or reads a value in, by keyboard as well: what a screen reader must name.
bool isInput(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
           qobject_cast<QRadioButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
           qobject_cast<QAbstractSlider*>(w);
}

// A combo box's or spin box's own text field and list, a scroll area's bars: parts of one control.
bool isPartOfAControl(QWidget& window, QWidget* w) {
    for (QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QAbstractScrollArea*>(p))
            return true;
    return false;
}

// What a screen reader announces an input as. Qt on Linux gives a combo box its current entry as the
// name, whatever name it was given, and relates the box to its label: the label is what is read out
// before the entry.
QString heardName(QWidget* w, QAccessibleInterface* a) {
    if (qobject_cast<QComboBox*>(w)) {
        const auto labels = a->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.front().first->text(QAccessible::Name);
    }
    return a->text(QAccessible::Name);
}

// The inputs of a window that a screen reader would announce by nothing, or only by the title of the
// box they sit in or of the window: where each is, and what it is heard as.
struct Inputs {
    int count = 0;
    QMap<QString, QString> unnamed; // one entry for an input met in several states of its window
};

void checkNames(QWidget& window, Inputs& out) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!isInput(w) || isPartOfAControl(window, w)) continue;
        ++out.count;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a) {
            out.unnamed.insert(widgetName(window, w), QStringLiteral("has no accessible interface"));
            continue;
        }
        const QString heard = heardName(w, a).trimmed();
        QStringList titles{window.windowTitle()};
        for (QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
            if (auto* g = qobject_cast<QGroupBox*>(p))
                titles << g->title() << QString(g->title()).remove(QLatin1Char('&'));
        if (heard.isEmpty())
            out.unnamed.insert(widgetName(window, w), QStringLiteral("is named nothing"));
        else if (titles.contains(heard))
            out.unnamed.insert(widgetName(window, w), QStringLiteral("is named only by its box: ") + heard);
    }
}

void expectEveryInputNamed(const Inputs& inputs) {
    EXPECT_GT(inputs.count, 60);
    for (auto it = inputs.unnamed.begin(); it != inputs.unnamed.end(); ++it)
        ADD_FAILURE() << it.key().toStdString() << " " << it.value().toStdString();
}

// Chinese characters and the full-width punctuation that goes with them.
const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{4dbf}\\x{4e00}-\\x{9fff}\\x{ff00}-"
                                                 "\\x{ffef}]"));
// The language menu names each language in itself.
const QStringList kOwnNames = {QStringLiteral("中文"), QStringLiteral("English")};

// Two English words in a row, other than the terms the Chinese interface itself uses.
bool holdsEnglishSentence(const QString& text) {
    static const QStringList terms = {"RGB", "DMX",     "DMX512", "ID", "IP", "KQ", "LED", "GBK", "UDP",
                                      "SD",  "English", "PC",     "ms", "V1", "R",  "G",   "B"};
    int run = 0;
    static const QRegularExpression word(QStringLiteral("[A-Za-z]+|[^A-Za-z\\s]+"));
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QString w = it.next().captured();
        const bool english = w.size() >= 2 && w[0].isLetter() && w[0].unicode() < 128 && !terms.contains(w);
        run = english ? run + 1 : 0;
        if (run >= 2) return true;
    }
    return false;
}

// Every window of the program, in the language given: the main window in every state and its menus,
// the editor, the position window, the machine windows and the controllers, the version notes, the preview and the two
// tool windows.
class EveryWindow : public kq::test::WindowWithMachines {
protected:
    void SetUp() override {}
    void TearDown() override {
        window.reset();
        kq::useLanguage(Language::Chinese);
        Fun_ClearAllModels();
    }
    void open(Language language) {
        window.reset();
        ASSERT_TRUE(kq::useLanguage(language));
        Fun_ClearAllModels();
        if (!machines) machines = home.startMachines({1, 2});
        ASSERT_TRUE(machines);
        window = kq::test::openMainWindow(capture);
    }

    // What the walk found: the texts read and the inputs that a screen reader would not name.
    struct Walk {
        QList<Text> texts;
        Inputs inputs;
    };

    Walk walkAll() {
        Walk walk;
        const auto take = [&walk](QWidget& w) {
            walk.texts += visibleTexts(w);
            checkNames(w, walk.inputs);
        };
        kq::test::writeFrameFile(g_AppFolder, 1, 1, kq::show::RecordingMode::Rgb, {kq::test::patternedImage(1)});
        for (int state = 0; state < kOperationStates; ++state) {
            window->Option连接状态_Click(OperationState(state));
            take(*window);
        }
        if (PositionWindow* p = window->positionWindow()) take(*p);
        window->showPreview(1);
        take(*window->previewWindow());
        window->previewWindow()->close();

        window->Option连接状态_Click(OperationState::Download);
        child<QPushButton>(*window, "Command设置机器").click();
        child<QPushButton>(*window, "Command通过机器序列号设置ID").click();
        child<QPushButton>(*window, "Command控制器设置").click();
        child<QAction>(*window, "CD版本说明").trigger();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != window.get() && w->objectName().startsWith(QLatin1String("Form"))) take(*w);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != window.get() && w->objectName().startsWith(QLatin1String("Form"))) w->close();

        child<QAction>(*window, "CD建模").trigger();
        ModellingWindow* editor = window->modellingWindow();
        EXPECT_TRUE(editor && editor->isVisible());
        if (editor) {
            take(*editor);
            editor->close();
        }
        FactoryTestWindow factory;
        factory.show();
        take(factory);
        R770SwitchWindow r770;
        r770.show();
        take(r770);
        return walk;
    }
};

TEST_F(EveryWindow, InEnglishNoTextHoldsChinese) {
    open(Language::English);
    const Walk walk = walkAll();
    EXPECT_GT(walk.texts.size(), 300);
    expectEveryInputNamed(walk.inputs);
    for (const Text& t : walk.texts) {
        EXPECT_FALSE(t.clipped) << t.where.toStdString() << " is too narrow for " << t.text.toStdString();
        if (kOwnNames.contains(t.text)) continue;
        EXPECT_FALSE(t.text.contains(kChinese)) << t.where.toStdString() << ": " << t.text.toStdString();
    }
}

TEST_F(EveryWindow, InChineseNoTextIsAnEnglishSentence) {
    open(Language::Chinese);
    const Walk walk = walkAll();
    expectEveryInputNamed(walk.inputs);
    for (const Text& t : walk.texts) {
        EXPECT_FALSE(t.clipped) << t.where.toStdString() << " is too narrow for " << t.text.toStdString();
        EXPECT_FALSE(holdsEnglishSentence(t.text)) << t.where.toStdString() << ": " << t.text.toStdString();
    }
}

// The texts the window tests assert, in both languages: what a control shows, after what the user did.
TEST_F(EveryWindow, TheWindowsSpeakTheChosenLanguage) {
    struct Case {
        const char* what;
        std::function<QString(MainWindow&, kq::test::TempHome&)> read;
        const char* zh;
        const char* en;
    };
    const auto button = [](const char* name) {
        return [name](MainWindow& w, kq::test::TempHome&) { return child<QAbstractButton>(w, name).text(); };
    };
    const Case cases[] = {
        {"the review mode", button("Option连接状态2"), "素材编辑", "Review"},
        {"play", button("Command播放"), "播放", "Play"},
        {"stop recording", button("Command停止录制"), "停止\n录制", "Stop\nrecording"},
        {"play pressed",
         [](MainWindow& w, kq::test::TempHome&) {
             child<QAbstractButton>(w, "Command播放").click();
             return child<QAbstractButton>(w, "Command播放").text();
         },
         "暂停", "Pause"},
        {"the frame count of a reviewed show",
         [](MainWindow& w, kq::test::TempHome&) {
             kq::test::writeFrameFile(g_AppFolder, 1, 1, kq::show::RecordingMode::Rgb,
                                      {kq::test::patternedImage(1), kq::test::patternedImage(2)});
             w.Option连接状态_Click(OperationState::Review);
             only<ReviewPanel>(w).Fun_素材编辑();
             return child<QLabel>(w, "Label总帧数").text();
         },
         "共2帧", "2 frames"},
        {"modelling refused while recording",
         [](MainWindow& w, kq::test::TempHome& h) {
             only<RecordingPanel>(w).liveOutput().recording = true;
             child<QAction>(w, "CD建模").trigger();
             only<RecordingPanel>(w).liveOutput().recording = false;
             return h.dialogs.shown.isEmpty() ? QString() : h.dialogs.shown.back().text;
         },
         "正在录制，请先停止录制再建模。", "Recording: stop the recording before modelling."},
        {"the preview's frame label",
         [](MainWindow& w, kq::test::TempHome&) {
             kq::test::writeFrameFile(g_AppFolder, 1, 4, kq::show::RecordingMode::Rgb, {kq::test::patternedImage(1)});
             w.showPreview(4);
             const QString text = child<QLabel>(*w.previewWindow(), "Label预览帧数").text();
             w.previewWindow()->close();
             return text;
         },
         "第1帧/共1帧", "Frame 1 of 1"},
    };
    for (const Language language : {Language::Chinese, Language::English})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (language == Language::English ? " in English" : " in Chinese"));
            open(language);
            EXPECT_EQ(c.read(*window, home).toStdString(), language == Language::English ? c.en : c.zh);
        }
}

TEST(Language, TheCommandLineThenTheSettingThenTheLocaleChoose) {
    const struct {
        QStringList args;
        QString setting, locale;
        Language expected;
    } cases[] = {
        {{}, {}, "zh_CN", Language::Chinese},
        {{}, {}, "zh_TW", Language::Chinese},
        {{}, {}, "en_GB", Language::English},
        {{}, {}, "C", Language::English},
        {{}, "zh", "de_DE", Language::Chinese},
        {{}, "en", "zh_CN", Language::English},
        {{}, "fr", "zh_CN", Language::Chinese},
        {{"--lang", "en"}, "zh", "zh_CN", Language::English},
        {{"--lang=zh"}, "en", "en_US", Language::Chinese},
        {{"--lang", "xx"}, "en", "zh_CN", Language::English},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kq::chooseLanguage(c.args, c.setting, c.locale), c.expected)
            << c.args.join(' ').toStdString() << " / " << c.setting.toStdString() << " / " << c.locale.toStdString();
}

TEST_F(EveryWindow, TheLanguageMenuSavesTheChoiceForTheNextStart) {
    open(Language::Chinese);
    EXPECT_TRUE(child<QAction>(*window, "CD语言zh").isChecked());
    child<QAction>(*window, "CD语言en").trigger();
    EXPECT_EQ(Fun_ReadIni(g_IniPath, kq::key::InterfaceLanguage), QStringLiteral("en"));
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("界面语言已保存，下次启动程序时生效。"));
    EXPECT_EQ(child<QAbstractButton>(*window, "Command播放").text(), QStringLiteral("播放")); // until the next start
}

} // namespace
