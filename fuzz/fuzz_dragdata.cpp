// The drag data of a list item as a drop delivers it: any bytes, from any source.
#include <cstdint>

#include "fuzz/fuzzinput.h"
#include "listview/portable/dragdata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto id = kal::DecodeDragData(data, size);
    if (id) {
        if (*id == 0) __builtin_trap();
        // What the reader took for an id is what the list's own data for that id reads as.
        const auto own = kal::EncodeDragData(*id);
        if (kal::DecodeDragData(own.data(), own.size()) != id) __builtin_trap();
    }
    // Any id survives the way through its own data.
    kal::fuzz::Input in(data, size);
    const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(in.Byte()) | in.Byte() << 8 |
                                             in.Byte() << 16 | static_cast<std::uint32_t>(in.Byte()) << 24);
    const auto bytes = kal::EncodeDragData(n);
    const auto back = kal::DecodeDragData(bytes.data(), bytes.size());
    if (n == 0 ? back.has_value() : back != n) __builtin_trap();
    return 0;
}
