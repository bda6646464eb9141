// The batch of six clients (the three sample extracts and each again as another client, one of which aborts
// its conversion) converted by `qzconvert-cli batch` into fresh local installations, with --jobs 1 and
// --jobs 2: prints the wall time of each and the speed-up. The workers are processes of their own, so the
// speed-up depends on the cores the machine can give them.

#include "common/Format.h"
#include "platform/ChildProcess.h"
#include "tests/support/BatchClients.h"
#include "tests/support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

using namespace qz;
namespace fs = std::filesystem;

int RunCli(const std::vector<std::string>& arguments, const fs::path& log)
{
    return RunChildProcess({.Program = QZ_CLI_PATH, .Arguments = arguments, .OutputFile = log});
}

// Seconds of one batch run into a fresh installation.
double BatchSeconds(const fs::path& root, const fs::path& extracts, int jobs)
{
    const fs::path common = root / Format("installation-%d", jobs);
    ::setenv("QZ_COMMON_APPDATA", common.c_str(), 1);
    if (RunCli({"target-init", "--rows", "7"}, root / "target-init.log") != 0)
        throw std::runtime_error("target-init failed: " + (root / "target-init.log").string());
    const fs::path log = root / Format("batch-%d.log", jobs);
    const auto started = std::chrono::steady_clock::now();
    const int status = RunCli({"batch", extracts.string(), "--jobs", std::to_string(jobs), "--out", (root / Format("out-%d", jobs)).string()}, log);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // One of the six aborts on purpose: exactly one failed client is the expected end.
    if (status != 1)
        throw std::runtime_error(Format("batch --jobs %d ended with %d (expected 1): %s", jobs, status, log.string()));
    return seconds;
}

}  // namespace

int main()
{
    try {
        const test::TTempFolder root;
        ::setenv("TEMP", root.Path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", root.Path().c_str(), 1);
        ::setenv("QZ_DOCUMENTS", (root.Path() / "documents").c_str(), 1);
        const fs::path extracts = root.Path() / "extracts";
        const std::vector<test::TBatchClient> clients = test::BatchClients();
        test::WriteBatchClients(clients, extracts);

        const double one = BatchSeconds(root.Path(), extracts, 1);
        std::printf("batch of %zu clients, --jobs 1: %6.1f s\n", clients.size(), one);
        const double two = BatchSeconds(root.Path(), extracts, 2);
        std::printf("batch of %zu clients, --jobs 2: %6.1f s\n", clients.size(), two);
        std::printf("speed-up: %.2f\n", one / two);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qz_bench_batch: %s\n", error.what());
        return 1;
    }
    return 0;
}
