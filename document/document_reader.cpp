// ReadGraphDocument: strict about the members it uses, lenient about the
// rest.
#include <cmath>
#include <new>

#include <nlohmann/json.hpp>

#include "document/document_json.h"
#include "document/document_rules.h"
#include "document/json_prescan.h"
#include "plot/hex_color.h"

using nlohmann::json;

namespace {

// Why a read is refused; carried out of the member readers by exception so
// that each check is one line.
struct Refusal {
    std::string reason;
};

[[noreturn]] void Refuse(std::string reason) {
    throw Refusal{std::move(reason)};
}

// Line and column (from 1; the column counts bytes) of the byte at `index`,
// which may be text.size() for the end of the text.
std::string PositionText(std::string_view text, size_t index) {
    if (index > text.size())
        index = text.size();
    size_t line = 1, lineStart = 0;
    for (size_t i = 0; i < index; ++i)
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    return "line " + std::to_string(line) + ", column " + std::to_string(index - lineStart + 1);
}

// The member `name` of the document, or null when it is absent.
const json* Member(const json& root, const char* name) {
    const auto found = root.find(name);
    return found == root.end() ? nullptr : &*found;
}

// `text` as a JSON string, quotes and escapes included. Every control
// character is escaped, DEL (which JSON lets stand) as \u007f too, so the
// reason can be printed on a terminal as it is.
std::string JsonString(const std::string& text) {
    const std::string quoted = json(text).dump(-1, ' ', false, json::error_handler_t::replace);
    std::string shown;
    for (const char c : quoted) {
        if (c == '\x7f')
            shown += "\\u007f";
        else
            shown += c;
    }
    return shown;
}

std::string Quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

// version: a number equal to an integer; above kDocumentVersion is newer,
// below 1 (or not an integer) is no graph of ours.
void ReadVersion(const json& root) {
    const json* version = root.is_object() ? Member(root, "orvanta") : nullptr;
    if (!version || !version->is_number())
        Refuse("not an Orvanta graph");
    const double value = version->get<double>();
    if (!std::isfinite(value) || std::floor(value) != value || value < 1)
        Refuse("not an Orvanta graph");
    if (value > kDocumentVersion)
        Refuse("written by a newer version of Orvanta");
}

// mode: "rectangular" | "parametric" | "polar"
void ReadMode(const json& root, GraphMode& mode) {
    const json* member = Member(root, "mode");
    if (!member)
        return;
    if (!member->is_string())
        Refuse("\"mode\" must be text");
    const std::string& name = member->get_ref<const std::string&>();
    for (GraphMode candidate : {Rectangular, Parametric, Polar})
        if (name == ModeName(candidate)) {
            mode = candidate;
            return;
        }
    Refuse("unknown mode " + JsonString(name));
}

// x, y, t: [number, number]
bool ReadPair(const json& root, const char* name, double& first, double& second) {
    const json* member = Member(root, name);
    if (!member)
        return false;
    if (!member->is_array() || member->size() != 2 || !(*member)[0].is_number() ||
        !(*member)[1].is_number())
        Refuse(Quoted(name) + " must be a pair of numbers");
    first = (*member)[0].get<double>();
    second = (*member)[1].get<double>();
    return true;
}

void ReadView(const json& root, const char* name, double& min, double& max) {
    if (ReadPair(root, name, min, max))
        if (auto problem = ViewProblem(name, min, max))
            Refuse(*problem);
}

// The member `name` when it is a list of at most eight texts; null when it
// is absent. Refused with `typeReason` when it is anything but a list of
// texts, with `countReason` when it holds more than eight.
const json* TextList(const json& root, const char* name, const char* typeReason,
                     const char* countReason) {
    const json* member = Member(root, name);
    if (!member)
        return nullptr;
    if (!member->is_array())
        Refuse(typeReason);
    for (const json& item : *member)
        if (!item.is_string())
            Refuse(typeReason);
    if (member->size() > 8)
        Refuse(countReason);
    return member;
}

// equations: up to eight texts; the slots after them stay empty
void ReadEquations(const json& root, std::array<std::string, 8>& equations) {
    const json* list = TextList(root, "equations", "\"equations\" must be a list of texts",
                                "more than eight equations");
    if (!list)
        return;
    for (size_t i = 0; i < list->size(); ++i) {
        const std::string& text = (*list)[i].get_ref<const std::string&>();
        if (auto problem = EquationProblem(i + 1, text))
            Refuse(*problem);
        equations[i] = text;
    }
}

// colors: up to eight "#RRGGBB"; the curves after them keep their defaults
void ReadColors(const json& root, std::array<uint32_t, 8>& colors) {
    const json* list =
        TextList(root, "colors", "\"colors\" must be a list of colours", "more than eight colours");
    if (!list)
        return;
    for (size_t i = 0; i < list->size(); ++i)
        if (!ParseHexColor((*list)[i].get_ref<const std::string&>(), "#", colors[i]))
            Refuse("colour " + std::to_string(i + 1) + " is not #RRGGBB");
}

// background, axisColor: "#RRGGBB"
void ReadColor(const json& root, const char* name, uint32_t& word) {
    const json* member = Member(root, name);
    if (!member)
        return;
    if (!member->is_string())
        Refuse(Quoted(name) + " must be a colour #RRGGBB");
    if (!ParseHexColor(member->get_ref<const std::string&>(), "#", word))
        Refuse(Quoted(name) + " is not #RRGGBB");
}

// showAxes: true | false
void ReadShowAxes(const json& root, bool& showAxes) {
    const json* member = Member(root, "showAxes");
    if (!member)
        return;
    if (!member->is_boolean())
        Refuse("\"showAxes\" must be true or false");
    showAxes = member->get<bool>();
}

// parameters: [{"name": text, "value": number, "min": number, "max": number,
// "step": number}, ...]; a number left out keeps the default of a new
// parameter (1, -10, 10, 0).
void ReadParameters(const json& root, Parameters& parameters) {
    const json* list = Member(root, "parameters");
    if (!list)
        return;
    const char kType[] = "\"parameters\" must be a list of objects with a name and numbers";
    if (!list->is_array())
        Refuse(kType);
    if (list->size() > kMaxParameters)
        Refuse("more than " + std::to_string(kMaxParameters) + " parameters");
    for (const json& item : *list) {
        if (!item.is_object())
            Refuse(kType);
        Parameter p;
        const json* name = Member(item, "name");
        if (!name || !name->is_string())
            Refuse(kType);
        p.name = name->get<std::string>();
        for (auto [member, value] : {std::pair<const char*, double*>{"value", &p.value},
                                     {"min", &p.min}, {"max", &p.max}, {"step", &p.step}}) {
            const json* number = Member(item, member);
            if (!number)
                continue;
            if (!number->is_number())
                Refuse(kType);
            *value = number->get<double>();
        }
        parameters.push_back(std::move(p));
    }
    if (auto problem = ParametersProblem(parameters))
        Refuse(*problem);
}

// `value` when the text ended where the parser stopped; refused at the NUL
// byte at `nul` otherwise.
json Complete(json value, std::string_view text, size_t nul) {
    if (nul != std::string_view::npos)
        Refuse("not valid JSON (" + PositionText(text, nul) + ")");
    return value;
}

// The JSON value of the text. Numbers too large for a double are read as
// infinity (nlohmann refuses them), so that the member's own rule decides.
// JSON has no place for a NUL byte, but nlohmann takes one for the end of
// the text: the text is parsed up to the first NUL, and when that part is a
// complete value the NUL itself is refused.
json Parse(std::string_view whole) {
    const size_t nul = whole.find('\0');
    const std::string_view text = whole.substr(0, nul);
    try {
        OverflowReplacement replacement;
        if (!ReplaceOverflowingNumbers(text, replacement))
            return Complete(json::parse(text.begin(), text.end()), whole, nul);
        size_t nulls = 0;
        const json::parser_callback_t restore = [&](int, json::parse_event_t event, json& value) {
            if (event == json::parse_event_t::value && value.is_null()) {
                if (nulls < replacement.nulls.size() && !std::isnan(replacement.nulls[nulls]))
                    value = replacement.nulls[nulls];
                ++nulls;
            }
            return true;
        };
        return Complete(json::parse(replacement.text.begin(), replacement.text.end(), restore),
                        whole, nul);
    } catch (const json::parse_error& error) {
        // error.byte counts the characters read, the failing one included.
        const size_t index = error.byte > 0 ? error.byte - 1 : 0;
        Refuse("not valid JSON (" + PositionText(text, index) + ")");
    } catch (const json::exception&) {
        // A number out of range that the scan above did not find: only in
        // text that is not JSON around it.
        Refuse("not valid JSON");
    }
}

GraphDocument Read(std::string_view text) {
    // The size first, so that nothing larger is even scanned.
    if (text.size() > kMaxDocumentBytes)
        Refuse("larger than 1 MiB");
    // A byte order mark some editors put first; the positions in error
    // messages count from after it.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    if (NestsTooDeeply(text, kMaxDocumentNesting))
        Refuse("nested too deeply");
    const json root = Parse(text);
    ReadVersion(root);
    GraphDocument document;
    ReadMode(root, document.mode);
    ReadView(root, "x", document.xMin, document.xMax);
    ReadView(root, "y", document.yMin, document.yMax);
    if (ReadPair(root, "t", document.tStart, document.tStop))
        if (auto problem = StepProblem(document.tStart, document.tStop))
            Refuse(*problem);
    ReadEquations(root, document.equations);
    ReadParameters(root, document.parameters);
    ReadColors(root, document.style.graphColors);
    ReadColor(root, "background", document.style.backColor);
    ReadColor(root, "axisColor", document.style.axisColor);
    ReadShowAxes(root, document.style.showAxes);
    return document;
}

} // namespace

bool ReadGraphDocument(std::string_view text, GraphDocument& document, std::string& reason) {
    try {
        document = Read(text);
        return true;
    } catch (const Refusal& refusal) {
        reason = refusal.reason;
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    } catch (const json::exception&) {
        // Not expected: every access above checks the type first.
        reason = "not an Orvanta graph";
    }
    return false;
}
