// The bencode value's tagged union: construction, deep copy, release and conversion on access.
#include "bencoding/var.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace zv::encoding::bencoding {

var::var() noexcept : kind_(none) {
    std::memset(raw_, 0, sizeof raw_);
}

var::var(const var& other) : var() {
    switch (other.kind_) {
    case integer:
        int_ = other.int_;
        break;
    case string:
        new (&str_) std::string(other.str_);
        break;
    case list:
        new (&list_) list_type(other.list_);
        break;
    case dictionary:
        new (&dict_) dict_type(other.dict_);
        break;
    default:
        return;
    }
    kind_ = other.kind_;
}

var::var(var&& other) noexcept : var() {
    move_from(other);
}

var::~var() {
    clear();
}

// Takes over other's member and leaves other none. *this must be none.
void var::move_from(var& other) noexcept {
    switch (other.kind_) {
    case integer:
        int_ = other.int_;
        break;
    case string:
        new (&str_) std::string(std::move(other.str_));
        break;
    case list:
        new (&list_) list_type(std::move(other.list_));
        break;
    case dictionary:
        new (&dict_) dict_type(std::move(other.dict_));
        break;
    default:
        return;
    }
    kind_ = other.kind_;
    other.clear();
}

var& var::operator=(const var& other) {
    if (this == &other) return *this;
    // Copy before releasing anything: other may live inside this value's own tree.
    var copy(other);
    clear();
    move_from(copy);
    return *this;
}

var& var::operator=(var&& other) noexcept {
    if (this == &other) return *this;
    // Detach first for the same reason as the copy: other may be one of our descendants.
    var taken;
    taken.move_from(other);
    clear();
    move_from(taken);
    return *this;
}

var& var::operator=(const std::string& bytes) {
    std::string copy(bytes);  // bytes may be a string inside this tree
    return *this = std::move(copy);
}

var& var::operator=(std::string&& bytes) {
    std::string taken(std::move(bytes));
    clear();
    new (&str_) std::string(std::move(taken));
    kind_ = string;
    return *this;
}

var& var::operator=(std::int64_t value) {
    clear();
    int_ = value;
    kind_ = integer;
    return *this;
}

var& var::operator=(std::int32_t value) {
    return *this = static_cast<std::int64_t>(value);
}

std::uint32_t var::size() const noexcept {
    switch (kind_) {
    case list:
        return static_cast<std::uint32_t>(list_.size());
    case dictionary:
        return static_cast<std::uint32_t>(dict_.size());
    default:
        return 0;
    }
}

void var::clear() noexcept {
    switch (kind_) {
    case string:
        str_.~basic_string();
        break;
    case list:
        list_.~list_type();
        break;
    case dictionary:
        dict_.~dict_type();
        break;
    default:
        break;
    }
    kind_ = none;
    std::memset(raw_, 0, sizeof raw_);
}

const std::string& var::string_value() const noexcept {
    static const std::string empty;
    return kind_ == string ? str_ : empty;
}

const var::list_type& var::list_value() const noexcept {
    static const list_type empty;
    return kind_ == list ? list_ : empty;
}

const var::dict_type& var::dict_value() const noexcept {
    static const dict_type empty;
    return kind_ == dictionary ? dict_ : empty;
}

var::list_type& var::as_list() {
    if (kind_ != list) {
        clear();
        new (&list_) list_type();
        kind_ = list;
    }
    return list_;
}

var::dict_type& var::as_dict() {
    if (kind_ != dictionary) {
        clear();
        new (&dict_) dict_type();
        kind_ = dictionary;
    }
    return dict_;
}

var& var::operator[](const char* key) {
    // A null key is looked up as the empty key rather than read through.
    return (*this)[std::string(key ? key : "")];
}

var& var::operator[](const std::string& key) {
    if (kind_ != dictionary) {
        std::string own(key);  // key may be a key somewhere inside the tree as_dict discards
        as_dict();
        return dict_.emplace(std::move(own), var()).first->second;
    }
    dict_type& d = dict_;
    auto it = d.find(key);
    if (it == d.end()) it = d.emplace(key, var()).first;
    return it->second;
}

var& var::operator[](std::uint32_t index) {
    list_type& l = as_list();
    if (index >= l.size()) {
        if (index == UINT32_MAX) throw_index_length();
        l.resize(static_cast<std::size_t>(index) + 1);
    }
    return l[index];
}

void var::throw_index_length() {
    throw std::length_error("bencoding::var: index beyond the largest list");
}

}  // namespace zv::encoding::bencoding
