#include "bencoding/text.h"

namespace zv::encoding::bencoding {

namespace {

void append_wide(std::wstring& out, char32_t cp) {
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

}  // namespace

void detail::decode_utf8(const char* data, std::size_t length, std::wstring& text) {
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = s[i];
        if (lead < 0x80) {
            text += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // Sequence length and the range allowed for the second byte; the narrower ranges
        // exclude overlong forms, surrogates and values above U+10FFFF.
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0) lo = 0xA0;
            if (lead == 0xED) hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            cp = lead & 0x07;
            if (lead == 0xF0) lo = 0x90;
            if (lead == 0xF4) hi = 0x8F;
        } else {
            text += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool whole = true;
        for (int k = 0; k < more; ++k, ++j) {
            if (j >= length || s[j] < lo || s[j] > hi) {
                whole = false;
                break;
            }
            cp = (cp << 6) | (s[j] & 0x3F);
            lo = 0x80;
            hi = 0xBF;
        }
        // A broken sequence yields one replacement for the bytes that still looked valid.
        append_wide(text, whole ? cp : 0xFFFD);
        i = j;
    }
}

}  // namespace zv::encoding::bencoding
