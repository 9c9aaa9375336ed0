#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "model/model_file.h"
#include "support/fakes.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace kq::model;

std::unique_ptr<ModelStore> emptyStore() {
    return std::make_unique<ModelStore>();
}

void fillModel(ModelStore& s, int m, int seed) {
    s.length[m] = 300 + seed;
    s.width[m] = 200 - seed;
    s.note[m] = QStringLiteral("模型%1").arg(seed);
    for (int i = 1; i <= kMaterialCount; i += 7) {
        T_Material& t = s.materials[m][i];
        t.Machine = 1 + (i + seed) % 10;
        t.Port = 1 + i % 6;
        t.StartAddr = 1 + i % 700;
        t.Shape = i % 4;
        t.Reverse = uint8_t(i % 2);
        for (int k = 1; k <= 4; ++k) {
            t.Coord[k] = (i * k + seed) % 900 - 100;
            t.FineCoord[k] = t.Coord[k] * 100 % 32000;
        }
        t.Angle = i % 361;
        t.AppliedAngle = (i * 3) % 361;
        t.Note = i % 3 ? QStringLiteral("灯带%1").arg(i) : QString();
        t.PointCount = i % 50;
    }
}

QByteArray readBytes(const QString& path) {
    return kq::readWholeFile(path).value_or(QByteArray());
}

