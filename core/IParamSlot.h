#pragma once
// One automatable parameter: a real value with range, step, shape and display texts.
// Hosts and the GUI speak normalised values in [0, 1]; the limiter and the state chunks use real values.
// No lock of its own: writers hold the plug-in lock (see IEffectBase).
#include <cstdint>
#include <vector>

class IParamSlot
{
public:
    enum Kind : int32_t
    {
        kNone = 0,
        kIntegerA = 1, // further integer-valued kinds; the VST2 binding reports their display-text count
        kInteger = 2,
        kIntegerB = 3,
        kReal = 4,
    };
    static constexpr int kTextSize = 32;

    struct DisplayText
    {
        int32_t value;
        char text[kTextSize];
    };

    void InitReal(const char* name, double defaultValue, double minimum, double maximum, double step,
                  const char* label);
    void InitInteger(const char* name, int defaultValue, int minimum, int maximum, const char* label);
    void SetShape(double shape);

    // Out-of-range and NaN inputs are clamped into [minimum, maximum] (NaN gives the minimum).
    void SetFromNormalized(double x);
    double ToNormalized(double realValue) const;
    double NormalizedValue() const { return ToNormalized(value); }
    double FromNormalized(double x) const;

    // out must hold kTextSize bytes.
    void FormatValue(double v, bool isNormalized, char* out) const;
    double ParseValue(const char* text) const;
    // The decimal number at the start of text (blanks and a sign before it allowed), read in the C
    // locale; 0 when there is none.
    static double LeadingNumber(const char* text);

    void AddDisplayText(int value, const char* text);
    int DisplayTextCount() const { return static_cast<int>(displayTexts.size()); }
    const char* DisplayTextFor(int value) const;
    bool ValueForDisplayText(const char* text, int* outValue) const;

    const char* Name() const { return name; }
    const char* Label() const { return label; }
    const char* Group() const { return group; }
    void SetGroup(const char* text);

    bool IsIntegerValued() const { return kind == kIntegerA || kind == kInteger || kind == kIntegerB; }
    // Clamps into [minimum, maximum]; NaN gives the minimum. Used by the state and preset readers.
    double Clamp(double v) const;

    int32_t kind = kNone;
    double value = 0.0;
    double minimum = 0.0;
    double maximum = 1.0;
    double step = 1.0;
    double shape = 1.0;
    double defaultValue = 0.0;
    int32_t displayPrecision = 0;
    char name[kTextSize] = {};
    char label[kTextSize] = {};
    char group[kTextSize] = {};
    bool automatable = true;
    std::vector<DisplayText> displayTexts;
};
