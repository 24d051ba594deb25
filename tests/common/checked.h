// Checks of an element that may be absent: a message box, a request, a log line or a value the
// program should have produced. An absent one fails the test at the caller's line and yields an
// empty value, so the check reports and the suite goes on instead of reading past the end.
#pragma once
#include <cstddef>
#include <iterator>
#include <optional>
#include <source_location>
#include <type_traits>

#include <gtest/gtest.h>

namespace kal::testing {

// Element `i` of `c`.
template <typename C>
auto Nth(const C& c, std::size_t i, std::source_location at = std::source_location::current()) {
    using T = std::remove_cvref_t<decltype(*std::begin(c))>;
    if (i < std::size(c)) return T(*std::next(std::begin(c), static_cast<std::ptrdiff_t>(i)));
    ADD_FAILURE_AT(at.file_name(), static_cast<int>(at.line())) << "no element " << i << ": there are " << std::size(c);
    return T{};
}

// The last element of `c`.
template <typename C>
auto Last(const C& c, std::source_location at = std::source_location::current()) {
    return Nth(c, std::size(c) == 0 ? 0 : std::size(c) - 1, at);
}

// The value `m` holds for `key`.
template <typename M, typename K>
typename M::mapped_type Entry(const M& m, const K& key, std::source_location at = std::source_location::current()) {
    if (const auto it = m.find(key); it != m.end()) return it->second;
    ADD_FAILURE_AT(at.file_name(), static_cast<int>(at.line())) << "no entry " << ::testing::PrintToString(key);
    return {};
}

// The value `o` holds.
template <typename T>
T Present(const std::optional<T>& o, std::source_location at = std::source_location::current()) {
    if (!o) ADD_FAILURE_AT(at.file_name(), static_cast<int>(at.line())) << "no value";
    return o.value_or(T{});
}

}  // namespace kal::testing
