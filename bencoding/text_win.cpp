#include "bencoding/text.h"

#include <windows.h>

#include <climits>

namespace zv::encoding::bencoding {

void detail::decode_utf8(const char* data, std::size_t length, std::wstring& text) {
    std::size_t done = 0;
    while (done < length) {
        // The API counts in int: convert huge input in pieces that end on a sequence start.
        std::size_t piece = length - done;
        if (piece > INT_MAX / 2) {
            piece = INT_MAX / 2;
            for (int back = 0; back < 3 && (static_cast<unsigned char>(data[done + piece]) & 0xC0) == 0x80; ++back)
                --piece;
        }
        const int count = MultiByteToWideChar(CP_UTF8, 0, data + done, static_cast<int>(piece), nullptr, 0);
        if (count > 0) {
            const std::size_t at = text.size();
            text.resize(at + static_cast<std::size_t>(count));
            MultiByteToWideChar(CP_UTF8, 0, data + done, static_cast<int>(piece), &text[at], count);
        }
        done += piece;
    }
}

}  // namespace zv::encoding::bencoding
