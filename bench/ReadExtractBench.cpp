// Reading every master and balance file of the largest sample extract: time per read, and the peak
// memory of the process after reading (ru_maxrss). Unquoting hostile lines made only of quoted empty
// fields: the time per byte must stay the same from 200 KB to 1 MB.

#include "convert/ZaimuIO_CsvReader.h"
#include "convert/uQZ_ZaimuIO.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

void ReadLargestSample(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::path(QZ_BENCH_SAMPLES_DIR) / "corporation";
    std::size_t records = 0;
    for (auto _ : state) {
        qz::TQZaimuIO context;
        context.SetCsvDir(folder);
        records = context.Zmuchzan.size() + context.Zmkanjyo.size() + context.Zmkannen.size();
        benchmark::DoNotOptimize(records);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["records"] = static_cast<double>(records);
    state.counters["peak_rss_kib"] = static_cast<double>(usage.ru_maxrss);
}
BENCHMARK(ReadLargestSample)->Unit(benchmark::kMillisecond);

void UnquoteHostileLine(benchmark::State& state)
{
    std::string line;
    while (line.size() < static_cast<std::size_t>(state.range(0)))
        line += ",\"";
    for (auto _ : state)
        benchmark::DoNotOptimize(qz::UnquoteFields(line, false));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(UnquoteHostileLine)->Arg(200 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
