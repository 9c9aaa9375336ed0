#include "inspect.h"

#include "core/gbk_codec.h"
#include "core/shared_state.h"
#include "frame_store.h"
#include "model/model_file.h"
#include "playback_file.h"

#include <QCoreApplication>
#include <QMap>
#include <memory>
#include <set>

namespace kq::show {
namespace {

quint32 be(QByteArrayView b, qsizetype at, int size) {
    quint32 v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | (at + i < b.size() ? uint8_t(b[at + i]) : 0u);
    return v;
}

const char* modeName(int mode) {
    switch (mode) {
    case 0:
        return "RGB";
    case 1:
        return "red only";
    case 2:
        return "green only";
    case 3:
        return "blue only";
    default:
        return "unknown";
    }
}

QString modelSummary(const ModelStore& s, int m) {
    int used = 0;
    std::set<int> machines, ports;
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = s.materials[m][i];
        if (!t.used()) continue;
        ++used;
        machines.insert(t.Machine);
        ports.insert(t.Port);
    }
    if (used == 0 && s.length[m] == 0 && s.width[m] == 0 && s.note[m].isEmpty()) return {};
    QStringList machineList;
    for (int k : machines)
        machineList << QString::number(k);
    return QStringLiteral("model %1 (%2 x %3) \"%4\": %5 materials in use%6")
        .arg(m)
        .arg(s.length[m])
        .arg(s.width[m])
        .arg(s.note[m])
        .arg(used)
        .arg(used
                 ? QStringLiteral(" on machines %1, %2 ports").arg(machineList.join(','), QString::number(ports.size()))
                 : QString());
}

} // namespace

QString packedDataProblem(QByteArrayView packed) {
    qsizetype out = 0;
    for (qsizetype j = 0; j < packed.size(); ++j) {
        if (uint8_t(packed[j]) == kRunMarker) {
            if (j + 1 >= packed.size()) return QCoreApplication::translate("kq", "连零标记在数据的最末尾");
            const int n = uint8_t(packed[++j]);
            if (n < 1 || n > kMaxRun)
                return QCoreApplication::translate("kq", "第%2字节处有%1个连零").arg(n).arg(j - 1);
            out += n;
        } else {
            ++out;
        }
    }
    if (out > qsizetype(kRecordedPorts) * kPortBlockBytes)
        return QCoreApplication::translate("kq", "%1个图像字节，超过六个端口的容量").arg(out);
    return {};
}

Inspection inspectModelFile(QByteArrayView bytes, bool isTemplate) {
    Inspection r;
    r.kind = isTemplate ? QStringLiteral("template file") : QStringLiteral("model file");
    auto store = std::make_unique<ModelStore>();
    const model::ReadResult read =
        isTemplate ? model::decodeTemplateFile(bytes, *store, 1) : model::decodeModelFile(bytes, *store);
    r.lines << QStringLiteral("%1, %2 bytes%3")
                   .arg(r.kind)
                   .arg(bytes.size())
                   .arg(read.pointsRead ? QString() : QStringLiteral(", without point counts"));
    for (int m = 1; m <= (isTemplate ? 1 : kModelCount); ++m)
        if (const QString line = modelSummary(*store, m); !line.isEmpty()) r.lines << line;
    if (!read.headerOk)
        r.problem = isTemplate ? QCoreApplication::translate("kq", "文件头不是模板文件的文件头")
                               : QCoreApplication::translate("kq", "文件头不是模型文件的文件头");
    else if (read.truncated)
        r.problem = QCoreApplication::translate("kq", "文件在模型结束之前就结束了");
    return r;
}

Inspection inspectFrameFile(QByteArrayView bytes) {
    Inspection r;
    r.kind = QStringLiteral("frame file");
    const int n = frameCountOf(bytes);
    const int mode = bytes.size() > 5 ? uint8_t(bytes[5]) : 0;
    r.lines
        << QStringLiteral("frame file, %1 bytes, %2 frames, recorded %3").arg(bytes.size()).arg(n).arg(modeName(mode));
    if (bytes.size() < kFrameFileHeaderBytes) {
        r.problem = QCoreApplication::translate("kq", "文件比它1,024字节的文件头还短");
        return r;
    }
    int minL = 0, maxL = 0;
    qint64 sumL = 0;
    for (int k = 1; k <= n; ++k) {
        const qsizetype at = slotOffset(k);
        if (at + kFrameHeaderBytes > bytes.size()) {
            r.problem = QCoreApplication::translate("kq", "缺少第%1帧（共%2帧）：文件在%3字节处结束")
                            .arg(k)
                            .arg(n)
                            .arg(bytes.size());
            return r;
        }
        if (be(bytes, at, 4) != 0x17080988u) {
            r.problem = QCoreApplication::translate("kq", "第%1帧不是以帧头开始").arg(k);
            return r;
        }
        const int L = int(be(bytes, at + 6, 2));
        if (L > kMaxPackedBytes) {
            r.problem = QCoreApplication::translate("kq", "第%1帧有%2个压缩字节，超过它的位置").arg(k).arg(L);
            return r;
        }
        if (at + kFrameHeaderBytes + L > bytes.size()) {
            r.problem = QCoreApplication::translate("kq", "第%1帧不完整").arg(k);
            return r;
        }
        if (const QString p = packedDataProblem(bytes.sliced(at + kFrameHeaderBytes, L)); !p.isEmpty()) {
            r.problem = QCoreApplication::translate("kq", "第%1帧：%2").arg(k).arg(p);
            return r;
        }
        minL = k == 1 ? L : std::min(minL, L);
        maxL = std::max(maxL, L);
        sumL += L;
    }
    if (n > 0)
        r.lines << QStringLiteral("packed sizes: smallest %1, largest %2, average %3 bytes")
                       .arg(minL)
                       .arg(maxL)
                       .arg(double(sumL) / n, 0, 'f', 0);
    return r;
}

