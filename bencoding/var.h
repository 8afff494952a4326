// The bencode value: nothing, a 64-bit integer, a byte string, a list or a dictionary.
// Access by key or index converts instead of failing; copies are always deep.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

namespace zv::encoding::bencoding {

class var {
public:
    enum kind_type : std::int32_t { none = 0, integer = 1, string = 2, list = 3, dictionary = 4 };

    using list_type = std::vector<var>;
    // std::less<std::string> compares bytes as unsigned, which is the order bencode wants.
    using dict_type = std::map<std::string, var>;

    var() noexcept;
    var(const var& other);
    var(var&& other) noexcept;
    virtual ~var();

    var& operator=(const var& other);
    var& operator=(var&& other) noexcept;
    var& operator=(const std::string& bytes);
    var& operator=(std::string&& bytes);
    var& operator=(std::int64_t value);
    var& operator=(std::int32_t value);
    // Other integer types (long long where int64_t is long, unsigned ...) store as int64.
    template <class I, std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool> &&
                                            !std::is_same_v<I, std::int64_t> &&
                                            !std::is_same_v<I, std::int32_t>,
                                        int> = 0>
    var& operator=(I value) {
        return *this = static_cast<std::int64_t>(value);
    }

    std::int32_t kind() const noexcept { return kind_; }
    // Elements of a list, entries of a dictionary; 0 for every other kind.
    std::uint32_t size() const noexcept;
    void clear() noexcept;

    // Read-only looks that never convert: the member of the asked kind, or 0 / an empty
    // container when the value is of another kind.
    std::int64_t integer_value() const noexcept { return kind_ == integer ? int_ : 0; }
    const std::string& string_value() const noexcept;
    const list_type& list_value() const noexcept;
    const dict_type& dict_value() const noexcept;

    list_type& as_list();
    dict_type& as_dict();

    var& operator[](const char* key);
    var& operator[](const std::string& key);
    // Grows the list with none values up to index. 4294967295 can never be grown to and
    // throws std::length_error instead of handing out an element outside the list.
    var& operator[](std::uint32_t index);
    // Lets v[0] and v[i] with other integer types pick the index access; an index outside
    // 0..4294967295 throws std::length_error.
    template <class I, std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool> &&
                                            !std::is_same_v<I, std::uint32_t>,
                                        int> = 0>
    var& operator[](I index) {
        if constexpr (std::is_signed_v<I>) {
            if (index < 0) throw_index_length();
        }
        if (static_cast<std::uint64_t>(index) > UINT32_MAX) throw_index_length();
        return (*this)[static_cast<std::uint32_t>(index)];
    }

private:
    [[noreturn]] static void throw_index_length();
    void move_from(var& other) noexcept;

    static constexpr std::size_t storage_size =
        std::max({sizeof(std::int64_t), sizeof(std::string), sizeof(list_type), sizeof(dict_type)});

    std::int32_t kind_ = none;
    union {
        std::int64_t int_;
        std::string str_;
        list_type list_;
        dict_type dict_;
        unsigned char raw_[storage_size];
    };
};

}  // namespace zv::encoding::bencoding
