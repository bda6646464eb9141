#include "tests/support/PastAmounts.h"

#include "common/SjisText.h"

namespace qz::test {

std::vector<std::string> NonZeroMoneyColumns(fb::TTransaction& transaction, std::string_view table, std::string_view condition)
{
    fb::TTransactionScope scope(transaction);
    std::vector<std::string> columns;
    {
        fb::TStatement query(transaction);
        query.Prepare("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS "
                      "WHERE RDB$RELATION_NAME = :TABLE AND TRIM(RDB$FIELD_SOURCE) = 'MONEY_T' ORDER BY RDB$FIELD_POSITION");
        query.SetString("TABLE", table);
        query.Open();
        while (query.Fetch())
            columns.push_back(Trim(query.AsString(0)));
    }
    std::vector<std::string> nonZero;
    for (const std::string& column : columns) {
        fb::TStatement sum(transaction);
        const std::string where = condition.empty() ? std::string() : " AND (" + std::string(condition) + ")";
        sum.Prepare("SELECT COUNT(*) FROM " + std::string(table) + " WHERE " + column + " <> 0" + where);
        sum.Open();
        if (sum.Fetch() && sum.AsInt(0) > 0)
            nonZero.push_back(std::string(table) + "." + column);
    }
    return nonZero;
}

}  // namespace qz::test
