#include "RegistryFile.h"

#include "Registry.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return result;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && lower(text.substr(0, prefix.size())) == prefix;
}

std::optional<std::uint32_t> hexNumber(std::string_view digits)
{
    digits = trim(digits);
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view list)
{
    std::vector<std::uint8_t> bytes;
    if (trim(list).empty())
        return bytes;
    while (true) {
        const auto comma = list.find(',');
        const auto byte = hexNumber(list.substr(0, comma));
        if (!byte || *byte > 0xff)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == std::string_view::npos)
            return bytes;
        list.remove_prefix(comma + 1);
    }
}

} // namespace

std::string RegistryFile::normalKey(std::string_view keyPath)
{
    std::string key = lower(trim(keyPath));
    for (std::string_view root : {"hkey_local_machine", "hklm"}) {
        if (key == root)
            return {};
        if (startsWith(key, std::string(root) + "\\")) {
            key.erase(0, root.size() + 1);
            break;
        }
    }
    const auto first = key.find_first_not_of('\\');
    if (first == std::string::npos)
        return {};
    key.erase(0, first);
    key.erase(key.find_last_not_of('\\') + 1);
    return key;
}

std::string RegistryFile::normalName(std::string_view valueName)
{
    return lower(valueName);
}

std::optional<RegistryValue> RegistryFile::parseValue(std::string_view text)
{
    if (startsWith(text, "dword:")) {
        const auto number = hexNumber(text.substr(6));
        if (!number)
            return std::nullopt;
        RegistryValue value{REG_DWORD, {}};
        for (int shift = 0; shift < 32; shift += 8)
            value.data.push_back(static_cast<std::uint8_t>(*number >> shift));
        return value;
    }
    if (startsWith(text, "hex:")) {
        auto bytes = hexBytes(text.substr(4));
        if (!bytes)
            return std::nullopt;
        return RegistryValue{REG_BINARY, std::move(*bytes)};
    }
    if (startsWith(text, "hex(")) {
        const auto close = text.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        const auto type = hexNumber(text.substr(4, close - 4));
        auto bytes = hexBytes(text.substr(close + 2));
        if (!type || !bytes)
            return std::nullopt;
        return RegistryValue{*type, std::move(*bytes)};
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    RegistryValue value{REG_SZ, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

RegistryFile RegistryFile::parse(std::string_view text)
{
    RegistryFile file;
    std::map<std::string, RegistryValue>* section = nullptr;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = &file.keys_[normalKey(line.substr(1, line.size() - 2))];
            continue;
        }
        const auto equals = line.find('=');
        std::optional<RegistryValue> value;
        if (section && equals != std::string_view::npos)
            value = parseValue(trim(line.substr(equals + 1)));
        if (!value) {
            file.badLines_.push_back(lineNumber);
            continue;
        }
        const std::string_view name = trim(line.substr(0, equals));
        (*section)[name == "@" ? std::string() : normalName(name)] = std::move(*value);
    }
    return file;
}

RegistryFile RegistryFile::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

bool RegistryFile::hasKey(std::string_view keyPath) const
{
    const std::string key = normalKey(keyPath);
    if (key.empty())
        return true;
    // A key exists when it is named itself or has a sub-key that is.
    const std::string prefix = key + '\\';
    return std::any_of(keys_.begin(), keys_.end(), [&](const auto& entry) {
        return entry.first == key || entry.first.compare(0, prefix.size(), prefix) == 0;
    });
}

const RegistryValue* RegistryFile::find(std::string_view keyPath, std::string_view valueName) const
{
    const auto key = keys_.find(normalKey(keyPath));
    if (key == keys_.end())
        return nullptr;
    const auto value = key->second.find(normalName(valueName));
    return value == key->second.end() ? nullptr : &value->second;
}

std::map<std::string, RegistryValue> RegistryFile::values(std::string_view keyPath) const
{
    const auto key = keys_.find(normalKey(keyPath));
    return key == keys_.end() ? std::map<std::string, RegistryValue>{} : key->second;
}

} // namespace platform
