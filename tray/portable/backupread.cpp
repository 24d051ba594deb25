// The reader of backup files: a small, strict XML parser for exactly what a backup holds, and the
// checks that turn its elements into a key tree. Anything it does not understand is refused.
#include <set>

#include "base/keyed.h"
#include "tray/portable/backupfile.h"
#include "tray/portable/codepage.h"

namespace kal {

namespace {

constexpr int kMaxElementDepth = 2 * kMaxKeyDepth + 4;

struct XmlElement {
    std::wstring name;
    std::size_t offset = 0;  // of its "<" in the document text
    bool hasAttributes = false;
    std::wstring text;      // all character data, in order
    bool hasText = false;   // character data other than white space
    std::vector<XmlElement> children;
};

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r'; }

std::wstring Trim(const std::wstring& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(static_cast<char32_t>(s[b]))) ++b;
    while (e > b && IsSpace(static_cast<char32_t>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

class XmlParser {
public:
    explicit XmlParser(std::u32string text) : s_(std::move(text)) {}

    std::optional<BackupReadError> error;

    std::size_t Size() const { return s_.size(); }

    BackupReadError At(std::size_t offset, std::wstring reason) const {
        BackupReadError e{std::move(reason), 1, 1};
        for (std::size_t i = 0; i < offset && i < s_.size(); ++i) {
            if (s_[i] == U'\n') {
                ++e.line;
                e.position = 1;
            } else {
                ++e.position;
            }
        }
        return e;
    }

    // The document: declaration, misc, the root element, misc.
    bool Document(XmlElement& root) {
        if (Starts(U"<?xml") && p_ + 5 < s_.size() && IsSpace(s_[p_ + 5])) {
            const std::size_t end = s_.find(U"?>", p_);
            if (end == std::u32string::npos) return Fail(p_, L"The XML declaration is not closed.");
            p_ = end + 2;
        }
        if (!Misc()) return false;
        if (Starts(U"<!DOCTYPE")) return Fail(p_, L"A document type declaration is not allowed in a backup file.");
        if (!Starts(U"<") || p_ + 1 >= s_.size()) return Fail(p_, L"The root element is missing.");
        if (!Element(root, 0)) return false;
        if (!Misc()) return false;
        if (p_ < s_.size()) return Fail(p_, L"Only comments may follow the root element.");
        return true;
    }

private:
    bool Fail(std::size_t offset, std::wstring reason) {
        if (!error) error = At(offset, std::move(reason));
        return false;
    }

    bool Starts(std::u32string_view lit) const { return s_.compare(p_, lit.size(), lit) == 0; }

    void SkipSpace() {
        while (p_ < s_.size() && IsSpace(s_[p_])) ++p_;
    }

    // White space, comments and processing instructions.
    bool Misc() {
        for (;;) {
            SkipSpace();
            if (Starts(U"<!--")) {
                if (!Comment()) return false;
            } else if (Starts(U"<?")) {
                if (!Instruction()) return false;
            } else {
                return true;
            }
        }
    }

    bool Comment() {
        const std::size_t start = p_;
        const std::size_t end = s_.find(U"--", p_ + 4);
        if (end == std::u32string::npos) return Fail(start, L"A comment is not closed.");
        if (end + 2 >= s_.size() || s_[end + 2] != U'>') return Fail(end, L"\"--\" is not allowed inside a comment.");
        p_ = end + 3;
        return true;
    }

    bool Instruction() {
        const std::size_t start = p_;
        p_ += 2;
        const std::wstring target = Name();
        if (target.empty()) return Fail(start, L"A processing instruction has no name.");
        if (EqualsNoCase(target, L"xml")) return Fail(start, L"The XML declaration may only stand at the very beginning.");
        const std::size_t end = s_.find(U"?>", p_);
        if (end == std::u32string::npos) return Fail(start, L"A processing instruction is not closed.");
        p_ = end + 2;
        return true;
    }

    std::wstring Name() {
        std::wstring name;
        while (p_ < s_.size()) {
            const char32_t c = s_[p_];
            if (IsSpace(c) || c == U'/' || c == U'>' || c == U'<' || c == U'=' || c == U'?' || c == U'&' ||
                c == U'"' || c == U'\'')
                break;
            AppendCodePoint(name, c);
            ++p_;
        }
        return name;
    }

    // After "&": one reference, appended to `out`.
    bool Reference(std::wstring& out) {
        const std::size_t start = p_ - 1;
        const std::size_t end = s_.find(U';', p_);
        if (end == std::u32string::npos || end - p_ > 12) return Fail(start, L"A \"&\" does not begin a reference.");
        const std::u32string ref = s_.substr(p_, end - p_);
        p_ = end + 1;
        if (!ref.empty() && ref[0] == U'#') {
            const bool hex = ref.size() > 1 && ref[1] == U'x';
            const std::size_t first = hex ? 2 : 1;
            if (ref.size() <= first) return Fail(start, L"A character reference has no number.");
            char32_t value = 0;
            for (std::size_t i = first; i < ref.size(); ++i) {
                const char32_t c = ref[i];
                int digit;
                if (c >= U'0' && c <= U'9') digit = static_cast<int>(c - U'0');
                else if (hex && c >= U'a' && c <= U'f') digit = static_cast<int>(c - U'a') + 10;
                else if (hex && c >= U'A' && c <= U'F') digit = static_cast<int>(c - U'A') + 10;
                else return Fail(start, L"A character reference holds a character that is no digit.");
                value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
                if (value > 0x10FFFF) return Fail(start, L"A character reference names no character.");
            }
            if (!IsXmlChar(value)) return Fail(start, L"A character reference names a character XML does not allow.");
            AppendCodePoint(out, value);
            return true;
        }
        if (ref == U"amp") out += L'&';
        else if (ref == U"lt") out += L'<';
        else if (ref == U"gt") out += L'>';
        else if (ref == U"quot") out += L'"';
        else if (ref == U"apos") out += L'\'';
        else return Fail(start, L"Only the predefined entities may be used in a backup file.");
        return true;
    }

    bool Attribute(XmlElement& e, std::set<std::wstring>& seen) {
        const std::size_t start = p_;
        const std::wstring name = Name();
        if (name.empty()) return Fail(start, L"Bad attribute in <" + e.name + L">.");
        if (!seen.insert(name).second) return Fail(start, L"The attribute " + name + L" is given twice.");
        SkipSpace();
        if (p_ >= s_.size() || s_[p_] != U'=') return Fail(p_, L"An attribute has no value.");
        ++p_;
        SkipSpace();
        if (p_ >= s_.size() || (s_[p_] != U'"' && s_[p_] != U'\'')) return Fail(p_, L"An attribute value is not quoted.");
        const char32_t quote = s_[p_++];
        std::wstring value;
        while (p_ < s_.size() && s_[p_] != quote) {
            const char32_t c = s_[p_++];
            if (c == U'<') return Fail(p_ - 1, L"\"<\" is not allowed in an attribute value.");
            if (c == U'&') {
                if (!Reference(value)) return false;
            } else {
                AppendCodePoint(value, c);
            }
        }
        if (p_ >= s_.size()) return Fail(start, L"An attribute value is not closed.");
        ++p_;
        // A default namespace would move every element out of the backup format.
        if (name == L"xmlns" && !value.empty()) return Fail(start, L"The backup format has no namespace.");
        e.hasAttributes = true;
        return true;
    }

    bool Element(XmlElement& e, int depth) {
        if (depth > kMaxElementDepth) return Fail(p_, L"The keys are nested too deeply.");
        e.offset = p_++;
        e.name = Name();
        if (e.name.empty()) return Fail(e.offset, L"An element has no name.");
        std::set<std::wstring> seen;
        for (;;) {
            const std::size_t before = p_;
            SkipSpace();
            if (p_ >= s_.size()) return Fail(e.offset, L"The tag of <" + e.name + L"> is not closed.");
            if (Starts(U"/>")) {
                p_ += 2;
                return true;
            }
            if (s_[p_] == U'>') {
                ++p_;
                break;
            }
            if (p_ == before) return Fail(p_, L"Bad character in the tag of <" + e.name + L">.");
            if (!Attribute(e, seen)) return false;
        }
        for (;;) {
            if (p_ >= s_.size()) return Fail(e.offset, L"The element <" + e.name + L"> is not closed.");
            const char32_t c = s_[p_];
            if (c == U'<') {
                if (Starts(U"</")) {
                    const std::size_t at = p_;
                    p_ += 2;
                    if (Name() != e.name) return Fail(at, L"The end tag does not match <" + e.name + L">.");
                    SkipSpace();
                    if (p_ >= s_.size() || s_[p_] != U'>') return Fail(at, L"An end tag is not closed.");
                    ++p_;
                    return true;
                }
                if (Starts(U"<!--")) {
                    if (!Comment()) return false;
                } else if (Starts(U"<![CDATA[")) {
                    const std::size_t end = s_.find(U"]]>", p_ + 9);
                    if (end == std::u32string::npos) return Fail(p_, L"A CDATA section is not closed.");
                    for (std::size_t i = p_ + 9; i < end; ++i) AddText(e, s_[i]);
                    p_ = end + 3;
                } else if (Starts(U"<?")) {
                    if (!Instruction()) return false;
                } else if (Starts(U"<!")) {
                    return Fail(p_, L"Declarations are not allowed inside elements.");
                } else {
                    e.children.emplace_back();
                    if (!Element(e.children.back(), depth + 1)) return false;
                }
            } else if (c == U'&') {
                ++p_;
                std::wstring ref;
                if (!Reference(ref)) return false;
                for (const char32_t r : CodePoints(ref)) AddText(e, r);
            } else {
                if (Starts(U"]]>")) return Fail(p_, L"\"]]>\" is not allowed in text.");
                AddText(e, c);
                ++p_;
            }
        }
    }

    static void AddText(XmlElement& e, char32_t c) {
        AppendCodePoint(e.text, c);
        if (!IsSpace(c)) e.hasText = true;
    }

    std::u32string s_;
    std::size_t p_ = 0;
};

// The pseudo-attributes of the XML declaration at the start of the file; the encoding's name,
// "" when none is given, nullopt for a malformed declaration.
std::optional<std::string> DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") return std::string();
    const std::size_t end = bytes.find("?>");
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view rest = bytes.substr(5, end - 5);
    std::string encoding;
    bool version = false;
    for (;;) {
        std::size_t i = 0;
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t' || rest[i] == '\r' || rest[i] == '\n')) ++i;
        if (i == rest.size()) break;
        if (i == 0) return std::nullopt;
        rest.remove_prefix(i);
        const std::size_t eq = rest.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        std::string_view name = rest.substr(0, eq);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
        rest.remove_prefix(eq + 1);
        while (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
        if (rest.empty() || (rest[0] != '"' && rest[0] != '\'')) return std::nullopt;
        const std::size_t close = rest.find(rest[0], 1);
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view value = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        if (name == "version") {
            if (value != "1.0") return std::nullopt;
            version = true;
        } else if (name == "encoding") {
            encoding.assign(value);
        } else if (name != "standalone") {
            return std::nullopt;
        }
    }
    if (!version) return std::nullopt;
    for (auto& c : encoding)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return encoding;
}

// Turns the elements into a key tree, checking every name, type and value.
class TreeBuilder {
public:
    explicit TreeBuilder(const XmlParser& parser) : parser_(parser) {}

    std::optional<BackupReadError> Key(const XmlElement& e, BackupKey& key, bool root, int depth) {
        if (depth > kMaxKeyDepth) return At(e, L"The keys are nested too deeply.");
        if (e.hasText) return At(e, L"<" + e.name + L"> holds text outside its elements.");
        if (!root && e.hasAttributes) return At(e, L"<" + e.name + L"> may not have attributes.");
        std::size_t i = 0;
        if (!root) {
            if (e.children.empty() || e.children[0].name != L"name") return At(e, L"<KVKey> must begin with <name>.");
            if (auto err = Leaf(e.children[0], key.name)) return err;
            if (key.name.empty()) return At(e.children[0], L"A key has no name.");
            if (key.name.size() > kMaxKeyNameChars) return At(e.children[0], L"A key name is longer than 255 characters.");
            if (key.name.find(L'\\') != std::wstring::npos)
                return At(e.children[0], L"The key name " + Quoted(key.name) + L" holds a backslash.");
            i = 1;
        }
        std::set<std::wstring, CaseInsensitiveLess> valueNames, keyNames;
        for (; i < e.children.size() && e.children[i].name == L"KVValue"; ++i) {
            BackupValue v;
            if (auto err = Value(e.children[i], v)) return err;
            if (!valueNames.insert(v.name).second)
                return At(e.children[i], L"The value name " + Quoted(v.name) + L" is given twice.");
            key.values.push_back(std::move(v));
        }
        for (; i < e.children.size() && e.children[i].name == L"KVKey"; ++i) {
            BackupKey sub;
            if (auto err = Key(e.children[i], sub, false, depth + 1)) return err;
            if (!keyNames.insert(sub.name).second)
                return At(e.children[i], L"The key name " + Quoted(sub.name) + L" is given twice.");
            key.keys.push_back(std::move(sub));
        }
        if (i < e.children.size()) return At(e.children[i], L"Unexpected element <" + e.children[i].name + L">.");
        return std::nullopt;
    }

private:
    BackupReadError At(const XmlElement& e, std::wstring reason) const { return parser_.At(e.offset, std::move(reason)); }

    std::optional<BackupReadError> Leaf(const XmlElement& e, std::wstring& text) const {
        if (e.hasAttributes) return At(e, L"<" + e.name + L"> may not have attributes.");
        if (!e.children.empty()) return At(e.children[0], L"<" + e.name + L"> may hold only text.");
        text = e.text;
        return std::nullopt;
    }

    std::optional<BackupReadError> Value(const XmlElement& e, BackupValue& v) const {
        if (e.hasText) return At(e, L"<KVValue> holds text outside its elements.");
        if (e.hasAttributes) return At(e, L"<KVValue> may not have attributes.");
        static const wchar_t* const kParts[] = {L"name", L"type", L"value"};
        if (e.children.size() != 3) return At(e, L"<KVValue> must hold <name>, <type> and <value>.");
        std::wstring texts[3];
        for (int k = 0; k < 3; ++k) {
            if (e.children[k].name != kParts[k]) return At(e, L"<KVValue> must hold <name>, <type> and <value>.");
            if (auto err = Leaf(e.children[k], texts[k])) return err;
        }
        v.name = texts[0];
        if (v.name.size() > kMaxValueNameChars)
            return At(e.children[0], L"A value name is longer than 16383 characters.");
        const std::wstring type = Trim(texts[1]);
        if (type == L"1") {
            v.type = kRegTypeText;
            v.data = TextData(texts[2]);
        } else if (type == L"3") {
            v.type = kRegTypeBinary;
            const std::wstring hex = Trim(texts[2]);
            for (const wchar_t c : hex)
                if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f')))
                    return At(e.children[2], L"The binary value " + Quoted(v.name) + L" is not hexadecimal text.");
            v.data = HexToBytes(hex);
        } else {
            return At(e.children[1], L"The value " + Quoted(v.name) + L" has an unknown type.");
        }
        return std::nullopt;
    }

    const XmlParser& parser_;
};

}  // namespace

std::variant<BackupKey, BackupReadError> ReadBackupFile(std::string_view bytes) {
    bool bom = false;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        bom = true;
    } else if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        return BackupReadError{L"The file's encoding is not supported.", 1, 1};
    }
    const auto encoding = DeclaredEncoding(bytes);
    if (!encoding) return BackupReadError{L"The XML declaration is malformed.", 1, 1};
    std::u32string text;
    if (*encoding == "windows-1252" && !bom) {
        text.reserve(bytes.size());
        for (const char b : bytes) text += Cp1252Char(static_cast<std::uint8_t>(b));
    } else if (encoding->empty() || *encoding == "utf-8") {
        std::size_t bad = 0;
        auto decoded = DecodeUtf8(bytes, &bad);
        if (!decoded) {
            XmlParser partial(*DecodeUtf8(bytes.substr(0, bad)));
            return partial.At(bad, L"The file is not valid UTF-8 text.");
        }
        text = std::move(*decoded);
    } else {
        return BackupReadError{L"The file's encoding is not supported.", 1, 1};
    }

    // Line ends become line feeds, as XML reads them.
    std::u32string normal;
    normal.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r') {
            normal += U'\n';
            if (i + 1 < text.size() && text[i + 1] == U'\n') ++i;
        } else {
            normal += text[i];
        }
    }
    std::size_t badChar = normal.size();
    for (std::size_t i = 0; i < normal.size() && badChar == normal.size(); ++i)
        if (!IsXmlChar(normal[i])) badChar = i;
    XmlParser parser(std::move(normal));
    if (badChar != parser.Size()) return parser.At(badChar, L"The file holds a character that XML does not allow.");
    XmlElement root;
    const bool parsed = parser.Document(root);
    if (!parsed) return *parser.error;
    if (root.name != L"Kalvenor") return parser.At(root.offset, L"The root element is not <Kalvenor>.");
    BackupKey tree;
    if (auto err = TreeBuilder(parser).Key(root, tree, true, 0)) return *err;
    return tree;
}

}  // namespace kal
