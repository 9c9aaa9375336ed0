#include "controllers_window.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/gbk_codec.h"
#include "core/panel_widgets.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

using namespace kq::link;

namespace {

constexpr ControllerKind kKinds[] = {ControllerKind::Family, ControllerKind::E131, ControllerKind::ArtNet,
                                     ControllerKind::Ddp};

ControllerKind kindAt(const QComboBox* box) {
    return kKinds[std::clamp(box->currentIndex(), 0, 3)];
}

std::optional<qint64> numberOf(const QLineEdit* box) {
    bool ok = false;
    const qint64 v = box->text().trimmed().toLongLong(&ok);
    return ok ? std::optional(v) : std::nullopt;
}

// The address a box holds: an IPv4 literal, or nothing.
QString addressOf(const QLineEdit* box) {
    QHostAddress a;
    return a.setAddress(box->text().trimmed()) && a.protocol() == QAbstractSocket::IPv4Protocol ? a.toString()
                                                                                                : QString();
}

} // namespace

ControllersWindow::ControllersWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form控制器设置"));
    setWindowTitle(tr("控制器设置"));
    auto* grid = new QGridLayout;
    const QStringList heads{tr("机器"), tr("类型"),     tr("IP地址"), tr("颜色顺序"),   tr("每端口像素"),
                            tr("起始"), tr("每域通道"), tr("组播"),   tr("各端口占用"), tr("FSEQ通道")};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(new QLabel(heads[c], this), 0, c);
    for (int m = 1; m <= 10; ++m) {
        Row& r = rows_[size_t(m)];
        const QString nn = Fun_Pad2(m);
        const auto named = [&](QWidget* w, const QString& prefix, const QString& what) {
            w->setObjectName(prefix + nn);
            w->setAccessibleName(tr("机器%1%2").arg(m).arg(what));
        };
        // A combo box is heard by its label, not by an accessible name of its own: each gets one, which
        // the column's heading stands for on the screen.
        const auto heard = [&](QComboBox* box, const QString& what) {
            auto* label = new QLabel(tr("机器%1%2").arg(m).arg(what), this);
            label->setBuddy(box);
            label->hide();
        };
        r.kind = kq::makePickList(this, QStringLiteral("Combo控制器类型") + nn);
        r.kind->addItems({tr("本机型"), QStringLiteral("E1.31"), QStringLiteral("Art-Net"), QStringLiteral("DDP")});
        heard(r.kind, tr("类型"));
        r.address = new QLineEdit(this);
        named(r.address, QStringLiteral("Text控制器地址"), tr("IP地址"));
        r.address->setMinimumWidth(r.address->fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255")) + 16);
        r.colour = kq::makePickList(this, QStringLiteral("Combo控制器颜色") + nn);
        r.colour->addItems({"1RGB", "2RBG", "3GRB", "4GBR", "5BRG", "6BGR"});
        heard(r.colour, tr("颜色顺序"));
        r.pixels = new QLineEdit(this);
        named(r.pixels, QStringLiteral("Text控制器端口像素"), tr("每端口像素"));
        r.pixels->setMaximumWidth(r.pixels->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        r.universe = new QLineEdit(this);
        r.universe->setMaximumWidth(r.universe->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);
        named(r.universe, QStringLiteral("Text控制器起始域"), tr("起始"));
        r.channels = kq::makePickList(this, QStringLiteral("Combo控制器域通道") + nn);
        r.channels->addItems({"510", "512"});
        heard(r.channels, tr("每域通道"));
        r.multicast = new QCheckBox(this);
        named(r.multicast, QStringLiteral("Check控制器组播"), tr("组播"));
        r.ports = new QLabel(this);
        r.ports->setObjectName(QStringLiteral("Label控制器端口") + nn);
        // Six ports' universes or bytes in two or three lines rather than past the screen's edge.
        r.ports->setWordWrap(true);
        r.ports->setMinimumWidth(
            r.ports->fontMetrics().horizontalAdvance(QStringLiteral("1: 67950–70199  2: 70200–72449  ")));
        r.sequence = new QLabel(this);
        r.sequence->setObjectName(QStringLiteral("Label控制器通道") + nn);
        auto* number = new QLabel(QString::number(m), this);
        int c = 0;
        for (QWidget* w : std::initializer_list<QWidget*>{number, r.kind, r.address, r.colour, r.pixels, r.universe,
                                                          r.channels, r.multicast, r.ports, r.sequence})
            grid->addWidget(w, m, c++);
        for (QComboBox* box : {r.kind, r.colour, r.channels})
            connect(box, &QComboBox::activated, this, [this] { refresh(); });
        connect(r.multicast, &QCheckBox::toggled, this, [this] { refresh(); });
        for (QLineEdit* box : {r.pixels, r.universe})
            connect(box, &QLineEdit::textEdited, this, [this, m, box] { refuseOutOfRange(m, box); });
        connect(r.address, &QLineEdit::textEdited, this, [this] { refresh(); });
        // The kind changes what the start box means: E1.31 and Art-Net count from different numbers.
        connect(r.kind, &QComboBox::activated, this, [this, m](int index) {
            Row& row = rows_[size_t(m)];
            // The same kind again keeps what was typed.
            if (row.kind->property("was").toInt() != index) {
                row.kind->setProperty("was", index);
                const ControllerKind kind = kindAt(row.kind);
                const ControllerSetting fresh = defaultOpenSetting(kind, m);
                row.universe->setText(QString::number(kind == ControllerKind::Ddp ? fresh.ddpOffset
                                                      : kind == ControllerKind::Family
                                                          ? qint64(m - 1) * kFamilyChannels + 1
                                                          : qint64(fresh.firstUniverse)));
            }
            refresh();
        });
    }
    grid->setColumnStretch(8, 1);
    for (int m = 1; m <= 10; ++m)
        rows_[size_t(m)].universe->setMinimumWidth(
            rows_[size_t(m)].universe->fontMetrics().horizontalAdvance(QStringLiteral("4294967295")) + 16);

    auto* options = new QHBoxLayout;
    Text优先级 = new QLineEdit(this);
    Text优先级->setObjectName(QStringLiteral("Text优先级"));
    Text同步域 = new QLineEdit(this);
    Text同步域->setObjectName(QStringLiteral("Text同步域"));
    CheckArtNet同步 = kq::makeCheckBox(this, QStringLiteral("CheckArtNet同步"), tr("Art-Net同步（ArtSync）"));
    CheckDDP同步 = kq::makeCheckBox(this, QStringLiteral("CheckDDP同步"), tr("DDP同步推送"));
    options->addWidget(kq::makeLabel(Text优先级, tr("E1.31优先级")));
    options->addWidget(Text优先级);
    options->addWidget(kq::makeLabel(Text同步域, tr("E1.31同步域（0：不同步）")));
    options->addWidget(Text同步域);
    options->addWidget(CheckArtNet同步);
    options->addWidget(CheckDDP同步);
    options->addStretch(1);
    connect(Text优先级, &QLineEdit::textEdited, this, [this] { refuseOutOfRange(0, Text优先级); });
    connect(Text同步域, &QLineEdit::textEdited, this, [this] { refuseOutOfRange(0, Text同步域); });
    for (QCheckBox* box : {CheckArtNet同步, CheckDDP同步})
        connect(box, &QCheckBox::toggled, this, [this] { refresh(); });

    Label控制器提示 = new QLabel(this);
    Label控制器提示->setObjectName(QStringLiteral("Label控制器提示"));
    Label控制器提示->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    Command控制器保存 = kq::makeButton(this, QStringLiteral("Command控制器保存"), tr("保存"));
    QPushButton* exportButton = kq::makeButton(this, QStringLiteral("Command控制器导出"), tr("导出…"));
    QPushButton* importButton = kq::makeButton(this, QStringLiteral("Command控制器导入"), tr("导入…"));
    QPushButton* closeButton = kq::makeButton(this, QStringLiteral("Command控制器关闭"), tr("关闭"));
    buttons->addWidget(Command控制器保存);
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    connect(Command控制器保存, &QPushButton::clicked, this, [this] { Command保存_Click(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { Command导出_Click(); });
    connect(importButton, &QPushButton::clicked, this, [this] { Command导入_Click(); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(options);
    layout->addWidget(Label控制器提示);
    layout->addLayout(buttons);
}

void ControllersWindow::open() {
    const LinkAddresses a = readLinkAddresses(g_IniPath);
    fill(readControllers(g_IniPath), a.machine);
    QWidget::show();
    raise();
    activateWindow();
}

void ControllersWindow::fill(const ControllerTable& t, const std::array<QString, 11>& addresses) {
    filling_ = true;
    cid_ = t.cid;
    for (int m = 1; m <= 10; ++m) {
        const ControllerSetting& s = t.machine[size_t(m)];
        Row& r = rows_[size_t(m)];
        r.kind->setCurrentIndex(int(std::find(std::begin(kKinds), std::end(kKinds), s.kind) - std::begin(kKinds)));
        r.kind->setProperty("was", r.kind->currentIndex());
        r.address->setText(addresses[size_t(m)]);
        r.colour->setCurrentIndex(s.colourOrder - 1);
        r.pixels->setText(QString::number(s.pixelsPerPort));
        // The start box: the universe, the DDP offset, or a machine's first channel in sequence files.
        r.universe->setText(QString::number(s.kind == ControllerKind::Ddp      ? s.ddpOffset
                                            : s.kind == ControllerKind::Family ? qint64(startChannel(t, m))
                                                                               : qint64(s.firstUniverse)));
        r.channels->setCurrentIndex(s.channelsPerUniverse == 512 ? 1 : 0);
        r.multicast->setChecked(s.multicast);
    }
    Text优先级->setText(QString::number(t.priority));
    Text同步域->setText(QString::number(t.syncUniverse));
    CheckArtNet同步->setChecked(t.artSync);
    CheckDDP同步->setChecked(t.ddpSync);
    filling_ = false;
    refresh();
}

ControllerTable ControllersWindow::table() const {
    ControllerTable t;
    t.cid = cid_;
    for (int m = 1; m <= 10; ++m) {
        const Row& r = rows_[size_t(m)];
        ControllerSetting& s = t.machine[size_t(m)];
        s.kind = kindAt(r.kind);
        s.colourOrder = r.colour->currentIndex() + 1;
        // A box left empty or half typed counts as nothing: the table's check then names it.
        s.pixelsPerPort = int(numberOf(r.pixels).value_or(0));
        const qint64 start = numberOf(r.universe).value_or(-1);
        if (s.kind == ControllerKind::Ddp) {
            s.ddpOffset = start;
        } else if (s.kind == ControllerKind::Family) {
            // The default start stays the default (0), so that the settings follow the numbering.
            s.startChannel = start == qint64(m - 1) * kFamilyChannels + 1
                                 ? 0
                                 : int(std::clamp<qint64>(start, -1, kSequenceChannelLimit));
            s.firstUniverse = defaultOpenSetting(ControllerKind::E131, m).firstUniverse;
        } else {
            s.firstUniverse = int(std::clamp<qint64>(start, -1, kE131MaxUniverse + 1));
        }
        s.channelsPerUniverse = r.channels->currentIndex() == 1 ? 512 : 510;
        s.multicast = r.multicast->isChecked();
    }
    t.priority = int(numberOf(Text优先级).value_or(-1));
    t.syncUniverse = int(numberOf(Text同步域).value_or(-1));
    t.artSync = CheckArtNet同步->isChecked();
    t.ddpSync = CheckDDP同步->isChecked();
    return t;
}

std::array<QString, 11> ControllersWindow::addresses() const {
    std::array<QString, 11> a;
    for (int m = 1; m <= 10; ++m)
        a[size_t(m)] = addressOf(rows_[size_t(m)].address);
    return a;
}

void ControllersWindow::refuseOutOfRange(int machine, QLineEdit* box) {
    // What no value of the box may be is refused as typed; a value on its way to a valid one (a
    // universe of 0 while 10 is typed) waits for the table's check.
    qint64 max = 0;
    QString said;
    if (box == Text优先级) {
        max = kE131MaxPriority;
        said = tr("E1.31优先级只能是0到%1").arg(kE131MaxPriority);
    } else if (box == Text同步域) {
        max = kE131MaxUniverse;
        said = tr("E1.31同步域只能是0到%1").arg(kE131MaxUniverse);
    } else if (box == rows_[size_t(machine)].pixels) {
        max = kMaxPixelsPerPort;
        said = tr("每端口像素只能是1到%1").arg(kMaxPixelsPerPort);
    } else {
        switch (kindAt(rows_[size_t(machine)].kind)) {
        case ControllerKind::E131:
            max = kE131MaxUniverse;
            said = tr("E1.31的域只能是%1到%2").arg(kE131MinUniverse).arg(kE131MaxUniverse);
            break;
        case ControllerKind::ArtNet:
            max = kArtNetMaxPortAddress;
            said = tr("Art-Net的端口地址只能是0到%1").arg(kArtNetMaxPortAddress);
            break;
        case ControllerKind::Ddp:
            max = kDdpMaxOffset;
            said = tr("DDP偏移只能是0到%1").arg(kDdpMaxOffset);
            break;
        case ControllerKind::Family:
            max = kSequenceChannelLimit;
            said = tr("起始通道只能是1到%1").arg(kSequenceChannelLimit);
            break;
        }
    }
    const QString text = box->text().trimmed();
    bool digits = !text.isEmpty();
    for (const QChar c : text)
        digits = digits && c.isDigit();
    const std::optional<qint64> v = numberOf(box);
    if (!text.isEmpty() && (!digits || !v || *v > max)) {
        kq::sayAtBox(box, !digits || !v || said.isEmpty() ? tr("只能输入数字") : said);
        const QString kept = box->property("kept").toString();
        box->setText(kept);
    }
    refresh();
}

void ControllersWindow::refresh() {
    if (filling_) return;
    const ControllerTable t = table();
    const std::array<QString, 11> a = addresses();
    QString why;
    for (int m = 1; m <= 10 && why.isEmpty(); ++m)
        if (a[size_t(m)].isEmpty()) why = tr("机器%1的IP地址不是数字地址（例如 192.168.1.201）").arg(m);
    if (why.isEmpty() && (t.priority < 0 || t.priority > kE131MaxPriority))
        why = tr("E1.31优先级只能是0到%1").arg(kE131MaxPriority);
    if (why.isEmpty() && (t.syncUniverse < 0 || t.syncUniverse > kE131MaxUniverse))
        why = tr("E1.31同步域只能是0到%1").arg(kE131MaxUniverse);
    if (why.isEmpty()) why = tableProblem(t, a);
    const std::vector<PortChannels> inSequences = channelMap(t);
    for (int m = 1; m <= 10; ++m) {
        Row& r = rows_[size_t(m)];
        const ControllerSetting& s = t.machine[size_t(m)];
        const bool open = s.kind != ControllerKind::Family;
        r.colour->setEnabled(open);
        r.pixels->setEnabled(open);
        r.universe->setEnabled(true);
        r.channels->setEnabled(open && s.kind != ControllerKind::Ddp);
        r.multicast->setEnabled(s.kind == ControllerKind::E131);
        QStringList ports;
        if (open && !open::layoutProblem(layoutOf(s)))
            for (const open::PortRange& range : open::portRanges(layoutOf(s)))
                ports << (range.first == range.last
                              ? QStringLiteral("%1: %2").arg(range.port).arg(range.first)
                              : QStringLiteral("%1: %2–%3").arg(range.port).arg(range.first).arg(range.last));
        // And where the number's channels lie in a sequence file.
        quint32 low = kSequenceChannelLimit, high = 0;
        for (const PortChannels& c : inSequences)
            if (c.machine == m && c.pixels > 0) {
                low = std::min(low, c.first);
                high = std::max(high, c.end());
            }
        r.ports->setText(open ? (s.kind == ControllerKind::Ddp ? tr("字节 ") : tr("域 ")) +
                                    ports.join(QStringLiteral("  "))
                              : tr("8050帧"));
        r.sequence->setText(high > 0 ? QStringLiteral("%1–%2").arg(low + 1).arg(high) : QString());
        for (QLineEdit* box : {r.pixels, r.universe})
            box->setProperty("kept", box->text());
    }
    for (QLineEdit* box : {Text优先级, Text同步域})
        box->setProperty("kept", box->text());
    problem_ = why;
    // Channels two numbers share matter to sequence files only, and there only for the ports a show's
    // model uses: said, without holding the table back.
    const QString shared = why.isEmpty() ? channelMapProblem(inSequences) : QString();
    Label控制器提示->setText(shared.isEmpty() ? why
                                              : tr("序列文件（FSEQ）：%1；导出和导入只看模型用到的端口").arg(shared));
    Command控制器保存->setEnabled(why.isEmpty());
}

void ControllersWindow::Command保存_Click() {
    refresh();
    if (!problem_.isEmpty()) {
        Fun_MsgBox(tr("控制器表没有保存：%1").arg(problem_));
        return;
    }
    ControllerTable t = table();
    const std::array<QString, 11> a = addresses();
    bool written = writeControllers(g_IniPath, t);
    for (int m = 1; m <= 10 && written; ++m)
        written = Fun_WriteIni(g_IniPath, kKeyMachinePrefix + Fun_Pad2(m), a[size_t(m)]);
    if (!written) {
        Fun_MsgBox(tr("文件保存失败！\r\n%1").arg(g_IniPath));
        return;
    }
    // The CID is made when the first open controller is saved.
    t = readControllers(g_IniPath);
    cid_ = t.cid;
    Label控制器提示->setText(tr("已保存"));
    emit saved();
}

void ControllersWindow::Command导出_Click() {
    const QString path = Fun_SaveFileDialog(QStringLiteral("txt"));
    if (path.isEmpty()) return;
    QString text = exportControllers(table());
    const std::array<QString, 11> a = addresses();
    for (int m = 1; m <= 10; ++m)
        text += kKeyMachinePrefix + Fun_Pad2(m) + QLatin1Char('=') + a[size_t(m)] + QStringLiteral("\r\n");
    Fun_MsgBox(kq::writeFileAtomically(path, text.toUtf8()) ? tr("已导出：%1").arg(path)
                                                            : tr("文件保存失败！\r\n%1").arg(path));
}

void ControllersWindow::Command导入_Click() {
    const QString path = Fun_OpenFileDialog(QStringLiteral("txt"));
    if (path.isEmpty()) return;
    const std::optional<QByteArray> bytes = kq::readWholeFile(path);
    if (!bytes) {
        Fun_MsgBox(tr("文件不存在！"));
        return;
    }
    // The machines' addresses travel with the table; the rest is the table's own.
    std::array<QString, 11> a = addresses();
    QStringList tableLines;
    // Written here as UTF-8; a table kept in an editor of the Windows PCs may be in code page 936.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(*bytes);
    if (utf8.hasError()) text = kq::gbk::decode(*bytes);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString l = line.trimmed();
        if (l.startsWith(kKeyMachinePrefix)) {
            const std::optional<int> m = kq::ini::parseWholeNumber(l.mid(kKeyMachinePrefix.size(), 2), 1, 10);
            const qsizetype eq = l.indexOf(QLatin1Char('='));
            QHostAddress address;
            if (m && eq > 0 && address.setAddress(l.mid(eq + 1).trimmed())) {
                a[size_t(*m)] = address.toString();
                continue;
            }
        }
        tableLines << l;
    }
    QString error;
    const std::optional<ControllerTable> t = importControllers(tableLines.join(QLatin1Char('\n')), table(), &error);
    if (!t) {
        Fun_MsgBox(tr("文件错误！%1").arg(error));
        return;
    }
    fill(*t, a);
    Label控制器提示->setText(problem_.isEmpty() ? tr("已导入，保存后生效") : problem_);
}
