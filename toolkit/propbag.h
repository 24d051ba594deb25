// Stored properties of a control: name -> value, names compared without regard to letter case.
// A value equal to its default is not stored; a missing or mistyped value reads as the default.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <variant>

#include "base/keyed.h"

namespace kal {

class PropertyBag {
public:
    using Value = std::variant<std::int32_t, bool, std::wstring>;

    template <typename T>
    T Read(const std::wstring& name, T def) const {
        auto it = values_.find(name);
        if (it == values_.end()) return def;
        if constexpr (std::is_same_v<T, bool>) {
            if (auto b = std::get_if<bool>(&it->second)) return *b;
        } else if constexpr (std::is_integral_v<T>) {
            if (auto i = std::get_if<std::int32_t>(&it->second)) return static_cast<T>(*i);
        } else {
            if (auto s = std::get_if<std::wstring>(&it->second)) return *s;
        }
        return def;
    }

    template <typename T>
    void Write(const std::wstring& name, T value, T def) {
        values_.erase(name);
        if (value == def) return;
        if constexpr (std::is_same_v<T, bool>)
            values_.emplace(name, Value(value));
        else if constexpr (std::is_integral_v<T>)
            values_.emplace(name, Value(static_cast<std::int32_t>(value)));
        else
            values_.emplace(name, Value(std::wstring(value)));
    }

    bool Contains(const std::wstring& name) const { return values_.count(name) != 0; }
    std::size_t Count() const { return values_.size(); }

private:
    std::map<std::wstring, Value, CaseInsensitiveLess> values_;
};

}  // namespace kal
