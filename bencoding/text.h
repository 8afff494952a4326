// UTF-8 to and from the platform's wide text: UTF-16 code units where wchar_t has
// 16 bits (Windows), whole code points (UTF-32) where it has 32 (Linux).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zv::encoding::bencoding {

// Ill-formed bytes become U+FFFD, as on Windows. The portable build gives one per maximal
// ill-formed prefix (Unicode's recommended practice); for overlong and surrogate forms the
// Windows conversion may give a different number of them. `out` is emptied for no data and
// left unchanged if memory runs out.
void utf8_to_wide(const char* data, std::size_t length, std::wstring& out);

namespace detail {
// The platform's conversion: appends the wide text of data[0..length) to text; may throw
// std::bad_alloc.
void decode_utf8(const char* data, std::size_t length, std::wstring& text);
}  // namespace detail

// Unpaired surrogates and values outside Unicode become U+FFFD.
std::string wide_to_utf8(const std::wstring& text);

// ASCII letters only: no locale's case rule may turn another name into a match.
template <class Char>
constexpr Char ascii_lower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

constexpr bool is_high_surrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool is_low_surrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// How many of text's first n units to keep so that a cut there splits no surrogate pair:
// n, or n - 1 when the pair straddles it; the whole text when it is no longer than n.
constexpr std::size_t whole_units(std::wstring_view text, std::size_t n) {
    if (text.size() <= n) return text.size();
    return n > 0 && is_high_surrogate(text[n - 1]) && is_low_surrogate(text[n]) ? n - 1 : n;
}

}  // namespace zv::encoding::bencoding
