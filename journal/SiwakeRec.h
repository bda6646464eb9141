#pragma once
// One journal entry as the journal module exchanges it: one row of SIWAKE with its debit side (L_) and its
// credit side (R_). Money values are fixed-point with four decimals.

#include "common/Date.h"
#include "common/Money.h"

#include <string>

namespace qz {

// One side of an entry. KCODE is the account's user code as the file gives it; SystemCode is the system
// code the validation resolved it to, which is what gets stored.
struct TSiwakeSide {
    std::string KGROUP;
    std::string KCODE;
    std::string HCODE = " ";
    std::string BCODE = " ";
    std::string KNAME, HNAME, BNAME;
    int TAXCODE = 0;
    int TAXUH = 0;   // tax class: the KKUBUN of the KAMOKU_TAX totals
    int TAXDC = 0;   // the category's side: 1 debit, 2 credit, 0 none
    TMoney NUK;      // net amount
    TMoney ZEI;      // tax
    TMoney RIT;      // rate in percent, 0 for an untaxed side
    int SIKIN = 0;   // cash-flow code
    std::string SystemCode;
};

struct TSiwakeRec {
    int REC = 0;         // 0 for a new entry; NEWREC after storing
    int SITREC = 0;      // the branch's entry number, after storing
    int SWKREC = 0;
    int SWKNO = 0;
    int DELFLG = 0;
    int EntryCount = 1;  // 1 for an imported entry
    TDate HIZUKE;
    int MNUM = 0;        // balance slot of the date, set by the validation
    int KESSAN = 0;      // 1 settlement entry, else 0
    int SDAYNUM = 0, MDAYNUM = 0;
    int DNUM = 0;        // voucher number
    int SNUM = 0;
    std::string SCODE = " ";
    TSiwakeSide L;       // debit
    TSiwakeSide R;       // credit
    TMoney KINGAKU, ZEIGAKU;
    int ZEIRITUNO = 0;
    int AUTCALCU = 1;    // 1 the tax is computed, 0 ZEIGAKU is the tax
    int TAXCALCU = 0;    // 0 tax-inclusive amount, 1 tax-exclusive amount, 2 no tax
    int OLDRATE = 0;     // 0 the rate of the date, 1 the old 3 %, 2 the old 5 %
    int TEKCODE = 0;
    std::string TEKTEXT;
    int TORCODE = 0;
    std::string TORTEXT;
    int FUSEN1 = 0, FUSEN2 = 0, FUSEN3 = 0, FUSEN4 = 0, FUSEN5 = 0;
    TDateTime CTIME;     // audit time stamp; zero for a new entry
    std::string COMMENT, AO_COMMENT, LINKKEY;
    int LINKKUB = 0, LINKREC = 0, LOCALFLG = 0, Reserve1 = 0, Reserve2 = 0;
    TDateTime StoreTime;
    int OPNCODE = 0;     // the operator
};

}  // namespace qz
