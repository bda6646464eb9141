#include "convert/ZaimuIO_StepFailure.h"

#include "common/Ui.h"
#include "db/DbErrorText.h"
#include "db/ErrorReport.h"
#include "db/Firebird.h"

namespace qz {

void RecordStepFailure(std::string_view label, std::vector<std::string>& errors) noexcept
{
    const std::string prefix(label);
    try {
        try {
            throw;
        } catch (const fb::TFbError& error) {
            const std::string codes = ErrorCodeLine(error);
            const std::string japanese(DbErrorText(error.Code(), error.SqlCode()));
            errors.push_back(codes);
            errors.push_back(prefix + error.Message());
            errors.push_back(japanese);
            ShowError(prefix + codes + "\n" + japanese + "\n" + error.Message());
        } catch (const std::exception& error) {
            errors.push_back(prefix + error.what());
            ShowError(prefix + error.what());
        } catch (...) {
            errors.push_back(prefix + "不明な例外");
            ShowError(prefix + "不明な例外");
        }
    } catch (...) {
        // Reporting itself failed (no memory, a front end that throws): nothing further can be told here.
    }
}

}  // namespace qz
