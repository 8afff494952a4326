#include "bencoding/hex.h"

namespace zv::encoding::bencoding {

namespace {
constexpr char digits[] = "0123456789ABCDEF";
}

bool byte_to_hex(unsigned char byte, char* out, std::size_t capacity) {
    if (out == nullptr || capacity < 2) return false;
    out[0] = digits[byte >> 4];
    out[1] = digits[byte & 0x0F];
    return true;
}

std::string hex_upper(const void* data, std::size_t length) {
    std::string text;
    if (data == nullptr || length == 0) return text;
    const auto* p = static_cast<const unsigned char*>(data);
    text.resize(2 * length);
    for (std::size_t i = 0; i < length; ++i) byte_to_hex(p[i], &text[2 * i], 2);
    return text;
}

}  // namespace zv::encoding::bencoding
