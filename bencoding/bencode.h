// Reading and writing bencoded bytes for var values through standard byte streams.
#pragma once

#include <iosfwd>

#include "bencoding/var.h"

namespace zv::encoding::bencoding {

// Reads one value into v (cleared first) with the stream's own formatted extraction, so its
// settings (white space, number base, locale) apply. Failure shows only in the stream's state; v then
// holds what was read completely before the failure point: a bad first byte or string
// leaves none, a bad integer leaves the integer 0, and an unfinished root list or
// dictionary keeps the elements and pairs completed before it.
//
// Lenient where formatted extraction is: white space (as the stream's locale classifies it)
// before any token, signs and leading zeros in numbers, "+" before a key length. On success
// the stream stands just after the value's last byte and is good.
//
// Stricter where the input would otherwise do harm, each ending the read with failbit:
//   - at most 512 lists and dictionaries may be open at once; the 513th "l" or "d" fails;
//   - a negative string or key length fails after its ":";
//   - a declared length only costs memory as the stream delivers the bytes;
//   - running out of memory ends the read with failbit, not an exception.
// A stream that is not good on entry is left alone and v stays none.
std::istream& operator>>(std::istream& is, var& v);

// Writes v: integers as plain decimal whatever the stream's number formatting, dictionary
// keys in their sorted order, none as nothing at all.
std::ostream& operator<<(std::ostream& os, const var& v);

}  // namespace zv::encoding::bencoding
