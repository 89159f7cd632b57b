#include "gauge/gauge_numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace XPL::UTILITY {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

}  // namespace

int32_t TruncateToInt32(float v) {
    // Both bounds are exact floats; NaN fails both comparisons.
    if (v >= -2147483648.0f && v < 2147483648.0f) {
        return static_cast<int32_t>(v);
    }
    return 0;
}

float NarrowToFloat(double v) {
    if (std::isnan(v)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    constexpr double kMax = std::numeric_limits<float>::max();
    if (v > kMax || v < -kMax) {
        // Values that round to the largest float still do; only beyond its rounding edge is inf.
        const double edge = kMax + std::ldexp(1.0, 103);
        if (v < edge && v > -edge) {
            return v > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
        }
        return v > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(v);
}

size_t SkipBlanks(std::wstring_view text, size_t at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

int32_t ParseDecimalInt(std::wstring_view text) {
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > int64_t{INT32_MAX} + 1) {
            value = int64_t{INT32_MAX} + 1;
        }
    }
    value = negative ? -value : value;
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

float ParseDecimalFloat(std::wstring_view text) {
    size_t i = SkipBlanks(text);
    // The longest prefix of the number's syntax, narrowed to ASCII for from_chars (which takes no
    // '+' and no blanks).
    std::string number;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
        number += static_cast<char>(text[i]);
    }
    if (i < text.size() && text[i] == L'.') {
        number += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
            number += static_cast<char>(text[i]);
        }
    }
    if (digits == 0) {
        return 0.0f;
    }
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) {
            negativeExponent = text[j] == L'-';
            exponent += static_cast<char>(text[j]);
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                exponent += static_cast<char>(text[j]);
            }
            number += exponent;
        }
    }
    float value = 0.0f;
    const char* first = number.data();
    const char* last = first + number.size();
    if (std::from_chars(first, last, value).ec == std::errc::result_out_of_range) {
        // Beyond the float range (or below it): the double reading tells which, and only past the
        // double range does the exponent's sign decide.
        double wide = 0.0;
        if (std::from_chars(first, last, wide).ec == std::errc()) {
            value = NarrowToFloat(wide);
        } else {
            value = negativeExponent ? 0.0f : std::numeric_limits<float>::infinity();
        }
    }
    return negative ? -value : value;
}

float DigitsValue(std::wstring_view digits) {
    for (const wchar_t c : digits) {
        if (!IsDigit(c)) {
            return 0.0f;
        }
    }
    if (digits.size() > 9) {
        return ParseDecimalFloat(digits);
    }
    // Up to nine digits the integer is exact and its conversion rounds once, as the reader would.
    int32_t value = 0;
    for (const wchar_t c : digits) {
        value = value * 10 + (c - L'0');
    }
    return static_cast<float>(value);
}

}  // namespace XPL::UTILITY
