#include "tray/backup.h"

#include <msxml2.h>
#include <oleauto.h>

#include <iterator>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "startup/globals.h"
#include "startup/names.h"
#include "base/keyed.h"
#include "base/raii.h"
#include "base/registry.h"
#include "toolkit/commondialog.h"
#include "toolkit/utility.h"

namespace kal {

namespace {

// MSXML 6.0: the DOM document, the schema cache, and the interfaces used of them.
constexpr CLSID kDomDocument60 = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr CLSID kXmlSchemaCache60 = {0x88D96A07, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr IID kIidDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidSchemaCollection = {0x373984C8, 0xB845, 0x449B, {0x91, 0xE7, 0x45, 0xAC, 0x83, 0x03, 0x6A, 0xDE}};

constexpr wchar_t kSchemaResource[] = L"KALVENOR_BACKUP_XSD";

inline void FreeBstr(BSTR b) { ::SysFreeString(b); }
using UniqueBstr = UniqueResource<BSTR, nullptr, FreeBstr>;
inline void DestroySafeArray(SAFEARRAY* a) { ::SafeArrayDestroy(a); }
using UniqueSafeArray = UniqueResource<SAFEARRAY*, nullptr, DestroySafeArray>;

template <typename T>
struct ComRelease {
    void operator()(T* p) const {
        if (p) p->Release();
    }
};
template <typename T>
using ComOwner = std::unique_ptr<T, ComRelease<T>>;

std::function<void(const std::wstring&)>& WriteObserver() {
    static std::function<void(const std::wstring&)> observer;
    return observer;
}

}  // namespace

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : L"Error " + std::to_wstring(code) + L".";
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring WriteErrorText(const std::wstring& file, const std::wstring& description) {
    return L"Couldn't write to file \"" + file + L"\": " + description;
}

namespace {

std::wstring ReadErrorText(const BackupReadError& e) {
    std::wstring text = e.reason.empty() ? L"The file is no Kalvenor backup." : e.reason;
    text += L" (Line: " + std::to_wstring(e.line) + L", Pos.: " + std::to_wstring(e.position) + L")";
    return text + L"\r\n\r\n" + kRestoreAborted;
}

std::string SchemaText() {
    const HRSRC res = ::FindResourceW(nullptr, kSchemaResource, RT_RCDATA);
    const HGLOBAL data = res ? ::LoadResource(nullptr, res) : nullptr;
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes) return {};
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, res));
}

