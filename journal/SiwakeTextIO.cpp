#include "journal/z5SiwakeIO.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/LineReader.h"
#include "common/SjisText.h"
#include "db/AccInfo.h"
#include "db/ErrorReport.h"
#include "journal/SiwakeLine.h"
#include "journal/SiwakeStatements.h"
#include "journal/TaxCategories.h"
#include "platform/SystemDef.h"

#include <fstream>
#include <set>
#include <stdexcept>

namespace qz {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLockMark = ".Lock";
constexpr std::string_view kFewerFields = "セパレーター(タブ)で区切られた項目(ﾌｨｰﾙﾄﾞ)が足りません。";
constexpr std::string_view kMoreFields = "セパレーター(タブ)で区切られた項目(ﾌｨｰﾙﾄﾞ)が多いです。";
constexpr std::string_view kUnknownBranch = "本・支店コードが登録されていない または オペレータ権限外の本・支店の仕訳です。";
constexpr std::string_view kOtherBranch = "処理中の本・支店以外の仕訳です。";
constexpr std::string_view kProgressText = "\"%d\"件をｲﾝﾎﾟｰﾄ中です…";
constexpr int kCommitEvery = 1000;
constexpr int kProgressEvery = 50;
// Rejection codes beside the validation's: the tax could not be computed; the line met a failure.
constexpr int kTaxNotComputableCode = 32;
constexpr int kFailureCode = 0;

bool IsSkippedLine(std::string_view line)
{
    return line.starts_with("//") || Trim(line).empty();
}

// What the import must know of the whole file before it starts: whether it carries a lock mark, and
// whether its header is the data set's.
struct TFileSurvey {
    bool HasLock = false;
    bool HeaderMatches = false;
    std::int64_t EntryLines = 0;   // every line after the header that is no lock mark: the import's size
};

TFileSurvey SurveyFile(const fs::path& file, std::string_view separator, const std::string& company)
{
    TFileSurvey survey;
    bool headerSeen = false;
    TLineReader reader(file);
    std::string line;
    while (reader.Next(line)) {
        if (IsSkippedLine(line))
            continue;
        const std::vector<std::string> fields = SplitSiwakeFields(line, separator);
        const std::string first = fields.empty() ? std::string() : fields.front();
        const bool lock = first == kLockMark;
        survey.HasLock = survey.HasLock || lock;
        if (!headerSeen) {
            headerSeen = true;
            survey.HeaderMatches = DecodeCp932(first) == company;
        } else if (!lock) {
            ++survey.EntryLines;
        }
    }
    return survey;
}

// Adds the lock mark as a line of its own, after a line end the file may lack.
void AppendLockLine(const fs::path& file)
{
    bool endsWithLineBreak = true;
    {
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        if (in && in.tellg() > 0) {
            in.seekg(-1, std::ios::end);
            endsWithLineBreak = in.get() == '\n';
        }
    }
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!endsWithLineBreak)
        out << "\r\n";
    out << kLockMark << "\r\n";
    if (!out.flush())
        throw std::runtime_error(Format("書き込めません。<%s>", file.string()));
}

std::set<std::string> ReadBranches(fb::TTransaction& transaction)
{
    std::set<std::string> branches;
    fb::TStatement query(transaction);
    query.Prepare(journal::sql::kSelectBranches);
    query.Open();
    while (query.Fetch())
        branches.insert(query.AsString("SCODE"));
    return branches;
}

std::string TodayYymmdd()
{
    const TDate today = TDate::Today();
    return Format("%02d%02d%02d", today.Year() % 100, today.Month(), today.Day());
}

// The net amount, tax and rate of each side and the entry's tax; false when the tax cannot be computed.
bool ApplyTax(TSiwakeRec& rec)
{
    const TACCINF& info = AccInfo();
    const std::optional<TEntryTax> tax = ComputeEntryTax(EntryTaxInput(rec, info.TAXU_HASUU, info.TAXH_HASUU));
    if (!tax)
        return false;
    for (const auto& [side, result] : {std::pair{&rec.L, &tax->Debit}, std::pair{&rec.R, &tax->Credit}}) {
        side->NUK = result->Net;
        side->ZEI = result->Tax;
        side->RIT = result->Rate;
    }
    rec.ZEIGAKU = tax->Tax;
    return true;
}

