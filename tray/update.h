// The self-update: the version check against the update server, the download of the launcher,
// the updater, the new program file and its checksum over WinINet, the MD5 checks, the user's
// consent and the start of the launcher; and the server's redirect list.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/hextext.h"
#include "tray/portable/updaterules.h"

namespace kal {

// The update server in use. The product's default comes from the build (none unless the build
// names one); the simulated program and the tests may point it elsewhere.
UpdateEndpoints& UpdateServer();

// Bytes of the download in progress.
extern std::uint32_t gDownloadedBytes;

// True when the site answers a connection; false without any network call when there is no
// update server.
bool IsInternetReachable();

// Fetches `address`; returns its body as text (bytes through the ANSI code page) and, with
// `toFile`, writes the bytes to `filePath`. Only an answer with status 200 counts: any other
// ends the download with nothing returned or written. A chunk that begins an HTML page
// ("<!DOCTYPE") ends it as well. `keepSession` leaves the internet session open for the next
// download; `peek` reads one chunk of at most 10 bytes.
std::wstring DownloadURL(const std::wstring& address, bool toFile = false, const std::wstring& filePath = {},
                         bool keepSession = false, bool peek = false);

// Line n of the server's redirect list; "" when offline or the list is shorter.
std::wstring GetRedirect(int n);

// True when the server offers a later revision of this version.
bool IsUpdateAvailable();
// Downloads and checks the update files and asks the user; true when the launcher has been
// started and the program must end. A failed download or a checksum that could not be fetched
// makes the update corrupt: the user is asked whether to retry, and No deletes the files and
// returns false. A call while one is running returns false at once.
bool DownloadUpdate();
// Asks the user (an elevated process doesn't ask), marks the update pending and starts the
// launcher; true when accepted and the launcher runs. A launcher that doesn't start is reported
// to the user and leaves nothing pending.
bool PromptUpdate();

// MD5 digests as 32 upper-case hex digits, computed by the system's cryptography provider.
// MD5File: "" when the file is missing or empty.
std::wstring MD5File(const std::wstring& path);
std::wstring MD5Bytes(const std::uint8_t* bytes, std::size_t count);

}  // namespace kal
