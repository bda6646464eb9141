// The department and branch master lines of the selected year, and which departments each branch keeps.

#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/ZaimuIO_StepFailure.h"
#include "convert/uQZ_ZaimuIO.h"

#include <algorithm>
#include <set>
#include <utility>

namespace qz {
namespace {

constexpr std::string_view kCommonDepartment = "00";
constexpr std::string_view kHeadOfficeTarget = " ";
constexpr std::size_t kDepartmentNameBytes = 28;
constexpr std::size_t kBranchNameBytes = 40;

// The columns of CMHONTEN and CMBUMON the master lines read.
struct TMasterColumns {
    std::size_t Code, Name, OtherName;
};
constexpr TMasterColumns kBranchColumns{column::cmhonten::kCode, column::cmhonten::kName, column::cmhonten::kOtherName};
constexpr TMasterColumns kDepartmentColumns{column::cmbumon::kCode, column::cmbumon::kName, column::cmbumon::kOtherName};

// The name of a branch or department: the last record of the year with the code gives its first name that
// is not blank, cut to the target's width.
template <typename TRecord>
std::string MasterName(const std::vector<TRecord>& records, TMasterColumns columns, int year, std::string_view code,
                       std::size_t bytes)
{
    const TRecord* last = nullptr;
    for (const TRecord& record : records)
        if (record.YearCode() == year && record.Text(columns.Code) == code)
            last = &record;
    std::string name = "名称なし";
    if (last && !TrimWide(last->Text(columns.Name)).empty())
        name = last->Text(columns.Name);
    else if (last && !TrimWide(last->Text(columns.OtherName)).empty())
        name = last->Text(columns.OtherName);
    return CutSjis(name, static_cast<int>(bytes));
}

// The target departments in the order of their first source, each with every source department that
// lands on it. The common department comes first and has no source of its own.
std::vector<std::pair<std::string, std::vector<std::string>>> TargetDepartments(const std::vector<TCCTCODE>& pairs)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> targets = {{std::string(kCommonDepartment), {}}};
    for (const TCCTCODE& pair : pairs) {
        auto target = std::find_if(targets.begin(), targets.end(), [&](const auto& entry) { return entry.first == pair.NewCode; });
        if (target == targets.end())
            target = targets.insert(targets.end(), {pair.NewCode, {}});
        target->second.push_back(pair.OldCode);
    }
    return targets;
}

std::string Joined(const std::vector<std::string>& codes)
{
    std::string text;
    for (const std::string& code : codes)
        text += (text.empty() ? "" : ",") + code;
    return text;
}

std::string TargetOf(const std::vector<TCCTCODE>& pairs, std::string_view source)
{
    for (const TCCTCODE& pair : pairs)
        if (pair.OldCode == source)
            return pair.NewCode;
    return {};
}

// The (branch, department) target pairs the extract lets a branch manage.
std::set<std::pair<std::string, std::string>> ManagedPairs(const TQZaimuIO& io)
{
    std::set<std::pair<std::string, std::string>> managed;
    for (const TZMHONKAN& record : io.Zmhonkan) {
        if (record.YearCode() != io.SentakuNendoCode)
            continue;
        const std::string branch = TargetOf(io.Writer.BranchCodes, record.Text(column::zmhonkan::kBranch));
        const std::string department = TargetOf(io.Writer.DepartmentCodes, record.Text(column::zmhonkan::kDepartment));
        if (!branch.empty() && !department.empty())
            managed.emplace(branch, department);
    }
    return managed;
}

std::vector<std::string> DistinctTargets(const std::vector<TCCTCODE>& pairs)
{
    std::vector<std::string> targets;
    for (const TCCTCODE& pair : pairs)
        if (std::find(targets.begin(), targets.end(), pair.NewCode) == targets.end())
            targets.push_back(pair.NewCode);
    return targets;
}

// Every department is paired with every branch when it is written; a branch keeps the pairs the extract
// gives it, the head office and the common department keep all. A department merged with others stays with
// a branch that manages any of them. A pair that cannot be deleted is reported and the next one tried.
void PruneBranchDepartments(TQZaimuIO& io, fb::TTransaction& transaction)
{
    const auto managed = ManagedPairs(io);
    fb::TStatement remove(transaction);
    remove.Prepare(convert::sql::kDeleteBranchDepartment);
    for (const std::string& branch : DistinctTargets(io.Writer.BranchCodes)) {
        for (const std::string& department : DistinctTargets(io.Writer.DepartmentCodes)) {
            if (branch == kHeadOfficeTarget || department == kCommonDepartment || managed.contains({branch, department}))
                continue;
            try {
                remove.SetString("SCODE", branch).SetString("BCODE", department);
                remove.Execute();
            } catch (const fb::TFbError&) {
                RecordStepFailure("支店別部門：", io.ReadErrors);
            }
        }
    }
    transaction.CommitRetaining();
}

}  // namespace

std::string TQZaimuIO::ReadBumon()
{
    ShowProgress("・部門を読込中です。");
    if (!DepartmentsInUse())
        return {};
    // Beyond the target's hundred departments several sources share one code: it is written once, with the
    // name of its first source, and the merged ones are listed.
    TLineBlockBuilder block;
    for (const auto& [target, sources] : TargetDepartments(Writer.DepartmentCodes)) {
        const std::string name = target == kCommonDepartment
                                     ? std::string("共通部門")
                                     : MasterName(Cmbumon, kDepartmentColumns, SentakuNendoCode, sources.front(),
                                                  kDepartmentNameBytes);
        block.AddLine({{"BCODE", target}, {"BNAME", name}});
        const bool merged = target == kCommonDepartment ? !sources.empty() : sources.size() > 1;
        if (merged)
            ReadErrors.push_back(Format("部門[%s]に複数の部門をまとめました（元の部門コード：%s）", target, Joined(sources)));
    }
    return block.Text();
}

std::string TQZaimuIO::ReadSiten()
{
    ShowProgress("・支店・施設を読込中です。");
    if (!BranchesInUse())
        return {};
    TLineBlockBuilder block;
    const std::string departments = DepartmentsInUse() ? "1" : "0";
    for (const TCCTCODE& branch : Writer.BranchCodes)
        block.AddLine({{"SCODE", branch.NewCode},
                       {"SNAME", MasterName(Cmhonten, kBranchColumns, SentakuNendoCode, branch.OldCode, kBranchNameBytes)},
                       {"BUMEX", departments}});
    if (DepartmentsInUse()) {
        try {
            PruneBranchDepartments(*this, Transaction());
        } catch (...) {
            RecordStepFailure("支店別部門：", ReadErrors);
        }
    }
    return block.Text();
}

}  // namespace qz