VARIANT BoolVariant(bool value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

BackupReadError ParseErrorOf(IXMLDOMParseError* error) {
    BackupReadError e;
    if (!error) return e;
    UniqueBstr reason;
    long line = 0, position = 0;
    error->get_reason(reason.put());
    error->get_line(&line);
    error->get_linepos(&position);
    if (reason) e.reason = reason.get();
    while (!e.reason.empty() && (e.reason.back() == L'\n' || e.reason.back() == L'\r')) e.reason.pop_back();
    e.line = static_cast<int>(line);
    e.position = static_cast<int>(position);
    return e;
}

enum class SchemaCheck { Valid, Invalid, NoComponent };

// Parses the bytes with MSXML 6 against the program's schema: no document type, nothing
// fetched from outside, the file's own schema location ignored.
SchemaCheck CheckAgainstSchema(std::string_view bytes, BackupReadError& error) {
    IXMLDOMSchemaCollection* rawCache = nullptr;
    if (FAILED(::CoCreateInstance(kXmlSchemaCache60, nullptr, CLSCTX_INPROC_SERVER, kIidSchemaCollection,
                                  reinterpret_cast<void**>(&rawCache))))
        return SchemaCheck::NoComponent;
    ComOwner<IXMLDOMSchemaCollection> cache(rawCache);
    const auto newDocument = []() -> ComOwner<IXMLDOMDocument2> {
        IXMLDOMDocument2* doc = nullptr;
        if (FAILED(::CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER, kIidDocument2,
                                      reinterpret_cast<void**>(&doc))))
            return nullptr;
        doc->put_async(VARIANT_FALSE);
        doc->put_resolveExternals(VARIANT_FALSE);
        UniqueBstr prohibit(::SysAllocString(L"ProhibitDTD"));
        doc->setProperty(prohibit.get(), BoolVariant(true));
        return ComOwner<IXMLDOMDocument2>(doc);
    };
    ComOwner<IXMLDOMDocument2> schema = newDocument();
    ComOwner<IXMLDOMDocument2> doc = newDocument();
    if (!schema || !doc) return SchemaCheck::NoComponent;

    const std::string xsd = SchemaText();
    std::wstring xsdText(xsd.begin(), xsd.end());  // the schema is ASCII
    UniqueBstr xsdBstr(::SysAllocStringLen(xsdText.data(), static_cast<UINT>(xsdText.size())));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(schema->loadXML(xsdBstr.get(), &loaded)) || !loaded) return SchemaCheck::NoComponent;
    VARIANT schemaVar;
    ::VariantInit(&schemaVar);
    schemaVar.vt = VT_DISPATCH;
    schemaVar.pdispVal = schema.get();
    UniqueBstr noNamespace(::SysAllocString(L""));
    if (FAILED(cache->add(noNamespace.get(), schemaVar))) return SchemaCheck::NoComponent;

    doc->put_validateOnParse(VARIANT_TRUE);
    VARIANT cacheVar;
    ::VariantInit(&cacheVar);
    cacheVar.vt = VT_DISPATCH;
    cacheVar.pdispVal = cache.get();
    if (FAILED(doc->putref_schemas(cacheVar))) return SchemaCheck::NoComponent;

    UniqueSafeArray array(::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    if (!array) return SchemaCheck::NoComponent;
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array.get(), &data))) return SchemaCheck::NoComponent;
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    ::SafeArrayUnaccessData(array.get());
    VARIANT source;
    ::VariantInit(&source);
    source.vt = VT_ARRAY | VT_UI1;
    source.parray = array.get();

    loaded = VARIANT_FALSE;
    const HRESULT hr = doc->load(source, &loaded);
    if (hr != S_OK || !loaded) {
        IXMLDOMParseError* raw = nullptr;
        doc->get_parseError(&raw);
        ComOwner<IXMLDOMParseError> parseError(raw);
        error = ParseErrorOf(parseError.get());
        return SchemaCheck::Invalid;
    }
    IXMLDOMDocumentType* doctype = nullptr;
    doc->get_doctype(&doctype);
    if (doctype) {
        doctype->Release();
        error = {L"A document type declaration is not allowed in a backup file.", 0, 0};
        return SchemaCheck::Invalid;
    }
    // Some parsers do not validate while loading: validate explicitly.
    IXMLDOMParseError* raw = nullptr;
    const HRESULT valid = doc->validate(&raw);
    ComOwner<IXMLDOMParseError> validateError(raw);
    if (valid != S_OK) {
        error = ParseErrorOf(validateError.get());
        if (error.reason.empty()) error.reason = L"The file does not follow the backup file's schema.";
        return SchemaCheck::Invalid;
    }
    return SchemaCheck::Valid;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD& error) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        error = ::GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024) {
        error = size.QuadPart > 0 ? ERROR_FILE_TOO_LARGE : ::GetLastError();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size())) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

int Box(HWND owner, const std::wstring& text, const wchar_t* title, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), title, type);
}

// Description and pattern pairs; the array's own terminator ends the list with a second NUL.
constexpr wchar_t kBackupFilterPairs[] = L"Kalvenor Backup Files (*.kbf)\0*.kbf\0All Files (*.*)\0*.*\0";
const std::wstring kBackupFilter(kBackupFilterPairs, std::size(kBackupFilterPairs));

// The profiles' key within the settings key's tree; null when it has none.
BackupKey* ProfilesOf(BackupKey& root) {
    const std::wstring name = gRegProfiles.substr(std::min(gRegProfiles.size(), gRegRoot.size() + 1));
    for (BackupKey& k : root.keys)
        if (EqualsNoCase(k.name, name)) return &k;
    return nullptr;
}

