#include "vellicor/tools/render/ParamSettings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string QuotedList(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
    {
        if (n.empty()) continue;
        if (!out.empty()) out += ", ";
        out += "\"" + n + "\"";
    }
    return out;
}

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}
} // namespace

std::string FormatNumber(double v)
{
    // Plain decimals, as few as read back exactly: "1500", "0.1", "-18".
    char text[64];
    for (int decimals = 0; decimals <= 6; ++decimals)
    {
        std::snprintf(text, sizeof(text), "%.*f", decimals, v);
        if (std::strtod(text, nullptr) == v) return text;
    }
    // Ends computed through a normalised conversion may sit a rounding step off.
    std::snprintf(text, sizeof(text), "%.6g", v);
    return text;
}

std::string DescribeRange(const ParamInfo& param)
{
    std::string text = param.integer ? "whole numbers from " : "";
    text += FormatNumber(param.minimum) + " to " + FormatNumber(param.maximum);
    if (!param.units.empty()) text += " " + param.units;
    return text;
}

bool ResolvePreset(const std::string& text, const std::vector<std::string>& presetNames, int32_t& index,
                   std::string& error)
{
    const int32_t count = static_cast<int32_t>(presetNames.size());
    if (count == 0)
    {
        error = "the plug-in has no presets";
        return false;
    }
    const std::string range = "0 to " + std::to_string(count - 1);
    if (AllDigits(text))
    {
        errno = 0;
        const long v = std::strtol(text.c_str(), nullptr, 10);
        if (errno == 0 && v < count)
        {
            index = static_cast<int32_t>(v);
            return true;
        }
        error = "no preset " + text + ": presets are numbered " + range;
        return false;
    }
    const std::string key = Lower(Trim(text));
    for (int32_t i = 0; i < count; ++i)
    {
        if (!key.empty() && Lower(presetNames[static_cast<size_t>(i)]) == key)
        {
            index = i;
            return true;
        }
    }
    error = "unknown preset \"" + text + "\"; give an index (" + range +
            ") or one of: " + QuotedList(presetNames);
    return false;
}

bool ResolveSetting(const std::string& text, const std::vector<ParamInfo>& params, ParamSetting& out,
                    std::string& error)
{
    const size_t eq = text.find('=');
    if (eq == std::string::npos)
    {
        error = "--set takes NAME=VALUE (e.g. --set Release=50), not \"" + text + "\"";
        return false;
    }
    const std::string name = Trim(text.substr(0, eq));
    const std::string valueText = Trim(text.substr(eq + 1));

    int32_t index = -1;
    for (size_t i = 0; i < params.size(); ++i)
    {
        if (!name.empty() && Lower(params[i].name) == Lower(name))
        {
            index = static_cast<int32_t>(i);
            break;
        }
    }
    if (index < 0)
    {
        std::vector<std::string> names;
        for (const ParamInfo& p : params)
            names.push_back(p.name);
        error = "unknown parameter \"" + name + "\"; parameters are: " + QuotedList(names);
        return false;
    }
    const ParamInfo& param = params[static_cast<size_t>(index)];
    const std::string allowed = param.name + " takes " + DescribeRange(param);

    const char* begin = valueText.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    std::string rest = end && end != begin ? Trim(end) : valueText;
    const bool unitOk = rest.empty() || (!param.units.empty() && Lower(rest) == Lower(param.units));
    if (end == begin || errno == ERANGE || !std::isfinite(v) || !unitOk)
    {
        error = "\"" + valueText + "\" is not a value for " + param.name + ": " + allowed;
        return false;
    }
    // The plug-in's own range ends may carry a rounding step of their normalised conversion.
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(param.maximum - param.minimum));
    if (v < param.minimum - tolerance || v > param.maximum + tolerance)
    {
        error = param.name + "=" + valueText + " is out of range: " + allowed;
        return false;
    }
    if (param.integer && std::fabs(v - std::round(v)) > 1e-9)
    {
        error = param.name + "=" + valueText + " is not a whole number: " + allowed;
        return false;
    }
    out.index = index;
    out.value = std::clamp(param.integer ? std::round(v) : v, param.minimum, param.maximum);
    return true;
}
