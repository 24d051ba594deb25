#include "tray/portable/backupfile.h"

#include <algorithm>
#include <map>

#include "base/keyed.h"
#include "tray/portable/codepage.h"

namespace kal {

std::wstring DataText(const Bytes& data) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return WideFromUtf16(units);
}

Bytes TextData(const std::wstring& text) {
    Bytes data;
    for (const char16_t unit : Utf16FromWide(text)) {
        data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

bool SameTree(const BackupKey& a, const BackupKey& b) {
    if (a.values.size() != b.values.size() || a.keys.size() != b.keys.size()) return false;
    std::map<std::wstring, const BackupValue*, CaseInsensitiveLess> values;
    for (const auto& v : a.values) values.emplace(v.name, &v);
    for (const auto& v : b.values) {
        const auto it = values.find(v.name);
        if (it == values.end() || it->second->type != v.type || it->second->data != v.data) return false;
    }
    std::map<std::wstring, const BackupKey*, CaseInsensitiveLess> keys;
    for (const auto& k : a.keys) keys.emplace(k.name, &k);
    if (values.size() != a.values.size() || keys.size() != a.keys.size()) return false;
    for (const auto& k : b.keys) {
        const auto it = keys.find(k.name);
        if (it == keys.end() || !SameTree(*it->second, k)) return false;
    }
    return true;
}

bool AppendXmlText(std::string& out, std::wstring_view text) {
    for (const char32_t c : CodePoints(text)) {
        switch (c) {
        case U'&': out += "&amp;"; continue;
        case U'<': out += "&lt;"; continue;
        case U'>': out += "&gt;"; continue;
        // A literal carriage return would read back as a line feed.
        case U'\r': out += "&#13;"; continue;
        default: break;
        }
        if (!IsXmlChar(c)) return false;
        if (const auto byte = Cp1252Byte(c)) out += static_cast<char>(*byte);
        else out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
    }
    return true;
}

namespace {

constexpr char kEol[] = "\r\n";

class BackupWriter {
public:
    std::string out;
    std::wstring problem;

    void Key(const BackupKey& key, int depth, bool named) {
        if (named) {
            Line(depth, "<KVKey>");
            Element(depth + 1, "name", key.name);
        }
        for (const auto& v : key.values) {
            Line(depth + 1, "<KVValue>");
            Element(depth + 2, "name", v.name);
            Line(depth + 2, v.type == kRegTypeText ? "<type>1</type>" : "<type>3</type>");
            if (v.type == kRegTypeText) Element(depth + 2, "value", DataText(v.data));
            else Element(depth + 2, "value", BytesToHex(v.data));
            Line(depth + 1, "</KVValue>");
        }
        for (const auto& sub : key.keys) Key(sub, depth + 1, true);
        if (named) Line(depth, "</KVKey>");
    }

private:
    void Line(int depth, const char* text) {
        out.append(static_cast<std::size_t>(depth), '\t');
        out += text;
        out += kEol;
    }

    void Element(int depth, const char* tag, const std::wstring& text) {
        out.append(static_cast<std::size_t>(depth), '\t');
        out += std::string("<") + tag + ">";
        if (!AppendXmlText(out, text) && problem.empty())
            problem = L"\"" + text + L"\" holds a character that a backup file cannot carry.";
        out += std::string("</") + tag + ">" + kEol;
    }
};

}  // namespace

BackupWriteResult BuildBackupFile(const BackupKey& root) {
    BackupWriter w;
    w.out = std::string("<?xml version=\"1.0\" encoding=\"windows-1252\"?>") + kEol + kEol + "<Kalvenor" + kEol +
            "\txmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"" + kEol +
            "\txsi:noNamespaceSchemaLocation=\"" + kBackupSchemaLocation + "\">" + kEol;
    w.Key(root, 0, false);
    w.out += "</Kalvenor>";
    if (!w.problem.empty()) return {{}, w.problem};
    return {std::move(w.out), {}};
}

}  // namespace kal
