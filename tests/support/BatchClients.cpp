#include "tests/support/BatchClients.h"

#include "tests/support/SampleExtracts.h"

namespace qz::test {
namespace {

struct TOtherClient {
    std::string Code;
    std::string Name;
    std::string Kana;
};

// Per sample, in the samples' order: the other client of its kind.
const TOtherClient kOtherClients[] = {
    {"000111", "㈱髙橋②物産", "タカハシブッサン"},
    {"000212", "佐藤①商店 佐藤一郎", "サトウイチロウ"},
    {"000313", "ｻﾄｳ不動産 佐藤花子", "サトウハナコ"},
};
constexpr std::size_t kAbortingClient = 1;

}  // namespace

std::vector<TBatchClient> BatchClients()
{
    std::vector<TBatchClient> clients;
    const auto samples = SampleExtracts();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto& [name, description] = samples[i];
        clients.push_back({"事務所A" / std::filesystem::path(name), description});
        TBatchClient other{"事務所B" / std::filesystem::path("令和7年") / (name + "-2"), description};
        const TOtherClient& names = kOtherClients[i % std::size(kOtherClients)];
        other.Description.ClientCode = names.Code;
        other.Description.ClientNo += 10;
        other.Description.ClientName = names.Name;
        other.Description.ClientKana = names.Kana;
        if (i == kAbortingClient) {
            other.Description.Years.front().Entries.front().DebitTax = "1211";
            other.Aborts = true;
        }
        clients.push_back(std::move(other));
    }
    return clients;
}

void WriteBatchClients(const std::vector<TBatchClient>& clients, const std::filesystem::path& folder)
{
    for (const TBatchClient& client : clients)
        WriteExtract(client.Description, folder / client.Folder);
}

}  // namespace qz::test
