#include "model_file.h"

#include "core/dialogs.h"
#include "core/gbk_codec.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

namespace kq::model {
namespace {

void putMagic(ByteCursor& c, const uint8_t* bytes, int n) {
    for (int i = 0; i < n; ++i)
        c.putByte(bytes[i]);
}

bool getMagic(ByteCursor& c, const uint8_t* bytes, int n) {
    bool same = true;
    for (int i = 0; i < n; ++i)
        same = (c.getByte() == bytes[i]) && same;
    return same;
}

bool validModel(int m) {
    return m >= 1 && m <= kModelCount;
}

constexpr int kRecordBytes = 28; // a material record without its note

int16_t word(const uint8_t* p) {
    return int16_t(uint16_t(p[0] << 8 | p[1]));
}

void readMaterial(ByteCursor& c, T_Material& t) {
    uint8_t spare[kRecordBytes];
    const uint8_t* p = c.takeBytes(kRecordBytes);
    if (!p) { // the file ends inside this record: read what is there, the rest as 0
        for (uint8_t& b : spare)
            b = c.getByte();
        p = spare;
    }
    t.Machine = word(p);
    t.Port = word(p + 2);
    t.StartAddr = word(p + 4);
    t.Shape = p[6];
    t.Reverse = p[7];
    for (int i = 1; i <= 4; ++i)
        t.Coord[i] = word(p + 6 + 2 * i);
    for (int i = 1; i <= 4; ++i)
        t.FineCoord[i] = word(p + 14 + 2 * i);
    t.Angle = word(p + 24);
    t.AppliedAngle = word(p + 26);
    t.Note = c.getText();
}

void putWordAt(uint8_t* p, int32_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

ReadResult finish(ByteCursor& c, ReadResult r) {
    r.truncated = c.overrun();
    return r;
}

} // namespace

void writeModelBlock(ByteCursor& c, const ModelStore& s, int m) {
    c.putWord(s.length[m]);
    c.putWord(s.width[m]);
    c.putText(s.note[m]);
    c.putWord(kMaterialCount);
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = s.materials[m][i];
        uint8_t r[kRecordBytes];
        putWordAt(r, t.Machine);
        putWordAt(r + 2, t.Port);
        putWordAt(r + 4, t.StartAddr);
        r[6] = uint8_t(t.Shape & 0xFF);
        r[7] = t.Reverse;
        for (int k = 1; k <= 4; ++k)
            putWordAt(r + 6 + 2 * k, t.Coord[k]);
        for (int k = 1; k <= 4; ++k)
            putWordAt(r + 14 + 2 * k, t.FineCoord[k]);
        putWordAt(r + 24, t.Angle);
        putWordAt(r + 26, t.AppliedAngle);
        c.putBytes(QByteArrayView(reinterpret_cast<const char*>(r), kRecordBytes));
        c.putText(t.Note);
    }
}

void writePointBlock(ByteCursor& c, const ModelStore& s, int m) {
    uint8_t block[2 * kMaterialCount + 4] = {};
    for (int i = 1; i <= kMaterialCount; ++i)
        putWordAt(block + 2 * (i - 1), s.materials[m][i].PointCount);
    c.putBytes(QByteArrayView(reinterpret_cast<const char*>(block), sizeof block));
}

void readModelBlock(ByteCursor& c, ModelStore& s, int m) {
    s.length[m] = c.getWord();
    s.width[m] = c.getWord();
    s.note[m] = c.getText();
    const int count = c.getWord();
    T_Material spare;
    for (int i = 1; i <= count && !c.overrun(); ++i)
        readMaterial(c, i <= kMaterialCount ? s.materials[m][i] : spare);
}

void readPointBlock(ByteCursor& c, ModelStore& s, int m) {
    for (int i = 1; i <= kMaterialCount; ++i)
        s.materials[m][i].PointCount = c.getWord();
    for (int i = 0; i < 4; ++i)
        c.getByte();
}

void writeModelFile(ByteCursor& c, const ModelStore& s) {
    putMagic(c, kModelFileHeader, 3);
    for (int m = 1; m <= kModelCount; ++m)
        writeModelBlock(c, s, m);
    putMagic(c, kPointMarker, 4);
    for (int m = 1; m <= kModelCount; ++m)
        writePointBlock(c, s, m);
}

void writeTemplateFile(ByteCursor& c, const ModelStore& s, int m) {
    putMagic(c, kTemplateHeader, 3);
    writeModelBlock(c, s, m);
    putMagic(c, kPointMarker, 4);
    writePointBlock(c, s, m);
}

ReadResult readModelFile(ByteCursor& c, ModelStore& s) {
    ReadResult r;
    r.headerOk = getMagic(c, kModelFileHeader, 3);
    for (int m = 1; m <= kModelCount; ++m)
        readModelBlock(c, s, m);
    // Files from before point groups end after the model blocks: their point counts stay as they are.
    if (!c.overrun() && c.remaining() > 0 && getMagic(c, kPointMarker, 4) && !c.overrun()) {
        r.pointsRead = true;
        for (int m = 1; m <= kModelCount; ++m)
            readPointBlock(c, s, m);
    }
    return finish(c, r);
}

ReadResult readTemplateFile(ByteCursor& c, ModelStore& s, int m) {
    ReadResult r;
    if (!validModel(m)) return r;
    r.headerOk = getMagic(c, kTemplateHeader, 3);
    readModelBlock(c, s, m);
    if (!c.overrun() && c.remaining() > 0 && getMagic(c, kPointMarker, 4) && !c.overrun()) {
        r.pointsRead = true;
        readPointBlock(c, s, m);
    }
    return finish(c, r);
}

QByteArray encodeModelFile(const ModelStore& s) {
    QByteArray buf;
    int32_t pos = 0;
    ByteCursor c(buf, pos);
    writeModelFile(c, s);
    buf.truncate(pos);
    return buf;
}

QByteArray encodeTemplateFile(const ModelStore& s, int m) {
    QByteArray buf;
    int32_t pos = 0;
    ByteCursor c(buf, pos);
    writeTemplateFile(c, s, m);
    buf.truncate(pos);
    return buf;
}

ReadResult decodeModelFile(QByteArrayView bytes, ModelStore& s) {
    QByteArray buf = bytes.toByteArray();
    int32_t pos = 0;
    ByteCursor c(buf, pos);
    return readModelFile(c, s);
}

ReadResult decodeTemplateFile(QByteArrayView bytes, ModelStore& s, int m) {
    QByteArray buf = bytes.toByteArray();
    int32_t pos = 0;
    ByteCursor c(buf, pos);
    return readTemplateFile(c, s, m);
}

QString copyRecord(const T_Material& t) {
    QStringList lines;
    for (int v : {t.Machine, t.Port, t.StartAddr, t.Shape, int(t.Reverse)})
        lines << QString::number(v);
    for (int k = 1; k <= 4; ++k)
        lines << QString::number(t.Coord[k]);
    for (int k = 1; k <= 4; ++k)
        lines << QString::number(t.FineCoord[k]);
    lines << QString::number(t.Angle) << QString::number(t.AppliedAngle) << t.Note << QString::number(t.PointCount);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

T_Material parseCopyRecord(const QStringList& lines, qsizetype line) {
    const auto text = [&](int i) { return lines.value(line + i); };
    const auto number = [&](int i) { return text(i).trimmed().toInt(); };
    T_Material t;
    t.Machine = number(0);
    t.Port = number(1);
    t.StartAddr = number(2);
    t.Shape = number(3);
    t.Reverse = uint8_t(number(4));
    for (int k = 1; k <= 4; ++k)
        t.Coord[k] = number(4 + k);
    for (int k = 1; k <= 4; ++k)
        t.FineCoord[k] = number(8 + k);
    t.Angle = number(13);
    t.AppliedAngle = number(14);
    t.Note = text(15);
    t.PointCount = number(16);
    return t;
}

} // namespace kq::model

using namespace kq::model;

namespace {

kq::ByteCursor globalCursor(qsizetype limit = -1) {
    return kq::ByteCursor(g_ByteBuf, g_BufPos, limit);
}

// Builds the 20 models in the shared buffer and writes them to path in one piece.
bool writeModels(const QString& path) {
    g_BufPos = 0;
    kq::ByteCursor c = globalCursor();
    writeModelFile(c, g_Models);
    return kq::writeFileAtomically(path, QByteArrayView(g_ByteBuf).first(g_BufPos));
}

// Reads the whole file into the shared buffer; the cursor then reads no further than the file.
std::optional<kq::ByteCursor> loadIntoBuffer(const QString& path) {
    // Straight into the shared buffer: a model file is over a megabyte, and a copy of it on the way
    // costs more than the reading.
    const auto size = kq::readWholeFileInto(path, g_ByteBuf);
    if (!size) return std::nullopt;
    g_BufPos = 0;
    return globalCursor(*size);
}

// Where the models on hand came from, and so where closing the editor may save them.
enum class ModelOrigin {
    None,    // no model file opened or saved in this run: the application folder's file is theirs
    File,    // g_ModelFilePath, opened whole or saved
    Damaged, // a file that could be read only in part: no file is theirs until the user picks one
};
ModelOrigin modelOrigin = ModelOrigin::None;

void saveTo(const QString& path, const QString& done = QCoreApplication::translate("kq", "保存完成!!!")) {
    // Only a file that now holds the models becomes theirs: after a failed "save as" the editor still
    // saves to the file they came from.
    if (writeModels(path)) {
        Fun_WriteIni(g_IniPath, kq::key::LastModelFile, path);
        g_ModelFilePath = path;
        modelOrigin = ModelOrigin::File;
        Fun_MsgBox(done);
    } else {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件保存失败！\r\n%1").arg(path));
    }
}

// Sizes no model may have (a file written elsewhere, or damaged) are put right and said.
void tellFixedSizes() {
    const std::vector<int> fixed = Fun_FixModelSizes();
    if (fixed.empty()) return;
    QStringList names;
    for (int m : fixed)
        names << QString::number(m);
    Fun_MsgBox(QCoreApplication::translate("kq", "模型%1的长度或宽度超出范围（1到%2），已改正。")
                   .arg(names.join(QCoreApplication::translate("kq", "、")))
                   .arg(kMaxModelSide));
}

} // namespace

void Fun_WriteModelBlock(int m) {
    auto c = globalCursor();
    writeModelBlock(c, g_Models, m);
}
void Fun_WritePointBlock(int m) {
    auto c = globalCursor();
    writePointBlock(c, g_Models, m);
}
void Fun_ReadModelBlock(int m) {
    auto c = globalCursor();
    readModelBlock(c, g_Models, m);
}
void Fun_ReadPointBlock(int m) {
    auto c = globalCursor();
    readPointBlock(c, g_Models, m);
}

bool Fun_WriteModelFile(const QString& path) {
    return writeModels(path);
}

void Fun_SaveModelAs() {
    const QString path = Fun_SaveFileDialog(QStringLiteral("mx20"));
    if (!path.isEmpty()) saveTo(path);
}

void Fun_SaveModel() {
    // The models go back to the file they came from. With none opened or saved in this run they go to
    // the application folder's model file, the one the next start opens, and the user is told where:
    // never over a file of another installation that the settings merely name. Models read in part
    // from a damaged file belong to no file: the user picks one, and nothing is written without.
    switch (modelOrigin) {
    case ModelOrigin::File:
        saveTo(g_ModelFilePath);
        return;
    case ModelOrigin::Damaged:
        if (const QString path = Fun_SaveFileDialog(QStringLiteral("mx20")); !path.isEmpty())
            saveTo(path);
        else
            Fun_MsgBox(QCoreApplication::translate("kq", "模型没有保存。"));
        return;
    case ModelOrigin::None:
        break;
    }
    const QString path = g_AppFolder + QStringLiteral("/模型.mx20");
    saveTo(path, QCoreApplication::translate("kq", "保存完成!!!\r\n模型已保存到：%1").arg(path));
}

void Fun_ForgetModelFile() {
    modelOrigin = ModelOrigin::None;
}

void Fun_OpenModel(const QString& givenPath) {
    QString path = givenPath;
    if (path.isEmpty()) {
        path = Fun_OpenFileDialog(QStringLiteral("mx20"));
        if (path.isEmpty()) return;
    }
    if (!QFile::exists(path)) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件不存在！"));
        return;
    }
    auto c = loadIntoBuffer(path);
    if (!c) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件错误！"));
        return;
    }
    // A wrong header is reported and the file is read all the same, so that a template opened as a
    // model file still yields its blocks; a file cut short is reported too. Such a file is not taken
    // for the models' own, nor is any other: closing the editor asks where to save them.
    Fun_WriteIni(g_IniPath, kq::key::LastModelFile, path);
    const ReadResult r = readModelFile(*c, g_Models);
    const bool whole = r.headerOk && !r.truncated;
    modelOrigin = whole ? ModelOrigin::File : ModelOrigin::Damaged;
    if (whole)
        g_ModelFilePath = path;
    else
        Fun_MsgBox(QCoreApplication::translate("kq", "文件错误！"));
    tellFixedSizes();
}

