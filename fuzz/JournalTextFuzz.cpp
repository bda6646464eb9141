// The journal text import without a database: a file's lines split into fields (TAB or comma, the first
// byte decides, with the options), an entry built from every line of 30 fields, and its tax. Texts fit
// their columns and encode to CP932, amounts are whole yen, the flags are flags, and a computed tax
// leaves the entry balanced.

#include "common/Cp932.h"
#include "common/LineReader.h"
#include "common/SjisText.h"
#include "fuzz/FuzzSupport.h"
#include "journal/SiwakeLine.h"
#include "journal/TaxCategories.h"

using namespace qz;
using qz::fuzz::Check;

namespace {

void CheckText(const std::string& text, std::size_t bytes, std::string_view what)
{
    Check(SjisLength(text) <= bytes, what, text);
    Check(text.find_first_of("\t\r\n") == std::string::npos, "texts hold no TAB or line break", text);
    try {
        EncodeCp932(text);
    } catch (const TEncodingError& error) {
        Check(false, "texts encode to CP932", error.what());
    }
}

void CheckEntry(const TSiwakeRec& rec)
{
    CheckText(rec.TEKTEXT, 50, "the summary fits its 50 bytes");
    CheckText(rec.TORTEXT, 20, "the partner text fits its 20 bytes");
    CheckText(rec.COMMENT, 100, "the comment fits its 100 bytes");
    CheckText(rec.AO_COMMENT, 100, "the second comment fits its 100 bytes");
    Check(rec.KINGAKU.IsWholeYen() && rec.ZEIGAKU.IsWholeYen(), "amounts are whole yen");
    Check(rec.KESSAN == 0 || rec.KESSAN == 1, "KESSAN is 0 or 1");
    Check(rec.AUTCALCU == 0 || rec.AUTCALCU == 1, "AUTCALCU is 0 or 1");
    Check(rec.TAXCALCU <= 2, "TAXCALCU above 2 is replaced");
    Check(rec.FUSEN1 <= 3, "FUSEN1 above 3 is replaced");
}

void CheckTax(const TSiwakeRec& rec, int salesRounding, int purchaseRounding)
{
    const std::optional<TEntryTax> tax = ComputeEntryTax(EntryTaxInput(rec, salesRounding, purchaseRounding));
    if (!tax)
        return;
    // Both sides carry the same gross amount, so the entry balances.
    Check(tax->Debit.Net + tax->Debit.Tax == tax->Credit.Net + tax->Credit.Tax, "a computed entry balances");
    Check(tax->Debit.Net.IsWholeYen() && tax->Debit.Tax.IsWholeYen() && tax->Credit.Net.IsWholeYen() &&
              tax->Credit.Tax.IsWholeYen(),
          "the tax and net amounts are whole yen");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const std::string_view separator = choice & 1 ? "," : "\t";
    const TSiwakeLineOptions options{.ReadVoucherNo = (choice & 2) != 0, .DefaultTaxCalc = (choice >> 2) % 3, .OperatorCode = 1};
    const int salesRounding = (choice >> 4) % 4, purchaseRounding = (choice >> 6) % 4;
    const std::filesystem::path file = fuzz::PrivateFolder() / "SIWAKE.TXT";
    fuzz::WriteFile(file, input.Rest());

    TLineReader reader(file);
    std::string line;
    for (;;) {
        try {
            if (!reader.Next(line))
                break;
        } catch (const TLineTooLong&) {
            continue;   // the import fails on it; the lines after it are still worth reading here
        }
        const std::vector<std::string> fields = SplitSiwakeFields(line, separator);
        for (const std::string& field : fields)
            Check(field.find('"') == std::string::npos, "fields lose their double quotes", field);
        if (fields.size() != static_cast<std::size_t>(kSiwakeFieldCount))
            continue;
        std::vector<std::string> decoded;
        for (const std::string& field : fields)
            decoded.push_back(DecodeCp932(field));
        TSiwakeRec rec = BuildSiwakeRec(decoded, options);
        MarkUntaxedEntry(rec);
        CheckEntry(rec);
        CheckTax(rec, salesRounding, purchaseRounding);
    }
    return 0;
}
