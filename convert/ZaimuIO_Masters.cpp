// The masters of a conversion, in the order the target needs them: the code indexes first, then the
// basic information, the accounts, the special accounts, the sub-accounts, the departments and the
// branches. Each step that fails stops the masters; its reasons are in ReadErrors or Writer.Errors.

#include "convert/uQZ_ZaimuIO.h"

namespace qz {

bool TQZaimuIO::WriteMasters(int templateKind)
{
    BuildCodeIndex();
    if (!BuildHojoIndex())
        return false;
    if (DeriveBasicInfo(AccInfo()) != 0)
        return false;
    if (Writer.WriteBasicInfo(AccInfo()) != 0)
        return false;
    if (!ReadAccounts())
        return false;
    if (Writer.WriteAccounts() != 0 || Writer.WritePrintNames() != 0)
        return false;
    if (Writer.WriteSpecialAccounts(templateKind, SpecialAccountLines()) != 0)
        return false;
    if (Writer.WriteSubAccounts(ReadHojo()) != 0)
        return false;
    if (Writer.WriteDepartments(ReadBumon()) != 0)
        return false;
    // Writing the departments pairs each of them with every branch; ReadSiten then keeps only the pairs
    // the extract gives the branches, so it must come after the departments.
    return Writer.WriteBranches(ReadSiten()) == 0;
}

}  // namespace qz