// Live mode's restore points hold the card as it was when they were made: a backup's are left
// out (their names returned), the present ones stay, for the next start to put the card back.
std::vector<std::wstring> KeepPresentRestorePoints(BackupKey& tree, BackupKey present) {
    std::vector<std::wstring> left;
    if (BackupKey* profiles = ProfilesOf(tree))
        std::erase_if(profiles->keys, [&](const BackupKey& k) {
            return IsRestorePointName(k.name) ? (left.push_back(k.name), true) : false;
        });
    const BackupKey* now = ProfilesOf(present);
    if (!now) return left;
    BackupKey* profiles = ProfilesOf(tree);
    for (const BackupKey& k : now->keys) {
        if (!IsRestorePointName(k.name)) continue;
        if (!profiles) {
            tree.keys.push_back(BackupKey{now->name, {}, {}});
            profiles = &tree.keys.back();
        }
        profiles->keys.push_back(k);
    }
    return left;
}

}  // namespace

std::optional<BackupKey> ReadRegistryTree(const std::wstring& path) {
    if (!RegKeyExists(path)) return std::nullopt;
    BackupKey key;
    for (const auto& name : RegEnumValues(path)) {
        bool isText = false;
        const auto value = RegRead(path, name, {}, &isText);
        if (!value) return std::nullopt;
        if (const auto* text = std::get_if<std::wstring>(&*value)) key.values.push_back({name, kRegTypeText, TextData(*text)});
        else key.values.push_back({name, kRegTypeBinary, std::get<Bytes>(*value)});
    }
    for (const auto& name : RegEnumKeys(path)) {
        auto sub = ReadRegistryTree(RegJoin(path, name));
        if (!sub) return std::nullopt;
        sub->name = name;
        key.keys.push_back(std::move(*sub));
    }
    return key;
}

bool WriteRegistryTree(const std::wstring& path, const BackupKey& tree) {
    if (WriteObserver()) WriteObserver()(path);
    std::wstring sub = path;
    const HKEY hive = SplitRegPath(sub);
    UniqueHKey key;
    if (::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    for (const auto& v : tree.values) {
        const DWORD type = v.type == kRegTypeText ? REG_SZ : REG_BINARY;
        if (::RegSetValueExW(key.get(), v.name.c_str(), 0, type, v.data.empty() ? nullptr : v.data.data(),
                             static_cast<DWORD>(v.data.size())) != ERROR_SUCCESS)
            return false;
    }
    for (const auto& k : tree.keys)
        if (!WriteRegistryTree(RegJoin(path, k.name), k)) return false;
    return true;
}

std::wstring WriteBackupFile(const std::wstring& file) {
    const auto tree = RegKeyExists(gRegRoot) ? ReadRegistryTree(gRegRoot) : std::optional<BackupKey>(BackupKey{});
    if (!tree) return WriteErrorText(file, L"The settings could not be read from the registry.");
    const BackupWriteResult text = BuildBackupFile(*tree);
    if (!text.problem.empty()) return WriteErrorText(file, text.problem);

    const auto slash = file.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : file.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"kbf", 0, temp)) return WriteErrorText(file, SystemErrorText(::GetLastError()));
    DWORD error = ERROR_SUCCESS;
    {
        UniqueHandle out(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (out.get() == INVALID_HANDLE_VALUE) {
            out.release();
            error = ::GetLastError();
        } else {
            DWORD written = 0;
            if (!::WriteFile(out.get(), text.bytes.data(), static_cast<DWORD>(text.bytes.size()), &written, nullptr) ||
                written != text.bytes.size() || !::FlushFileBuffers(out.get()))
                error = ::GetLastError();
        }
    }
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temp, file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(temp);
        return WriteErrorText(file, SystemErrorText(error));
    }
    return L"";
}

