// A Firebird error as the program reports it: the Japanese text of any status code, and the report of an
// error whose server message is any bytes. Reporting never throws (the functions are noexcept: an escape
// would end the process here), never hides the server's message, and its logs keep every byte of it.

#include "common/Cp932.h"
#include "db/DbErrorText.h"
#include "db/ErrorReport.h"
#include "fuzz/FuzzSupport.h"
#include "platform/SystemDef.h"

#include <cstring>

using namespace qz;
using qz::fuzz::Check;

namespace {

namespace fs = std::filesystem;

// Codes near the table's two ranges most of the time, any code else.
std::int64_t CodeOf(fuzz::TInput& input)
{
    const std::uint8_t kind = input.Byte();
    const std::int64_t offset = input.Byte() << 8 | input.Byte();
    switch (kind % 4) {
    case 0: return 335544320 + offset % 400;
    case 1: return 336330752 + offset % 128;
    case 2: return offset - 32768;
    default: {
        std::int64_t code = 0;
        for (int i = 0; i < 8; ++i)
            code = static_cast<std::int64_t>(static_cast<std::uint64_t>(code) << 8 | input.Byte());
        return code;
    }
    }
}

bool Contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TQuietUi& ui = fuzz::Quiet();
    fuzz::TInput input(data, size);
    const std::int64_t code = CodeOf(input);
    const int sqlCode = -static_cast<int>(input.Byte() << 8 | input.Byte()) / 8;
    const std::string message(input.Rest());

    const std::string_view text = DbErrorText(code, sqlCode);
    Check(text == " " || (text.starts_with("（") && fuzz::IsUtf8(text)), "a code's text is blank or a Japanese explanation");
    EncodeCp932(text);   // a fixed text: throws (and fails here) when one cannot be written to a log

    const fs::path folder = fuzz::PrivateFolder() / "logs";
    fs::remove_all(folder);
    SystemDef().LogDir = folder.string();
    SystemDef().InstallDir = folder.string();
    ResetDbFatalForTests();
    const fb::TFbError error(code, sqlCode, message);
    ReportDbError(error, "TFuzz.Report", "データベースエラー", false);
    if (code != kFbInternalConsistency) {
        Check(ui.Messages.size() == 1 && Contains(ui.Messages.front(), message), "the operator sees the server's message");
        Check(Contains(ui.Messages.front(), std::string(text)), "the operator sees the code's text");
    }
    const std::string log = fuzz::ReadFile(folder / "ErrFbAccess.txt");
    Check(Contains(log, EncodeCp932Escaped(message)), "the log keeps the server's message, escaped where it must be");

    ui.Messages.clear();
    ShowSqlError(error, "SQL エラー");
    Check(ui.Messages.size() == 1 && Contains(ui.Messages.front(), message), "the SQL error box shows the server's message");
    Check(Contains(fuzz::ReadFile(folder / "FB_ERROR.TXT"), EncodeCp932Escaped(message)), "the SQL error log keeps the message");
    std::vector<std::string> lines;
    ShowSqlError(error, "SQL エラー", &lines);
    Check(lines.size() == 3 && lines[1] == ErrorCodeLine(error) && lines[2] == text, "the list gets the box's lines");
    return 0;
}
