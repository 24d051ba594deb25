#include "tray/portable/trayrules.h"

#include <cmath>

namespace kal {

std::wstring FitField(const std::wstring& text, std::size_t fieldChars) {
    if (fieldChars == 0) return L"";
    return text.size() < fieldChars ? text : text.substr(0, fieldChars - 1);
}

std::wstring OutputPictureName(std::uint8_t spDigitalOut, std::uint8_t speakerConfig) {
    if (spDigitalOut >= 3) return L"SPDIF";
    return speakerConfig == 1 ? L"HP" : L"SPEAKERS";
}

std::wstring Win10Variant(const std::wstring& name, bool win10) { return win10 ? name + L"_WIN10" : name; }

int ScaleByDPI(int n, int dpi) { return static_cast<int>(std::nearbyint(n * static_cast<double>(dpi) / 96.0)); }

bool UseHorizontalVolumeBar(int emptyRightColumns, int emptyBottomRows) { return emptyRightColumns < emptyBottomRows; }

int VolumeLevelPixels(Currency volume, int size) {
    const double level = static_cast<double>(volume) / kCurrencyScale / 100.0 * size;
    const int pixels = static_cast<int>(std::nearbyint(level));
    return pixels < 0 ? 0 : pixels > size ? size : pixels;
}

std::wstring DetectionPrefix(const std::wstring& caption) {
    return L"\r\nA " + (caption.empty() ? std::wstring(L"Xonar sound card") : caption) + L" has been detected, but ";
}

std::wstring UpdateSucceededText(unsigned major, unsigned minor, unsigned revision) {
    return L"\r\nApplication successfully updated to version " + std::to_wstring(major) + L"." +
           std::to_wstring(minor) + L"." + std::to_wstring(revision) + L"\r\n\r\nClick here to read the changelog.";
}

std::wstring UpdateFailedText(const std::wstring& title) {
    return L"\r\nAn attempt to update " + title + L" has failed.\r\n\r\nYou can retry by using the \"Update\" menu.";
}

std::wstring VolumeMessage(int volume, const std::optional<std::wstring>& decibels) {
    std::wstring text = L"Master volume successfully set to " + std::to_wstring(volume) + L"%";
    if (decibels) text += L" / " + *decibels + L"dB";
    return text + L".";
}

std::wstring ProfileLoadedText(const std::wstring& profile, const std::wstring& volumeMessage) {
    std::wstring text = L"\r\nProfile \"" + profile + L"\" successfully loaded.";
    if (!volumeMessage.empty()) text += L" " + volumeMessage;
    return text;
}

std::wstring ProfileNotFoundText(const std::wstring& profile) {
    return L"\r\nProfile \"" + profile + L"\" could not be loaded: no profile of that name exists.";
}

std::wstring ProfileEmptyText(const std::wstring& profile) {
    return L"\r\nProfile \"" + profile + L"\" could not be loaded: it holds no settings.";
}

std::wstring FormatDecimal(Currency value, const std::wstring& decimalSeparator) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
    std::wstring text = std::to_wstring(magnitude / kCurrencyScale);
    std::uint64_t fraction = magnitude % kCurrencyScale;
    if (fraction) {
        std::wstring digits = std::to_wstring(fraction + kCurrencyScale).substr(1);
        digits.erase(digits.find_last_not_of(L'0') + 1);
        text += decimalSeparator + digits;
    }
    return negative ? L"-" + text : text;
}

}  // namespace kal
