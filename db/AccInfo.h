#pragma once
// The basic information of the attached data database: a mirror of its single ACCDEF1 row plus what
// the program reads beside it (total names, settings, data version), and the codes of the named special
// accounts.

#include "common/Date.h"
#include "common/Money.h"

#include <array>
#include <map>
#include <string>
#include <string_view>

namespace qz {

struct TACCINF {
    // ACCDEF1, texts
    std::string ENTTEXT, SERIAL, GYOUSHU, SCODE1, SCODE2, SKANA, SHOUGOU, POST, ADD1, ADD2, TEL;
    std::string AO_ADD1, AO_ADD2, AO_KANA, AO_SIMEI, AO_GYOUSHU, AO_YAGO, AO_KANYU, AO_TEL, AO_SHOKUGYO1, AO_SHOKUGYO2;
    std::string MAIL, GENGOU_NAME, YAKUMEI1, YAKUMEI2, YAKUMEI3, FUMEI_KCODE, PASWORD, WEB_HOLDER;
    std::string GENKA_HWORD1, GENKA_HWORD2, GENKA_HWORD3, GENKA_HWORD4, GENKA_HWORD5, GENKA_HWORD6;
    // ACCDEF1, integers
    int GROUPID = 0, TANTOU = 0, DATATYPE = 0, CODETYPE = 0, NENDO = 0, SIME = 0, KAISINO = 0;
    int GENGOU_FLG = 0, GENGOU_HOSEI = 0, CALCU = 0, TAXU_HASUU = 0, TAXH_HASUU = 0, TAXDEFUH = 0, TAXKANNI = 0;
    int TAXJIGYOU = 0, GENKAPRINT = 0, KANSA_LOCK = 0, TEGATADICSW = 0, SITEN = 0, BUMON = 0, DATALOCK = 0;
    int GENKA_USE = 0, CONVERT = 0, SHOUHYOU = 0, CASHFLOWSW = 0, SDAI_HASUU1 = 0, SDAI_HASUU2 = 0, SDAI_HASUU3 = 0;
    int KESSAN_KIKAN = 0, CASHFLOW_KIKAN1 = 0, CASHFLOW_KIKAN2 = 0, KURIKOSI1 = 0, KURIKOSI2 = 0;
    // ACCDEF1, dates
    TDate zzKISHU, zKISHU, KISHU, KIMATU, KAISI, KANSA_FIXDATE, KANSA_DATE;
    TDate CHG_DAYS1, CHG_DAYS2, CHG_DAYS3, CHG_DAYS4, CHG_DAYS5;
    // ACCDEF1, rates
    TMoney OLD_TAX_RATE1, OLD_TAX_RATE2, OLD_TAX_RATE3, OLD_TAX_RATE4, OLD_TAX_RATE5;
    TMoney NEW_TAX_RATE1, NEW_TAX_RATE2, NEW_TAX_RATE3, NEW_TAX_RATE4, NEW_TAX_RATE5;
    // Which of the columns older data databases lack this one has.
    bool HasKessanKikan = false, HasCashflowKikan = false, HasSdaiHasuu3 = false, HasGenkaHword6 = false;
    bool HasWebHolder = false, HasKurikosi = false;

    // Beside ACCDEF1
    std::string DataTypeName;                      // e.g. "法人", "個人／不動産"
    std::map<std::string, std::string> TotalNames; // print names of the total groups 5880, 5580, ...
    std::string TusinHolder, TusinPassword;        // communication ID entry 1
    int KakoMeisai = 0, GassanKubun = 0, GassanSu = 0, IkkatsuZeinuki = 0;
    int KamokuKetasu = 0, HojoKetasu = 0, BumonKetasu = 0, PrintKikanKubun = 0;
    std::string DataPassword;
    TDate PrintKikanKishu, PrintKikanKimatu;
    int Teiritsu250 = 0, Teiritsu200 = 0;
    int VerMajor = 0, VerMinor1 = 0, VerMinor2 = 0;  // data version (ACCVERSION)
};

// The basic information of the attached data database.
TACCINF& AccInfo();

// System code and user code of a named special account; both empty when the data set lacks it.
struct TSpecialCode {
    std::string KCode;
    std::string UserCode;
};

// The codes of the named special accounts (現金, 仮払消費税, 仮受消費税, 諸口, 繰越利益剰余金, 事業主貸,
// 事業主借, 元入金, and the others the data type uses), by name.
class TSpecialAccountCodes {
public:
    const TSpecialCode& Get(std::string_view name) const;
    void Set(std::string_view name, TSpecialCode codes);
    void Clear(std::string_view name) { Set(name, {}); }
    void ClearAll() { codes_.clear(); }

private:
    std::map<std::string, TSpecialCode, std::less<>> codes_;
};

TSpecialAccountCodes& SpecialAccountCodes();

}  // namespace qz
