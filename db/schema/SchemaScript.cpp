#include "db/schema/SchemaScript.h"

#include "common/SjisText.h"

#include <sstream>
#include <stdexcept>

namespace qz::schema {
namespace {

constexpr std::string_view kVersion610Marker = "--@610";

bool IsBlankOrComment(std::string_view text)
{
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && !trimmed.starts_with("--"))
            return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitScript(std::string_view script, const TDataVersion& version)
{
    std::vector<std::string> statements;
    std::string terminator = ";";
    std::string current;
    std::istringstream lines{std::string(script)};
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.ends_with(kVersion610Marker)) {
            if (!version.HasSiteRecord())
                continue;
            line.resize(line.size() - kVersion610Marker.size());
        }
        const std::string trimmed = Trim(line);
        if (UpperAscii(trimmed).starts_with("SET TERM ")) {
            // "SET TERM ^ ;" switches to "^"; the line itself ends with the old terminator.
            std::istringstream words(trimmed.substr(9));
            words >> terminator;
            continue;
        }
        current += line;
        current += '\n';
        if (trimmed.ends_with(terminator)) {
            std::string statement = Trim(current);
            statement.resize(statement.size() - terminator.size());
            if (!IsBlankOrComment(statement))
                statements.push_back(Trim(statement));
            current.clear();
        }
    }
    if (!IsBlankOrComment(current))
        throw std::runtime_error("script ends inside a statement: " + current.substr(0, 200));
    return statements;
}

void RunScript(fb::TAttachment& attachment, std::string_view script, std::string_view scriptName,
               const TDataVersion& version)
{
    for (const std::string& statement : SplitScript(script, version)) {
        fb::TTransaction transaction(attachment);
        transaction.Start();
        try {
            fb::ExecuteImmediate(transaction, statement);
        } catch (const fb::TFbError& error) {
            throw fb::TFbError(error.Code(), error.SqlCode(),
                               error.Message() + "\nin " + std::string(scriptName) + ":\n" + statement.substr(0, 400));
        }
        transaction.Commit();
    }
}

}  // namespace qz::schema