TEST(ModelFile, EmptyModelsHaveTheirFixedSizes) {
    auto s = emptyStore();
    EXPECT_EQ(encodeModelFile(*s).size(), 1'240'227);
    EXPECT_EQ(encodeTemplateFile(*s, 1).size(), 62'018);
    const QByteArray f = encodeModelFile(*s);
    EXPECT_EQ(f.left(3), QByteArray::fromHex("170808"));
    EXPECT_EQ(f.mid(3, 7), QByteArray::fromHex("0000 0000 00 07D0")); // length, width, note, 2000 records
    EXPECT_EQ(f.mid(3 + 20 * (2 + 2 + 1 + 2 + 2000 * 29), 4), QByteArray::fromHex("18051510"));
    EXPECT_EQ(encodeTemplateFile(*s, 1).left(3), QByteArray::fromHex("170802"));
}

TEST(ModelFile, TextAndNumberEncodings) {
    auto s = emptyStore();
    s->note[2] = QStringLiteral("中A");
    T_Material& t = s->materials[2][1];
    t.Machine = 3;
    t.Coord[1] = -5;
    t.Coord[2] = 40000;
    t.Shape = 0x103; // only the low byte is stored
    t.Note = QString(25, QLatin1Char('x'));
    const QByteArray f = encodeTemplateFile(*s, 2);
    EXPECT_EQ(f.mid(7, 5), QByteArray::fromHex("04 4E2D 0041"));
    const int record = 7 + 5 + 2;
    EXPECT_EQ(f.mid(record, 10), QByteArray::fromHex("0003 0000 0000 03 00 FFFB"));
    EXPECT_EQ(f.mid(record + 10, 2), QByteArray::fromHex("9C40"));
    EXPECT_EQ(uint8_t(f[record + 28]), 40); // 20 code units

    auto back = emptyStore();
    const ReadResult r = decodeTemplateFile(f, *back, 5);
    EXPECT_TRUE(r.headerOk && r.pointsRead && !r.truncated);
    EXPECT_EQ(back->note[5], QStringLiteral("中A"));
    EXPECT_EQ(back->materials[5][1].Coord[1], -5);
    EXPECT_EQ(back->materials[5][1].Coord[2], -25536);
    EXPECT_EQ(back->materials[5][1].Shape, 3);
    EXPECT_EQ(back->materials[5][1].Note, QString(20, QLatin1Char('x')));
}

TEST(ModelFile, AllModelsRoundTrip) {
    auto s = emptyStore();
    for (int m = 1; m <= kModelCount; ++m)
        fillModel(*s, m, m);
    auto back = emptyStore();
    const ReadResult r = decodeModelFile(encodeModelFile(*s), *back);
    EXPECT_TRUE(r.headerOk && r.pointsRead && !r.truncated);
    for (int m = 1; m <= kModelCount; ++m) {
        EXPECT_EQ(back->length[m], s->length[m]);
        EXPECT_EQ(back->note[m], s->note[m]);
        for (int i = 1; i <= kMaterialCount; ++i)
            ASSERT_EQ(back->materials[m][i], s->materials[m][i]) << m << "/" << i;
    }
}

TEST(ModelFile, ReadersStayInsideTablesAndBufferWhateverTheFileHolds) {
    auto s = emptyStore();
    fillModel(*s, 1, 1);
    const QByteArray good = encodeModelFile(*s);

    // A model block that claims 30,000 records: the extra ones are read past, never stored.
    QByteArray many = encodeTemplateFile(*s, 1);
    many[7 + 1 + 2 * s->note[1].size() + 0] = char(0x75);
    many[7 + 1 + 2 * s->note[1].size() + 1] = char(0x30);
    auto back = emptyStore();
    EXPECT_TRUE(decodeTemplateFile(many, *back, 1).truncated);
    T_Material expected = s->materials[1][8];
    expected.PointCount = 0; // the point block was read as records
    EXPECT_EQ(back->materials[1][8], expected);

    // Cut anywhere: the reader says so and keeps to what it has.
    for (qsizetype cut :
         {qsizetype(0), qsizetype(2), qsizetype(100), good.size() / 2, good.size() - 4005, good.size() - 1}) {
        auto part = emptyStore();
        const ReadResult r = decodeModelFile(good.left(cut), *part);
        EXPECT_TRUE(r.truncated || !r.pointsRead) << cut;
    }

    // A file of the time before point groups: no marker, point counts stay as they were.
    auto old = emptyStore();
    old->materials[1][8].PointCount = 77;
    const ReadResult r = decodeModelFile(good.left(good.size() - 4 - 20 * 4004), *old);
    EXPECT_FALSE(r.truncated);
    EXPECT_FALSE(r.pointsRead);
    EXPECT_EQ(old->materials[1][8].PointCount, 77);
    EXPECT_EQ(old->materials[1][8].Machine, s->materials[1][8].Machine);
}

TEST(ModelFile, ModelsLargerThanTheBufferStillSave) {
    // A 20-character note on every model and every material.
    auto s = emptyStore();
    for (int m = 1; m <= kModelCount; ++m) {
        s->note[m] = QString(20, QChar(0x706F));
        for (int i = 1; i <= kMaterialCount; ++i)
            s->materials[m][i].Note = QString(20, QChar(0x706F));
    }
    EXPECT_EQ(encodeModelFile(*s).size(), 2'841'027);

    kq::test::TempHome home;
    for (int m = 1; m <= kModelCount; ++m) {
        g_ModelNote[m] = QString(20, QChar(0x706F));
        for (int i = 1; i <= kMaterialCount; ++i)
            g_Materials[m][i].Note = QString(20, QChar(0x706F));
    }
    ASSERT_TRUE(Fun_WriteModelFile(home.path("big.mx20")));
    EXPECT_EQ(readBytes(home.path("big.mx20")).size(), 2'841'027);
    Fun_ClearAllModels();
    Fun_OpenModel(home.path("big.mx20"));
    EXPECT_EQ(g_Materials[20][2000].Note, QString(20, QChar(0x706F)));
    EXPECT_TRUE(home.dialogs.shown.isEmpty());
    Fun_ClearAllModels();
}

class ModelCommands : public testing::Test {
protected:
    void SetUp() override { Fun_ClearAllModels(); }
    void TearDown() override { Fun_ClearAllModels(); }
    QStringList shownTexts() const {
        QStringList t;
        for (const auto& s : home.dialogs.shown)
            t << s.text;
        return t;
    }
    kq::test::TempHome home;
};

TEST_F(ModelCommands, SaveAsRemembersTheFileAndOpenReadsItBack) {
    fillModel(g_Models, 4, 9);
    home.dialogs.fileNames = {home.path("show")};
    Fun_SaveModelAs();
    const QString path = home.path("show.mx20");
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "最后打开文件1"), path);
    EXPECT_EQ(g_ModelFilePath, path);
    EXPECT_EQ(readBytes(path), encodeModelFile(g_Models));
    EXPECT_EQ(shownTexts(), QStringList{"保存完成!!!"});

    const T_Material kept = g_Materials[4][8];
    Fun_ClearAllModels();
    Fun_OpenModel(path);
    EXPECT_EQ(g_Materials[4][8], kept);

    // Saving again goes to the remembered file.
    g_ModelNote[1] = "again";
    Fun_SaveModel();
    EXPECT_EQ(readBytes(path), encodeModelFile(g_Models));
}

