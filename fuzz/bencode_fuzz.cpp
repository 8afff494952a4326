// Fuzz entry point for the bencode reader, writer, scanner and torrent inspection. Besides
// not crashing, every input must satisfy:
//   - operator>> leaves the value, stream bits and position that the step-by-step recursive
//     transcription of the reading procedure (reference_reader.h) leaves;
//   - scan_value succeeds exactly when the read does, and ends where the stream stands;
//   - a complete read writes a value that reads back to the same bytes, and the consumed
//     bytes come back unchanged exactly when they were canonical;
//   - torrent inspection answers what a walk of the (possibly partial) tree answers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "bencoding/bencode.h"
#include "bencoding/scan.h"
#include "bencoding/torrent.h"
#include "bencoding/var.h"
#include "fuzz/reference_reader.h"

namespace {

using namespace zv::encoding::bencoding;

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

std::string encode(const var& v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

struct outcome {
    var value;
    std::ios_base::iostate state = std::ios_base::goodbit;
    long long pos = 0;
};

outcome read(std::string_view bytes, bool reference) {
    std::istringstream is{std::string(bytes)};
    outcome r;
    if (reference)
        bencoding_test::reference_read(is, r.value);
    else
        is >> r.value;
    r.state = is.rdstate();
    r.pos = static_cast<long long>(is.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in));
    return r;
}

// Strict canonical form: no white space, signs only for negative integers, no leading zeros
// or negative zero, dictionary keys strictly ascending. Returns the end of the value or npos.
constexpr std::size_t npos = std::string_view::npos;

std::size_t number_end(std::string_view s, std::size_t p, bool allow_minus) {
    if (allow_minus && p + 1 < s.size() && s[p] == '-' && s[p + 1] != '0') ++p;
    const std::size_t start = p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
    return p == start || (s[start] == '0' && p - start > 1) ? npos : p;
}

std::size_t canonical_end(std::string_view s, std::size_t p, std::string_view* bytes = nullptr) {
    if (p >= s.size()) return npos;
    const char c = s[p];
    if (c >= '0' && c <= '9') {
        const std::size_t colon = number_end(s, p, false);
        if (colon == npos || colon >= s.size() || s[colon] != ':') return npos;
        const unsigned long long n = std::strtoull(std::string(s.substr(p, colon - p)).c_str(), nullptr, 10);
        if (n > s.size() - colon - 1) return npos;
        if (bytes) *bytes = s.substr(colon + 1, n);
        return colon + 1 + n;
    }
    if (c == 'i') {
        const std::size_t e = number_end(s, p + 1, true);
        return e != npos && e < s.size() && s[e] == 'e' ? e + 1 : npos;
    }
    if (c != 'l' && c != 'd') return npos;
    std::string_view previous;
    bool first = true;
    for (++p; p < s.size() && s[p] != 'e';) {
        if (c == 'd') {
            std::string_view key;
            if (s[p] < '0' || s[p] > '9' || (p = canonical_end(s, p, &key)) == npos) return npos;
            if (!first && !(previous < key)) return npos;
            previous = key;
            first = false;
        }
        if ((p = canonical_end(s, p)) == npos) return npos;
    }
    return p < s.size() ? p + 1 : npos;
}

bool names_video(const var& name) {
    if (name.kind() != var::string) return false;
    const std::string& s = name.string_value();
    const std::size_t dot = s.rfind('.');
    return dot != std::string::npos && is_video_extension(std::string_view(s).substr(dot));
}

// The torrent answers read off the tree: whether there is a link, and whether a video.
std::pair<bool, bool> tree_answers(const var& root) {
    const auto& top = root.dict_value();
    const auto info_at = top.find("info");
    if (info_at == top.end() || info_at->second.kind() != var::dictionary) return {false, false};
    const auto& info = info_at->second.dict_value();
    const auto meta = info.find("meta version");
    if (meta != info.end() && meta->second.kind() == var::integer && meta->second.integer_value() >= 2 &&
        !info.count("pieces"))
        return {false, false};
    const auto files = info.find("files");
    if (files == info.end() || files->second.kind() != var::list) {
        const auto name = info.find("name");
        return {true, name != info.end() && names_video(name->second)};
    }
    for (const var& entry : files->second.list_value()) {
        if (entry.kind() != var::dictionary) continue;
        const auto path = entry.dict_value().find("path");
        if (path != entry.dict_value().end() && path->second.kind() == var::list &&
            !path->second.list_value().empty() && names_video(path->second.list_value().back()))
            return {true, true};
    }
    return {true, false};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const outcome ours = read(input, false);
    const outcome oracle = read(input, true);
    const std::string written = encode(ours.value);
    check(ours.state == oracle.state, "same stream bits as the reference reader");
    check(ours.pos == oracle.pos, "same position as the reference reader");
    check(ours.value.kind() == oracle.value.kind() && written == encode(oracle.value), "same value as the reference");

    const std::pair<bool, bool> expected = tree_answers(oracle.value);
    const std::string link = torrent_bytes_magnet_link(input);
    check(link.empty() != expected.first, "a link exactly when the tree holds a usable info dictionary");
    check(link.empty() || (link.size() == 60 && link.rfind("magnet:?xt=urn:btih:", 0) == 0), "link form");
    check(torrent_bytes_have_video(input) == expected.second, "video verdict of the tree");

    const bool complete = ours.state == std::ios_base::goodbit;
    span s;
    check(scan_value(input.data(), input.size(), 0, s) == complete, "scanner succeeds with the reader");
    if (!complete) return 0;
    check(s.end == static_cast<std::size_t>(ours.pos), "scanner ends where the stream stands");

    const outcome again = read(written, false);
    check(again.state == std::ios_base::goodbit && again.pos == static_cast<long long>(written.size()),
          "written form reads completely");
    check(encode(again.value) == written, "written form is stable");
    const std::string_view own = input.substr(s.begin, s.end - s.begin);
    const bool canonical = s.begin == 0 && canonical_end(own, 0) == own.size();
    check(canonical == (written == input.substr(0, s.end)), "canonical input, and only that, comes back byte for byte");
    return 0;
}
