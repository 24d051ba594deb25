#include "base/errors.h"

#include "base/module.h"

namespace kal {
namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += (c < 128) ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

ToolkitError::ToolkitError(std::int32_t number, std::wstring source, std::wstring description)
    : std::runtime_error(Narrow(description.empty() ? L"error " + std::to_wstring(number) : description)),
      number_(number), source_(std::move(source)), description_(std::move(description)) {}

void RaiseToolkitError(std::int32_t number, const std::wstring& where, const std::wstring& description) {
    if (number <= 1000) throw ToolkitError(number, L"", L"");
    const auto masked = static_cast<std::int32_t>(static_cast<std::uint32_t>(number) | 0x80040000u);
    throw ToolkitError(masked, AppExeName() + L"." + where, description);
}

}  // namespace kal
