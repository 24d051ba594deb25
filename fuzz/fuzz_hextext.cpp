// Hex text: reading any text either way round, and the round trip of what it read.
#include <cstdint>
#include <stdexcept>

#include "fuzz/fuzzinput.h"
#include "base/hextext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kal::fuzz::Input in(data, size);
    const bool reversed = in.Byte() & 1;
    const std::wstring text = in.Text();
    try {
        const kal::Bytes bytes = kal::HexToBytes(text, reversed);
        const std::wstring again = kal::BytesToHex(bytes, reversed);
        if (kal::HexToBytes(again, reversed) != bytes) __builtin_trap();
    } catch (const std::invalid_argument&) {
    }
    try {
        (void)kal::HexToNumber(text);
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
