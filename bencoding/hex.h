// Upper-case hexadecimal text of bytes, as used in magnet links.
#pragma once

#include <cstddef>
#include <string>

namespace zv::encoding::bencoding {

// Writes the two digits of `byte` to out[0] and out[1]; false (nothing written) when
// out is null or has room for fewer than two characters.
bool byte_to_hex(unsigned char byte, char* out, std::size_t capacity);

// Two digits per byte, in input order; empty for no data.
std::string hex_upper(const void* data, std::size_t length);

}  // namespace zv::encoding::bencoding
