#include "common/Cp932.h"
#include "platform/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

using test::ReadBytes;
using test::TTempFolder;
using test::WriteBytes;

TEST(IniFile, ReadsValuesWithoutRegardToLetterCase)
{
    TTempFolder folder;
    const auto file = folder.Path() / "quorvelzaimu.ini";
    WriteBytes(file, EncodeCp932("; comment\r\n[Application]\r\nConnect = 1 \r\n[LOCAL]\r\nSYSDIR=C:\\データ\\DATA\r\n"));
    const TIniFile ini(file);
    EXPECT_TRUE(ini.FileExists());
    EXPECT_EQ(ini.ReadString("APPLICATION", "CONNECT"), "1");
    EXPECT_EQ(ini.ReadString("local", "sysdir"), "C:\\データ\\DATA");
    EXPECT_EQ(ini.ReadString("LOCAL", "MISSING", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("NOSECTION", "SYSDIR"), "");
    EXPECT_EQ(ini.ReadSectionValues("LOCAL").size(), 1u);
}

TEST(IniFile, AFileFarLargerThanAnyIniFileIsRefused)
{
    TTempFolder folder;
    const auto file = folder.Path() / "dtmanage.inf";
    const std::string head = "[CommonInf]\r\nDBVersion=1\r\n";
    WriteBytes(file, head + std::string(kMaxIniFileBytes - head.size(), ';'));
    EXPECT_EQ(TIniFile(file).ReadString("CommonInf", "DBVersion"), "1");   // at the limit: read
    WriteBytes(file, head + std::string(kMaxIniFileBytes - head.size() + 1, ';'));
    try {
        TIniFile ini(file);
        ADD_FAILURE() << "a file beyond the limit was read";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
    }
}

TEST(IniFile, MissingFileIsEmpty)
{
    TTempFolder folder;
    const TIniFile ini(folder.Path() / "none.ini");
    EXPECT_FALSE(ini.FileExists());
    EXPECT_EQ(ini.ReadString("QM3CSV", "DRIVE"), "");
}

TEST(IniFile, WritingOneKeyKeepsEveryOtherLineByteForByte)
{
    TTempFolder folder;
    const auto file = folder.Path() / "tool.ini";
    // Includes a line with a broken Shift-JIS byte and a comment, which must survive untouched.
    const std::string before = "[QM3CSV]\r\nDRIVE=old\r\nNOTE=\x82\x0D\x88\x9F\r\n; \x83\x65\x83\x58\x83\x67\r\n\r\n[OTHER]\r\nX=1\r\n";
    WriteBytes(file, before);
    TIniFile ini(file);
    ini.WriteString("QM3CSV", "DRIVE", "/home/経理/抽出");
    const std::string after = ReadBytes(file);
    std::string expected = before;
    expected.replace(expected.find("DRIVE=old"), 9, "DRIVE=" + EncodeCp932("/home/経理/抽出"));
    EXPECT_EQ(after, expected);
    EXPECT_EQ(TIniFile(file).ReadString("QM3CSV", "DRIVE"), "/home/経理/抽出");
}

TEST(IniFile, WritingAddsMissingKeysAndSections)
{
    TTempFolder folder;
    const auto file = folder.Path() / "sub" / "tool.ini";
    TIniFile ini(file);
    ini.WriteString("QM3CSV", "DRIVE", "D:\\抽出");
    EXPECT_EQ(ReadBytes(file), "[QM3CSV]\r\n" + EncodeCp932("DRIVE=D:\\抽出") + "\r\n");
    ini.WriteString("QM3CSV", "OTHER", "x");
    ini.WriteString("NEW", "K", "v");
    const TIniFile reread(file);
    EXPECT_EQ(reread.ReadString("QM3CSV", "OTHER"), "x");
    EXPECT_EQ(reread.ReadString("NEW", "K"), "v");
    EXPECT_EQ(ReadBytes(file).find("[QM3CSV]\r\n" + EncodeCp932("DRIVE=D:\\抽出") + "\r\nOTHER=x\r\n"), 0u);
}

TEST(IniFile, RefusesAValueThatShiftJisCannotHoldAndKeepsTheFile)
{
    TTempFolder folder;
    const auto file = folder.Path() / "tool.ini";
    WriteBytes(file, "[QM3CSV]\r\nDRIVE=old\r\n");
    TIniFile ini(file);
    EXPECT_THROW(ini.WriteString("QM3CSV", "DRIVE", "/tmp/\U0001F600"), TEncodingError);
    EXPECT_EQ(ReadBytes(file), "[QM3CSV]\r\nDRIVE=old\r\n");
}

}  // namespace
}  // namespace qz
