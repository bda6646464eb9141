#pragma once
// The writer's error-collection rule, shared by the files of the writer: a failed step adds its reasons
// to Errors and returns its failure value; rows it wrote before stay in the transaction.

#include "writer/uQZ_DataKakikomi.h"

namespace qz {

template <typename Work>
int THxzMakeData::Guarded(TLabel label, int failure, Work work)
{
    record_.clear();
    try {
        return work();
    } catch (...) {
        AddError(label);
        return failure;
    }
}

}  // namespace qz
