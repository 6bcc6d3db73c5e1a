#include "core/IParamSlot.h"

#include "core/FixedText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

using vellicor::CopyText;

void IParamSlot::InitReal(const char* nameText, double defaultVal, double minimumVal, double maximumVal,
                          double stepVal, const char* labelText)
{
    if (kind == kNone) kind = kReal;
    CopyText(name, nameText);
    CopyText(label, labelText);
    minimum = minimumVal;
    value = defaultVal;
    defaultValue = defaultVal;
    maximum = std::fmax(maximumVal, minimumVal + stepVal);
    step = stepVal;

    // Digits needed to show one step; capped so that steps like 1e-9 stay readable.
    displayPrecision = 0;
    for (double c = stepVal; c != std::floor(c) && displayPrecision < 6; c *= 10.0)
        ++displayPrecision;
}

void IParamSlot::InitInteger(const char* nameText, int defaultVal, int minimumVal, int maximumVal,
                             const char* labelText)
{
    if (kind == kNone) kind = kInteger;
    InitReal(nameText, defaultVal, minimumVal, maximumVal, 1.0, labelText);
}

void IParamSlot::SetShape(double newShape)
{
    if (newShape != 0.0) shape = newShape;
}

double IParamSlot::FromNormalized(double x) const
{
    return minimum + std::pow(x, shape) * (maximum - minimum);
}

double IParamSlot::Clamp(double v) const
{
    if (std::isnan(v) || v < minimum) return minimum;
    if (v > maximum) return maximum;
    return v;
}

void IParamSlot::SetFromNormalized(double x)
{
    // Hosts may send anything: keep x in [0, 1] (NaN as 0) so curved shapes cannot fold it back in.
    x = std::isnan(x) ? 0.0 : std::fmin(std::fmax(x, 0.0), 1.0);
    double v = FromNormalized(x);
    if (kind != kReal) v = std::floor(v / step + 0.5) * step; // grid anchored at 0, not at minimum
    value = Clamp(v);                                         // snapping may step past either end
}

double IParamSlot::ToNormalized(double v) const
{
    v = Clamp(v);
    return std::pow((v - minimum) / (maximum - minimum), 1.0 / shape);
}

void IParamSlot::FormatValue(double v, bool isNormalized, char* out) const
{
    if (!out) return;
    if (isNormalized) v = FromNormalized(v);
    const double rounded = v >= 0.0 ? v + 0.5 : v - 0.5;
    // Out-of-int range (or NaN) values are printed as reals rather than converted.
    const bool fitsInt = rounded > -2147483648.0 && rounded < 2147483648.0;
    const int r = fitsInt ? static_cast<int>(rounded) : 0;

    if (fitsInt && !displayTexts.empty())
    {
        const char* text = DisplayTextFor(r);
        if (text[0] != '\0')
        {
            CopyText(out, kTextSize, text);
            return;
        }
    }
    if (v == 0.0)
        std::snprintf(out, kTextSize, "0");
    else if (displayPrecision == 0 && fitsInt)
        std::snprintf(out, kTextSize, "%d", r);
    else
    {
        // Halves away from zero, as whole numbers above and as the signal side quantises: printf
        // alone would show 0.25 as "0.2" while 0.3 is the value in use.
        const double scale = std::pow(10.0, displayPrecision);
        const double scaled = v * scale;
        const bool fraction = std::fabs(scaled) < 4503599627370496.0; // below 2^52 a double has one
        const double shown = fraction ? std::trunc(scaled >= 0.0 ? scaled + 0.5 : scaled - 0.5) / scale : v;
        std::snprintf(out, kTextSize, "%.*f", static_cast<int>(displayPrecision), shown);
    }
}

double IParamSlot::ParseValue(const char* text) const
{
    if (!text) return 0.0;
    int v = 0;
    if (!displayTexts.empty() && ValueForDisplayText(text, &v)) return v;
    return LeadingNumber(text);
}

double IParamSlot::LeadingNumber(const char* text)
{
    // Read in the C locale whatever the host's locale ("12.5" is never 12), and only decimal
    // numbers: "nan", "inf" and hexadecimal are not numbers a user types into a value box.
    if (!text) return 0.0;
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*text)) &&
        !(*text == '.' && std::isdigit(static_cast<unsigned char>(text[1]))))
        return 0.0;
    double v = 0.0;
    const std::errc ec = std::from_chars(text, text + std::strlen(text), v, std::chars_format::general).ec;
    if (ec == std::errc::result_out_of_range)
    {
        // Too small reads as 0, too large as the largest number (the range clamps it later).
        const char* e = std::strpbrk(text, "eE");
        v = e && e[1] == '-' ? 0.0 : std::numeric_limits<double>::max();
    }
    else if (ec != std::errc())
        return 0.0;
    return negative ? -v : v;
}

void IParamSlot::AddDisplayText(int v, const char* text)
{
    DisplayText entry{v, {}};
    CopyText(entry.text, text);
    displayTexts.push_back(entry);
}

const char* IParamSlot::DisplayTextFor(int v) const
{
    for (const DisplayText& entry : displayTexts)
        if (entry.value == v) return entry.text;
    return "";
}

bool IParamSlot::ValueForDisplayText(const char* text, int* outValue) const
{
    if (!text) return false;
    for (const DisplayText& entry : displayTexts)
    {
        if (std::strcmp(entry.text, text) == 0)
        {
            if (outValue) *outValue = entry.value;
            return true;
        }
    }
    return false;
}

void IParamSlot::SetGroup(const char* text)
{
    CopyText(group, text);
}
