// Icon files and icon group resources: any bytes; what reads back serialises and reads again.
#include <cstdint>
#include <span>

#include "toolkit/images/iconfiledata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    (void)kal::ParseIconGroup(bytes);
    (void)kal::CheckDibImage(bytes);
    kal::IconFileData icon;
    if (icon.Parse(bytes) != kal::IconLoadProblem{}) return 0;
    // The images together hold no more than the file, however their entries overlap. The seed
    // aliased-entries.ico (its entries all naming the whole file) keeps inputs past 64 KB in reach.
    std::size_t held = 0;
    for (const auto& image : icon.images) held += image.size();
    if (held > size) __builtin_trap();
    for (const auto& image : icon.images) (void)kal::CheckDibImage(image);
    const kal::Bytes file = icon.Serialize();
    kal::IconFileData again;
    if (again.Parse(file) != kal::IconLoadProblem{} || again.Count() != icon.Count()) __builtin_trap();
    return 0;
}
