#pragma once

#include "core/shared_state.h"
#include "fseq.h"
#include "link/controller_settings.h"
#include "model/model_data.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// Shows as sequence files for the open players, and sequence files as shows: every port of every
// machine number has its channels, laid end to end as a player numbers them. A machine of this family
// takes six ports of 750 pixels from its start channel; an open controller's universes count from
// universe 1 (Art-Net from port-address 0) at its channels per universe, DDP from its offset. A pixel's
// three channels are red, green and blue for the family, in the controller's colour order otherwise.
namespace kq::show {

using kq::link::channelMap;
using kq::link::channelMapProblem;
using kq::link::PortChannels;
using kq::link::startChannel;

// The ports a model uses, with their channels.
std::vector<PortChannels> usedChannels(const kq::link::ControllerTable& table,
                                       const T_Material (&materials)[kMaterialCount + 1]);
struct FseqExportOptions {
    int material = 1;
    QString out;
    FseqCompression compression = FseqCompression::Zstd;
    int periodMs = 36;
    QString perControllerDir; // one uncompressed file per machine number with frames, when set
};
// Writes show material `material`'s frame files as a sequence file: the channels of the ports the
// model uses, the longest file's frames (a shorter file gives zeros after its end). The output
// appears whole or not at all; `progress` (done, total) stops the export when it returns false.
bool exportFseq(const QString& appFolder, const T_Material (&materials)[kMaterialCount + 1],
                const kq::link::ControllerTable& table, const FseqExportOptions& options,
                const std::function<bool(int, int)>& progress, QString* error);

struct FseqImportOptions {
    QString in;
    int material = 1;
    std::optional<int> periodMs; // resample to this frame period (nearest frame in time)
    bool replace = false;        // the material's recorded frame files may be replaced
};
struct FseqImportResult {
    int frames = 0;
    int periodMs = 0;
    bool resampled = false;
    qint64 unmappedChannels = 0; // channels of the file that belong to no machine number's port
    QList<int> machines;         // the frame files written
};
// Reads a sequence file into show material `material`'s frame files, as recording writes them (RGB,
// levels quantised, frames packed), through the channels of the ports the material's model uses.
// Nothing is written when the file is damaged, its step time is outside 30..200 ms without a period to
// resample to, or the material has frame files and may not replace them.
std::optional<FseqImportResult> importFseq(const QString& appFolder, const T_Material (&materials)[kMaterialCount + 1],
                                           const kq::link::ControllerTable& table, const FseqImportOptions& options,
                                           const std::function<bool(int, int)>& progress, QString* error);

} // namespace kq::show
