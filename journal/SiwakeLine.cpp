#include "journal/SiwakeLine.h"

#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "common/ZeiRitu.h"

#include <algorithm>

namespace qz {
namespace {

// The field numbers of the standard layout.
enum TField {
    kHizuke = 0, kKessan, kDnum, kSnum, kScode,
    kLKgroup, kLKcode, kLHcode, kLBcode, kLTaxcode,
    kRKgroup, kRKcode, kRHcode, kRBcode, kRTaxcode,
    kKingaku, kZeigaku, kZeirituno, kAutcalcu, kTaxcalcu, kOldrate,
    kTektext, kTortext, kFusen1, kFusen2, kComment, kAoComment,
};

constexpr int kTekTextBytes = 50;
constexpr int kTorTextBytes = 20;
constexpr int kCommentBytes = 100;  // the width of SIWAKE.COMMENT and AO_COMMENT

bool OpensQuote(std::string_view part)
{
    return part.starts_with('"') && (part.size() == 1 || !part.ends_with('"'));
}

int IntOf(std::string_view text)
{
    return TryTextToInt32(Trim(text)).value_or(0);
}

// A decimal amount cut to whole yen (towards zero); 0 when the text is no amount.
TMoney WholeAmountOf(std::string_view text)
{
    const std::int64_t raw = TextToMoney(text).Raw();
    return TMoney::FromRaw(raw - raw % TMoney::kScale);
}

// Cut or padded to the byte width with a split double-byte character made a blank, then trimmed.
std::string FittedText(std::string_view text, int bytes)
{
    return TrimWide(FixLeft(CleanSiwakeText(text), bytes));
}

// A comment longer than its column is cut as the summaries are, so that one long comment cannot make
// the database refuse the whole import; a comment that fits stays as it is.
std::string CommentOf(std::string_view text)
{
    std::string comment = CleanSiwakeText(text);
    return SjisLength(comment) <= static_cast<std::size_t>(kCommentBytes) ? comment : TrimWide(FixLeft(comment, kCommentBytes));
}

void ReadSide(const std::vector<std::string>& fields, int first, TSiwakeSide& side)
{
    side.KGROUP = fields[first];
    side.KCODE = Trim(fields[first + 1]);
    side.HCODE = SiwakeCode(fields[first + 2]);
    side.BCODE = SiwakeCode(fields[first + 3]);
    side.TAXCODE = IntOf(fields[first + 4]);
}

}  // namespace

std::vector<std::string> SplitSiwakeFields(std::string_view line, std::string_view separator)
{
    std::vector<std::string> fields;
    if (separator.empty())
        return fields;
    const std::vector<std::string_view> parts = SplitAt(line, separator);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string field(parts[i]);
        if (OpensQuote(parts[i])) {
            while (i + 1 < parts.size()) {
                field += ',';
                field += parts[++i];
                if (parts[i].ends_with('"'))
                    break;
            }
        }
        std::erase(field, '"');
        fields.push_back(std::move(field));
    }
    return fields;
}

std::string SiwakeCode(std::string_view text)
{
    const std::string code = Trim(text);
    return code.empty() ? std::string(" ") : code;
}

std::string WithoutLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != '\t' && c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string CleanSiwakeText(std::string_view text)
{
    std::string out = WithoutLineBreaks(text);
    std::replace(out.begin(), out.end(), '\'', '"');
    return out;
}

TSiwakeRec BuildSiwakeRec(const std::vector<std::string>& fields, const TSiwakeLineOptions& options)
{
    TSiwakeRec rec;
    rec.HIZUKE = TextToDate(fields[kHizuke]);
    rec.KESSAN = IntOf(fields[kKessan]) == 1 ? 1 : 0;
    rec.DNUM = options.ReadVoucherNo ? IntOf(fields[kDnum]) : 0;
    rec.SNUM = IntOf(fields[kSnum]);
    rec.SCODE = SiwakeCode(fields[kScode]);
    ReadSide(fields, kLKgroup, rec.L);
    ReadSide(fields, kRKgroup, rec.R);
    rec.KINGAKU = WholeAmountOf(fields[kKingaku]);
    rec.ZEIGAKU = WholeAmountOf(fields[kZeigaku]);
    rec.ZEIRITUNO = 0;
    rec.AUTCALCU = IntOf(fields[kAutcalcu]) == 0 ? 0 : 1;
    rec.TAXCALCU = IntOf(fields[kTaxcalcu]);
    if (rec.TAXCALCU > 2)
        rec.TAXCALCU = options.DefaultTaxCalc;
    rec.OLDRATE = ValidOldRate(IntOf(fields[kOldrate]), rec.HIZUKE);
    rec.TEKTEXT = FittedText(fields[kTektext], kTekTextBytes);
    rec.TORTEXT = FittedText(fields[kTortext], kTorTextBytes);
    rec.FUSEN1 = IntOf(fields[kFusen1]);
    if (rec.FUSEN1 > 3)
        rec.FUSEN1 = 0;
    rec.FUSEN2 = IntOf(fields[kFusen2]);
    rec.COMMENT = CommentOf(fields[kComment]);
    rec.AO_COMMENT = CommentOf(fields[kAoComment]);
    rec.EntryCount = 1;
    rec.StoreTime = TDateTime::Now();
    rec.OPNCODE = options.OperatorCode;
    return rec;
}

void MarkUntaxedEntry(TSiwakeRec& rec)
{
    if (rec.L.TAXCODE > 809 && rec.R.TAXCODE > 809)
        rec.TAXCALCU = 2;
}

TTaxInput EntryTaxInput(const TSiwakeRec& rec, int salesRounding, int purchaseRounding)
{
    return {.Amount = rec.KINGAKU,
            .GivenTax = rec.ZEIGAKU,
            .DebitCategory = rec.L.TAXCODE,
            .CreditCategory = rec.R.TAXCODE,
            .Automatic = rec.AUTCALCU == 1,
            .CalcMode = rec.TAXCALCU,
            .Date = rec.HIZUKE,
            .OldRate = rec.OLDRATE,
            .SalesRounding = salesRounding,
            .PurchaseRounding = purchaseRounding};
}

}  // namespace qz
