// The .orv format: the writer's layout, round trips of every member bit for
// bit, the shortness of the numbers, what the reader accepts and every
// refusal with its reason, hostile texts included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "document/document_json.h"
#include "document/utf8_text.h"
#include "document_test_util.h"

namespace {

// A document text with the version and the given members.
std::string Doc(const std::string& members = "") {
    return "{\"orvanta\": 1" + (members.empty() ? "" : ", " + members) + "}";
}

std::string Repeat(const std::string& piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

// `text` with spaces after it up to `size` bytes.
std::string PadTo(std::string text, size_t size) {
    text.resize(size, ' ');
    return text;
}

// Reads `text` into a copy of `start`; the reason when refused.
struct ReadResult {
    bool ok;
    GraphDocument document;
    std::string reason;
};

ReadResult Read(const std::string& text, const GraphDocument& start = GraphDocument()) {
    ReadResult r{false, start, ""};
    r.ok = ReadGraphDocument(text, r.document, r.reason);
    return r;
}

TEST(DocumentJson, WritesEveryMemberInTheFormatsLayout) {
    GraphDocument d;
    d.mode = Parametric;
    d.xMin = -2.5, d.xMax = 0.1;
    d.tStart = -0.0, d.tStop = 1e100;
    d.equations[0] = "sin(t)";
    d.equations[1] = "say \"\\\"\n";
    d.style.graphColors[7] = 0xABCDEF;
    d.style.showAxes = false;
    EXPECT_EQ(WriteGraphDocument(d),
              "{\n"
              "  \"orvanta\": 1,\n"
              "  \"mode\": \"parametric\",\n"
              "  \"x\": [-2.5, 0.1],\n"
              "  \"y\": [-10, 10],\n"
              "  \"t\": [-0.0, 1e+100],\n"
              "  \"equations\": [\"sin(t)\", \"say \\\"\\\\\\\"\\n\", \"\", \"\", \"\", \"\", "
              "\"\", \"\"],\n"
              "  \"colors\": [\"#FF0000\", \"#00FF00\", \"#0000FF\", \"#FF00FF\", \"#00FFFF\", "
              "\"#FFFF00\", \"#007FFF\", \"#ABCDEF\"],\n"
              "  \"background\": \"#FFFFFF\",\n"
              "  \"axisColor\": \"#000000\",\n"
              "  \"showAxes\": false\n"
              "}\n");
}

TEST(DocumentJson, EveryMemberRoundTripsBitForBit) {
    const double max = DBL_MAX, tiny = std::numeric_limits<double>::denorm_min();
    const struct {
        const char* name;
        std::function<void(GraphDocument&)> change;
    } rows[] = {
        {"defaults", [](GraphDocument&) {}},
        {"parametric", [](GraphDocument& d) { d.mode = Parametric; }},
        {"polar", [](GraphDocument& d) { d.mode = Polar; }},
        {"largest and smallest finite t",
         [&](GraphDocument& d) { d.tStart = -max, d.tStop = max; }},
        {"denormals",
         [&](GraphDocument& d) {
             d.xMin = -tiny, d.xMax = tiny, d.yMin = DBL_MIN / 3, d.yMax = DBL_MIN;
             d.tStart = 3 * tiny, d.tStop = -DBL_MIN * (1 - DBL_EPSILON);
         }},
        {"negative zeros",
         [](GraphDocument& d) {
             d.xMin = -0.0, d.yMax = 0.0, d.yMin = -1, d.tStart = -0.0, d.tStop = -0.0;
         }},
        {"huge view",
         [&](GraphDocument& d) { d.xMin = 0, d.xMax = max, d.yMin = -max / 2, d.yMax = max / 2; }},
        {"fractions",
         [](GraphDocument& d) { d.xMin = 0.1, d.xMax = 0.3, d.yMin = 1.0 / 3, d.tStop = 2.0 / 3; }},
        {"integers beyond 2^53",
         [](GraphDocument& d) { d.tStart = 9007199254740993.0, d.tStop = 1e22; }},
        {"longest equations, one to four bytes a character",
         [](GraphDocument& d) {
             d.equations[0] = Repeat("x", 999);
             d.equations[1] = Repeat("\xC3\xA9", 999);         // é
             d.equations[2] = Repeat("\xE2\x88\x91", 999);     // ∑
             d.equations[7] = Repeat("\xF0\x9F\x98\x80", 999); // an emoji
         }},
        {"texts JSON escapes",
         [](GraphDocument& d) {
             d.equations[3] = "\"\\/\b\f\n\r\t";
             d.equations[4] = std::string("a\0b\x01\x1F\x7F", 6);
             d.equations[5] = "\xE2\x80\xA8\xE2\x80\xA9"; // line and paragraph separators
         }},
        {"colours and axes",
         [](GraphDocument& d) {
             for (size_t i = 0; i < 8; ++i)
                 d.style.graphColors[i] = static_cast<uint32_t>(0x1F2E3D * (i + 1)) & 0xFFFFFF;
             d.style.backColor = 0xFFFFFF, d.style.axisColor = 0x000001, d.style.showAxes = false;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GraphDocument d;
        row.change(d);
        ASSERT_EQ(DocumentProblem(d), std::nullopt);
        const std::string text = WriteGraphDocument(d);
        const ReadResult back = Read(text, Sentinel());
        ASSERT_TRUE(back.ok) << back.reason << "\n" << text;
        EXPECT_EQ(Describe(back.document), Describe(d));
        EXPECT_EQ(WriteGraphDocument(back.document), text);
    }
}

// Whether some decimal of `digits` significant digits reads back as v
// (positive): only the two that bracket v can, and those are the correctly
// rounded one (printf's) and one of its neighbours.
bool DigitsSuffice(double v, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, v);
    std::string mantissa;
    const char* e = text;
    for (; *e != 'e'; ++e)
        if (*e != '.')
            mantissa += *e;
    const long long m = std::stoll(mantissa);
    const int exponent = std::atoi(e + 1) - (digits - 1);
    for (long long candidate : {m - 1, m, m + 1}) {
        const std::string decimal = std::to_string(candidate) + "e" + std::to_string(exponent);
        if (std::strtod(decimal.c_str(), nullptr) == v)
            return true;
    }
    return false;
}

// The length of the shortest text of v in the two styles a JSON number can
// take, found without to_chars: the fewest significant digits that read
// back, then printf's exponent ("%e") or plain ("%f") form of them.
size_t ShortestLength(double v) {
    int digits = 1;
    while (!DigitsSuffice(std::fabs(v), digits))
        ++digits;
    char exponentForm[64], plainForm[400];
    std::snprintf(exponentForm, sizeof exponentForm, "%.*e", digits - 1, v);
    const int exponent = std::atoi(std::strchr(exponentForm, 'e') + 1);
    const int decimals = std::max(0, digits - 1 - exponent);
    std::snprintf(plainForm, sizeof plainForm, "%.*f", decimals, v);
    return std::min(std::strlen(exponentForm), std::strlen(plainForm));
}

// The two numbers of the "t" line of a document text.
std::vector<std::string> StepNumbers(const std::string& text) {
    const size_t open = text.find("\"t\": [") + 6;
    const size_t comma = text.find(", ", open);
    const size_t close = text.find(']', comma);
    return {text.substr(open, comma - open), text.substr(comma + 2, close - comma - 2)};
}

TEST(DocumentJson, NumbersAreTheShortestTextThatReadsBack) {
    // The forms the format promises, then many doubles of every magnitude.
    const struct {
        double value;
        const char* text;
    } forms[] = {{0.1, "0.1"},
                 {1e100, "1e+100"},
                 {10, "10"},
                 {-0.0, "-0.0"},
                 {0.0, "0"},
                 {5e-324, "5e-324"},
                 {DBL_MAX, "1.7976931348623157e+308"}};
    for (const auto& form : forms) {
        GraphDocument d;
        d.tStart = form.value;
        EXPECT_EQ(StepNumbers(WriteGraphDocument(d))[0], form.text);
    }

    std::mt19937_64 random(20261207);
    size_t checked = 0;
    for (int i = 0; i < 10000; ++i) {
        uint64_t bits = random();
        if (i % 4 == 0)
            bits &= 0x800FFFFFFFFFFFFFull; // a denormal
        else if (i % 4 == 1)
            bits = (bits & 0x800FFFFFFFF00000ull) | 0x3FF0000000000000ull; // few digits
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        GraphDocument d;
        d.tStart = value;
        d.tStop = -value;
        const std::string text = WriteGraphDocument(d);
        const std::vector<std::string> numbers = StepNumbers(text);
        const double written[2] = {d.tStart, d.tStop};
        for (size_t k = 0; k < 2; ++k) {
            const std::string& number = numbers[k];
            SCOPED_TRACE(number);
            const double back = std::strtod(number.c_str(), nullptr);
            ASSERT_EQ(std::memcmp(&back, &written[k], sizeof back), 0);
            if (back != 0) {
                ASSERT_EQ(number.size(), ShortestLength(back));
            }
            ++checked;
        }
        const ReadResult r = Read(text);
        ASSERT_TRUE(r.ok) << r.reason;
        ASSERT_EQ(Describe(r.document), Describe(d));
    }
    EXPECT_GT(checked, 10000u);
}

TEST(DocumentJson, ReadsWhatItUsesAndPassesOverTheRest) {
    const struct {
        const char* name;
        std::string text;
        std::function<void(GraphDocument&)> expected; // applied to the defaults
    } rows[] = {
        {"only the version", Doc(), [](GraphDocument&) {}},
        {"byte order mark and CR LF line ends",
         "\xEF\xBB\xBF{\r\n  \"orvanta\": 1,\r\n  \"mode\": \"polar\"\r\n}\r\n",
         [](GraphDocument& d) { d.mode = Polar; }},
        {"unknown members of any kind", Doc("\"later\": {\"a\": [1, null]}, \"zoom\": 3"),
         [](GraphDocument&) {}},
        {"numbers of every JSON kind",
         Doc("\"x\": [-3, 18446744073709551615], \"y\": [0.5, 2e0], \"t\": [-9223372036854775808, "
             "1E-2]"),
         [](GraphDocument& d) {
             d.xMin = -3, d.xMax = 18446744073709551615.0, d.yMin = 0.5, d.yMax = 2;
             d.tStart = -9223372036854775808.0, d.tStop = 0.01;
         }},
        {"a start above the stop", Doc("\"t\": [5, -5]"),
         [](GraphDocument& d) { d.tStart = 5, d.tStop = -5; }},
        {"fewer equations and colours",
         Doc("\"equations\": [\"x\", \"\", \"\\u00e9\"], \"colors\": [\"#abcdef\", \"#A0b1C2\"]"),
         [](GraphDocument& d) {
             d.equations[0] = std::string("x"), d.equations[2] = "\xC3\xA9";
             d.style.graphColors[0] = 0xABCDEF, d.style.graphColors[1] = 0xA0B1C2;
         }},
        {"empty lists", Doc("\"equations\": [], \"colors\": []"), [](GraphDocument&) {}},
        {"the last of duplicate members", Doc("\"mode\": \"polar\", \"mode\": \"parametric\""),
         [](GraphDocument& d) { d.mode = Parametric; }},
        {"a version written as 1.0", "{\"orvanta\": 1.0, \"showAxes\": false}",
         [](GraphDocument& d) { d.style.showAxes = false; }},
        {"100 levels of nesting", Doc("\"deep\": " + Repeat("[", 99) + Repeat("]", 99)),
         [](GraphDocument&) {}},
        {"brackets inside strings", Doc("\"s\": \"" + Repeat("[{", 200) + "\\\"\""),
         [](GraphDocument&) {}},
        {"a number too large in an unknown member",
         Doc("\"later\": [1e999, -1E+400, null], \"x\": [1, 2]"),
         [](GraphDocument& d) { d.xMin = 1, d.xMax = 2; }},
        {"exactly 1 MiB", PadTo(Doc("\"equations\": [\"x\"]"), kMaxDocumentBytes),
         [](GraphDocument& d) { d.equations[0] = std::string("x"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GraphDocument expected;
        row.expected(expected);
        const ReadResult r = Read(row.text, Sentinel());
        ASSERT_TRUE(r.ok) << r.reason;
        EXPECT_EQ(Describe(r.document), Describe(expected));
    }
}

TEST(DocumentJson, RefusesWithAReasonAndKeepsTheDocument) {
    const std::string valid = Doc();
    const struct {
        const char* name;
        std::string text;
        std::string reason;
    } rows[] = {
        // size and shape
        {"1 MiB + 1", PadTo(valid, kMaxDocumentBytes + 1), "larger than 1 MiB"},
        {"empty", "", "not valid JSON (line 1, column 1)"},
        {"cut short", "{\"orvanta\": 1,\n  \"mode\": \"pol", "not valid JSON (line 2, column 15)"},
        {"trailing comma after CR LF", "{\r\n\"orvanta\": 1,\r\n}",
         "not valid JSON (line 3, column 1)"},
        {"text after the object", valid + "\n\n  x", "not valid JSON (line 3, column 3)"},
        {"NUL byte", std::string("{\"orvanta\": 1,\0}", 16), "not valid JSON (line 1, column 15)"},
        {"bytes after a NUL", valid + std::string("\n\0 not json", 11),
         "not valid JSON (line 2, column 1)"},
        {"NUL after a BOM and the document", "\xEF\xBB\xBF" + valid + std::string(1, '\0'),
         "not valid JSON (line 1, column " + std::to_string(valid.size() + 1) + ")"},
        {"error before a NUL", std::string("{\"orvanta\": x\0}", 15),
         "not valid JSON (line 1, column 13)"},
        {"invalid UTF-8", "{\"orvanta\": 1,\n\"mode\": \"\xC3\x28\"}",
         "not valid JSON (line 2, column 11)"},
        {"encoded surrogate", Doc("\"equations\": [\"\xED\xA0\x80\"]"),
         "not valid JSON (line 1, column 32)"},
        {"101 levels of nesting", Doc("\"deep\": " + Repeat("[", 100) + Repeat("]", 100)),
         "nested too deeply"},
        {"deep nesting to the size limit", std::string(kMaxDocumentBytes, '['),
         "nested too deeply"},
        // the version
        {"a list", "[1]", "not an Orvanta graph"},
        {"no version", "{\"mode\": \"polar\"}", "not an Orvanta graph"},
        {"version as text", "{\"orvanta\": \"1\"}", "not an Orvanta graph"},
        {"version 0", "{\"orvanta\": 0}", "not an Orvanta graph"},
        {"version 1.5", "{\"orvanta\": 1.5}", "not an Orvanta graph"},
        {"version 1e999", "{\"orvanta\": 1e999}", "not an Orvanta graph"},
        {"version 2", "{\"orvanta\": 2, \"mode\": 5}", "written by a newer version of Orvanta"},
        // types
        {"mode as a number", Doc("\"mode\": 1"), "\"mode\" must be text"},
        {"x as a number", Doc("\"x\": 1"), "\"x\" must be a pair of numbers"},
        {"y with three numbers", Doc("\"y\": [1, 2, 3]"), "\"y\" must be a pair of numbers"},
        {"t with text", Doc("\"t\": [\"0\", 1]"), "\"t\" must be a pair of numbers"},
        {"equations as text", Doc("\"equations\": \"x\""), "\"equations\" must be a list of texts"},
        {"equation as a number", Doc("\"equations\": [\"x\", 2]"),
         "\"equations\" must be a list of texts"},
        {"colors as an object", Doc("\"colors\": {}"), "\"colors\" must be a list of colours"},
        {"colour as a number", Doc("\"colors\": [16711680]"),
         "\"colors\" must be a list of colours"},
        {"background as a number", Doc("\"background\": 0"),
         "\"background\" must be a colour #RRGGBB"},
        {"axisColor as null", Doc("\"axisColor\": null"), "\"axisColor\" must be a colour #RRGGBB"},
        {"showAxes as a number", Doc("\"showAxes\": 1"), "\"showAxes\" must be true or false"},
        // values
        {"unknown mode", Doc("\"mode\": \"Polar\""), "unknown mode \"Polar\""},
        {"unknown mode with escapes", Doc("\"mode\": \"a\\\"b\\n\""), "unknown mode \"a\\\"b\\n\""},
        {"unknown mode with control characters", Doc("\"mode\": \"\\u001b]0;t\\u0007\x7f\""),
         "unknown mode \"\\u001b]0;t\\u0007\\u007f\""},
        {"empty x", Doc("\"x\": [1, 1]"),
         "\"x\" must be two finite numbers, the first less than the second"},
        {"inverted y", Doc("\"y\": [2, -2]"),
         "\"y\" must be two finite numbers, the first less than the second"},
        {"infinite x", Doc("\"x\": [-1e999, 0]"),
         "\"x\" must be two finite numbers, the first less than the second"},
        {"overflowing span", Doc("\"y\": [-1e308, 1e308]"),
         "\"y\" must be two finite numbers, the first less than the second"},
        {"infinite t", Doc("\"t\": [0, 1e999]"), "\"t\" must be two finite numbers"},
        {"integer too large for a double", Doc("\"t\": [0, " + Repeat("9", 400) + "]"),
         "\"t\" must be two finite numbers"},
        {"number too large as an equation", Doc("\"equations\": [-1e999]"),
         "\"equations\" must be a list of texts"},
        {"error after a number too large", "{\"orvanta\": 1,\n\"x\": [1e999, 0] ]}",
         "not valid JSON (line 2, column 17)"},
        {"nine equations", Doc("\"equations\": [" + Repeat("\"\", ", 8) + "\"\"]"),
         "more than eight equations"},
        {"1000 characters",
         Doc("\"equations\": [\"\", \"\", \"" + Repeat("\xE2\x88\x91", 1000) + "\"]"),
         "equation 3 is longer than 999 characters"},
        {"nine colours", Doc("\"colors\": [" + Repeat("\"#000000\", ", 8) + "\"#000000\"]"),
         "more than eight colours"},
        {"colour without #", Doc("\"colors\": [\"#000000\", \"FF0000\"]"),
         "colour 2 is not #RRGGBB"},
        {"colour with a bad digit", Doc("\"colors\": [\"#12345G\"]"), "colour 1 is not #RRGGBB"},
        {"short background", Doc("\"background\": \"#FFF\""), "\"background\" is not #RRGGBB"},
        {"axis colour by name", Doc("\"axisColor\": \"black\""), "\"axisColor\" is not #RRGGBB"},
    };
    const std::string sentinel = Describe(Sentinel());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ReadResult r = Read(row.text, Sentinel());
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, row.reason);
        EXPECT_EQ(Describe(r.document), sentinel);
    }
}

TEST(DocumentProblem, SaysWhatTheReaderWouldSay) {
    const double inf = INFINITY, nan = NAN;
    const struct {
        const char* name;
        std::function<void(GraphDocument&)> change;
    } rows[] = {
        {"unknown mode", [](GraphDocument& d) { d.mode = static_cast<GraphMode>(7); }},
        {"empty x", [](GraphDocument& d) { d.xMin = d.xMax = 1; }},
        {"NaN x", [&](GraphDocument& d) { d.xMin = nan; }},
        {"overflowing span of x", [](GraphDocument& d) { d.xMin = -DBL_MAX, d.xMax = DBL_MAX; }},
        {"inverted y", [](GraphDocument& d) { d.yMin = 2, d.yMax = 1; }},
        {"infinite y", [&](GraphDocument& d) { d.yMax = inf; }},
        {"infinite start", [&](GraphDocument& d) { d.tStart = -inf; }},
        {"NaN stop", [&](GraphDocument& d) { d.tStop = nan; }},
        {"1000 characters", [](GraphDocument& d) { d.equations[4] = Repeat("\xC3\xA9", 1000); }},
        {"colour word above 24 bits", [](GraphDocument& d) { d.style.graphColors[2] = 0x1000000; }},
        {"background word above 24 bits", [](GraphDocument& d) { d.style.backColor = 0xFF000000; }},
        {"axis colour word above 24 bits",
         [](GraphDocument& d) { d.style.axisColor = 0x01FFFFFF; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GraphDocument d;
        row.change(d);
        const std::optional<std::string> problem = DocumentProblem(d);
        ASSERT_TRUE(problem.has_value());
        const ReadResult r = Read(WriteGraphDocument(d));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, *problem);
    }
    // Bytes that are not UTF-8 have no JSON form: the writer replaces them,
    // so the reason comes from DocumentProblem alone.
    GraphDocument d;
    d.equations[1] = "x\xFF";
    EXPECT_EQ(DocumentProblem(d), "equation 2 is not valid UTF-8");
}

TEST(Utf8Text, AgreesWithTheJsonParser) {
    // Random short byte strings made mostly of the bytes where UTF-8's rules
    // change; the JSON parser decides independently what is well formed.
    const uint8_t interesting[] = {'a',  0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                   0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED,
                                   0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
    std::mt19937 random(18);
    size_t valid = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const size_t length = random() % 7;
        for (size_t k = 0; k < length; ++k)
            text += static_cast<char>(random() % 3 ? interesting[random() % sizeof interesting]
                                                   : 0x20 + random() % 0xE0);
        if (text.find_first_of("\"\\") != std::string::npos)
            continue;
        bool parsed = true;
        try {
            const nlohmann::json value = nlohmann::json::parse("\"" + text + "\"");
            parsed = value.is_string();
        } catch (const nlohmann::json::parse_error&) {
            parsed = false;
        }
        const std::optional<size_t> count = CountCodePoints(text);
        ASSERT_EQ(count.has_value(), parsed) << testing::PrintToString(text);
        if (count) {
            // Every code point has exactly one byte that is not 10xxxxxx.
            size_t leads = 0;
            for (char c : text)
                leads += (static_cast<uint8_t>(c) & 0xC0) != 0x80;
            ASSERT_EQ(*count, leads);
            ++valid;
        }
    }
    EXPECT_GT(valid, 20000u);
}

} // namespace
