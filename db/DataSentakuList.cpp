#include "db/DataSentakuList.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "common/Ui.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "platform/IniFile.h"
#include "platform/SystemDef.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace qz {
namespace {

constexpr std::string_view kColumns =
    "ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,"
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3";

// Path components, split at "/" and "\" alike.
std::vector<std::string> Components(const std::string& path)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(current);
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

TFolderNumber FolderNumberOf(const std::string& path)
{
    const std::vector<std::string> parts = Components(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string upper = UpperAscii(parts[i]);
        if (upper != "DATA" && upper != "CB_DATA")
            continue;
        TFolderNumber number;
        if (i + 1 < parts.size())
            number.Rec = static_cast<int>(TextToMoney(parts[i + 1]).RoundedYen());
        if (i + 2 < parts.size())
            number.SubFolder = parts[i + 2];
        return number;
    }
    return {};
}

TDataSentakuListCtl::TDataSentakuListCtl() = default;

void TDataSentakuListCtl::SetLocation(int location)
{
    location_ = location;
    SetDataPlace(dataPlace_);
}

void TDataSentakuListCtl::SetDataPlace(int dataPlace)
{
    dataPlace_ = (location_ == 0 || location_ > 2) ? 0 : dataPlace;
    table_ = dataPlace_ > 0 ? "DATALIST_EX" : "DATALIST";
}

std::string TDataSentakuListCtl::PlaceCondition() const
{
    return dataPlace_ > 0 ? "\nAND (DATAPLACEREC=:DATAPLACEREC)" : "";
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

bool TDataSentakuListCtl::GetDataListRecord(int mode, TDataSentakuRec& record, bool report)
{
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement select(transaction);
        if (mode == 1) {
            TDataSentakuRec resolved = record;
            if (!GetLocalPathToData(record.PASNAME, resolved))
                return false;
            select.Prepare("SELECT REC,0 AS ROWNO," + std::string(kColumns) + "\nFROM " + table_ +
                           "\nWHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)" + PlaceCondition());
            select.SetString("PASNAME", UpperAscii(resolved.PASNAME));
        } else if (record.GASSAN == 10) {
            select.Prepare("SELECT REC,ROWNO," + std::string(kColumns) +
                           "\nFROM CHILD_DATALIST\nWHERE (REC=:REC) AND (ROWNO=:ROWNO) AND (GROUPID=:GROUPID)");
            select.SetInt("REC", record.REC).SetInt("ROWNO", record.ROWNO);
        } else {
            select.Prepare("SELECT REC,0 AS ROWNO," + std::string(kColumns) + "\nFROM " + table_ +
                           "\nWHERE (REC=:REC) AND (GROUPID=:GROUPID)" + PlaceCondition());
            select.SetInt("REC", record.REC);
        }
        select.SetInt("GROUPID", record.GROUPID);
        if (dataPlace_ > 0 && !(mode == 0 && record.GASSAN == 10))
            select.SetInt("DATAPLACEREC", dataPlace_);
        select.Open();
        const bool found = select.Fetch();
        if (found)
            ReadRow(select, record);
        select.Close();
        scope.Commit();
        return found;
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDataSentakuListCtl.GetDataListRecord", report ? "データリストの取得に失敗しました。" : "", true);
        return false;
    }
}

bool TDataSentakuListCtl::UpdateDataListRecord(const TDataSentakuRec& record, bool report)
{
    if (record.REC == 0 || TrimWide(record.PASNAME).empty())
        return false;
    if (record.GASSAN == 10)
        return UpdateDataListChildRecord(record, report);
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement update(transaction);
        update.Prepare("UPDATE " + table_ +
                       "\nSET PASNAME=:PASNAME,ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU,NETDRIVE=:NETDRIVE,\n"
                       "DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,\n"
                       "DATALOCK=:DATALOCK,KYOYULOCK=:KYOYULOCK,TANTOU=:TANTOU,\n"
                       "VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,\n"
                       "UPDATE_LOCK=:UPDATE_LOCK,GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,"
                       "YOBI1=:YOBI1,YOBI2=:YOBI2,YOBI3=:YOBI3\nWHERE (REC=:REC)" + PlaceCondition());
        BindRow(update, record);
        update.SetInt("REC", record.REC);
        if (dataPlace_ > 0)
            update.SetInt("DATAPLACEREC", dataPlace_);
        update.Execute();
        scope.Commit();
        return true;
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDataSentakuListCtl.UpdateDataListRecord", report ? "データリストの更新に失敗しました。" : "", true);
        return false;
    }
}

