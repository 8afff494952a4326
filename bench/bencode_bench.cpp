// Speed of reading a large torrent-like buffer: operator>> through a string stream, the
// scanner, and torrent inspection in memory.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "bencoding/bencode.h"
#include "bencoding/scan.h"
#include "bencoding/torrent.h"
#include "bencoding/var.h"

namespace {

using namespace zv::encoding::bencoding;

// About 12 MB: 100,000 file entries and a piece-hash string filling the rest.
const std::string& torrent_12mb() {
    static const std::string text = [] {
        std::string files;
        for (int i = 0; i < 100000; ++i) {
            const std::string name = "episode_" + std::to_string(i) + (i % 2 ? ".mkv" : ".nfo");
            files += "d6:lengthi" + std::to_string(1000000 + i * 7) + "e4:pathl6:season" +
                     std::to_string(name.size()) + ":" + name + "ee";
        }
        const std::string pieces(12 * 1000 * 1000 - files.size(), '\x5a');
        return "d8:announce20:http://tracker/annce4:infod5:filesl" + files + "e4:name6:series12:piece lengthi262144e6:pieces" +
               std::to_string(pieces.size()) + ":" + pieces + "ee";
    }();
    return text;
}

void read_with_operator(benchmark::State& state) {
    const std::string& text = torrent_12mb();
    for (auto _ : state) {
        std::istringstream is(text);
        var root;
        is >> root;
        if (!is.good()) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(root.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(read_with_operator)->Unit(benchmark::kMillisecond);

void scan_whole(benchmark::State& state) {
    const std::string& text = torrent_12mb();
    for (auto _ : state) {
        span s;
        if (!scan_value(text.data(), text.size(), 0, s)) state.SkipWithError("scan failed");
        benchmark::DoNotOptimize(s.end);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(scan_whole)->Unit(benchmark::kMillisecond);

// What torrent inspection does: one scan for the info span and the file names, then SHA-1.
void inspect_in_memory(benchmark::State& state) {
    const std::string& text = torrent_12mb();
    for (auto _ : state) benchmark::DoNotOptimize(torrent_bytes_magnet_link(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(inspect_in_memory)->Unit(benchmark::kMillisecond);

void write_back(benchmark::State& state) {
    const std::string& text = torrent_12mb();
    std::istringstream is(text);
    var root;
    is >> root;
    for (auto _ : state) {
        std::ostringstream os;
        os << root;
        benchmark::DoNotOptimize(os.tellp());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(write_back)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
