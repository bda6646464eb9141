// Each sample extract converted into a restored template the way the import run converts its current
// year (masters, opening balances, journals; no year update), then checked against sums the test works
// out from the sample's own description: every yen of the opening balances and of the year's journals
// must arrive on the right target account and branch.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "platform/SystemDef.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/SampleTargets.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <tuple>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::ExpectedJournals;
using test::ExpectedOpening;
using test::Grouped;
using test::TExtractDescription;
using test::TExtractYear;
using test::TSums;

// The journal import's logs beside the work file, for the message of a failed import.
std::string ImportLogs()
{
    std::string text;
    for (const fs::directory_entry& entry : fs::directory_iterator(SystemDef().TempDir))
        if (entry.path().filename().string().starts_with("importlog")) {
            std::ifstream in(entry.path(), std::ios::binary);
            text += DecodeCp932(std::string(std::istreambuf_iterator<char>(in), {}));
        }
    return text;
}

class SampleConversion : public ::testing::TestWithParam<std::string> {
protected:
    test::TTempFolder root;
    test::TScopedEnv env;
    test::TRecordingUi ui;
    test::TRecordingLines lines{3};

    void TearDown() override
    {
        DM().AccDatDisconnect("", false, false);
        DM().AccDefDisconnect();
    }
};

TEST_P(SampleConversion, EveryYenOfTheOpeningBalancesAndOfTheYearsJournalsArrives)
{
    TExtractDescription d;
    for (auto& [name, description] : test::SampleExtracts())
        if (name == GetParam())
            d = description;
    const TExtractYear& current = d.Years.front();
    const fs::path extract = root.Path() / "抽出データ（髙橋）" / GetParam();
    test::WriteExtract(d, extract);

    TQZaimuIO io;
    io.SetCsvDir(extract);
    ASSERT_TRUE(io.ReadErrors.empty()) << io.ReadErrorText();
    test::ChooseMostRecentYear(io, d);

    const int chart = io.ChartKind();
    test::MakeLocalInstallation(root.Path(), env, test::TemplateFileOf(chart));
    ResetDbFatalForTests();
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    ASSERT_TRUE(DM().fnGetAccInfo());
    fb::TTransaction& transaction = DM().IBTransactionDAT;
    io.LogMemo = &lines;
    io.StatusPanel = &lines;
    io.SetTransaction(transaction);
    io.Writer.ProgressList = &lines;
    io.Writer.StatusControl = &lines;
    io.Writer.AllNineCode = std::string("99999").substr(5 - static_cast<std::size_t>(io.HojoKetasu));

    io.CreateJournalSortTable();
    io.FillJournalSortTable();
    ASSERT_TRUE(io.WriteMasters(chart)) << io.ReadErrorText() << io.Writer.GetErrorText();
    ASSERT_EQ(io.Writer.WriteFiscalPeriod(chart, io.KaisiTukiNo), 0) << io.Writer.GetErrorText();
    ASSERT_EQ(io.Writer.WriteOpeningBalances(io.ReadKaisiZan(current.Code, 1, 0), io.Writer.ConvertDepartmentCode("")), 0)
        << io.Writer.GetErrorText();
    const fs::path work = fs::path(SystemDef().TempDir) / "SIWAKE.TXT";
    const std::string vouchers = io.ConvertJournals(current.Code, 0, "当期", work);
    ASSERT_EQ(io.Writer.PostJournals(work, vouchers, "当期"), 0) << io.Writer.GetErrorText() << io.Writer.MissingCodes << ImportLogs();
    io.DropJournalSortTable();
    EXPECT_TRUE(io.ReadErrors.empty()) << io.ReadErrorText();

    if (d.Corporation) {
        // Osaka manages both departments, Takamatsu the sales department only; the head office keeps
        // every department; the common department and "no department" stay everywhere.
        const auto pairs = [&](std::string_view branch) {
            fb::TTransactionScope scope(transaction);
            fb::TStatement query(transaction);
            query.Prepare(Format("SELECT BCODE FROM SISETUBUM WHERE SCODE = '%s' ORDER BY BCODE", branch));
            query.Open();
            std::vector<std::string> codes;
            while (query.Fetch())
                codes.push_back(Trim(query.AsString(0)));
            return codes;
        };
        EXPECT_EQ(pairs("01"), (std::vector<std::string>{"", "00", "01", "02"}));
        EXPECT_EQ(pairs("02"), (std::vector<std::string>{"", "00", "01"}));
        EXPECT_EQ(pairs(" "), (std::vector<std::string>{"", "00", "01", "02"}));
    }
    EXPECT_EQ(Grouped(transaction, "SELECT SCODE, KCODE, SUM(KISHU_KOMI) FROM KAMOKU_SZ GROUP BY SCODE, KCODE"),
              ExpectedOpening(d, current));
    const std::map<int, TSums> journals = ExpectedJournals(d, current);
    EXPECT_EQ(Grouped(transaction, "SELECT SCODE, KCODE, SUM(KINGAKU) FROM SIWAKE WHERE TAISHAKU=1 GROUP BY SCODE, KCODE"),
              journals.at(1));
    EXPECT_EQ(Grouped(transaction, "SELECT SCODE, KCODE, SUM(KINGAKU) FROM SIWAKE WHERE TAISHAKU=2 GROUP BY SCODE, KCODE"),
              journals.at(2));
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleConversion,
                         ::testing::Values("corporation", "individual-general", "individual-realestate"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace qz
