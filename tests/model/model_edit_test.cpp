#include "core/settings_file.h"
#include "model/model_file.h"
#include "support/fakes.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

T_Material numbered(int n) {
    T_Material t;
    t.Machine = 1;
    t.Port = 2;
    t.StartAddr = n;
    t.Note = QStringLiteral("第%1").arg(n);
    t.PointCount = n % 7;
    return t;
}

class MaterialEdits : public testing::Test {
protected:
    void SetUp() override {
        Fun_ClearAllModels();
        g_CurModel = 2;
        for (int i = 1; i <= kMaterialCount; ++i)
            g_Materials[2][i] = numbered(i);
    }
    void TearDown() override { Fun_ClearAllModels(); }
    kq::test::TempHome home;
};

TEST_F(MaterialEdits, InsertAndDeleteShiftTheTable) {
    g_CurMaterial = 10;
    Fun_InsertMaterial();
    EXPECT_EQ(g_Materials[2][10], T_Material{});
    EXPECT_EQ(g_Materials[2][11], numbered(10));
    EXPECT_EQ(g_Materials[2][2000], numbered(1999)); // the old 2000 is gone
    Fun_DeleteMaterial(10);
    EXPECT_EQ(g_Materials[2][10], numbered(10));
    EXPECT_EQ(g_Materials[2][1999], numbered(1999));
    EXPECT_EQ(g_Materials[2][2000], T_Material{});
}

TEST_F(MaterialEdits, AtMaterial2000InsertAndDeleteOnlyClearIt) {
    g_CurMaterial = 2000;
    Fun_InsertMaterial();
    EXPECT_EQ(g_Materials[2][2000], T_Material{});
    EXPECT_EQ(g_Materials[2][1999], numbered(1999));
    g_Materials[2][2000] = numbered(2000);
    Fun_DeleteMaterial(2000);
    EXPECT_EQ(g_Materials[2][2000], T_Material{});
    EXPECT_EQ(g_Materials[2][1999], numbered(1999));
    EXPECT_EQ(g_Materials[1][5], T_Material{}); // other models untouched
}

TEST_F(MaterialEdits, CopyFiveAt1998HoldsThreeAndPastesThree) {
    g_CurMaterial = 1998;
    home.dialogs.answers = {kq::MessageAnswer::Yes};
    Fun_CopyMaterials(5);
    EXPECT_EQ(home.dialogs.shown.at(0).text, QStringLiteral("要复制 5个素材吗？"));
    EXPECT_EQ(g_CopyCount, 3);
    const QByteArray file = kq::readWholeFile(Fun_CopyFilePath()).value_or(QByteArray());
    EXPECT_EQ(file.count("\r\n"), 3 * 17);
    EXPECT_TRUE(file.startsWith("1\r\n2\r\n1998\r\n0\r\n0\r\n0\r\n"));

    g_CurMaterial = 10;
    home.dialogs.answers = {kq::MessageAnswer::Yes};
    EXPECT_TRUE(Fun_PasteMaterials());
    EXPECT_EQ(home.dialogs.shown.at(1).text, QStringLiteral("要粘贴 3个素材吗？"));
    EXPECT_EQ(g_Materials[2][10], numbered(1998));
    EXPECT_EQ(g_Materials[2][12], numbered(2000));
    EXPECT_EQ(g_Materials[2][13], numbered(13)); // nothing past what was copied is touched
    EXPECT_EQ(g_CopyCount, 0);
    EXPECT_FALSE(QFile::exists(Fun_CopyFilePath()));
}

TEST_F(MaterialEdits, ACopyOfSeveralAtTheLastMaterialPastesItsOne) {
    g_CurMaterial = 2000;
    home.dialogs.answers = {kq::MessageAnswer::Yes};
    Fun_CopyMaterials(4);
    EXPECT_EQ(g_CopyCount, 1);
    g_CurMaterial = 7;
    EXPECT_FALSE(Fun_PasteMaterials()); // one material: the single clipboard
    EXPECT_EQ(g_Materials[2][7], numbered(2000));
    EXPECT_EQ(g_Materials[2][8], numbered(8));
}

TEST_F(MaterialEdits, PasteFromAMissingOrShortCopyFileChangesNothing) {
    const struct {
        const char* name;
        std::optional<int> keptLines; // lines of the copy file left; nullopt: the file is gone
    } cases[] = {{"missing", std::nullopt}, {"short", 3 * 17 - 1}, {"empty", 0}};
    for (const auto& c : cases) {
        g_CurMaterial = 20;
        home.dialogs.answers = {kq::MessageAnswer::Yes};
        Fun_CopyMaterials(3);
        const QByteArray file = kq::readWholeFile(Fun_CopyFilePath()).value_or(QByteArray());
        if (c.keptLines)
            kq::writeFileAtomically(Fun_CopyFilePath(), file.split('\n').mid(0, *c.keptLines).join('\n'));
        else
            QFile::remove(Fun_CopyFilePath());
        g_CurMaterial = 100;
        home.dialogs.shown.clear();
        home.dialogs.answers = {kq::MessageAnswer::Yes};
        EXPECT_FALSE(Fun_PasteMaterials()) << c.name;
        ASSERT_EQ(home.dialogs.shown.size(), 2) << c.name;
        EXPECT_EQ(home.dialogs.shown[1].text, QStringLiteral("复制的素材文件不存在或不完整，没有粘贴！")) << c.name;
        for (int i = 100; i <= 102; ++i)
            EXPECT_EQ(g_Materials[2][i], numbered(i)) << c.name << " " << i;
    }
}

TEST_F(MaterialEdits, AnsweringNoOrCountingOneUsesTheSingleClipboard) {
    g_CurMaterial = 30;
    Fun_CopyMaterials(1);
    EXPECT_TRUE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(g_ClipMaterial, numbered(30));
    g_CurMaterial = 31;
    Fun_CopyMaterials(3); // nobody answers: No
    EXPECT_EQ(g_ClipMaterial, numbered(31));
    EXPECT_EQ(g_CopyCount, 0);
    EXPECT_FALSE(Fun_PasteMaterials());
    EXPECT_EQ(g_Materials[2][31], numbered(31));
    g_CurMaterial = 40;
    Fun_PasteMaterials();
    EXPECT_EQ(g_Materials[2][40], numbered(31));
}

} // namespace
