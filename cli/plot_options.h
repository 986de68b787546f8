// orvanta-cli plot's command line: its options, read with CLI11, and how
// their values are read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plot/parameters.h"
#include "plot/plotter.h"

// How long orvanta-cli waits for the decision of relations by default.
inline constexpr int64_t kDefaultTimeLimitMs = 10000;

// What the arguments say; an option not given stays empty, so that a
// document opened with --graph keeps its own value.
struct PlotOptions {
    std::optional<std::string> graph; // --graph: the document to start from
    std::optional<std::string> save;  // --save: the document to write
    std::string output;               // -o: the image to write, empty for none
    std::optional<GraphMode> mode;
    std::optional<std::pair<double, double>> x, y, t;
    int32_t width = 800, height = 600;
    bool noAxes = false;
    bool smooth = false; // --smooth: anti-aliased curves in PNG and BMP
    bool exact = false;  // --exact: curves decided cell by cell, as relations
    int64_t timeLimitMs = kDefaultTimeLimitMs; // --time-limit: the wait for relations
    std::optional<uint32_t> background, axisColor;
    std::array<std::optional<uint32_t>, 8> colors;
    std::vector<std::string> equations; // in order; empty when none is given
    Parameters parameters;              // --param, each name once, the last value given
};

class CommandLine;

// Declares plot's options on `line`: once it has parsed the arguments,
// `options` holds what they say. An output file is needed (-o or --save), -o
// must name a .png, .bmp or .svg file, and there are at most eight
// equations.
void DeclarePlotOptions(CommandLine& line, PlotOptions& options);

// A whole argument read as a number by strtod; false (value unspecified)
// when the text is empty or anything follows the number.
bool ParseNumber(const std::string& text, double& value);

struct ImageSize {
    int32_t width, height;
};
// WxH, each from 1 to 32767.
bool ParseSize(const std::string& text, ImageSize& size);
// A time in whole milliseconds: decimal digits alone, at most 12 of them.
bool ParseTimeLimit(const std::string& text, int64_t& milliseconds);
// The options --time-limit MS and --size WxH read into these values.
void DeclareTimeLimit(CommandLine& line, int64_t& milliseconds);
void DeclareSize(CommandLine& line, int32_t& width, int32_t& height, const char* description);

// The option --param NAME=VALUE, repeatable: each use defines the parameter
// NAME (from -10 to 10, widened to hold VALUE, step 0) in `parameters`, or
// gives the one already there the value VALUE. A NAME that is no name or is
// reserved, a VALUE that is not a finite number, no "=", or more than
// kMaxParameters names are usage errors.
void DeclareParameterOption(CommandLine& line, Parameters& parameters);
// `given` applied to `parameters` (a document's): each sets the value of
// the parameter of its name, widening its range to hold it, or is added.
// False when that makes more than kMaxParameters.
bool ApplyParameters(Parameters& parameters, const Parameters& given);
// The message of a command line that defines too many parameters.
inline constexpr char kTooManyParameters[] = "--param: more than 16 parameters";

// Whether `name` ends in `suffix` (lower case), in any case.
bool EndsWithInAnyCase(const std::string& name, const char* suffix);
