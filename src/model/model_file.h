#pragma once

#include "byte_buffer.h"
#include "model_data.h"

#include <QByteArray>
#include <QString>

// Model files ("mx20", all 20 models), template files ("mb10", one model) and the copy file
// "copytemp". Numbers are 16-bit big-endian, signed when read.

namespace kq::model {

inline constexpr uint8_t kModelFileHeader[3] = {0x17, 0x08, 0x08};
inline constexpr uint8_t kTemplateHeader[3] = {0x17, 0x08, 0x02};
inline constexpr uint8_t kPointMarker[4] = {0x18, 0x05, 0x15, 0x10};

void writeModelBlock(ByteCursor& c, const ModelStore& s, int m);
void writePointBlock(ByteCursor& c, const ModelStore& s, int m);
// Readers stay inside the tables: records past 2000 are read and dropped.
void readModelBlock(ByteCursor& c, ModelStore& s, int m);
void readPointBlock(ByteCursor& c, ModelStore& s, int m);

void writeModelFile(ByteCursor& c, const ModelStore& s);
void writeTemplateFile(ByteCursor& c, const ModelStore& s, int m);

struct ReadResult {
    bool headerOk = false;   // the three header bytes were those of the file kind
    bool pointsRead = false; // the point-count marker was found and the blocks read
    bool truncated = false;  // the file ended before its blocks did (missing bytes read as 0)
};
ReadResult readModelFile(ByteCursor& c, ModelStore& s);
// Loads the template into model m, whatever model it was saved from.
ReadResult readTemplateFile(ByteCursor& c, ModelStore& s, int m);

QByteArray encodeModelFile(const ModelStore& s);
QByteArray encodeTemplateFile(const ModelStore& s, int m);
ReadResult decodeModelFile(QByteArrayView bytes, ModelStore& s);
ReadResult decodeTemplateFile(QByteArrayView bytes, ModelStore& s, int m);

// The 17 lines of one material in the copy file.
inline constexpr int kCopyRecordLines = 17; // lines of one material in the copy file
QString copyRecord(const T_Material& t);
// Reads one material from 17 lines starting at `line`; missing lines read as 0 / empty.
T_Material parseCopyRecord(const QStringList& lines, qsizetype line);

} // namespace kq::model

void Fun_WriteModelBlock(int m);
void Fun_WritePointBlock(int m);
void Fun_ReadModelBlock(int m);
void Fun_ReadPointBlock(int m);

void Fun_SaveModelAs();
// Saves to the model file this run opened or saved; with none, to the application folder's "模型.mx20";
// after a file that could be read only in part, to the file the user picks in the save dialog.
void Fun_SaveModel();
// A new start: no model file is opened yet.
void Fun_ForgetModelFile();
// An empty path asks with the open dialog.
void Fun_OpenModel(const QString& path);
void Fun_SaveTemplate();
void Fun_OpenTemplate();
// Writes the 20 models to path as a model file; false when it could not be written.
bool Fun_WriteModelFile(const QString& path);

// count: the number in the editor's copy-count box.
void Fun_CopyMaterials(int count);
// Returns true when a multi-material paste was made (the editor then shows "1" in its count box).
bool Fun_PasteMaterials();
QString Fun_CopyFilePath();