bool TDataSentakuListCtl::UpdateDataListChildRecord(const TDataSentakuRec& record, bool report)
{
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement count(transaction);
        count.Prepare("SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST\nWHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID");
        count.SetInt("REC", record.REC).SetInt("ROWNO", record.ROWNO).SetInt("GROUPID", record.GROUPID);
        count.Open();
        const bool exists = count.Fetch() && count.AsInt("RECCNT") > 0;
        count.Close();
        fb::TStatement write(transaction);
        if (exists)
            write.Prepare("UPDATE CHILD_DATALIST SET ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU,PASNAME=:PASNAME,NETDRIVE=:NETDRIVE,"
                          "DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,"
                          "DATALOCK=:DATALOCK,TANTOU=:TANTOU,VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,"
                          "VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,KYOYULOCK=:KYOYULOCK,UPDATE_LOCK=:UPDATE_LOCK,"
                          "GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,YOBI1=:YOBI1,YOBI2=:YOBI2,"
                          "YOBI3=:YOBI3\nWHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID");
        else
            write.Prepare("INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,\n"
                          "KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,KYOYULOCK,UPDATE_LOCK,"
                          "GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)\n"
                          "VALUES(:REC,:ROWNO,:GROUPID,:ENTTEXT,:SHOUGOU,:PASNAME,:NETDRIVE,:DATATYPE,:CODETYPE,:NENDO,"
                          ":KISHU,:KIMATU,:DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,:KYOYULOCK,"
                          ":UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3)");
        BindRow(write, record);
        write.SetInt("REC", record.REC).SetInt("ROWNO", record.ROWNO).SetInt("GROUPID", record.GROUPID);
        write.Execute();
        scope.Commit();
        return true;
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDataSentakuListCtl.UpdateDataListChildRecord",
                      report ? "(子)データリストの更新に失敗しました。" : "", true);
        return false;
    }
}

std::vector<TDataSentakuRec> TDataSentakuListCtl::GetDataListChildRecord(const TDataSentakuRec& record)
{
    std::vector<TDataSentakuRec> children;
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement select(transaction);
        select.Prepare("SELECT REC,ROWNO," + std::string(kColumns) +
                       "\nFROM CHILD_DATALIST\nWHERE (REC=:REC) AND (GROUPID=:GROUPID)\nORDER BY PASNAME");
        select.SetInt("REC", record.REC).SetInt("GROUPID", record.GROUPID);
        select.Open();
        while (select.Fetch()) {
            TDataSentakuRec child;
            ReadRow(select, child);
            children.push_back(child);
        }
        select.Close();
        scope.Commit();
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDataSentakuListCtl.GetDataListChildRecord", "(子)データリストの取得に失敗しました。", true);
    }
    return children;
}

int TDataSentakuListCtl::RecOfPath(const std::string& path)
{
    int rec = 0;
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement select(transaction);
        std::string sql = "SELECT REC FROM " + table_ + "\nWHERE (PASNAME=:PASNAME)";
        if (dataPlace_ > 0)
            sql += Format("\nAND (DATAPLACEREC=%d)", dataPlace_);
        select.Prepare(sql);
        select.SetString("PASNAME", path);
        select.Open();
        if (select.Fetch())
            rec = static_cast<int>(select.AsInt(0));
        select.Close();
    } catch (const fb::TFbError&) {
        // A folder that cannot be looked up simply has no number.
    }
    scope.Commit();
    return rec;
}

