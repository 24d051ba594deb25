// Rules of the self-update that need no Windows API: which version text offers an update, the
// program's version string, the redirect list, the update server's addresses and the texts of
// the update's questions.
#pragma once
#include <optional>
#include <string>

#include "base/hextext.h"

namespace kal {

// True when `versionText` ("major.minor.revision") names a later revision of this very major and
// minor version. Anything else (another major or minor version, fewer or more parts, parts that
// are no numbers) offers nothing.
bool OffersRevision(const std::wstring& versionText, unsigned major, unsigned minor, unsigned revision);

// The title, a blank and major.minor.revision, with " Beta" while the major version is 0.
std::wstring VersionString(const std::wstring& title, unsigned major, unsigned minor, unsigned revision);

// Line n (from 0) of a list of CR LF separated lines; "" when the list is shorter.
std::wstring ListLine(const std::wstring& list, int n);

// The addresses of the update server. With an empty home there is no update server at all.
struct UpdateEndpoints {
    std::wstring home;         // the program's folder on the web site: "/version", "/download", ...
    std::wstring probe;        // the site's address, probed for reachability
    std::wstring programMD5;   // the file-hosting links of the three MD5 texts
    std::wstring updaterMD5;
    std::wstring launcherMD5;
};

// Every endpoint on one server ("http://host[:port]"): the program's folder "/kalvenor" and the
// file-hosting links "/s/<share>/<file>?dl=1&token_hash=<token>". "" gives no endpoints.
UpdateEndpoints UpdateEndpointsAt(const std::wstring& server);

// A settings value holding the single byte 01.
bool IsByteFlag(const std::optional<Bytes>& value);

// The question after a corrupt download, and the question before the update.
std::wstring CorruptUpdateText(const std::wstring& title);
std::wstring UpdateQuestionText(bool windowsXP);
// The message when the launcher could not be started.
std::wstring LauncherFailedText(const std::wstring& title);

}  // namespace kal
