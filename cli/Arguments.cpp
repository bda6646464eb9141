#include "cli/Arguments.h"

#include "common/Format.h"

namespace qz::cli {
namespace {

constexpr TOptionSpec kJson{"--json"};
constexpr TOptionSpec kYear{"--year", true};

constexpr TOptionSpec kTargetInitOptions[] = {
    {"--rows", true}, {"--replace"}, {"--server", true}, {"--server-dir", true}};
constexpr TOptionSpec kInspectOptions[] = {kYear, kJson};
constexpr TOptionSpec kDestinationsOptions[] = {{"--reset", true}, kJson};
constexpr TOptionSpec kConvertOptions[] = {
    kYear,           {"--balance", true}, {"--free-code-digits", true}, {"--chart", true}, {"--row", true},
    {"--special", true, true}, {"--aggregated-csv", true}, {"--dry-run"}, {"--keep"}, kJson};
constexpr TOptionSpec kVerifyOptions[] = {
    {"--row", true}, {"--data", true}, kYear, {"--balance", true}, {"--out", true}, kJson};
constexpr TOptionSpec kBatchOptions[] = {{"--jobs", true}, {"--out", true}, kJson};

constexpr TCommandSpec kCommands[] = {
    {"target-init", 0, kTargetInitOptions},
    {"inspect", 1, kInspectOptions},
    {"destinations", 0, kDestinationsOptions},
    {"convert", 1, kConvertOptions},
    {"batch", 1, kBatchOptions},
    {"verify", 1, kVerifyOptions},
    {"help", 0, {}},
    {"version", 0, {}},
};

// --help (-h) and --version stand for the whole command line wherever they come before "--".
std::optional<std::string_view> StandAloneRequest(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "-h")
            return "help";
        if (argument == "--version")
            return "version";
    }
    return std::nullopt;
}

const TCommandSpec* FindCommand(std::string_view name)
{
    for (const TCommandSpec& command : kCommands)
        if (command.Name == name)
            return &command;
    return nullptr;
}

const TOptionSpec* FindOption(const TCommandSpec& command, std::string_view name)
{
    for (const TOptionSpec& option : command.Options)
        if (option.Name == name)
            return &option;
    return nullptr;
}

TParseResult Failure(std::string text)
{
    return {std::nullopt, std::move(text)};
}

}  // namespace

std::span<const TCommandSpec> Commands()
{
    return kCommands;
}

std::optional<std::string> TArguments::Value(std::string_view option) const
{
    const auto found = Options.find(option);
    if (found == Options.end() || found->second.empty())
        return std::nullopt;
    return found->second.back();
}

const std::vector<std::string>& TArguments::Values(std::string_view option) const
{
    static const std::vector<std::string> none;
    const auto found = Options.find(option);
    return found == Options.end() ? none : found->second;
}

TParseResult ParseArguments(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return Failure("コマンドを指定してください。");
    if (const std::optional<std::string_view> request = StandAloneRequest(arguments)) {
        TArguments parsed;
        parsed.Command = *request;
        return {std::move(parsed), {}};
    }
    const TCommandSpec* command = FindCommand(arguments[0]);
    if (!command)
        return Failure(Format("コマンド「%s」はありません。", arguments[0]));

    TArguments parsed;
    parsed.Command = command->Name;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with("--")) {
            parsed.Operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string optionName = argument.substr(0, equals);
        const TOptionSpec* option = FindOption(*command, optionName);
        if (!option)
            return Failure(Format("%s にオプション %s はありません。", command->Name, optionName));
        std::vector<std::string>& values = parsed.Options[optionName];
        if (!values.empty() && !option->Repeats)
            return Failure(Format("オプション %s は一度だけ指定できます。", optionName));
        if (!option->TakesValue) {
            if (equals != std::string::npos)
                return Failure(Format("オプション %s は値をとりません。", optionName));
            values.emplace_back();
        } else if (equals != std::string::npos) {
            values.push_back(argument.substr(equals + 1));
        } else if (i + 1 < arguments.size()) {
            values.push_back(arguments[++i]);
        } else {
            return Failure(Format("オプション %s に値を指定してください。", optionName));
        }
    }
    if (static_cast<int>(parsed.Operands.size()) != command->Operands)
        return Failure(command->Operands == 0
                           ? Format("%s は引数をとりません。", command->Name)
                           : Format("%s には抽出データのフォルダを一つ指定してください。", command->Name));
    return {std::move(parsed), {}};
}