// One run of the import over the lines of a file that passed the header and lock checks.
class TImportRun {
public:
    TImportRun(TSiwakeTextIO& io, fb::TTransaction& transaction, const fs::path& file, std::string_view separator,
               std::int64_t entryLines)
        : io_(io), transaction_(transaction), file_(file), separator_(separator), entryLines_(entryLines),
          company_(AccInfo().SHOUGOU),
          log_(file.parent_path() / ("importlog" + TodayYymmdd() + ".txt")),
          writer_(transaction, TSiwakeWrite::TMode::Import)
    {
        options_.ReadVoucherNo = io.ReadVoucherNo;
        options_.DefaultTaxCalc = AccInfo().TAXDEFUH;
        options_.OperatorCode = SystemDef().UserCode;
    }

    void Run();
    int Processed() const { return processed_; }

private:
    void HandleLine(const std::string& raw);
    void ProcessEntryLine(const std::string& raw, const std::vector<std::string>& fields);
    void TakeCategoriesFromAccounts(TSiwakeRec& rec);
    void ImportEntry(TSiwakeRec& rec, const std::string& raw);
    void Reject(char kind, int code, std::string_view reason, const std::string& raw, bool lineAsComment = false);
    void Fail(std::string reason);
    void AfterLine();
    void WriteLog(const std::string& line);

    TSiwakeTextIO& io_;
    fb::TTransaction& transaction_;
    fs::path file_;
    std::string separator_;
    std::int64_t entryLines_;
    std::string company_;
    fs::path log_;
    TSiwakeWrite writer_;
    TSiwakeLineOptions options_;
    std::set<std::string> branches_;
    std::string current_;  // the line being processed
    int processed_ = 0;
    bool logWritable_ = true;
};

void TImportRun::Run()
{
    try {
        branches_ = ReadBranches(transaction_);
        TLineReader reader(file_);
        while (reader.Next(current_))
            HandleLine(current_);
        current_.clear();
        if (processed_ > 0)
            transaction_.CommitRetaining();
        if (io_.Progress)
            io_.Progress->SetProgress(processed_, entryLines_);   // the bar ends full, not at the last fiftieth
    } catch (const fb::TFbError& error) {
        Fail(Format("[IB例外] Code=%d %s", error.Code(), error.Message()));
        throw;
    } catch (const std::exception& error) {
        Fail("[例外] " + std::string(error.what()));
        throw;
    }
}

void TImportRun::HandleLine(const std::string& raw)
{
    if (IsSkippedLine(raw))
        return;
    const std::vector<std::string> fields = SplitSiwakeFields(raw, separator_);
    // The header (the company name) and the lock mark are no entries.
    if (!fields.empty() && (fields.front() == kLockMark || DecodeCp932(fields.front()) == company_))
        return;
    ProcessEntryLine(raw, fields);
    ++processed_;
    AfterLine();
}

void TImportRun::ProcessEntryLine(const std::string& raw, const std::vector<std::string>& fields)
{
    if (fields.size() != static_cast<std::size_t>(kSiwakeFieldCount)) {
        Reject('W', 1, fields.size() < static_cast<std::size_t>(kSiwakeFieldCount) ? kFewerFields : kMoreFields, raw, true);
        return;
    }
    std::vector<std::string> decoded;
    decoded.reserve(fields.size());
    for (const std::string& field : fields)
        decoded.push_back(DecodeCp932(field));
    TSiwakeRec rec = BuildSiwakeRec(decoded, options_);
    // Each branch's rows are read once, however the entries of several branches interleave; the account
    // categories and the validation look the sides up in them.
    if (!writer_.KamokuRows(rec.SCODE))
        writer_.GetKamokuArray(rec.SCODE);
    TakeCategoriesFromAccounts(rec);
    MarkUntaxedEntry(rec);
    if (!branches_.contains(rec.SCODE))
        Reject('W', 3, kUnknownBranch, raw);
    else if (!io_.AllBranches && rec.SCODE != SiwakeCode(io_.BranchCode))
        Reject('W', 2, kOtherBranch, raw);
    else
        ImportEntry(rec, raw);
}

// A category of 0 is the account's: the sub-account's when one is given and it has one of its own, else
// the account's; 910 when the data set has no such balance row. The names come along.
void TImportRun::TakeCategoriesFromAccounts(TSiwakeRec& rec)
{
    if (rec.L.TAXCODE != 0 && rec.R.TAXCODE != 0)
        return;
    const TKamokuArray& rows = *writer_.KamokuRows(rec.SCODE);
    for (const bool debit : {true, false}) {
        TSiwakeSide& side = debit ? rec.L : rec.R;
        if (side.TAXCODE != 0)
            continue;
        const TKamokuRec* row = rows.Find(side.KCODE, SiwakeCode(side.HCODE), SiwakeCode(side.BCODE));
        if (!row) {
            side.TAXCODE = kOutsideTaxCategory;
            continue;
        }
        const int own = debit ? row->H_TAX_LCODE : row->H_TAX_RCODE;
        const bool subAccount = side.HCODE != " " && own != 0;
        side.TAXCODE = subAccount ? own : (debit ? row->TAX_LCODE : row->TAX_RCODE);
        side.KNAME = row->KNAME;
        side.HNAME = row->HNAME;
        side.BNAME = row->BNAME;
    }
}

