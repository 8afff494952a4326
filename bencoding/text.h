// UTF-8 to and from the platform's wide text: UTF-16 code units where wchar_t has
// 16 bits (Windows), whole code points (UTF-32) where it has 32 (Linux).
#pragma once

#include <cstddef>
#include <string>

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

}  // namespace zv::encoding::bencoding
