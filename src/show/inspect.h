#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// A readable summary of a model, template, frame or playback file, and the first damage found in it.
namespace kq::show {

// The summary reads the same in both languages, for the scripts that look for its lines; the problem
// is the interface's language.
struct Inspection {
    QString kind;      // "model file", "template file", "frame file", "playback file", or empty
    QStringList lines; // the summary
    QString problem;   // empty when the file is sound
    bool ok() const { return problem.isEmpty(); }
};

Inspection inspectFile(QByteArrayView bytes);
Inspection inspectModelFile(QByteArrayView bytes, bool isTemplate);
Inspection inspectFrameFile(QByteArrayView bytes);
Inspection inspectPlaybackFile(QByteArrayView bytes);

// The problem with packed frame data, or empty when every marker has a count of 1 to 250 and the
// data stand for no more than ports 1 to 6.
QString packedDataProblem(QByteArrayView packed);

} // namespace kq::show
