// Keyed collections: values under text keys compared without regard to letter case,
// enumerated in the order in which they were added.
#pragma once
#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/casefold.h"

namespace kal {

// Ordinal comparison of the code units upper-cased as the registry compares key names.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            const wchar_t ca = UpperCaseUnit(a[i]), cb = UpperCaseUnit(b[i]);
            if (ca != cb) return ca < cb;
        }
        return a.size() < b.size();
    }
};

inline bool EqualsNoCase(std::wstring_view a, std::wstring_view b) noexcept {
    CaseInsensitiveLess less;
    return !less(a, b) && !less(b, a);
}

// Substring test without regard to letter case; an empty part is always found.
inline bool ContainsNoCase(std::wstring_view text, std::wstring_view part) noexcept {
    if (part.size() > text.size()) return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < part.size() && UpperCaseUnit(text[i + j]) == UpperCaseUnit(part[j])) ++j;
        if (j == part.size()) return true;
    }
    return false;
}

inline std::wstring ToUpper(std::wstring text) {
    for (wchar_t& c : text) c = UpperCaseUnit(c);
    return text;
}

template <typename T>
class KeyedCollection {
public:
    // Adding a present key is an error.
    void Add(std::wstring key, T value) {
        if (index_.count(key)) throw std::invalid_argument("key already present");
        index_.emplace(key, items_.size());
        items_.emplace_back(std::move(key), std::move(value));
    }
    bool Contains(std::wstring_view key) const { return index_.find(key) != index_.end(); }
    // Null when absent: the reader decides what a missing key means.
    const T* Find(std::wstring_view key) const {
        auto it = index_.find(key);
        return it == index_.end() ? nullptr : &items_[it->second].second;
    }
    // Looking up an absent key is an error.
    const T& At(std::wstring_view key) const {
        if (const T* v = Find(key)) return *v;
        throw std::out_of_range("key not present");
    }
    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    void Clear() { items_.clear(); index_.clear(); }
    // In insertion order.
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::pair<std::wstring, T>> items_;
    std::map<std::wstring, std::size_t, CaseInsensitiveLess> index_;
};

}  // namespace kal
