// Helpers that turn a fuzzer's bytes into the inputs of the readers under test.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kal::fuzz {

// Reads the input from the front: single values first, the rest as text or bytes.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    bool Empty() const { return p_ == end_; }
    std::uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
    // Up to `max` UTF-16 code units, two bytes each, stopping at a 0 unit.
    std::wstring Text(std::size_t max = 4096) {
        std::wstring text;
        while (p_ + 1 < end_ && text.size() < max) {
            const auto c = static_cast<wchar_t>(p_[0] | p_[1] << 8);
            p_ += 2;
            if (c == 0) break;
            text.push_back(c);
        }
        return text;
    }
    std::basic_string<std::uint8_t> Rest() {
        std::basic_string<std::uint8_t> rest(p_, end_);
        p_ = end_;
        return rest;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

}  // namespace kal::fuzz