TEST_F(ModelCommands, SavingWithNoFileYetWritesTheFileTheNextStartOpens) {
    Fun_ForgetModelFile();
    g_ModelNote[1] = "first";
    Fun_SaveModel();
    EXPECT_EQ(g_ModelFilePath, home.path("模型.mx20"));
    EXPECT_EQ(readBytes(g_ModelFilePath), encodeModelFile(g_Models));
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("保存完成!!!\r\n模型已保存到：") + g_ModelFilePath});
    // From then on the models belong to that file: the next save says no more than that it is done.
    Fun_SaveModel();
    EXPECT_EQ(shownTexts().back(), QStringLiteral("保存完成!!!"));
}

TEST_F(ModelCommands, AFailedSaveAsLeavesTheModelsWithTheFileTheyCameFrom) {
    Fun_ForgetModelFile();
    const QString own = home.path("own.mx20");
    g_ModelNote[1] = "own";
    ASSERT_TRUE(Fun_WriteModelFile(own));
    Fun_OpenModel(own);
    g_ModelNote[1] = "edited";
    home.dialogs.fileNames = {home.path("no-such-folder/copy.mx20")};
    Fun_SaveModelAs();
    EXPECT_TRUE(shownTexts().back().startsWith(QStringLiteral("文件保存失败！")));
    EXPECT_EQ(g_ModelFilePath, own);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, kq::key::LastModelFile), own);
    Fun_SaveModel();
    EXPECT_EQ(shownTexts().back(), QStringLiteral("保存完成!!!"));
    EXPECT_EQ(readBytes(own), encodeModelFile(g_Models));
}

TEST_F(ModelCommands, NothingHappensWithoutAFileAndMissingOrDamagedFilesAreReported) {
    Fun_SaveModelAs();        // cancelled
    Fun_OpenModel(QString()); // cancelled
    EXPECT_TRUE(shownTexts().isEmpty());
    EXPECT_FALSE(QFile::exists(g_IniPath));

    Fun_OpenModel(home.path("missing.mx20"));
    EXPECT_EQ(shownTexts(), QStringList{"文件不存在！"});
    EXPECT_FALSE(QFile::exists(g_IniPath));

    // A template opened as a model file: reported, then read block by block all the same.
    auto s = emptyStore();
    fillModel(*s, 1, 3);
    QFile f(home.path("t.mb10"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(encodeTemplateFile(*s, 1));
    f.close();
    home.dialogs.shown.clear();
    Fun_OpenModel(home.path("t.mb10"));
    EXPECT_EQ(shownTexts(), QStringList{"文件错误！"});
    EXPECT_EQ(g_ModelNote[1], s->note[1]);
    T_Material expected = s->materials[1][8];
    expected.PointCount = 0; // a template's point block is not where a model file has it
    EXPECT_EQ(g_Materials[1][8], expected);
}

TEST_F(ModelCommands, TemplateLoadsIntoTheCurrentModelOnly) {
    fillModel(g_Models, 3, 5);
    fillModel(g_Models, 2, 6);
    g_CurModel = 3;
    home.dialogs.fileNames = {home.path("tpl")};
    Fun_SaveTemplate();
    EXPECT_EQ(readBytes(home.path("tpl.mb10")), encodeTemplateFile(g_Models, 3));
    EXPECT_FALSE(QFile::exists(g_IniPath)); // the remembered model file is not touched

    const T_Material fromThree = g_Materials[3][15];
    const T_Material two = g_Materials[2][15];
    g_CurModel = 7;
    home.dialogs.fileNames = {home.path("tpl.mb10")};
    Fun_OpenTemplate();
    EXPECT_EQ(g_Materials[7][15], fromThree);
    EXPECT_EQ(g_ModelNote[7], g_ModelNote[3]);
    EXPECT_EQ(g_Materials[2][15], two);
    EXPECT_EQ(shownTexts(), QStringList{"保存完成!!!"});
}

} // namespace