TSharePath TDataSentakuListCtl::ConvLocalPathToSharePath(const std::string& path)
{
    TSharePath share{path, 0, 0};
    if (location_ != 0)
        return share;
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement count(transaction);
        count.Prepare("SELECT COUNT(REC) AS RECCNT FROM DATALIST\nWHERE (GROUPID=:GROUPID1) AND (UPPER(PASNAME)=:PASNAME1)\n"
                      "UNION\nSELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST\nWHERE (GROUPID=:GROUPID2) AND (UPPER(PASNAME)=:PASNAME2)");
        const std::string upper = UpperAscii(path);
        count.SetInt("GROUPID1", SystemDef().GroupId).SetString("PASNAME1", upper);
        count.SetInt("GROUPID2", SystemDef().GroupId).SetString("PASNAME2", upper);
        count.Open();
        std::int64_t registered = 0;
        while (count.Fetch())
            registered += count.AsInt(0);
        count.Close();
        if (registered == 0) {
            // Not registered itself: a local copy named by its folder number.
            const TFolderNumber number = FolderNumberOf(path);
            fb::TStatement row(transaction);
            row.Prepare("SELECT REC,PASNAME,NETDRIVE,KYOYULOCK FROM DATALIST\nWHERE REC=:REC");
            row.SetInt("REC", number.Rec);
            row.Open();
            if (row.Fetch()) {
                share.PasName = row.AsString("PASNAME");
                if (!number.SubFolder.empty())
                    share.PasName = (fs::path(share.PasName) / number.SubFolder).string();
                share.NetDrive = static_cast<int>(row.AsInt("NETDRIVE"));
                share.KyoyuLock = static_cast<int>(row.AsInt("KYOYULOCK"));
            }
            row.Close();
        }
        scope.Commit();
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDataSentakuListCtl.ConvLocalPathToSharePath", "", true);
    }
    return share;
}

bool TDataSentakuListCtl::GetLocalPathToData(const std::string& path, TDataSentakuRec& record)
{
    const std::vector<std::string> parts = Components(path);
    if (parts.empty())
        return false;
    fb::TTransaction& transaction = DM().IBTransactionDEF;
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement select(transaction);
        bool found = false;
        if (record.GASSAN == 10) {
            if (parts.size() < 2)
                return false;
            const int rec = static_cast<int>(TextToMoney(parts[parts.size() - 2]).RoundedYen());
            select.Prepare("SELECT PASNAME FROM CHILD_DATALIST\nWHERE (REC=:REC)");
            select.SetInt("REC", rec);
            select.Open();
            while (!found && select.Fetch()) {
                const std::string pasname = select.AsString(0);
                const std::vector<std::string> own = Components(pasname);
                if (!own.empty() && own.back() == parts.back()) {
                    record.PASNAME = pasname;
                    found = true;
                }
            }
        } else {
            const int rec = static_cast<int>(TextToMoney(parts.back()).RoundedYen());
            select.Prepare("SELECT PASNAME FROM DATALIST\nWHERE (REC=:REC)");
            select.SetInt("REC", rec);
            select.Open();
            if (select.Fetch()) {
                record.PASNAME = select.AsString(0);
                found = true;
            }
        }
        select.Close();
        scope.Commit();
        return found;
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDataSentakuListCtl.GetLocalPathToData", "", true);
        return false;
    }
}

bool TDataSentakuListCtl::ResolveFolder(const std::string& path, TDataSentakuRec& record)
{
    ClearRecord(record, path);
    record.LocalPath = WithoutTrailingSeparator(path);
    const TSharePath share = ConvLocalPathToSharePath(path);
    record.PASNAME = share.PasName;
    record.KYOYULOCK = share.KyoyuLock;
    record.NETDRIVE = share.NetDrive;
    int rec = location_ == 0 ? FolderNumberOf(path).Rec : RecOfPath(record.PASNAME);
    if (rec <= 0)
        rec = RecOfPath(record.PASNAME);
    if (rec <= 0) {
        ClearRecord(record, path);
        return false;
    }
    record.REC = rec;
    if (!GetDataListRecord(0, record, true)) {
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
