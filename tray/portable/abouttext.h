// Texts of the About box that need no Windows API: the system information rows and their text
// for the clipboard, the diagnostic file, the registry editor's start key and the author's
// contact address.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kal {

struct SystemInfoRow {
    std::wstring property;
    std::wstring value;
};

// What the system information shows, gathered by the caller.
struct SystemFacts {
    std::wstring cardCaption;     // "" without a detected card
    std::wstring driverVersion;
    std::wstring driverClassKey;  // without hive
    std::wstring cardInstanceId;
    std::wstring osCaption;       // "" when the system could not be asked
    bool wow64 = false;
    std::uint32_t localeId = 0;
};

// The six rows, in the order the list shows them.
std::vector<SystemInfoRow> SystemInfoRows(const SystemFacts& facts);

// Each row as its property padded with blanks to 27 characters, ": " and its value; rows joined
// by CR LF, no line break after the last.
std::wstring SystemInfoText(const std::vector<SystemInfoRow>& rows);

// The name of an endpoint state (1, 2, 4, 8); "" for any other value.
std::wstring EndpointStateName(std::uint32_t state);

// One of the card's endpoints as the diagnostic file lists it.
struct EndpointReport {
    std::wstring id;
    std::wstring description;
    std::wstring wave;        // the endpoint's wave device property
    std::uint32_t state = 0;
    std::wstring lineReport;  // the multi-line report of the endpoint's controls
};

// The whole diagnostic file: title, snapshot time, the system information, then the playback
// and the recording endpoints.
std::wstring DiagnosticText(const std::wstring& snapshotTime, const std::wstring& systemInfoText,
                            const std::vector<EndpointReport>& render, const std::vector<EndpointReport>& capture);

// The key the registry editor opens at: the driver's live settings under the machine hive.
std::wstring RegeditLastKey(const std::wstring& driverClassKey, const std::wstring& settingsKey);

// The author's contact address, put together here rather than stored whole in the program.
std::wstring AuthorAddress();

}  // namespace kal
