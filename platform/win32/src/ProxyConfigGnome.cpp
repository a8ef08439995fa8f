#include "ProxyConfig.h"

#include <map>
#include <sstream>

namespace win32 {

namespace {

// Reads one GVariant text string ('...' or "..." with backslash escapes)
// starting at position, which is moved past it. False when there is none.
bool ReadQuoted(const std::string& text, size_t& position, std::string& value)
{
    while (position < text.size() && text[position] == ' ')
        ++position;
    if (position >= text.size() || (text[position] != '\'' && text[position] != '"'))
        return false;
    char quote = text[position++];
    value.clear();
    while (position < text.size() && text[position] != quote) {
        if (text[position] == '\\' && position + 1 < text.size())
            ++position;
        value += text[position++];
    }
    if (position >= text.size())
        return false;
    ++position;
    return true;
}

// The value of a string key: its unquoted text.
std::string StringValue(const std::string& value)
{
    size_t position = 0;
    std::string text;
    return ReadQuoted(value, position, text) ? text : std::string();
}

// The items of a string-array value such as ['localhost', '127.0.0.0/8'].
std::vector<std::string> ArrayValue(const std::string& value)
{
    std::vector<std::string> items;
    size_t position = value.find('[');
    if (position == std::string::npos)
        return items;
    ++position;
    std::string item;
    while (ReadQuoted(value, position, item)) {
        items.push_back(item);
        while (position < value.size() && (value[position] == ' ' || value[position] == ','))
            ++position;
    }
    return items;
}

} // namespace

bool ParseGnomeProxySettings(const std::string& listing, UserProxySettings& settings)
{
    // Pass 1: collect "schema key value" lines into one table keyed by
    // "schema key", with the schema's common prefix dropped.
    std::map<std::string, std::string> keys;
    std::istringstream lines(listing);
    std::string line;
    const std::string prefix = "org.gnome.system.proxy";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) != 0)
            continue;
        size_t schemaEnd = line.find(' ');
        if (schemaEnd == std::string::npos)
            continue;
        size_t keyEnd = line.find(' ', schemaEnd + 1);
        if (keyEnd == std::string::npos)
            continue;
        std::string schema = line.substr(prefix.size(), schemaEnd - prefix.size());
        if (!schema.empty() && schema[0] == '.')
            schema = schema.substr(1);
        std::string key = line.substr(schemaEnd + 1, keyEnd - schemaEnd - 1);
        keys[schema + " " + key] = line.substr(keyEnd + 1);
    }
    if (keys.empty())
        return false;

    // Pass 2: turn the mode and its keys into the settings.
    std::string mode = StringValue(keys[" mode"]);
    settings = UserProxySettings();
    if (mode == "auto") {
        std::string url = StringValue(keys[" autoconfig-url"]);
        if (url.empty())
            settings.autoDetect = true;
        else
            settings.autoConfigUrl = WidenAscii(url);
        return true;
    }
    if (mode != "manual")
        return true;

    std::string list;
    for (const char* scheme : { "http", "https", "ftp", "socks" }) {
        std::string host = StringValue(keys[std::string(scheme) + " host"]);
        std::string port = keys[std::string(scheme) + " port"];
        if (host.empty() || port.empty() || port == "0")
            continue;
        if (!list.empty())
            list += ';';
        list += std::string(scheme) + "=" + host + ":" + port;
    }
    settings.proxyList = WidenAscii(list);

    std::string bypass;
    for (const std::string& host : ArrayValue(keys[" ignore-hosts"])) {
        if (host.empty())
            continue;
        if (!bypass.empty())
            bypass += ';';
        bypass += host;
    }
    settings.bypassList = WidenAscii(bypass);
    return true;
}

} // namespace win32