Inspection inspectPlaybackFile(QByteArrayView bytes) {
    Inspection r;
    r.kind = QStringLiteral("playback file");
    r.lines << QStringLiteral("playback file, %1 bytes").arg(bytes.size());
    const auto fail = [&](const QString& why) {
        r.problem = why;
        return r;
    };
    if (bytes.size() < kDirectoryBytes) return fail(QCoreApplication::translate("kq", "文件比它的目录还短"));
    if (be(bytes, 3604, 4) != 0x18012315u) return fail(QCoreApplication::translate("kq", "缺少目录的结束标记"));
    const quint32 infoOffset = be(bytes, kInfoOffsetAt, 4);
    quint32 expectedOffset = kDirectoryBytes;
    for (int k = 1; k <= kDirectoryEntries; ++k) {
        const qsizetype e = 4 + qsizetype(kEntryBytes) * (k - 1);
        const quint32 offset = be(bytes, e, 4);
        if (offset == 0) continue;
        const int n = int(be(bytes, e + 8, 2));
        const int mode = uint8_t(bytes[e + 10]);
        if (offset != expectedOffset)
            return fail(QCoreApplication::translate("kq", "素材%1的数据块不在上一块结束的位置").arg(k));
        if (qsizetype(offset) + kFrameFileHeaderBytes + 6 * n > bytes.size())
            return fail(QCoreApplication::translate("kq", "素材%1的数据块超出了文件末尾").arg(k));
        const QByteArrayView header = bytes.sliced(offset, kFrameFileHeaderBytes);
        if (be(header, 0, 4) != 0x17081588u || frameCountOf(header) != n)
            return fail(QCoreApplication::translate("kq", "素材%1的数据块不是以它帧文件的文件头开始").arg(k));
        quint32 record = offset + kFrameFileHeaderBytes + 6 * quint32(n);
        for (int f = 1; f <= n; ++f) {
            const qsizetype t = offset + kFrameFileHeaderBytes + 6 * (f - 1);
            const quint32 at = be(bytes, t, 4);
            const int L = int(be(bytes, t + 4, 2));
            if (at != record || qsizetype(at) + kFrameHeaderBytes + L > bytes.size())
                return fail(QCoreApplication::translate("kq", "素材%1第%2帧：帧表指向别处").arg(k).arg(f));
            if (be(bytes, at, 4) != 0x17080988u || int(be(bytes, at + 6, 2)) != L)
                return fail(QCoreApplication::translate("kq", "素材%1第%2帧：不是帧记录").arg(k).arg(f));
            if (const QString p = packedDataProblem(bytes.sliced(at + kFrameHeaderBytes, L)); !p.isEmpty())
                return fail(QCoreApplication::translate("kq", "素材%1第%2帧：%3").arg(k).arg(f).arg(p));
            record = at + kFrameHeaderBytes + quint32(L);
        }
        r.lines << QStringLiteral("material %1: %2 frames, recorded %3, block at %4, frame file of %5 bytes")
                       .arg(k)
                       .arg(n)
                       .arg(modeName(mode))
                       .arg(offset)
                       .arg(be(bytes, e + 4, 4));
        expectedOffset = record;
    }
    if (infoOffset != expectedOffset) return fail(QCoreApplication::translate("kq", "信息块不在最后一个素材之后"));
    const QByteArrayView info = bytes.sliced(std::min<qsizetype>(infoOffset, bytes.size()));
    if (info.size() < 5 || be(info, 0, 3) != 0x180122u) return fail(QCoreApplication::translate("kq", "缺少信息块"));
    const quint32 infoLength = be(info, 3, 2);
    if (infoLength != quint32(info.size()) || infoLength % 2 == 0)
        return fail(
            QCoreApplication::translate("kq", "信息块长%1字节，它的头部写的是%2").arg(info.size()).arg(infoLength));
    const QByteArray b = QByteArray::fromHex(info.sliced(5).toByteArray());
    if (b.size() * 2 != info.size() - 5 || b.left(5) != info.first(5).toByteArray())
        return fail(QCoreApplication::translate("kq", "信息块的文字不是它字节的十六进制"));
    r.lines << QStringLiteral("information:%1").arg(gbk::decode(QByteArrayView(b).sliced(5)));
    return r;
}

Inspection inspectFile(QByteArrayView bytes) {
    const quint32 magic = be(bytes, 0, 4);
    if (bytes.size() >= 3 && be(bytes, 0, 3) == 0x170808u) return inspectModelFile(bytes, false);
    if (bytes.size() >= 3 && be(bytes, 0, 3) == 0x170802u) return inspectModelFile(bytes, true);
    if (bytes.size() >= 4 && magic == 0x17081588u) return inspectFrameFile(bytes);
    if (bytes.size() >= 4 && magic == 0x17081489u) return inspectPlaybackFile(bytes);
    Inspection r;
    r.problem = QCoreApplication::translate("kq", "不是模型文件、模板文件、帧文件或播放文件");
    return r;
}

} // namespace kq::show
