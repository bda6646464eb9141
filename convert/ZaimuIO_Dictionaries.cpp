// The selected year's summary dictionaries as the line blocks the writer stores in TEKDIC. Account codes
// go through the account index: an account merged into another has no target code of its own.

#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"

namespace qz {
namespace {

namespace rensou = column::zmrensou;
namespace siwaji = column::zmsiwaji;
namespace ryaku = column::zmryaku;

constexpr std::string_view kNoSubAccount = "00000";

// The target system code of a dictionary's source account; empty when the entry names none.
std::string TargetAccount(THxzMakeData& writer, std::string_view source)
{
    return source.empty() ? std::string() : writer.ConvertAccountCode(source);
}

// The entries a block takes: the selected year's, with a text that is not blank.
template <typename TRecord>
bool IsEntry(const TRecord& record, int year, std::size_t textColumn)
{
    return record.YearCode() == year && !Trim(record.Text(textColumn)).empty();
}

}  // namespace

std::string TQZaimuIO::BuildRensouBlock()
{
    TLineBlockBuilder block;
    for (const TZMRENSOU& record : Zmrensou) {
        const std::string& side = record.Text(rensou::kSide);
        if (!IsEntry(record, SentakuNendoCode, rensou::kText) || (side != "1" && side != "2"))
            continue;
        const std::string account = TargetAccount(Writer, record.Text(rensou::kAccount));
        const bool debit = side == "1";
        block.AddLine({{"CREC", side},
                       {"TEKCODE", "0"},
                       {"TEXT", record.Text(rensou::kText)},
                       {"KAR_KCODE", debit ? account : ""},
                       {"KAR_HCODE", debit ? " " : ""},
                       {"KAR_BCODE", ""},
                       {"KAS_KCODE", debit ? "" : account},
                       {"KAS_HCODE", debit ? "" : " "},
                       {"KAS_BCODE", ""}});
    }
    return block.Text();
}

std::string TQZaimuIO::BuildSiwajiBlock()
{
    fb::TStatement subAccount(Transaction());
    subAccount.Prepare(convert::sql::kSelectSubAccountOfAccount);
    // The target account and the target sub-account of one side; " " for a sub-account the target lacks.
    const auto side = [&](std::string_view sourceAccount, std::string_view sourceSubAccount) {
        const std::string account = TargetAccount(Writer, sourceAccount);
        const std::string source = Trim(sourceSubAccount);
        const std::string target =
            account.empty() || source.empty() || source == kNoSubAccount ? std::string() : Writer.FindSubAccountTarget(sourceAccount, source);
        if (target.empty())
            return std::pair{account, std::string(" ")};
        subAccount.SetString("KCODE", account).SetString("HCODE", target);
        subAccount.Open();
        const bool found = subAccount.Fetch();
        subAccount.Close();
        return std::pair{account, found ? target : std::string(" ")};
    };
    TLineBlockBuilder block;
    for (const TZMSIWAJI& record : Zmsiwaji) {
        if (!IsEntry(record, SentakuNendoCode, siwaji::kText) || record.Int(siwaji::kKind) != 1)
            continue;
        const auto [debitAccount, debitSub] = side(record.Text(siwaji::kDebitAccount), record.Text(siwaji::kDebitSubAccount));
        const auto [creditAccount, creditSub] = side(record.Text(siwaji::kCreditAccount), record.Text(siwaji::kCreditSubAccount));
        block.AddLine({{"TEKCODE", "0"},
                       {"TEXT", record.Text(siwaji::kText)},
                       {"KAR_KCODE", debitAccount},
                       {"KAR_HCODE", debitSub},
                       {"KAR_BCODE", ""},
                       {"KAS_KCODE", creditAccount},
                       {"KAS_HCODE", creditSub},
                       {"KAS_BCODE", ""}});
    }
    return block.Text();
}

std::string TQZaimuIO::BuildRyakuBlock() const
{
    TLineBlockBuilder block;
    for (const TZMRYAKU& record : Zmryaku)
        if (IsEntry(record, SentakuNendoCode, ryaku::kText))
            block.AddLine({{"TEKCODE", "0"}, {"KANA", record.Text(ryaku::kKana)}, {"TEXT", record.Text(ryaku::kText)}});
    return block.Text();
}

}  // namespace qz
