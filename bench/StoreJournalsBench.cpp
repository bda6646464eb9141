// Storing journal entries through the database's posting procedure, with the totals trigger on, as the
// journal writer stores them: 20 000, 50 000 and 100 000 entries into fresh data databases. Prints the
// entries per second of each run; storing must cost the same whatever the tables already hold, so the
// rate at 100 000 must be at least 80 % of the rate at 20 000 (the last line says whether it is).

#include "common/Date.h"
#include "common/Format.h"
#include "common/PeriodCalendar.h"
#include "journal/SiwakeStatements.h"
#include "tests/support/TemplateDatabase.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using namespace qz;

// One entry per call: cash against sales with 10 % tax, spread over the days of a fiscal year, some in a
// branch department, so every index and balance row the posting touches is exercised.
double EntriesPerSecond(int entries)
{
    test::TRestoredTemplate data(11);
    fb::TTransaction tr(data.Attachment());
    tr.Start();
    fb::ExecuteImmediate(tr, "INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    tr.CommitRetaining();
    fb::TStatement store(tr);
    store.Prepare(journal::sql::kInsertJournal);
    const TDate start = TDate::Ymd(2025, 4, 1);
    const auto begin = std::chrono::steady_clock::now();
    for (int n = 0; n < entries; ++n) {
        const TDate date(start.Serial() + n % 365);
        const std::string department = n % 3 == 0 ? "10" : " ";
        const int slot = SlotOfDate(kMonthEndClosingDay, 0, date, TDate::Ymd(2026, 3, 31), start);
        store.SetDate("HIZUKE", date).SetInt("MNUM", slot).SetString("SCODE", " ");
        store.SetString("L_KCODE", "10100").SetString("L_BCODE", department).SetMoney("L_NUK", TMoney::FromYen(1100 + n));
        store.SetString("R_KCODE", "41100").SetString("R_BCODE", department).SetInt("R_TAXUH", 1);
        store.SetMoney("R_NUK", TMoney::FromYen(1000 + n)).SetMoney("R_ZEI", TMoney::FromYen(100));
        store.SetMoney("KINGAKU", TMoney::FromYen(1100 + n)).SetString("TEKTEXT", Format("売上 %d", n));
        store.Open();
        store.Fetch();
        store.Close();
    }
    tr.Commit();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return entries / seconds;
}

}  // namespace

int main()
{
    double first = 0, last = 0;
    for (const int entries : {20000, 50000, 100000}) {
        const double rate = EntriesPerSecond(entries);
        std::printf("%7d entries: %8.0f entries/s\n", entries, rate);
        std::fflush(stdout);
        (first == 0 ? first : last) = rate;
    }
    const double ratio = last / first;
    std::printf("rate at 100000 / rate at 20000 = %.2f (%s: at least 0.80)\n", ratio, ratio >= 0.8 ? "met" : "NOT met");
    return ratio >= 0.8 ? 0 : 1;
}
