// The extract's journal file: sorted through a work table of the data database, read back a year at a
// time, paired into entries (a debit line, then its credit line) and converted into the work file that the
// journal import reads. File and rows are streamed: memory does not grow with the number of lines.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "convert/ZaimuIO_JournalTax.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/Settings.h"
#include "journal/SiwakeLine.h"

#include <algorithm>
#include <fstream>
#include <optional>

namespace qz {
namespace {

namespace fs = std::filesystem;
using namespace convert::sql;
using namespace journal_lines;

constexpr std::string_view kNoTax = "9901";
constexpr std::string_view kTransferTax = "9999";
constexpr std::string_view kTransferSummary = "消費税振替";
constexpr int kSummaryBytes = 25;
constexpr int kSecondSummaryBytes = 20;
constexpr std::size_t kCodeWorkLines = 100;           // the header and 99 pairs
constexpr std::string_view kCodeWorkHeader = "  日付       借方(借消) 貸方(貸消) 金額          摘要";

// Why a line or a pair of the journal file was left out. Left-out pairs are also listed on the progress
// list: they are entries the operator has to look at, where a left-out line is a fault of the file.
enum TSkip { kWrongColumnCount, kUnpairedLine, kClosingOfOtherMonth, kNoAmount, kSkipKinds };
struct TSkipReason {
    std::string_view Text;
    bool ListedInProgress;
};
constexpr TSkipReason kSkipReasons[kSkipKinds] = {{kWrongColumnCountText, false},
                                                  {"借方・貸方の対にならない仕訳行", false},
                                                  {"決算月以外の決算整理仕訳", true},
                                                  {"金額が0または数値でない仕訳", true}};

// A summary as the work file quotes it: no line breaks, no double quotes (the import turns "'" back into
// one), cut on whole characters.
std::string QuotedSummary(std::string_view text, int bytes)
{
    std::string cleaned = WithoutLineBreaks(text);
    std::replace(cleaned.begin(), cleaned.end(), '"', '\'');
    return "\"" + CutSjis(cleaned, bytes) + "\"";
}

// The lines and pairs left out while converting one year, listed as they come and counted at the end.
class TSkipReport {
public:
    TSkipReport(TQZaimuIO& context, std::string_view label) : context_(context), label_(label) {}

    void Add(TSkip kind, std::string_view detail)
    {
        ++counts_[kind];
        const std::string line = Format("  %s仕訳 %s：%s", label_, kSkipReasons[kind].Text, detail);
        context_.ReadErrors.push_back(line);
        if (kSkipReasons[kind].ListedInProgress && context_.LogMemo)
            context_.LogMemo->AppendLine(line);
    }

    void Finish()
    {
        for (int kind = 0; kind < kSkipKinds; ++kind) {
            if (counts_[kind] == 0)
                continue;
            const std::string line =
                Format("%s仕訳：%s %d件を取り込みませんでした。", label_, kSkipReasons[kind].Text, counts_[kind]);
            context_.ReadErrors.push_back(line);
            if (context_.LogMemo)
                context_.LogMemo->AppendLine(line);
        }
    }

private:
    TQZaimuIO& context_;
    std::string label_;
    int counts_[kSkipKinds] = {};
};

// A side of the work file: fields 7-10 (debit) or 12-15 (credit).
struct TTargetSide {
    std::string UserCode, SubAccount, Department, Category;
};

// One year's conversion, fed the sorted rows one at a time.
class TJournalConversion {
public:
    TJournalConversion(TQZaimuIO& context, int year, int mode, std::string_view label, const fs::path& file)
        : context_(context), writer_(context.Writer), year_(year), pastYear_(mode != 0),
          endMonth_(AccInfo().KIMATU.Month()), file_(file), out_(file, std::ios::binary | std::ios::trunc),
          skips_(context, label), today_(TDate::Today().ToText())
    {
        if (!out_)
            throw std::runtime_error(Format("仕訳ファイルを作成できません。<%s>", file.string()));
        // The import takes the file only when its first line is the data set's trade name.
        WriteLine(AccInfo().SHOUGOU);
    }

    // False once the rows of later years begin (the rows come sorted by year).
    bool Take(const std::string& row);
    void Finish();
    const std::vector<std::string>& VoucherLines() const { return voucherLines_; }
    bool TransferSeen() const { return !voucherLines_.empty(); }

private:
    struct TRow {
        std::string Text;
        TZMSIWAKE Side;
    };
    void ConvertPair(const TZMSIWAKE& debit, const TZMSIWAKE& credit);
    void ListUnsupported(const TZMSIWAKE& debit, const TZMSIWAKE& credit, std::string_view debitTax,
                         std::string_view creditTax);
    bool IsClosingOfOtherMonth(const TZMSIWAKE& debit) const;
    std::string PairDescription(const TZMSIWAKE& debit, const TZMSIWAKE& credit) const;
    TTargetSide TargetSide(const TZMSIWAKE& side, std::string category);
    // The debit line gives the entry's fields; first and second are the sides as written.
    void WritePair(const TZMSIWAKE& debit, TTargetSide first, TTargetSide second, const TJournalPairTax& tax,
                   std::string amount);
    void WriteLine(std::string_view line);

