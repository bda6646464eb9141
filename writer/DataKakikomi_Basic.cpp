// The writer object itself (error collection, progress, transaction) and the basic information.

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/TextHelpers.h"
#include "db/DbErrorText.h"
#include "writer/DataKakikomi_Guard.h"
#include "writer/DataKakikomi_Statements.h"
#include "writer/uQZ_DataKakikomi.h"

namespace qz {

using namespace writer::sql;

THxzMakeData::THxzMakeData() = default;

void THxzMakeData::SetTransaction(fb::TTransaction& transaction)
{
    transaction_ = &transaction;
}

std::string THxzMakeData::GetErrorText() const
{
    return JoinCrLf(Errors);
}

fb::TTransaction& THxzMakeData::Transaction()
{
    if (!transaction_)
        throw std::logic_error("the writer was used before its transaction was set");
    // The writer joins the run's transaction; it starts one only when none is open.
    transaction_->StartIfInactive();
    return *transaction_;
}

void THxzMakeData::ShowProgress(std::string_view text)
{
    if (ProgressList && ProgressLine < ProgressList->LineCount())
        ProgressList->SetLine(ProgressLine, text);
}

// A database error gives the code line, the label (with the record when the step names one) and the
// server's message, and the Japanese explanation; any other error the label and its message.
void THxzMakeData::AddError(TLabel label)
{
    const auto withRecord = [&] {
        return label.WithRecord.find("%s") != std::string_view::npos ? Format(label.WithRecord, record_)
                                                                     : std::string(label.WithRecord) + record_;
    };
    try {
        throw;
    } catch (const fb::TFbError& error) {
        Errors.push_back(Format("ErrCode<%d>  SQLCODE<%d>", error.Code(), error.SqlCode()));
        if (record_.empty()) {
            Errors.push_back(std::string(label.Plain) + error.Message());
        } else {
            Errors.push_back(withRecord());
            Errors.push_back(error.Message());
        }
        Errors.emplace_back(DbErrorText(error.Code(), error.SqlCode()));
    } catch (const std::exception& error) {
        Errors.push_back(std::string(label.Plain) + error.what());
    } catch (...) {
        Errors.push_back(std::string(label.Plain) + "不明な例外");
    }
}

// An update that should change one row and changes none would lose its amount without a word.
void THxzMakeData::ExecuteChecked(fb::TStatement& statement, std::string_view what)
{
    statement.Execute();
    if (statement.AffectedRows() == 0)
        throw std::runtime_error(Format("%s の行がありません。%s", what, record_));
}

int THxzMakeData::WriteBasicInfo(const TACCINF& info)
{
    return Guarded({"基本情報:", "基本情報:"}, -1, [&] {
        ShowProgress("・基本情報を書込中です。");
        fb::TStatement update(Transaction());
        update.Prepare(kUpdateBasicInformation);
        for (const auto& [column, value] : {std::pair{"ENTTEXT", &info.ENTTEXT}, {"SCODE1", &info.SCODE1},
                                           {"SCODE2", &info.SCODE2}, {"SKANA", &info.SKANA}, {"SHOUGOU", &info.SHOUGOU},
                                           {"POST", &info.POST}, {"ADD1", &info.ADD1}, {"ADD2", &info.ADD2},
                                           {"TEL", &info.TEL}, {"AO_ADD1", &info.AO_ADD1}, {"AO_ADD2", &info.AO_ADD2},
                                           {"AO_KANA", &info.AO_KANA}, {"AO_SIMEI", &info.AO_SIMEI},
                                           {"AO_GYOUSHU", &info.AO_GYOUSHU}, {"AO_YAGO", &info.AO_YAGO},
                                           {"AO_KANYU", &info.AO_KANYU}, {"AO_TEL", &info.AO_TEL},
                                           {"AO_SHOKUGYO1", &info.AO_SHOKUGYO1}, {"AO_SHOKUGYO2", &info.AO_SHOKUGYO2}})
            update.SetString(column, *value);
        for (const auto& [column, value] : {std::pair{"TANTOU", info.TANTOU}, {"DATATYPE", info.DATATYPE},
                                           {"CODETYPE", info.CODETYPE}, {"NENDO", info.NENDO == 0 ? 1 : info.NENDO},
                                           {"SIME", info.SIME}, {"KAISINO", info.KAISINO}, {"CALCU", info.CALCU},
                                           {"TAXU_HASUU", info.TAXU_HASUU}, {"TAXH_HASUU", info.TAXH_HASUU},
                                           {"TAXDEFUH", info.TAXDEFUH}, {"TAXKANNI", info.TAXKANNI},
                                           {"TAXJIGYOU", info.TAXJIGYOU}, {"GENKAPRINT", info.GENKAPRINT},
                                           {"KANSA_LOCK", 0}, {"SDAI_HASUU1", info.SDAI_HASUU1},
                                           {"SDAI_HASUU2", info.SDAI_HASUU2}, {"SDAI_HASUU3", info.SDAI_HASUU3},
                                           {"Convert", 1}, {"Siten", info.SITEN}, {"Bumon", info.BUMON},
                                           {"GENKA_USE", info.GENKA_USE}})
            update.SetInt(column, value);
        update.SetDate("KISHU", info.KISHU).SetDate("KIMATU", info.KIMATU).SetDate("KAISI", info.KAISI);
        // The audit dates and the voucher setting go as NULL: a converted data set is not audited yet.
        update.Execute();
        Transaction().CommitRetaining();
        return 0;
    });
}

namespace {

TDate DateOf(int year, int month, int day)
{
    return TDate::FromYmd(year, month, day).value_or(TDate());
}

}  // namespace

int THxzMakeData::WriteFiscalPeriod(int dataType, int startPeriod)
{
    TACCINF& info = AccInfo();
    if (dataType != kChartCorporation) {
        // Individuals keep calendar years; input starts with the month of the old period start, moved on by
        // the start-period number.
        const int year = info.KISHU.Year(), month = info.KISHU.Month();
        info.KISHU = DateOf(year, 1, 1);
        info.KIMATU = DateOf(year, 12, 31);
        info.SIME = 99;
        info.KAISINO = startPeriod > 1 ? startPeriod + month - 1 : month;
        info.KAISI = DateOf(year, info.KAISINO, 1);
    }
    return Guarded({"会計期間:", "会計期間:"}, -1, [&] {
        fb::TStatement update(Transaction());
        update.Prepare(kUpdateFiscalPeriod);
        update.SetInt("NENDO", info.NENDO).SetDate("KISHU", info.KISHU).SetDate("KIMATU", info.KIMATU);
        update.SetDate("KAISI", info.KAISI).SetInt("SIME", info.SIME).SetInt("KAISINO", info.KAISINO);
        update.Execute();
        return 0;
    });
}

int THxzMakeData::WriteTaxDefault(int taxDefault)
{
    return Guarded({"基本情報:", "基本情報:"}, -1, [&] {
        fb::TStatement update(Transaction());
        update.Prepare(kUpdateTaxDefault);
        update.SetInt("TAXDEFUH", taxDefault);
        update.Execute();
        Transaction().CommitRetaining();
        return 0;
    });
}

}  // namespace qz
