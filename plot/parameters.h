// Parameters: named values every equation and relation of a graph may use,
// each with a range for its slider and a step (0 for continuous).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Parameter {
    std::string name;
    double value = 1;
    double min = -10;
    double max = 10;
    double step = 0;
};
using Parameters = std::vector<Parameter>;

inline constexpr size_t kMaxParameters = 16;
// The positions of the slider's range, from 0 (the minimum) to this (the
// maximum).
inline constexpr int kSliderPositions = 1000;
// How long Play takes to cross the whole range once, in seconds.
inline constexpr double kPlaySweepSeconds = 5.0;

// Whether `name` is a name of the language: a letter, then letters, digits
// and "_" (ASCII only).
bool IsIdentifier(std::string_view name);
// Whether `name` is one no parameter may take: x, y, t or a builtin's name.
// Names compare as the language compares them: byte for byte, so "X" and
// "Sin" are free.
bool IsReservedName(std::string_view name);

// Why `parameter` breaks a rule (its name, finite numbers, min below max, a
// step of 0 or more), or nothing when it keeps them all.
std::optional<std::string> ParameterProblem(const Parameter& parameter);
// ParameterProblem for each in order, then no name twice and at most
// kMaxParameters.
std::optional<std::string> ParametersProblem(const Parameters& parameters);

// The parameter named `name`, or null.
const Parameter* FindParameter(const Parameters& parameters, std::string_view name);
Parameter* FindParameter(Parameters& parameters, std::string_view name);

// `value` on the parameter's step: the nearest of min, min + step, ... that
// lies in [min, max] (`value` itself, clamped, with step 0).
double SnapToStep(const Parameter& parameter, double value);
// The slider position (0 to kSliderPositions) of `value`, clamped to the range.
int SliderPosition(const Parameter& parameter, double value);
// The value at slider position `position`, linear over [min, max] and
// snapped to the step; the ends give min and max exactly.
double SliderValue(const Parameter& parameter, int position);
// Widens the range just enough to hold a finite `value`.
void WidenToHold(Parameter& parameter, double value);

// The value Play shows `seconds` after it started from `start`: from there
// up to the maximum, down to the minimum, up again and so on, crossing the
// whole range in kPlaySweepSeconds, snapped to the step. A start outside the
// range begins at the nearer end.
double PlayValue(const Parameter& parameter, double start, double seconds);

// Every name the equation texts use as a value that is neither x, y, t, a
// builtin nor one of `parameters`, each once, in the order the names first
// appear from slot 1 on. A name called as a function and the name an
// assignment gives a value to are not used values. A text the tokenizer
// stops in gives the names before the stop.
std::vector<std::string> MissingParameterNames(const std::array<std::string, 8>& texts,
                                               const Parameters& parameters);
