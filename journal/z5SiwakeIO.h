#pragma once
// The journal text import: a journal text file becomes journal entries of the attached data database.
// TSiwakeTextIO reads the file line by line, builds one entry per line and hands it to the journal writer
// (TSiwakeWrite), which validates and stores it. Rejected lines are collected with their reasons, for an
// error file that can be corrected and imported again, and for the import log.
//
// The file is CP932 with CR LF lines: a header line with the company name of the data set, entry lines of
// 30 fields, "//" comments, and after a finished import a ".Lock" line.

#include "common/Ui.h"
#include "db/Firebird.h"
#include "journal/SiwakeWrite.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TSiwakeTextIO {
public:
    std::string FieldSeparator = ",";
    bool AllBranches = false;     // accept the entries of every registered branch
    std::string BranchCode;       // else only the entries of this branch
    bool RespectLock = true;      // refuse a file that carries a ".Lock" line
    bool ReadVoucherNo = false;   // field 2 is the voucher number
    bool WriteImportLog = false;  // rejected lines go to "importlog<yymmdd>.txt" beside the file
    std::vector<std::string> RejectedLines;  // "// " + reason, then the line
    int ImportedCount = 0;
    int RejectedCount = 0;
    std::string RefusalReason;    // why Import refused the whole file; empty when it did not
    TProgressDialog* Progress = nullptr;
    TStatusCaption* Status = nullptr;

    // The data database's transaction, used for everything.
    void SetTransaction(fb::TTransaction& transaction);

    // True when the file was processed (rejected lines included); false when it was refused: it carries a
    // ".Lock" line while RespectLock is on, or its header is not the data set's company name. Database
    // errors roll back to the last commit, are added to the rejected lines and the log, and are passed on.
    bool Import(const std::filesystem::path& file, std::string_view separator);

private:
    fb::TTransaction* transaction_ = nullptr;
};

}  // namespace qz
