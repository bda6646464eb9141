#pragma once
// The registry of data folders in the system database (DATALIST, DATALIST_EX per data place,
// CHILD_DATALIST for child data sets): reading and writing a folder's row.

#include "common/Date.h"
#include "db/AccInfo.h"
#include "db/DataModule.h"
#include "db/Firebird.h"

#include <string>
#include <vector>

namespace qz {

struct TDataSentakuRec {
    int REC = 0;
    int ROWNO = 0;
    int GROUPID = 10000;
    std::string DATACODE, ENTTEXT, SHOUGOU;
    int NENDO = 1;
    std::string PeriodText;  // "yyyy/mm/dd ～ yyyy/mm/dd"
    TDate KISHU, KIMATU;
    int NETDRIVE = 0;
    std::string PASNAME;
    std::string LocalPath;
    int DATATYPE = 0, CODETYPE = 0, DATALOCK = 0, KYOYULOCK = 0, TANTOU = 0;
    int VER_MAJOR = 0, VER_MINOR1 = 0, VER_MINOR2 = 0;
    std::string VER_TEXT;
    int UPDATE_LOCK = 0, GASSAN = 0;
    std::string EntTextCopy;
    int DATA_STATUS = 0;
    std::string YOBI1, YOBI2, YOBI3;
};

// A path's folder number: the component after the first "DATA" or "CB_DATA" (any case) read as a number
// (0 when it is none), and the component after it, if any.
struct TFolderNumber {
    int Rec = 0;
    std::string SubFolder;
};
TFolderNumber FolderNumberOf(const std::string& path);
// The REC a folder's name stands for ("0007" → 7); 0 when it is no folder number.
int RecOfFolderName(std::string_view name);

struct TSharePath {
    std::string PasName;
    int KyoyuLock = 0;
    int NetDrive = 0;
};

// How GetDataListRecord finds a row: by the record's REC, or by its path.
enum class TDataListKey { Rec, Path };

// Works on the system database through the transaction it is given (the data module's IBTransactionDEF),
// started and finished here only when it is not active.
class TDataSentakuListCtl {
public:
    explicit TDataSentakuListCtl(fb::TTransaction& systemTransaction);

    // Where the data folders are: local, or on a database server (the owner passes the connection mode).
    void SetLocation(TFileLocation location);
    // The data place of a shared server; forced to 0 in local mode.
    void SetDataPlace(int dataPlace);
    const std::string& Table() const { return table_; }
    int DataPlace() const { return dataPlace_; }

    void ClearRecord(TDataSentakuRec& record, const std::string& path) const;
    std::string LocalPathOf(const TDataSentakuRec& record) const;

    // Reads by REC (CHILD_DATALIST for GASSAN 10) or by path. False when nothing was read.
    bool GetDataListRecord(TDataListKey key, TDataSentakuRec& record, bool report);
    // Writes the row of a record; nothing for REC 0 or a blank PASNAME; GASSAN 10 goes to the child list.
    bool UpdateDataListRecord(const TDataSentakuRec& record, bool report);
    bool UpdateDataListChildRecord(const TDataSentakuRec& record, bool report);
    std::vector<TDataSentakuRec> GetDataListChildRecord(const TDataSentakuRec& record);

    // The REC registered for an exact PASNAME, or 0.
    int RecOfPath(const std::string& path);
    // Fills the record of a data folder; false (and a cleared record) when the folder has no row.
    bool ResolveFolder(const std::string& path, TDataSentakuRec& record);
    TSharePath ConvLocalPathToSharePath(const std::string& path);
    bool GetLocalPathToData(const std::string& path, TDataSentakuRec& record);

    // For shared data (NETDRIVE 1): false, after a box titled "選択データの状態", when the folder's
    // data-information record says another operator uses it or that the shared copy is damaged.
    bool CheckSharedDataState(const TDataSentakuRec& record) const;

    // Copies the basic information of a data database into its row (name, codes, period, version).
    static void CopyBasicInformation(const TACCINF& info, TDataSentakuRec& record);

private:
    void ReadRow(const fb::TStatement& row, TDataSentakuRec& record) const;

    fb::TTransaction& transaction_;
    TFileLocation location_ = TFileLocation::Local;
    int dataPlace_ = 0;
    std::string table_ = "DATALIST";
};

}  // namespace qz
