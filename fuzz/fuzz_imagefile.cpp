// Image-list files: any bytes; the records of a file that reads are measured one by one.
#include <cstdint>
#include <span>

#include "toolkit/images/imageformat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kal::ImageFileContents contents;
    if (kal::ParseImageFile(std::span<const std::uint8_t>(data, size), contents) != kal::ImageFileProblem::None)
        return 0;
    const std::span<const std::uint8_t> records(contents.records);
    for (std::size_t pos = 0; pos < records.size();) {
        const auto layout = kal::MeasureIconRecord(records, pos, contents.version);
        if (!layout || layout->length == 0) break;
        if (pos + layout->length > records.size()) __builtin_trap();
        pos += layout->length;
    }
    (void)kal::SplitKeys(contents.keyText, kal::kKeySeparatorByte);
    return 0;
}
