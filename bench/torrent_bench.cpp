// Speed of SHA-1 on each engine and of torrent inspection on the reference torrent
// (bench/make_reference_torrent.py; its path in KP_REFERENCE_TORRENT).
#include "bencoding/file_read.h"
#include "bencoding/sha1.h"
#include "bencoding/text.h"
#include "bencoding/torrent.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace zv::encoding::bencoding;

void sha1_throughput(benchmark::State& state, sha1_engine engine) {
    if (!sha1_engine_available(engine)) {
        state.SkipWithError("engine not available on this processor");
        return;
    }
    std::vector<unsigned char> data(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131);
    unsigned char out[20];
    for (auto _ : state) {
        sha1_digest(data.data(), data.size(), out, engine);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK_CAPTURE(sha1_throughput, portable, sha1_engine::portable)->Arg(64 << 10)->Arg(16 << 20);
BENCHMARK_CAPTURE(sha1_throughput, sha_ni, sha1_engine::sha_ni)->Arg(64 << 10)->Arg(16 << 20);

std::wstring reference_path() {
    const char* path = std::getenv("KP_REFERENCE_TORRENT");
    std::wstring wide;
    if (path != nullptr) utf8_to_wide(path, std::strlen(path), wide);
    return wide;
}

bool reference_bytes(benchmark::State& state, file_bytes& bytes) {
    if (read_file_bounded(reference_path(), torrent_size_limit, bytes) != file_read_result::ok) {
        state.SkipWithError("set KP_REFERENCE_TORRENT to the reference torrent");
        return false;
    }
    return true;
}

void inspect_file(benchmark::State& state, int what) {
    file_bytes bytes;
    if (!reference_bytes(state, bytes)) return;
    const std::wstring path = reference_path();
    for (auto _ : state) {
        if (what == 0) benchmark::DoNotOptimize(torrent_has_video(path));
        if (what == 1) benchmark::DoNotOptimize(torrent_magnet_link(path));
        if (what == 2) benchmark::DoNotOptimize(torrent_inspect(path));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size));
}
BENCHMARK_CAPTURE(inspect_file, torrent_has_video, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(inspect_file, torrent_magnet_link, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(inspect_file, torrent_inspect, 2)->Unit(benchmark::kMillisecond);

// The same work on bytes already in memory, to tell reading from parsing and hashing.
void inspect_bytes(benchmark::State& state, int what) {
    file_bytes bytes;
    if (!reference_bytes(state, bytes)) return;
    for (auto _ : state) {
        if (what == 0) benchmark::DoNotOptimize(torrent_bytes_have_video(bytes.view()));
        if (what == 1) benchmark::DoNotOptimize(torrent_bytes_magnet_link(bytes.view()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size));
}
BENCHMARK_CAPTURE(inspect_bytes, have_video, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(inspect_bytes, magnet_link, 1)->Unit(benchmark::kMillisecond);

void read_only(benchmark::State& state) {
    file_bytes bytes;
    if (!reference_bytes(state, bytes)) return;
    const std::wstring path = reference_path();
    for (auto _ : state) {
        if (read_file_bounded(path, torrent_size_limit, bytes) != file_read_result::ok) {
            state.SkipWithError("the reference torrent could not be read");
            break;
        }
        benchmark::DoNotOptimize(bytes.data.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size));
}
BENCHMARK(read_only)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
