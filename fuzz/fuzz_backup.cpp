// Settings backup files: any bytes through the reader; whatever it accepts is a whole tree that
// writes out and reads back the same.
#include <cstdint>
#include <string_view>
#include <variant>

#include "tray/portable/backupfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = kal::ReadBackupFile(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto* tree = std::get_if<kal::BackupKey>(&read);
    if (!tree) return 0;
    const kal::BackupWriteResult written = kal::BuildBackupFile(*tree);
    if (!written.problem.empty()) return 0;  // text that XML cannot carry is refused on writing
    const auto again = kal::ReadBackupFile(written.bytes);
    const auto* second = std::get_if<kal::BackupKey>(&again);
    if (!second || !kal::SameTree(*tree, *second)) __builtin_trap();
    return 0;
}