std::string UsageText(std::string_view program)
{
    return "使い方: " + std::string(program) + " <コマンド> [オプション]\n"
           "       " + std::string(program) + " --help | --version\n"
           "\n"
           "  target-init [--rows N] [--replace] [--server HOST --server-dir DIR]\n"
           "      変換先のインストール（システムデータベース、データフォルダ、接続ファイル）を\n"
           "      共通アプリケーションデータのフォルダ（$QZ_COMMON_APPDATA）に作成します。\n"
           "  inspect EXTRACT [--year N] [--json]\n"
           "      抽出データの関与先、事業年度と仕訳数、読込メッセージ、選んだ年度の特定科目を表示します。\n"
           "  destinations [--reset REC] [--json]\n"
           "      変換先のデータフォルダ（空き、使用中、コンバート中、中断）を表示します。--reset は\n"
           "      コンバート中のまま中断されたデータフォルダを空きに戻し、残されたデータベースを削除します。\n"
           "  convert EXTRACT [--year N] [--balance normal|tax-excluded] [--free-code-digits 3|4]\n"
           "          [--chart general|real-estate] [--row REC] [--special 科目=コード]...\n"
           "          [--aggregated-csv FILE|DIR] [--dry-run [--keep]] [--json]\n"
           "      抽出データを変換します。指定のないものはウィザードと同じ既定値です：最新の事業年度、\n"
           "      通常の残高、フリーコード３桁、個人不動産の科目体系、最初の空きデータフォルダ、\n"
           "      抽出科目から提案される特定科目。変換の後に突合を行い、突合表（CSV、PDF）を\n"
           "      マイドキュメントに保存します。--dry-run は一時フォルダの作業用インストールに変換して\n"
           "      突合し、事務所のデータフォルダには何も書き込みません（--keep で作業用フォルダを残します）。\n"
           "  verify EXTRACT (--row REC | --data FILE) [--year N] [--balance normal|tax-excluded]\n"
           "          [--out DIR] [--json]\n"
           "      変換済みのデータを抽出データと突合し、年度・科目・月ごとの残高と月ごとの仕訳を比べます。\n"
           "      突合表（CSV、PDF）をマイドキュメント（--out のフォルダ）に保存します。差異がなければ\n"
           "      終了コード 0 です。\n"
           "  batch FOLDER [--jobs N] [--out DIR] [--json]\n"
           "      FOLDER 以下のすべての抽出データを、それぞれ次の空きデータフォルダに既定値で変換します。\n"
           "      --jobs は同時に変換する数（既定 1）、--out は関与先ごとのログと一覧の出力先です。\n"
           "      終了コードは変換できなかった関与先の数です。\n"
           "\n"
           "  --year N は inspect が表示する事業年度の番号（1 が最新）、--special の科目は\n"
           "  特定科目の名前（現金、仮払消費税、…）または番号です。--json は結果を一つの JSON で\n"
           "  標準出力に書き、経過は標準エラーに書きます。\n";
}

std::optional<int> ChoiceOf(std::span<const TChoice> choices, std::string_view text)
{
    for (const TChoice& choice : choices)
        if (choice.Spelling == text)
            return choice.Value;
    return std::nullopt;
}

std::string Spellings(std::span<const TChoice> choices)
{
    std::string text;
    for (const TChoice& choice : choices)
        text += (text.empty() ? "" : ", ") + std::string(choice.Spelling);
    return text;
}

}  // namespace qz::cli