    TQZaimuIO& context_;
    THxzMakeData& writer_;
    int year_;
    bool pastYear_;
    int endMonth_;
    fs::path file_;
    std::ofstream out_;
    TSkipReport skips_;
    std::string today_;
    std::optional<TRow> pending_;   // a debit line waiting for its credit line
    int pairNumber_ = 0;
    bool unsupported_ = false;
    std::vector<std::string> voucherLines_;
};

bool TJournalConversion::Take(const std::string& row)
{
    const std::int64_t year = YearOf(row);
    if (year != year_)
        return year < year_;
    TRow current{row, {}};
    const int result = ReadSide(year_, row, current.Side);
    if (result == kOtherYear)
        return true;
    if (result != 0) {
        skips_.Add(kWrongColumnCount, row);
        return true;
    }
    if (pending_ && FormsPair(pending_->Side, current.Side)) {
        context_.DebitLine = std::move(pending_->Side);
        context_.CreditLine = std::move(current.Side);
        pending_.reset();
        ConvertPair(context_.DebitLine, context_.CreditLine);
        return true;
    }
    // Only the first row is left out: the second may begin the next pair, so one lone line cannot shift
    // every later entry.
    if (pending_)
        skips_.Add(kUnpairedLine, pending_->Text);
    pending_ = std::move(current);
    return true;
}

void TJournalConversion::Finish()
{
    if (pending_)
        skips_.Add(kUnpairedLine, pending_->Text);
    pending_.reset();
    skips_.Finish();
    out_.flush();
    if (!out_)
        throw std::runtime_error(Format("仕訳ファイルに書き込めません。<%s>", file_.string()));
}

std::string TaxCodeOf(const TZMSIWAKE& side)
{
    const std::string& tax = side.Column(kTax);
    return tax == kNoTax ? std::string() : tax;
}

void TJournalConversion::ConvertPair(const TZMSIWAKE& debit, const TZMSIWAKE& credit)
{
    ++pairNumber_;
    std::string debitTax = TaxCodeOf(debit), creditTax = TaxCodeOf(credit);
    // A year with a rate the target cannot hold is not posted; its later pairs are only listed, so that
    // the operator sees every one of them (up to the listing's length).
    const bool listedBefore = unsupported_;
    if (HasUnsupportedRate(debitTax) || HasUnsupportedRate(creditTax)) {
        ListUnsupported(debit, credit, debitTax, creditTax);
        unsupported_ = true;
    }
    if (listedBefore)
        return;
    if (IsClosingOfOtherMonth(debit)) {
        skips_.Add(kClosingOfOtherMonth, PairDescription(debit, credit));
        return;
    }
    // The journal import refuses an amount of 0, and with it the whole year.
    const std::optional<TMoney> amount = TMoney::Parse(debit.Column(kAmount));
    if (!amount || *amount == TMoney()) {
        skips_.Add(kNoAmount, PairDescription(debit, credit));
        return;
    }
    debitTax = AdjustedTaxCode(context_, debitTax, debit.Column(kAccount));
    creditTax = AdjustedTaxCode(context_, creditTax, credit.Column(kAccount));
    if ((debitTax == kTransferTax || creditTax == kTransferTax) && debit.Column(kSummary) == kTransferSummary)
        voucherLines_.push_back(Format("DNUM=%d", pairNumber_));
    const TJournalPairTax tax = PairTaxCategories(
        context_, {debitTax, debit.Column(kAccount), writer_.ConvertAccountCode(debit.Column(kAccount))},
        {creditTax, credit.Column(kAccount), writer_.ConvertAccountCode(credit.Column(kAccount))},
        PairRateKind(context_, debitTax, creditTax, debit.Column(kDate)));
    TTargetSide debitSide = TargetSide(debit, tax.DebitCategory);
    TTargetSide creditSide = TargetSide(credit, tax.CreditCategory);
    // A negative amount is the same entry the other way round.
    std::string amountText = Trim(debit.Column(kAmount));
    if (*amount < TMoney()) {
        std::swap(debitSide, creditSide);
        std::replace(amountText.begin(), amountText.end(), '-', '0');
    }
    WritePair(debit, std::move(debitSide), std::move(creditSide), tax, std::move(amountText));
}

void TJournalConversion::ListUnsupported(const TZMSIWAKE& debit, const TZMSIWAKE& credit, std::string_view debitTax,
                                         std::string_view creditTax)
{
    std::vector<std::string>& listing = context_.CodeWork;
    if (listing.empty())
        listing.emplace_back(kCodeWorkHeader);
    if (listing.size() < kCodeWorkLines)
        listing.push_back(Format("  %s %4s(%4s) %4s(%4s) %s \"%s\"", debit.Column(kDate),
                                 writer_.ConvertToUserCode(debit.Column(kAccount)), debitTax,
                                 writer_.ConvertToUserCode(credit.Column(kAccount)), creditTax, debit.Column(kAmount),
                                 debit.Column(kSummary)));
    // Set after the user codes, whose lookup may set its own error kind.
    writer_.AccountLookupError = kLookupUnsupportedRate;
    writer_.SubAccountLookupError = 0;
}

bool TJournalConversion::IsClosingOfOtherMonth(const TZMSIWAKE& debit) const
{
    const std::string& voucher = debit.Column(kVoucherCode);
    if (!voucher.starts_with('2'))
        return false;
    const int month = static_cast<int>(TryTextToInt(std::string_view(voucher).substr(1, 2)).value_or(0));
    return month < 1 || month > 12 || month != endMonth_;
}

std::string TJournalConversion::PairDescription(const TZMSIWAKE& debit, const TZMSIWAKE& credit) const
{
    const auto shown = [&](const std::string& code) {
        const std::string user = context_.UserCodeOf(code);
        return user.empty() ? code : user;
    };
    return Format("%s 伝票[%s/%s] 借方[%s] 貸方[%s] 金額[%s] \"%s\"", debit.Column(kDate), debit.Column(kVoucherNo),
                  debit.Column(kVoucherCode), shown(debit.Column(kAccount)), shown(credit.Column(kAccount)),
                  debit.Column(kAmount), debit.Column(kSummary));
}

TTargetSide TJournalConversion::TargetSide(const TZMSIWAKE& side, std::string category)
{
    const std::string& account = side.Column(kAccount);
    return {writer_.ConvertToUserCode(account),
            writer_.ConvertSubAccountCode(account, side.Column(kSubAccount), pastYear_, side.Column(kSubAccountUser)),
            writer_.ConvertDepartmentCode(side.Column(kDepartment)), std::move(category)};
}

// A voucher number the import can take: at most 6 characters, an integer of at least 1.
std::string VoucherNumberOf(const std::string& text)
{
    const auto number = TryTextToInt(text);
    return text.size() <= 6 && number && *number >= 1 ? text : std::string();
}

void TJournalConversion::WritePair(const TZMSIWAKE& debit, TTargetSide first, TTargetSide second,
                                   const TJournalPairTax& tax, std::string amount)
{
    const std::string fields[] = {
        debit.Column(kDate),
        debit.Column(kVoucherCode).starts_with('2') ? "1" : "0",
        std::to_string(pairNumber_),
        VoucherNumberOf(debit.Column(kVoucherNo)),
        writer_.ConvertBranchCode(debit.Column(kBranch)),
        "",
        std::move(first.UserCode), std::move(first.SubAccount), std::move(first.Department), std::move(first.Category),
        "",
        std::move(second.UserCode), std::move(second.SubAccount), std::move(second.Department), std::move(second.Category),
        std::move(amount),
        "0", "0", "1",
        tax.ProcessingKind,
        tax.RateKind,
        QuotedSummary(debit.Column(kSummary), kSummaryBytes),
        QuotedSummary(debit.Column(kSecondSummary), kSecondSummaryBytes),
        "0", "0", "\"\"",
        "", "", "",
        today_};
    std::string line = fields[0];
    for (std::size_t i = 1; i < std::size(fields); ++i)
        line += writer_.Separator + fields[i];
    WriteLine(line);
}

void TJournalConversion::WriteLine(std::string_view line)
{
    out_ << EncodeCp932(line) << "\r\n";
}

}  // namespace

std::string TQZaimuIO::ConvertJournals(int year, int mode, std::string_view label, const fs::path& file)
{
    ShowProgress(Format("・%s仕訳を読込中です。", label));
    // Each year's listing of unsupported rates is its own.
    CodeWork.clear();
    TJournalConversion conversion(*this, year, mode, label, file);
    {
        fb::TStatement rows(Transaction());
        rows.Prepare(kSelectSortedJournals);
        rows.Open();
        while (rows.Fetch() && conversion.Take(rows.AsString(0))) {
        }
    }
    conversion.Finish();
    if (year == SentakuNendoCode && conversion.TransferSeen())
        WriteAccReg(Transaction(), "基本設定", "一括税抜処理", kRegInt, TRegValue::OfInt(1));
    return JoinCrLf(conversion.VoucherLines());
}

}  // namespace qz
