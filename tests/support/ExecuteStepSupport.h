#pragma once
// What the execute step's tests share: the template folder of the installation, a sample extract read
// with the choices the wizard makes, and the destination's DATALIST row as the registry reads it.

#include "app/ExecuteStep.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "db/DataSentakuList.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/SampleTargets.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qz::test {

// The installation's template folder is the build's.
inline void LinkTemplateFolder()
{
    const std::filesystem::path folder = TExecuteStep::TemplateFolder();
    std::filesystem::create_directories(folder.parent_path());
    std::filesystem::create_directory_symlink(TemplateFolder(), folder);
}

// A sample extract written below root and read, with the choices the wizard proposes for its most recent
// year; change lets a test spoil the description first.
template <typename Change>
TExtractDescription ReadSample(TQZaimuIO& io, const std::string& name, const std::filesystem::path& root, Change change)
{
    TExtractDescription d;
    for (auto& [folder, description] : SampleExtracts())
        if (folder == name)
            d = description;
    EXPECT_FALSE(d.Years.empty()) << "no sample " << name;
    change(d);
    const std::filesystem::path extract = root / "抽出データ（髙橋）" / name;
    WriteExtract(d, extract);
    io.SetCsvDir(extract);
    EXPECT_TRUE(io.ReadErrors.empty()) << io.ReadErrorText();
    ChooseMostRecentYear(io, d);
    return d;
}

inline TExtractDescription ReadSample(TQZaimuIO& io, const std::string& name, const std::filesystem::path& root)
{
    return ReadSample(io, name, root, [](TExtractDescription&) {});
}

// The row as the registry reads it (a NULL period reads as the zero date).
inline TDataSentakuRec DataListRow(int rec, const std::string& host = "")
{
    TDataSentakuRec row;
    row.REC = rec;
    EXPECT_TRUE(DM().fnAccDefConnected(host, TOnFailure::Report));
    TDataSentakuListCtl list(DM().IBTransactionDEF);
    EXPECT_TRUE(list.GetDataListRecord(TDataListKey::Rec, row, true));
    return row;
}

inline bool IsFreeRow(const TDataSentakuRec& row)
{
    return row.ENTTEXT.empty() && row.KISHU.IsZero() && row.KIMATU.IsZero();
}

}  // namespace qz::test
