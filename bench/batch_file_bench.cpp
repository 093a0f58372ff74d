// The library's SimulationBatch, called from C++ on a batch read from a file,
// for comparison with the same call made from Python (the file is written by
// bench/python_batch_bench.py, which runs this program and prints both). The
// library is the shared one the Python package loads, and the time is real
// time, since the batch runs on every core.
//
//   batch_file_bench FILE [--benchmark_... options]
//
// FILE: "TWBATCH1", the entry count (uint32), the random size (float), the
// seed (uint64), the thread count (int32), then the GameState records and
// the ShotVec records, all little-endian as in memory.

#include <tarnwick/tarnwick.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Batch {
    std::vector<GameState> states;
    std::vector<ShotVec> shots;
    float randomSize = 0.0f;
    std::uint64_t seed = 0;
    std::int32_t threads = 0;
};

// Copies the next `size` bytes of `data` from `offset` into `target`; false
// when the data ends first.
bool Take(const std::string& data, std::size_t& offset, void* target, std::size_t size) {
    if (data.size() - offset < size) {
        return false;
    }
    std::memcpy(target, data.data() + offset, size);
    offset += size;
    return true;
}

std::optional<Batch> ReadBatch(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    std::size_t offset = 0;
    char magic[8] = {};
    std::uint32_t count = 0;
    Batch batch;
    if (!file || !Take(data, offset, magic, sizeof magic) ||
        std::memcmp(magic, "TWBATCH1", sizeof magic) != 0 ||
        !Take(data, offset, &count, sizeof count) ||
        !Take(data, offset, &batch.randomSize, sizeof batch.randomSize) ||
        !Take(data, offset, &batch.seed, sizeof batch.seed) ||
        !Take(data, offset, &batch.threads, sizeof batch.threads)) {
        return std::nullopt;
    }
    batch.states.resize(count);
    batch.shots.resize(count);
    if (!Take(data, offset, batch.states.data(), count * sizeof(GameState)) ||
        !Take(data, offset, batch.shots.data(), count * sizeof(ShotVec)) || offset != data.size()) {
        return std::nullopt;
    }
    return batch;
}

void BM_SimulationBatchFromFile(benchmark::State& state, const Batch& batch) {
    const int count = static_cast<int>(batch.states.size());
    std::vector<GameState> results(batch.states.size());
    std::vector<ShotVec> played(batch.shots.size());
    int refused = 0;
    for (auto _ : state) {
        refused = SimulationBatch(batch.states.data(), batch.shots.data(), count, batch.randomSize,
                                  batch.seed, results.data(), played.data(), batch.threads);
        benchmark::DoNotOptimize(results.data());
    }
    if (refused != 0) {
        state.SkipWithError("the library refused entries of the batch");
    }
    state.counters["shots"] = count;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::cerr << "usage: batch_file_bench FILE [--benchmark_... options]\n";
        return 2;
    }
    const std::optional<Batch> batch = ReadBatch(argv[1]);
    if (!batch) {
        std::cerr << "batch_file_bench: " << argv[1] << " is no batch file\n";
        return 1;
    }
    benchmark::RegisterBenchmark("BM_SimulationBatchFromFile", BM_SimulationBatchFromFile, *batch)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
