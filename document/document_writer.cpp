// WriteGraphDocument: the .orv text of a document, in the format's layout.
#include <array>
#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

#include "document/document_json.h"
#include "document/document_rules.h"

namespace {

// The shortest text that reads back as the same double (std::to_chars).
// -0 is written "-0.0": as "-0" a JSON reader takes it for the integer 0 and
// the sign is lost. A value that is not finite (which DocumentProblem
// refuses) is written as a number too large for a double, which the reader
// takes for infinity and refuses with the same reason.
std::string NumberText(double value) {
    if (!std::isfinite(value))
        return std::signbit(value) ? "-1e999" : "1e999";
    if (value == 0 && std::signbit(value))
        return "-0.0";
    char buffer[64]; // the longest form, "-2.2250738585072014e-308", has 24
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// A JSON string, escaped by nlohmann. Bytes that are not UTF-8 (which
// DocumentProblem refuses) become U+FFFD instead of an exception.
std::string StringText(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// "#RRGGBB", upper-case hex. A word above 0xFFFFFF (which DocumentProblem
// refuses) gets all its digits, so that the reader refuses it too.
std::string ColorText(uint32_t word) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "\"#";
    int shift = 20;
    while (shift < 28 && (word >> (shift + 4)) != 0)
        shift += 4;
    for (; shift >= 0; shift -= 4)
        text.push_back(kDigits[(word >> shift) & 0xF]);
    text.push_back('"');
    return text;
}

std::string PairText(double first, double second) {
    std::string text = "[";
    text += NumberText(first);
    text += ", ";
    text += NumberText(second);
    text += "]";
    return text;
}

template <class Item, size_t N, class Format>
std::string ListText(const std::array<Item, N>& items, Format format) {
    std::string text = "[";
    for (size_t i = 0; i < N; ++i) {
        if (i > 0)
            text += ", ";
        text += format(items[i]);
    }
    return text + "]";
}

// The parameters as a list of objects, one per line after the first.
std::string ParametersText(const Parameters& parameters) {
    std::string text = "[";
    for (size_t i = 0; i < parameters.size(); ++i) {
        const Parameter& p = parameters[i];
        text += i > 0 ? ",\n    " : "\n    ";
        text += "{\"name\": " + StringText(p.name) + ", \"value\": " + NumberText(p.value) +
                ", \"min\": " + NumberText(p.min) + ", \"max\": " + NumberText(p.max) +
                ", \"step\": " + NumberText(p.step) + "}";
    }
    return text + "\n  ]";
}

// One member line: two spaces, the name, the value, and a comma unless last.
void AddMember(std::string& text, const char* name, const std::string& value, bool last = false) {
    text += "  \"";
    text += name;
    text += "\": ";
    text += value;
    text += last ? "\n" : ",\n";
}

} // namespace

std::string WriteGraphDocument(const GraphDocument& document) {
    const char* mode = ModeName(document.mode);
    const GraphStyle& style = document.style;
    std::string text = "{\n";
    AddMember(text, "orvanta", std::to_string(kDocumentVersion));
    // A mode of no known value is written as its number, which the reader
    // refuses as DocumentProblem does.
    AddMember(text, "mode",
              StringText(mode ? mode : std::to_string(static_cast<int32_t>(document.mode))));
    AddMember(text, "x", PairText(document.xMin, document.xMax));
    AddMember(text, "y", PairText(document.yMin, document.yMax));
    AddMember(text, "t", PairText(document.tStart, document.tStop));
    AddMember(text, "equations", ListText(document.equations, StringText));
    // A graph without parameters is written as it was before there were any.
    if (!document.parameters.empty())
        AddMember(text, "parameters", ParametersText(document.parameters));
    AddMember(text, "colors", ListText(style.graphColors, ColorText));
    AddMember(text, "background", ColorText(style.backColor));
    AddMember(text, "axisColor", ColorText(style.axisColor));
    AddMember(text, "showAxes", style.showAxes ? "true" : "false", true);
    text += "}\n";
    return text;
}
