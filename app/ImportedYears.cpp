#include "app/ImportedYears.h"

#include "app/AppStatements.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"

namespace qz {
namespace {

struct TYearTable {
    std::string_view Name;
    int Offset;               // manifest entries after the selected year
    std::string_view Count;   // the statement that counts its journals
};

constexpr TYearTable kYears[] = {
    {"当期", 0, app::sql::kCountCurrentJournals},
    {"前期", 1, app::sql::kCountPriorJournals},
    {"前々期", 2, app::sql::kCountPriorPriorJournals},
};

int CountOf(fb::TTransaction& transaction, std::string_view sql)
{
    fb::TStatement query(transaction);
    query.Prepare(sql);
    query.Open();
    return query.Fetch() ? static_cast<int>(query.AsInt(0)) : 0;
}

int SelectedEntry(const Tdtmanage& manifest, int code)
{
    for (int i = 0; i < manifest.NendoCount; ++i)
        if (manifest.Nendo[static_cast<std::size_t>(i)].Code == code)
            return i;
    return -1;
}

}  // namespace

std::optional<std::vector<TImportedYear>> ReadImportedYears(const TQZaimuIO& io, const std::string& host,
                                                           const std::string& folder)
{
    TDM& dm = DM();
    if (!dm.fnAccDatConnected(host, folder, false))
        return std::nullopt;
    const Tdtmanage& manifest = io.Dtmanage;
    const int selected = SelectedEntry(manifest, io.SentakuNendoCode);
    auto years = RunReported(dm.IBTransactionDAT, "ReadImportedYears", "仕訳数の取得に失敗しました。",
                             std::optional<std::vector<TImportedYear>>(), [&] {
        std::vector<TImportedYear> read;
        for (const TYearTable& year : kYears) {
            const int journals = CountOf(dm.IBTransactionDAT, year.Count);
            if (year.Offset > 0 && journals == 0)
                continue;
            TImportedYear imported{std::string(year.Name), -1, {}, journals};
            const int entry = selected < 0 ? -1 : selected + year.Offset;
            if (entry >= 0 && entry < manifest.NendoCount) {
                imported.Code = manifest.Nendo[static_cast<std::size_t>(entry)].Code;
                imported.Label = manifest.Nendo[static_cast<std::size_t>(entry)].Label;
            }
            read.push_back(std::move(imported));
        }
        return std::optional<std::vector<TImportedYear>>(std::move(read));
    });
    dm.AccDatDisconnect("", false, false);
    return years;
}

}  // namespace qz
