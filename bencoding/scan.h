// Reading bencode straight from a buffer without building var trees: spans of values and
// read-only views of them, with exactly the acceptance rules of operator>>.
//
// Additions to the agreed interface: value_view::get_integer, callbacks that return void
// (they never stop the walk), and value_view::size() of a dictionary whose keys are not in
// strictly ascending order sorts a temporary index of its keys (the one allocation here;
// counting duplicates by pairs would take quadratic time on hostile input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>

namespace zv::encoding::bencoding {

// Byte offsets [begin, end) into the scanned buffer. begin is the value's first own byte
// (white space the reader skips before it is not included); end is one past its last byte.
struct span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Reads one value starting at data[pos] exactly as operator>> would from a fresh stream
// (classic locale) holding data[pos..size). True when it was read completely (the stream
// would be good afterwards); then `out` is its span. No allocation that grows with the input.
bool scan_value(const char* data, std::size_t size, std::size_t pos, span& out);

// Reads the root value from the start of the buffer as operator>> would, and answers for the
// value that the resulting (possibly partial) var tree would hold under root[key] if the root
// is a dictionary: its first occurrence, present only if that value was read completely.
// False when the tree would hold no such entry (root not a dictionary, key absent, or the read
// failed before the value was complete). Stops reading once the answer is known.
bool find_root_entry(const char* data, std::size_t size, std::string_view key, span& out);

class value_view;

namespace scan_detail {
using element_fn = bool (*)(void* context, const value_view& element);
using entry_fn = bool (*)(void* context, std::string_view key, const value_view& value);

template <class F, class... Args>
bool call(F& f, Args&&... args) {
    if constexpr (std::is_void_v<std::invoke_result_t<F&, Args...>>) {
        f(std::forward<Args>(args)...);
        return true;
    } else {
        return static_cast<bool>(f(std::forward<Args>(args)...));
    }
}
}  // namespace scan_detail

// A read-only view of one completely read value inside a buffer (a span returned above, or
// obtained from another view). Cheap to copy.
class value_view {
public:
    value_view() = default;  // kind none
    value_view(const char* data, std::size_t size, span s);

    int kind() const;  // var's kind numbers: 0 none, 1 integer, 2 string, 3 list, 4 dictionary
    span where() const { return span_; }
    std::string_view raw() const;    // the value's bytes in the buffer, as they stand
    std::string_view bytes() const;  // a string's own bytes; empty for other kinds
    // An integer's value; false for other kinds.
    bool get_integer(std::int64_t& out) const;
    // list: number of elements; dictionary: number of distinct keys (as var would hold); else 0
    std::size_t size() const;

    // list: calls f(const value_view& element) for each element in order; f returns false to stop
    template <class F>
    void for_each_element(F&& f) const {
        using fn_type = std::remove_reference_t<F>;
        walk_elements(
            [](void* context, const value_view& element) {
                return scan_detail::call(*static_cast<fn_type*>(context), element);
            },
            const_cast<void*>(static_cast<const void*>(std::addressof(f))));
    }

    // dictionary: calls f(std::string_view key, const value_view& value) for each pair in file
    // order, duplicates included; f returns false to stop
    template <class F>
    void for_each_entry(F&& f) const {
        using fn_type = std::remove_reference_t<F>;
        walk_entries(
            [](void* context, std::string_view key, const value_view& value) {
                return scan_detail::call(*static_cast<fn_type*>(context), key, value);
            },
            const_cast<void*>(static_cast<const void*>(std::addressof(f))));
    }

    // dictionary: the value var would hold under key (the first occurrence); false if none or
    // not a dictionary
    bool find(std::string_view key, value_view& out) const;
    // list: its last element; false for an empty list or another kind
    bool last_element(value_view& out) const;

private:
    void walk_elements(scan_detail::element_fn fn, void* context) const;
    void walk_entries(scan_detail::entry_fn fn, void* context) const;

    const char* data_ = nullptr;
    std::size_t size_ = 0;
    span span_;
};

}  // namespace zv::encoding::bencoding
