// Speed of reading a large torrent-like buffer: operator>> through a string stream (and the
// literal formatted-extraction reader as the reference), the scanner, and a file walk on views.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "bencoding/bencode.h"
#include "bencoding/scan.h"
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

void read_by_formatted_extraction(benchmark::State& state) {
    const std::string& text = torrent_12mb();
    for (auto _ : state) {
        std::istringstream is(text);
        var root;
        read_by_extraction(is, root);
        if (!is.good()) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(root.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(read_by_formatted_extraction)->Unit(benchmark::kMillisecond);

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

// What torrent inspection does: the info span, then every file's last path part.
void scan_info_and_walk_files(benchmark::State& state) {
    const std::string& text = torrent_12mb();
    for (auto _ : state) {
        span info_span;
        if (!find_root_entry(text.data(), text.size(), "info", info_span)) state.SkipWithError("no info");
        const value_view info(text.data(), text.size(), info_span);
        value_view files;
        info.find("files", files);
        std::size_t names = 0;
        files.for_each_element([&](const value_view& file) {
            value_view path, last;
            if (file.find("path", path) && path.last_element(last)) names += last.bytes().size();
        });
        benchmark::DoNotOptimize(names);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(scan_info_and_walk_files)->Unit(benchmark::kMillisecond);

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