void TImportRun::ImportEntry(TSiwakeRec& rec, const std::string& raw)
{
    int code = 0;
    std::string message;
    if (!writer_.TestSiwake(rec, code, message)) {
        Reject('E', code, message, raw);
        return;
    }
    if (!ApplyTax(rec)) {
        Reject('E', kTaxNotComputableCode, kTaxNotComputable, raw);
        return;
    }
    if (rec.L.RIT == TMoney() && rec.R.RIT == TMoney())
        rec.TAXCALCU = 2;
    if (writer_.PutSiwake(rec) > 0)
        ++io_.ImportedCount;
}

// The error file gets the reason as a comment and the line to correct; a line whose fields do not count
// out gets the reason and the line as a comment.
void TImportRun::Reject(char kind, int code, std::string_view reason, const std::string& raw, bool lineAsComment)
{
    const std::string line = DecodeCp932(raw);
    io_.RejectedLines.push_back(lineAsComment ? std::string(reason) : "// " + std::string(reason));
    if (!raw.empty())
        io_.RejectedLines.push_back(lineAsComment ? "// " + line : line);
    ++io_.RejectedCount;
    WriteLog(Format("%s %s %d行目 %c-%d:%s", TDateTime::Now().ToText(), file_.string(), processed_ + 1, kind, code, reason));
}

// After a failure nothing since the last commit stays; the failure is told like a rejected line.
void TImportRun::Fail(std::string reason)
{
    if (processed_ > 0) {
        try {
            transaction_.RollbackRetaining();
        } catch (const std::exception& error) {
            reason += Format(" (ロールバック: %s)", error.what());
        }
    }
    Reject('E', kFailureCode, reason, current_);
}

void TImportRun::AfterLine()
{
    if (processed_ % kCommitEvery == 0)
        transaction_.CommitRetaining();
    if (processed_ == 1 || processed_ % kProgressEvery == 0) {
        const std::string text = Format(kProgressText, processed_);
        if (io_.Progress) {
            io_.Progress->SetInfo(text);
            io_.Progress->SetProgress(processed_, entryLines_);
        }
        if (io_.Status)
            io_.Status->SetCaption(text);
        Ui().ProcessEvents();
    }
}

void TImportRun::WriteLog(const std::string& line)
{
    if (!io_.WriteImportLog || !logWritable_)
        return;
    try {
        WriteCp932Lines(log_.string(), {line}, true, TUnencodable::Escape);
    } catch (const std::exception& error) {
        // Told once; the import goes on without its log.
        logWritable_ = false;
        ShowError(Format("エラーログを書き込めませんでした。<%s> %s", log_.parent_path().string(), error.what()));
    }
}

}  // namespace

void TSiwakeTextIO::SetTransaction(fb::TTransaction& transaction)
{
    transaction_ = &transaction;
}

bool TSiwakeTextIO::Import(const std::filesystem::path& file, std::string_view separator)
{
    if (!transaction_)
        throw std::logic_error("TSiwakeTextIO::Import without a transaction");
    FieldSeparator = separator;
    if (Status)
        Status->SetCaption("");
    const TFileSurvey survey = SurveyFile(file, separator, AccInfo().SHOUGOU);
    RefusalReason.clear();
    if (RespectLock && survey.HasLock)
        RefusalReason = "仕訳ファイルは取り込み済みです(.Lock)。";
    else if (!survey.HeaderMatches)
        RefusalReason = Format("仕訳ファイルの先頭行が会社名[%s]と一致しません。", AccInfo().SHOUGOU);
    if (!RefusalReason.empty())
        return false;

    ImportedCount = 0;
    RejectedCount = 0;
    fb::TTransactionScope scope(*transaction_);
    TImportRun run(*this, *transaction_, file, separator, survey.EntryLines);
    run.Run();
    if (run.Processed() > 0 && !survey.HasLock) {
        try {
            AppendLockLine(file);
        } catch (const std::exception& error) {
            // The entries are committed; only the mark against a second import is missing.
            ShowMessageDetail("仕訳ファイルに取り込み済みの印(.Lock)を書き込めませんでした。", error.what(), TMessageKind::Warning);
        }
    }
    scope.Commit();
    return true;
}

}  // namespace qz
