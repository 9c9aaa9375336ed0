#pragma once

#include <QString>
#include <QStringList>

namespace kq::show {

// `kq510 build [--material N]`: builds every machine's playback file, as the button does.
int runBuild(const QStringList& args);
// `kq510 inspect FILE`: prints a summary; exit status 1 for a damaged file, 2 when it cannot be read.
int runInspect(const QStringList& args);
int runPreview(const QStringList& args);
// `kq510 fseq` and `kq510 from-fseq`: a show to and from the open players' sequence files.
int runFseq(const QStringList& args);
int runFromFseq(const QStringList& args);

// `kq510 download (--machine N | --all)`: downloads playback files; 0 only when every one arrived.
int runDownload(const QStringList& args);
// `kq510 upgrade --machine N FILE.bin`: upgrades one machine's firmware; 0 only when it verified.
int runUpgrade(const QStringList& args);

// The usage texts, in the interface's language.
QString buildUsage();
QString inspectUsage();
QString previewUsage();
QString downloadUsage();
QString upgradeUsage();
QString fseqUsage();
QString fromFseqUsage();

} // namespace kq::show