RestoreOutcome RestoreSettingsFrom(std::string_view bytes, const std::function<bool()>& confirm) {
    // The program's own check first: it refuses a document type before any parser sees it.
    auto read = ReadBackupFile(bytes);
    if (auto* e = std::get_if<BackupReadError>(&read)) return {RestoreResult::Refused, ReadErrorText(*e)};
    BackupReadError schemaError;
    switch (CheckAgainstSchema(bytes, schemaError)) {
    case SchemaCheck::NoComponent:
        return {RestoreResult::NoComponent,
                L"Kalvenor requires the functionality provided by \"msxml3.dll\" in order to restore a backup."
                L" This common component is either absent or not registered on your system.\r\n\r\n" +
                    std::wstring(kRestoreAborted)};
    case SchemaCheck::Invalid: return {RestoreResult::Refused, ReadErrorText(schemaError)};
    case SchemaCheck::Valid: break;
    }
    BackupKey tree = std::get<BackupKey>(read);

    if (!confirm()) return {RestoreResult::Declined, L""};

    // Everything that is replaced stays in memory until the new key reads back whole.
    const bool existed = RegKeyExists(gRegRoot);
    const auto previous = existed ? ReadRegistryTree(gRegRoot) : std::optional<BackupKey>(BackupKey{});
    if (!previous)
        return {RestoreResult::Failed,
                L"The present settings could not be read, so they were left as they are.\r\n\r\n" +
                    std::wstring(kRestoreAborted)};
    const std::vector<std::wstring> leftOut = KeepPresentRestorePoints(tree, *previous);
    RegDeleteTree(gRegRoot, L"");
    bool done = !RegKeyExists(gRegRoot) && WriteRegistryTree(gRegRoot, tree);
    if (done) {
        const auto back = ReadRegistryTree(gRegRoot);
        done = back && SameTree(*back, tree);
    }
    if (done) {
        if (leftOut.empty()) return {RestoreResult::Restored, L""};
        std::wstring names;
        for (const std::wstring& n : leftOut) names += (names.empty() ? L"\"" : L", \"") + n + L"\"";
        return {RestoreResult::Restored,
                L"The backup holds what Live Mode kept to put the card back as it was when the backup was made (" +
                    names + L"). It was left out: the card keeps its present settings."};
    }

    RegDeleteTree(gRegRoot, L"");
    const bool putBack = !existed || WriteRegistryTree(gRegRoot, *previous);
    return {RestoreResult::Failed,
            std::wstring(L"The settings could not be written to the registry. ") +
                (putBack ? L"The previous settings have been put back." : L"The previous settings could not all be put back.") +
                L"\r\n\r\n" + kRestoreAborted};
}

void SetRestoreWriteObserver(std::function<void(const std::wstring&)> observer) { WriteObserver() = std::move(observer); }

void BackupSettings(HWND owner) {
    const std::wstring file = ShowFileDialog(kBackupTitle, L"Kalvenor Settings", kBackupFilter, L"kbf", owner, L"", true);
    if (file.empty()) return;
    const std::wstring error = WriteBackupFile(file);
    if (!error.empty()) {
        Box(owner, error, kBackupTitle, MB_OK | MB_ICONERROR);
        return;
    }
    Box(owner, L"Kalvenor settings successfully saved to file.", kBackupTitle, MB_OK | MB_ICONINFORMATION);
}

bool RestoreSettings(HWND owner) {
    const std::wstring file = ShowFileDialog(kRestoreTitle, L"", kBackupFilter, L"kbf", owner, L"", false);
    if (file.empty()) return false;
    std::string bytes;
    DWORD error = ERROR_SUCCESS;
    if (!ReadWholeFile(file, bytes, error)) {
        Box(owner, L"Couldn't read file \"" + file + L"\": " + SystemErrorText(error) + L"\r\n\r\n" + kRestoreAborted,
            kRestoreTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    const RestoreOutcome outcome = RestoreSettingsFrom(bytes, [owner] {
        return Box(owner,
                   L"Do you want to proceed with the restore process? If you do, all current settings and profiles "
                   L"will be overwritten.",
                   kRestoreTitle, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    });
    if (!outcome.message.empty())
        Box(owner, outcome.message, kRestoreTitle,
            MB_OK | (outcome.result == RestoreResult::Restored ? MB_ICONINFORMATION : MB_ICONERROR));
    return outcome.result == RestoreResult::Restored;
}

}  // namespace kal
