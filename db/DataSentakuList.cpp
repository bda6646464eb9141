#include "db/DataSentakuList.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "common/Ui.h"
#include "db/DbStatements.h"
#include "db/ErrorReport.h"
#include "platform/IniFile.h"
#include "platform/SystemDef.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace fs = std::filesystem;

namespace qz {
namespace {

// Path components, split at "/" and "\" alike, empty ones left out.
std::vector<std::string> Components(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    std::vector<std::string> parts;
    for (const std::string_view part : SplitAt(path, "/"))
        if (!part.empty())
            parts.emplace_back(part);
    return parts;
}

std::string WithoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

void BindDate(fb::TStatement& statement, const char* name, TDate date)
{
    if (date.IsZero())
        statement.SetNull(name);
    else
        statement.SetDate(name, date);
}

// Binds every column of a row but the key.
void BindRow(fb::TStatement& statement, const TDataSentakuRec& r)
{
    statement.SetString("PASNAME", r.PASNAME).SetString("ENTTEXT", r.ENTTEXT).SetString("SHOUGOU", r.SHOUGOU);
    statement.SetInt("NETDRIVE", r.NETDRIVE).SetInt("DATATYPE", r.DATATYPE).SetInt("CODETYPE", r.CODETYPE);
    statement.SetInt("NENDO", r.NENDO);
    BindDate(statement, "KISHU", r.KISHU);
    BindDate(statement, "KIMATU", r.KIMATU);
    statement.SetInt("DATALOCK", r.DATALOCK).SetInt("KYOYULOCK", r.KYOYULOCK).SetInt("TANTOU", r.TANTOU);
    statement.SetInt("VER_MAJOR", r.VER_MAJOR).SetInt("VER_MINOR1", r.VER_MINOR1).SetInt("VER_MINOR2", r.VER_MINOR2);
    statement.SetString("VER_TEXT", r.VER_TEXT).SetInt("UPDATE_LOCK", r.UPDATE_LOCK).SetInt("GASSAN", r.GASSAN);
    statement.SetString("DATACODE", r.DATACODE).SetInt("DATA_STATUS", r.DATA_STATUS);
    statement.SetString("YOBI1", r.YOBI1).SetString("YOBI2", r.YOBI2).SetString("YOBI3", r.YOBI3);
}

std::string PeriodText(TDate from, TDate to)
{
    return FormatDateText(4, TDateTime{from, 0}) + " ～ " + FormatDateText(4, TDateTime{to, 0});
}

}  // namespace

int RecOfFolderName(std::string_view name)
{
    const auto rec = TryTextToInt(Trim(name));
    return rec && *rec > 0 && *rec <= INT32_MAX ? static_cast<int>(*rec) : 0;
}

TFolderNumber FolderNumberOf(const std::string& path)
{
    const std::vector<std::string> parts = Components(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string upper = UpperAscii(parts[i]);
        if (upper != "DATA" && upper != "CB_DATA")
            continue;
        TFolderNumber number;
        if (i + 1 < parts.size())
            number.Rec = RecOfFolderName(parts[i + 1]);
        if (i + 2 < parts.size())
            number.SubFolder = parts[i + 2];
        return number;
    }
    return {};
}

TDataSentakuListCtl::TDataSentakuListCtl(fb::TTransaction& systemTransaction) : transaction_(systemTransaction) {}

void TDataSentakuListCtl::SetLocation(TFileLocation location)
{
    location_ = location;
    SetDataPlace(dataPlace_);
}

void TDataSentakuListCtl::SetDataPlace(int dataPlace)
{
    dataPlace_ = location_ == TFileLocation::Local ? 0 : dataPlace;
    table_ = dataPlace_ > 0 ? "DATALIST_EX" : "DATALIST";
}

void TDataSentakuListCtl::ClearRecord(TDataSentakuRec& record, const std::string& path) const
{
    record = TDataSentakuRec{};
    record.PASNAME = path;
    record.LocalPath = LocalPathOf(record);
}

std::string TDataSentakuListCtl::LocalPathOf(const TDataSentakuRec& record) const
{
    if (record.NETDRIVE != 1 || record.PASNAME.empty())
        return WithoutTrailingSeparator(record.PASNAME);
    const fs::path system = SystemDef().SysDbDir;
    if (record.GASSAN >= 0 && record.GASSAN <= 2)
        return (system / Format("%04d", record.REC)).string();
    const std::vector<std::string> parts = Components(record.PASNAME);
    return (system / Format("%04d", record.REC) / (parts.empty() ? std::string() : parts.back())).string();
}

void TDataSentakuListCtl::ReadRow(const fb::TStatement& row, TDataSentakuRec& r) const
{
    const auto i = [&](const char* column) { return static_cast<int>(row.AsInt(column)); };
    r.REC = i("REC");
    r.ROWNO = i("ROWNO");
    r.ENTTEXT = row.AsString("ENTTEXT");
    r.EntTextCopy = r.ENTTEXT;
    r.SHOUGOU = row.AsString("SHOUGOU");
    r.PASNAME = row.AsString("PASNAME");
    r.NETDRIVE = i("NETDRIVE");
    r.DATATYPE = i("DATATYPE");
    r.CODETYPE = i("CODETYPE");
    r.NENDO = i("NENDO");
    r.KISHU = row.AsDate("KISHU");
    r.KIMATU = row.AsDate("KIMATU");
    r.PeriodText = PeriodText(r.KISHU, r.KIMATU);
    r.DATALOCK = i("DATALOCK");
    r.KYOYULOCK = i("KYOYULOCK");
    r.TANTOU = i("TANTOU");
    r.VER_MAJOR = i("VER_MAJOR");
    r.VER_MINOR1 = i("VER_MINOR1");
    r.VER_MINOR2 = i("VER_MINOR2");
    r.VER_TEXT = row.AsString("VER_TEXT");
    r.UPDATE_LOCK = i("UPDATE_LOCK");
    r.GASSAN = i("GASSAN");
    r.DATACODE = row.AsString("DATACODE");
    r.DATA_STATUS = i("DATA_STATUS");
    r.YOBI1 = row.AsString("YOBI1");
    r.YOBI2 = row.AsString("YOBI2");
    r.YOBI3 = row.AsString("YOBI3");
    r.LocalPath = LocalPathOf(r);
}

bool TDataSentakuListCtl::GetDataListRecord(TDataListKey key, TDataSentakuRec& record, bool report)
{
    const bool child = key == TDataListKey::Rec && record.GASSAN == 10;
    const bool place = dataPlace_ > 0 && !child;
    std::string path;
    if (key == TDataListKey::Path) {
        TDataSentakuRec resolved = record;
        if (!GetLocalPathToData(record.PASNAME, resolved))
            return false;
        path = UpperAscii(resolved.PASNAME);
    }
    return RunReported(transaction_, "TDataSentakuListCtl.GetDataListRecord", report ? "データリストの取得に失敗しました。" : "",
                       false, [&] {
                           fb::TStatement select(transaction_);
                           if (key == TDataListKey::Path) {
                               select.Prepare(place ? sql::kSelectDataListExByPath : sql::kSelectDataListByPath);
                               select.SetString("PASNAME", path);
                           } else {
                               select.Prepare(child ? sql::kSelectChildDataListByRec
                                                    : place ? sql::kSelectDataListExByRec : sql::kSelectDataListByRec);
                               select.SetInt("REC", record.REC);
                               if (child)
                                   select.SetInt("ROWNO", record.ROWNO);
                           }
                           select.SetInt("GROUPID", record.GROUPID);
                           if (place)
                               select.SetInt("DATAPLACEREC", dataPlace_);
                           select.Open();
                           const bool found = select.Fetch();
                           if (found)
                               ReadRow(select, record);
                           return found;
                       });
}

bool TDataSentakuListCtl::UpdateDataListRecord(const TDataSentakuRec& record, bool report)
{
    if (record.REC == 0 || TrimWide(record.PASNAME).empty())
        return false;
    if (record.GASSAN == 10)
        return UpdateDataListChildRecord(record, report);
    return RunReported(transaction_, "TDataSentakuListCtl.UpdateDataListRecord", report ? "データリストの更新に失敗しました。" : "",
                       false, [&] {
                           fb::TStatement update(transaction_);
                           update.Prepare(dataPlace_ > 0 ? sql::kUpdateDataListEx : sql::kUpdateDataList);
                           BindRow(update, record);
                           update.SetInt("REC", record.REC);
                           if (dataPlace_ > 0)
                               update.SetInt("DATAPLACEREC", dataPlace_);
                           update.Execute();
                           return true;
                       });
}

bool TDataSentakuListCtl::UpdateDataListChildRecord(const TDataSentakuRec& record, bool report)
{
    return RunReported(transaction_, "TDataSentakuListCtl.UpdateDataListChildRecord",
                       report ? "(子)データリストの更新に失敗しました。" : "", false, [&] {
                           fb::TStatement count(transaction_);
                           count.Prepare(sql::kCountChildDataListRow);
                           count.SetInt("REC", record.REC).SetInt("ROWNO", record.ROWNO).SetInt("GROUPID", record.GROUPID);
                           count.Open();
                           const bool exists = count.Fetch() && count.AsInt("RECCNT") > 0;
                           count.Close();
                           fb::TStatement write(transaction_);
                           write.Prepare(exists ? sql::kUpdateChildDataList : sql::kInsertChildDataList);
                           BindRow(write, record);
                           write.SetInt("REC", record.REC).SetInt("ROWNO", record.ROWNO).SetInt("GROUPID", record.GROUPID);
                           write.Execute();
                           return true;
                       });
}

std::vector<TDataSentakuRec> TDataSentakuListCtl::GetDataListChildRecord(const TDataSentakuRec& record)
{
    return RunReported(transaction_, "TDataSentakuListCtl.GetDataListChildRecord", "(子)データリストの取得に失敗しました。",
                       std::vector<TDataSentakuRec>{}, [&] {
                           std::vector<TDataSentakuRec> children;
                           fb::TStatement count(transaction_);
                           count.Prepare(sql::kCountChildDataListOfRec);
                           count.SetInt("REC", record.REC).SetInt("GROUPID", record.GROUPID);
                           count.Open();
                           if (count.Fetch())
                               children.reserve(static_cast<std::size_t>(std::max<std::int64_t>(count.AsInt("RECCNT"), 0)));
                           count.Close();
                           fb::TStatement select(transaction_);
                           select.Prepare(sql::kSelectChildDataListOfRec);
                           select.SetInt("REC", record.REC).SetInt("GROUPID", record.GROUPID);
                           select.Open();
                           while (select.Fetch()) {
                               TDataSentakuRec child;
                               ReadRow(select, child);
                               children.push_back(child);
                           }
                           return children;
                       });
}

int TDataSentakuListCtl::RecOfPath(const std::string& path)
{
    return RunReported(transaction_, "TDataSentakuListCtl.RecOfPath", "", 0, [&] {
        fb::TStatement select(transaction_);
        select.Prepare(dataPlace_ > 0 ? sql::kSelectRecOfPathEx : sql::kSelectRecOfPath);
        select.SetString("PASNAME", path);
        if (dataPlace_ > 0)
            select.SetInt("DATAPLACEREC", dataPlace_);
        select.Open();
        return select.Fetch() ? static_cast<int>(select.AsInt(0)) : 0;
    });
}

TSharePath TDataSentakuListCtl::ConvLocalPathToSharePath(const std::string& path)
{
    TSharePath share{path, 0, 0};
    if (location_ != TFileLocation::Local)
        return share;
    return RunReported(transaction_, "TDataSentakuListCtl.ConvLocalPathToSharePath", "", share, [&] {
        fb::TStatement count(transaction_);
        count.Prepare(sql::kCountRowsOfPath);
        const std::string upper = UpperAscii(path);
        count.SetInt("GROUPID1", SystemDef().GroupId).SetString("PASNAME1", upper);
        count.SetInt("GROUPID2", SystemDef().GroupId).SetString("PASNAME2", upper);
        count.Open();
        std::int64_t registered = 0;
        while (count.Fetch())
            registered += count.AsInt(0);
        count.Close();
        if (registered > 0)
            return share;
        // Not registered itself: a local copy named by its folder number.
        const TFolderNumber number = FolderNumberOf(path);
        fb::TStatement row(transaction_);
        row.Prepare(sql::kSelectSharePathOfRec);
        row.SetInt("REC", number.Rec);
        row.Open();
        if (row.Fetch()) {
            share.PasName = row.AsString("PASNAME");
            if (!number.SubFolder.empty())
                share.PasName = (fs::path(share.PasName) / number.SubFolder).string();
            share.NetDrive = static_cast<int>(row.AsInt("NETDRIVE"));
            share.KyoyuLock = static_cast<int>(row.AsInt("KYOYULOCK"));
        }
        return share;
    });
}

bool TDataSentakuListCtl::GetLocalPathToData(const std::string& path, TDataSentakuRec& record)
{
    const std::vector<std::string> parts = Components(path);
    if (parts.empty() || (record.GASSAN == 10 && parts.size() < 2))
        return false;
    return RunReported(transaction_, "TDataSentakuListCtl.GetLocalPathToData", "", false, [&] {
        fb::TStatement select(transaction_);
        if (record.GASSAN == 10) {
            select.Prepare(sql::kSelectChildPathsOfRec);
            select.SetInt("REC", RecOfFolderName(parts[parts.size() - 2]));
            select.Open();
            while (select.Fetch()) {
                const std::string pasname = select.AsString(0);
                const std::vector<std::string> own = Components(pasname);
                if (!own.empty() && own.back() == parts.back()) {
                    record.PASNAME = pasname;
                    return true;
                }
            }
            return false;
        }
        select.Prepare(sql::kSelectPathOfRec);
        select.SetInt("REC", RecOfFolderName(parts.back()));
        select.Open();
        if (!select.Fetch())
            return false;
        record.PASNAME = select.AsString(0);
        return true;
    });
}

bool TDataSentakuListCtl::ResolveFolder(const std::string& path, TDataSentakuRec& record)
{
    ClearRecord(record, path);
    record.LocalPath = WithoutTrailingSeparator(path);
    const TSharePath share = ConvLocalPathToSharePath(path);
    record.PASNAME = share.PasName;
    record.KYOYULOCK = share.KyoyuLock;
    record.NETDRIVE = share.NetDrive;
    int rec = location_ == TFileLocation::Local ? FolderNumberOf(path).Rec : RecOfPath(record.PASNAME);
    if (rec <= 0)
        rec = RecOfPath(record.PASNAME);
    if (rec <= 0) {
        ClearRecord(record, path);
        return false;
    }
    record.REC = rec;
    if (!GetDataListRecord(TDataListKey::Rec, record, true)) {
        ClearRecord(record, path);
        return false;
    }
    GetDataListChildRecord(record);
    return true;
}

bool TDataSentakuListCtl::CheckSharedDataState(const TDataSentakuRec& record) const
{
    if (record.NETDRIVE != 1)
        return true;
    const TIniFile info((fs::path(record.PASNAME) / "qrvacc.inf").string());
    const bool damaged = info.ReadString("DATASTS", "DAMAGED") == "1";
    const std::string opcode = info.ReadString("DATASTS", "OPCODE");
    const bool usedByOther = info.ReadString("DATASTS", "INUSE") == "1" && opcode != std::to_string(SystemDef().UserCode);
    if (!damaged && !usedByOther)
        return true;
    const std::string text =
        damaged ? "共有サーバー上のデータが破損しているため、共有データの取得を中止します。\rデータのバックアップを行っている場合は、"
                  "適正な方法で破損前の状態へ戻して下さい。"
                : "共有データは現在使用されています。";
    Ui().ShowMessage(TMessageKind::Warning,
                     "選択データの状態\n【データフォルダ】\n　" + record.PASNAME + "\n【オペレータ】\n　" + opcode +
                         "\n【オペレータ名】\n　" + info.ReadString("DATASTS", "COMPUTER") + "\n" + text);
    return false;
}

void TDataSentakuListCtl::CopyBasicInformation(const TACCINF& info, TDataSentakuRec& record)
{
    record.ENTTEXT = info.ENTTEXT;
    record.DATACODE = info.SCODE1;
    record.SHOUGOU = info.SHOUGOU;
    record.DATATYPE = info.DATATYPE;
    record.CODETYPE = info.CODETYPE;
    record.NENDO = info.NENDO;
    record.KISHU = info.KISHU;
    record.KIMATU = info.KIMATU;
    record.PeriodText = PeriodText(info.KISHU, info.KIMATU);
    record.TANTOU = info.TANTOU;
    record.VER_MAJOR = info.VerMajor;
    record.VER_MINOR1 = info.VerMinor1;
    record.VER_MINOR2 = info.VerMinor2;
}

}  // namespace qz
