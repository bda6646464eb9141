#include "common/Cp932.h"
#include "convert/ZaimuIO_Manifest.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

void WriteManifest(const test::TTempFolder& folder, const std::string& years, const std::string& code = "000123,45")
{
    test::WriteBytes(folder.Path() / "dtmanage.inf",
                     EncodeCp932("[CommonInf]\r\nSaveDate=2026/05/31\r\nSaveTime=10:15\r\nDBVersion=1\r\n"
                                 "[KanyosakiInf]\r\nKanyosakiCode=" + code + "\r\nKanyosakiName=㈱髙橋商店\r\n" + years));
}

TEST(Manifest, YearsByKeyNumberAndTheSummary)
{
    test::TTempFolder folder;
    WriteManifest(folder, "JigyouNendo1=2025/04/01-2026/03/31,7\r\nJigyouNendo2=2024/04/01-2025/03/27,6\r\n"
                          "JigyouNendo4=2021/04/01-2022/03/31,3\r\n");
    Tdtmanage manifest;
    const std::string summary = ReadManifest(folder.Path(), manifest);
    EXPECT_EQ(manifest.DBVersion, 1);
    EXPECT_EQ(manifest.DataVersion, 0);
    EXPECT_EQ(manifest.KanyosakiCodeText, "000123");
    EXPECT_EQ(manifest.KanyosakiNo, 45);
    EXPECT_EQ(manifest.NendoCount, 3);
    EXPECT_EQ(manifest.Nendo[0].Code, 7);
    EXPECT_EQ(manifest.Nendo[0].Label, "令和 07/04/01-令和 08/03/31");
    EXPECT_EQ(manifest.Nendo[0].Simebi, 99);
    EXPECT_EQ(manifest.Nendo[1].Simebi, 27);
    EXPECT_EQ(manifest.Nendo[2].Code, 0);  // key 3 is absent
    EXPECT_EQ(manifest.Nendo[2].Label, "");
    EXPECT_EQ(manifest.Nendo[2].Simebi, 99);
    EXPECT_EQ(manifest.Nendo[3].Code, 3);
    EXPECT_EQ(summary, "抽出処理された日付  :2026/05/31\r\n              時刻  :10:15\r\n\r\n"
                       "関与先コード        :000123\r\n関与先名            :㈱髙橋商店\r\n"
                       "事業年度            :令和 07/04/01-令和 08/03/31\r\n"
                       "                    :令和 06/04/01-令和 07/03/27\r\n                    :");
}

TEST(Manifest, WithoutYearsStillShowsTheYearLine)
{
    test::TTempFolder folder;
    WriteManifest(folder, "");
    Tdtmanage manifest;
    const std::string summary = ReadManifest(folder.Path(), manifest);
    EXPECT_EQ(manifest.NendoCount, 0);
    EXPECT_TRUE(summary.ends_with("事業年度            :"));
}

TEST(Manifest, CodesThatAreNoNumbersAreConversionErrors)
{
    test::TTempFolder folder;
    WriteManifest(folder, "", "000123,ABC");
    Tdtmanage manifest;
    EXPECT_THROW(ReadManifest(folder.Path(), manifest), TConversionError);
    WriteManifest(folder, "JigyouNendo1=2025/04/01-2026/03/31,seven\r\n");
    EXPECT_THROW(ReadManifest(folder.Path(), manifest), TConversionError);
    // A client code without its number, or none at all, names no client: not client number 0.
    for (const char* code : {"000123,", "000123", ""}) {
        WriteManifest(folder, "", code);
        EXPECT_THROW(ReadManifest(folder.Path(), manifest), TConversionError) << code;
    }
    test::WriteBytes(folder.Path() / "dtmanage.inf", "[KanyosakiInf]\r\nKanyosakiName=x\r\n");
    EXPECT_THROW(ReadManifest(folder.Path(), manifest), TConversionError);
}

TEST(Manifest, AMissingManifestReadsEmptyAndBadDatesBecomeZero)
{
    test::TTempFolder folder;
    Tdtmanage manifest;
    ReadManifest(folder.Path(), manifest);
    EXPECT_EQ(manifest.KanyosakiName, "");
    EXPECT_EQ(manifest.NendoCount, 0);
    WriteManifest(folder, "JigyouNendo1=2025/13/01-xx,7\r\n");
    ReadManifest(folder.Path(), manifest);
    EXPECT_TRUE(manifest.Nendo[0].Start.IsZero());
    EXPECT_TRUE(manifest.Nendo[0].End.IsZero());
}

TEST(Manifest, ExtractFolderRecognition)
{
    test::TTempFolder folder;
    EXPECT_FALSE(IsExtractFolder(folder.Path()));
    WriteManifest(folder, "");
    EXPECT_FALSE(IsExtractFolder(folder.Path()));
    std::filesystem::create_directories(folder.Path() / "CM");
    std::filesystem::create_directories(folder.Path() / "zm");
    EXPECT_TRUE(IsExtractFolder(folder.Path()));
    EXPECT_EQ(EraDateLabel(TDate::Ymd(2009, 4, 1)), "平成 21/04/01");
}

TEST(Manifest, TheRevisedEditionTakesOnlyExtractsOfVersionOne)
{
    Tdtmanage manifest;
    manifest.DBVersion = 0;
    EXPECT_EQ(ExtractVersionRefusal(manifest, false), "");
    EXPECT_EQ(ExtractVersionRefusal(manifest, true),
              " 指定されたフォルダは、QuorvelMendalⅢ(Ver3.2.0.1)の抽出データではありません。");
    manifest.DBVersion = 1;
    EXPECT_EQ(ExtractVersionRefusal(manifest, true), "");
}

TEST(Manifest, AVersionTooLargeForAnIntIsNoVersionRatherThanItsLowBits)
{
    test::TTempFolder folder;
    test::WriteBytes(folder.Path() / "dtmanage.inf", "[CommonInf]\r\nDBVersion=4294967297\r\nDataVersion=x\r\n"
                                                     "[KanyosakiInf]\r\nKanyosakiCode=000123,4\r\n");
    Tdtmanage manifest;
    ReadManifest(folder.Path(), manifest);
    EXPECT_EQ(manifest.DBVersion, 0);  // 2^32 + 1 once wrapped to 1 and passed the revised edition's check
    EXPECT_EQ(manifest.DataVersion, 0);
    EXPECT_NE(ExtractVersionRefusal(manifest, true), "");
}

}  // namespace
}  // namespace qz
