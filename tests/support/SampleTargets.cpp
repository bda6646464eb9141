#include "tests/support/SampleTargets.h"

#include "common/Format.h"
#include "common/SjisText.h"

#include <gtest/gtest.h>

#include <vector>

namespace qz::test {

std::string TargetAccountOf(const TExtractDescription& d, const std::string& source)
{
    if (d.Corporation && source == "11500")
        return "11300";
    if (!d.Corporation && source == "10300")
        return "10200";
    return source;
}

std::string TargetBranchOf(const TExtractDescription& d, const std::string& source)
{
    if (d.Branches.size() <= 1 || source == kHeadOffice)
        return "";
    for (std::size_t i = 0; i < d.Branches.size(); ++i)
        if (d.Branches[i].Code == source)
            return Format("%02d", static_cast<int>(i));
    ADD_FAILURE() << "unknown branch " << source;
    return "?";
}

TSums ExpectedOpening(const TExtractDescription& d, const TExtractYear& year)
{
    TSums sums;
    for (const auto& [key, amount] : year.Opening) {
        const auto& [branch, account, sub] = key;
        sums[{TargetBranchOf(d, branch), TargetAccountOf(d, account)}] += amount * TMoney::kScale;
    }
    std::erase_if(sums, [](const auto& entry) { return entry.second == 0; });
    return sums;
}

std::map<int, TSums> ExpectedJournals(const TExtractDescription& d, const TExtractYear& year)
{
    std::map<int, TSums> sides;
    for (const TExtractEntry& entry : year.Entries) {
        const std::string branch = TargetBranchOf(d, entry.Branch);
        sides[1][{branch, TargetAccountOf(d, entry.Debit)}] += entry.Amount * TMoney::kScale;
        sides[2][{branch, TargetAccountOf(d, entry.Credit)}] += entry.Amount * TMoney::kScale;
    }
    return sides;
}

TSums Grouped(fb::TTransaction& transaction, std::string_view sql)
{
    fb::TTransactionScope scope(transaction);
    fb::TStatement query(transaction);
    query.Prepare(sql);
    query.Open();
    TSums sums;
    while (query.Fetch()) {
        const std::int64_t amount = query.AsMoney(2).Raw();
        if (amount != 0)
            sums[{Trim(query.AsString(0)), Trim(query.AsString(1))}] += amount;
    }
    std::erase_if(sums, [](const auto& entry) { return entry.second == 0; });
    return sums;
}

std::string TemplateFileOf(int chartKind)
{
    return Format("QrvAcc%d.610", chartKind);
}

namespace {

std::string UserCodeOfSample(const TExtractDescription& d, const std::string& code)
{
    for (const TExtractAccount& account : d.Accounts)
        if (account.Code == code)
            return account.UserCode;
    return {};
}

}  // namespace

void ChooseMostRecentYear(TQZaimuIO& io, const TExtractDescription& d)
{
    const auto codeOf = [&](std::size_t index) { return index < d.Years.size() ? d.Years[index].Code : -1; };
    const TExtractYear& current = d.Years.front();
    io.SentakuNendoCode = current.Code;
    io.ZenkiNendoCode = codeOf(1);
    io.ZenzenkiNendoCode = codeOf(2);
    io.Kisyu = current.Start;
    io.Kimatu = current.End;
    io.Simebi = 99;
    io.KaisiTukiNo = 1;
    io.KaisiTuki = current.Start;
    io.HoujinKojin = d.Corporation ? 1 : 2;
    io.JigyouKubun = d.BusinessKind;
    io.ZandakaSyubetu = 1;
    TZMKANNEN selected;
    io.SelectNendo(current.Code, selected);
    const std::vector<std::string> slots =
        d.Corporation ? std::vector<std::string>{"10100", "18000", "33700", "85300", "99900"}
                      : std::vector<std::string>{"10100", "18000", "28100", "33700", "37300", "80000", "99900"};
    for (std::size_t slot = 0; slot < slots.size(); ++slot)
        io.SetSpecialAccount(static_cast<int>(slot), UserCodeOfSample(d, slots[slot]));
}

}  // namespace qz::test