void Fun_SaveTemplate() {
    const QString path = Fun_SaveFileDialog(QStringLiteral("mb10"));
    if (path.isEmpty()) return;
    g_BufPos = 0;
    kq::ByteCursor c = globalCursor();
    writeTemplateFile(c, g_Models, g_CurModel);
    if (kq::writeFileAtomically(path, QByteArrayView(g_ByteBuf).first(g_BufPos)))
        Fun_MsgBox(QCoreApplication::translate("kq", "保存完成!!!"));
    else
        Fun_MsgBox(QCoreApplication::translate("kq", "文件保存失败！\r\n%1").arg(path));
}

void Fun_OpenTemplate() {
    const QString path = Fun_OpenFileDialog(QStringLiteral("mb10"));
    if (path.isEmpty()) return;
    auto c = loadIntoBuffer(path);
    if (!c) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件不存在！"));
        return;
    }
    const ReadResult r = readTemplateFile(*c, g_Models, g_CurModel);
    if (!r.headerOk || r.truncated) Fun_MsgBox(QCoreApplication::translate("kq", "文件错误！"));
    tellFixedSizes();
}

QString Fun_CopyFilePath() {
    return g_AppFolder + QStringLiteral("/copytemp");
}

void Fun_CopyMaterials(int count) {
    if (count > 1 && Fun_AskYesNo(QCoreApplication::translate("kq", "要复制 %1个素材吗？").arg(count))) {
        // A copy that reaches past material 2000 holds fewer records than asked for; the paste takes
        // as many as the copy holds.
        g_CopyCount = std::min(count, kMaterialCount - g_CurMaterial + 1);
        if (g_CopyCount == 1) Fun_CopyOne(); // a paste of one takes the single clipboard
        QString text;
        for (int i = g_CurMaterial; i <= kMaterialCount && i < g_CurMaterial + count; ++i)
            text += copyRecord(g_Materials[g_CurModel][i]);
        kq::writeFileAtomically(Fun_CopyFilePath(), kq::gbk::encode(text));
        return;
    }
    Fun_CopyOne();
}

