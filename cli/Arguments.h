#pragma once
// The command line of qzconvert-cli: a command, its operands and its options, checked against the table of
// what each command takes.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz::cli {

struct TOptionSpec {
    std::string_view Name;   // "--year"
    bool TakesValue = false;
    bool Repeats = false;
};

struct TCommandSpec {
    std::string_view Name;
    int Operands = 0;        // EXTRACT for inspect and convert
    std::span<const TOptionSpec> Options;
};

std::span<const TCommandSpec> Commands();

struct TArguments {
    std::string Command;
    std::vector<std::string> Operands;
    std::map<std::string, std::vector<std::string>, std::less<>> Options;

    bool Has(std::string_view option) const { return Options.find(option) != Options.end(); }
    // The value of an option given once; nothing when it was not given.
    std::optional<std::string> Value(std::string_view option) const;
    const std::vector<std::string>& Values(std::string_view option) const;
};

// The parsed command line, or the text of what is wrong with it. Options may come before or after the
// operands, as "--name value" or "--name=value"; "--" ends the options. --help, -h and --version before
// "--" make the command "help" or "version" whatever else is given.
struct TParseResult {
    std::optional<TArguments> Arguments;
    std::string Error;
};
TParseResult ParseArguments(const std::vector<std::string>& arguments);

// The usage text (for "help", --help and a command line that is wrong), naming the program as it runs.
std::string UsageText(std::string_view program);

// An option value from a table of accepted spellings; nothing for any other spelling.
struct TChoice {
    std::string_view Spelling;
    int Value;
};
std::optional<int> ChoiceOf(std::span<const TChoice> choices, std::string_view text);
// The accepted spellings, for the message about a wrong one: "normal, 通常, ...".
std::string Spellings(std::span<const TChoice> choices);

}  // namespace qz::cli
