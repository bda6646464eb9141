// Fixed assets: an asset written off in the closed year leaves the register; every other one opens the
// new year at its old closing value, with the year's depreciation worked out again and its ledger line for
// the new year replaced.
//
// The depreciation of a year, in whole yen (fractions of a yen are cut, as the tax rules do):
//   straight line (定額法):          base (KISOKIN) x rate
//   declining balance (定率法):      opening value x rate
// capped so that the memorandum value of 1 yen stays on the books, and never below 0. The rate is the
// asset's own SYOURITU; without one it follows from the useful life n as the depreciation tables give it:
//   straight line   1 / n, raised to three decimals      (3 years 0.334, 9 years 0.112)
//   200% declining  2.0 / n, rounded to three decimals   (6 years 0.333, 3 years 0.667)
//   250% declining  2.5 / n, rounded to three decimals   (6 years 0.417, 8 years 0.313)
// The transitional measures of "減価償却設定" move a declining-balance asset to the other multiplier; its
// stored rate belongs to its own method, so the moved rate always follows from the useful life. The switch
// to the revised rate near the end of the useful life needs the guarantee rates of the tables, which the
// register does not hold: the decline runs on until the memorandum value.

#include "common/Format.h"
#include "yearupdate/NendoKousin_Statements.h"
#include "yearupdate/NendoKousin_Steps.h"

#include <algorithm>
#include <stdexcept>

namespace qz::yearupdate {

using namespace sql;

namespace {

constexpr std::int64_t kMemorandumValue = 1;
constexpr std::int64_t kRateScale = TMoney::kScale;  // rates are kept in ten-thousandths

// Multipliers in tenths: 200% is 20, 250% is 25.
int DecliningMultiplier(int method, const TDepreciationSettings& settings)
{
    if (method == kDeclining200)
        return settings.DecliningAt250 ? 25 : 20;
    return settings.DecliningAt200 ? 20 : 25;
}

std::int64_t RateFromLife(const TFixedAsset& asset, int multiplierTenths)
{
    if (asset.UsefulLife <= 0)
        throw std::runtime_error(Format("固定資産(REC=%d)に償却率も耐用年数もありません。", asset.Rec));
    const std::int64_t life = asset.UsefulLife;
    const std::int64_t thousandths = multiplierTenths == 10 ? (1000 + life - 1) / life                      // raised
                                                            : (multiplierTenths * 100 + life / 2) / life;  // rounded
    return thousandths * (kRateScale / 1000);
}

// The rate in ten-thousandths.
std::int64_t RateOf(const TFixedAsset& asset, const TDepreciationSettings& settings)
{
    const int ownMultiplier = asset.Method == kStraightLine ? 10 : asset.Method == kDeclining200 ? 20 : 25;
    const int multiplier = asset.Method == kStraightLine ? 10 : DecliningMultiplier(asset.Method, settings);
    if (multiplier == ownMultiplier && asset.Rate > TMoney())
        return asset.Rate.Raw();
    return RateFromLife(asset, multiplier);
}

}  // namespace

TAssetYear NextAssetYear(const TFixedAsset& asset, const TDepreciationSettings& settings)
{
    TAssetYear year;
    year.Opening = asset.ClosingValue.RoundedYen();
    switch (asset.Method) {
    case kNotDepreciated:
        break;
    case kStraightLine:
    case kDeclining200:
    case kDeclining250: {
        const std::int64_t rate = RateOf(asset, settings);
        const std::int64_t basis = asset.Method == kStraightLine ? asset.Base.RoundedYen() : year.Opening;
        const std::int64_t full = basis * rate / kRateScale;
        year.Depreciation = std::clamp<std::int64_t>(full, 0, std::max<std::int64_t>(year.Opening - kMemorandumValue, 0));
        break;
    }
    default:
        throw std::runtime_error(Format("固定資産(REC=%d)の償却方法(%d)が正しくありません。", asset.Rec, asset.Method));
    }
    year.Closing = year.Opening - year.Depreciation;
    return year;
}

void RollFixedAssets(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    const int newYear = in.Nendo + 1;
    fb::TStatement writtenOff(tr), select(tr), update(tr), lastLedger(tr), deleteLine(tr), insertLine(tr);
    writtenOff.Prepare(kDeleteWrittenOffAssets);
    select.Prepare(kSelectAssetsOfBranch);
    update.Prepare(kUpdateAssetYear);
    lastLedger.Prepare(kSelectLastLedgerRec);
    deleteLine.Prepare(kDeleteLedgerLineOfYear);
    insertLine.Prepare(kInsertLedgerLine);
    lastLedger.Open();
    std::int64_t ledgerRec = lastLedger.Fetch() ? lastLedger.AsInt(0) : 0;
    lastLedger.Close();

    for (const std::string& scode : BranchCodes(tr, kSelectBranches)) {
        writtenOff.SetString("SCODE", scode);
        writtenOff.Execute();
        std::vector<TFixedAsset> assets;
        select.SetString("SCODE", scode);
        select.Open();
        while (select.Fetch())
            assets.push_back({select.AsInt("REC"), static_cast<int>(select.AsInt("GSHOUHOU")),
                              static_cast<int>(select.AsInt("TAIYOUYY")), select.AsMoney("SYOURITU"), select.AsMoney("KISOKIN"),
                              select.AsMoney("MATUMISYOUKIN")});
        select.Close();
        for (const TFixedAsset& asset : assets) {
            const TAssetYear year = NextAssetYear(asset, in.Depreciation);
            update.SetInt("REC", asset.Rec).SetMoney("KISYUBOKA", TMoney::FromYen(year.Opening));
            update.SetMoney("SYOUKYAKU", TMoney::FromYen(year.Depreciation)).SetMoney("MATUMISYOUKIN", TMoney::FromYen(year.Closing));
            update.Execute();
            deleteLine.SetInt("SISANREC", asset.Rec).SetInt("NENDO", newYear);
            deleteLine.Execute();
            insertLine.SetInt("REC", ++ledgerRec).SetInt("SISANREC", asset.Rec).SetInt("NENDO", newYear);
            insertLine.SetMoney("KISYUBOKA", TMoney::FromYen(year.Opening)).SetMoney("SYOUKYAKU", TMoney::FromYen(year.Depreciation));
            insertLine.SetMoney("KIMATUBOKA", TMoney::FromYen(year.Closing));
            insertLine.Execute();
        }
    }
}

}  // namespace qz::yearupdate