bool Fun_PasteMaterials() {
    const int count = g_CopyCount;
    if (count > 1 && Fun_AskYesNo(QCoreApplication::translate("kq", "要粘贴 %1个素材吗？").arg(count))) {
        const std::optional<QByteArray> bytes = kq::readWholeFile(Fun_CopyFilePath());
        const QStringList lines = bytes ? kq::gbk::decode(*bytes).split(QStringLiteral("\r\n")) : QStringList();
        // The copy file must hold every record the paste writes (a copy cut short at material 2000
        // holds fewer than were counted): a missing or short file pastes nothing rather than blanking
        // materials.
        const int wanted = std::min(count, kMaterialCount - g_CurMaterial + 1);
        if (lines.size() < qsizetype(wanted) * kCopyRecordLines) {
            Fun_MsgBox(QCoreApplication::translate("kq", "复制的素材文件不存在或不完整，没有粘贴！"));
            return false;
        }
        for (int i = g_CurMaterial, r = 0; i <= kMaterialCount && i < g_CurMaterial + count; ++i, ++r)
            g_Materials[g_CurModel][i] = parseCopyRecord(lines, qsizetype(r) * kCopyRecordLines);
        QFile::remove(Fun_CopyFilePath());
        g_CopyCount = 0;
        return true;
    }
    Fun_PasteOne(g_CurMaterial);
    return false;
}
