// Random relations and an independent check of the decider's maps: each
// relation is generated as a tree that prints the text the decider reads
// and evaluates itself in MPFR by the language's rules. A cell called
// "nowhere" must hold no solution at any of its sampled points (and, for an
// equation of functions continuous everywhere, no sign change of the
// difference between them); a cell called "throughout" must hold at every
// sampled point; a cell called "somewhere" must carry a proof that MPFR
// confirms: a box where the relation holds at its middle, or two points
// where the difference has opposite signs.
#pragma once

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "big_number.h"
#include "decide/relation_decider.h"

namespace relation_check {

constexpr mpfr_prec_t kPrecision = 256;

// Where the random choices come from (a seeded engine, or a fuzzer's bytes).
class Choices {
public:
    virtual ~Choices() = default;
    // A number in [0, n).
    virtual uint32_t Pick(uint32_t n) = 0;
};

struct Node {
    enum class Op : uint8_t {
        Number, X, Y, Neg, Add, Sub, Mul, Div, Power, Sin, Cos, Tan, Exp, Log, Sqrt, Abs, Floor,
        Ceil, Mod, ArcTan,
    };
    Op op = Op::Number;
    double number = 0; // Number: the value; Power: the exponent; Mod: the divisor
    std::unique_ptr<Node> a, b;
};

// A random expression of x and y. `continuous`: only operations defined and
// continuous on the whole plane.
inline std::unique_ptr<Node> Generate(Choices& choices, int depth, bool continuous) {
    using Op = Node::Op;
    auto node = std::make_unique<Node>();
    if (depth <= 0 || choices.Pick(4) == 0) {
        const uint32_t leaf = choices.Pick(5);
        node->op = leaf < 2 ? Op::X : leaf < 4 ? Op::Y : Op::Number;
        node->number = (static_cast<double>(choices.Pick(33)) - 16) / 4; // quarters: exact
        return node;
    }
    static constexpr Op kAll[] = {Op::Neg,  Op::Add, Op::Sub,  Op::Mul,   Op::Div,  Op::Power,
                                  Op::Sin,  Op::Cos, Op::Tan,  Op::Exp,   Op::Log,  Op::Sqrt,
                                  Op::Abs,  Op::Floor, Op::Ceil, Op::Mod, Op::ArcTan};
    static constexpr Op kContinuous[] = {Op::Neg, Op::Add, Op::Sub, Op::Mul,   Op::Power,
                                         Op::Sin, Op::Cos, Op::Abs, Op::ArcTan, Op::Add};
    node->op = continuous ? kContinuous[choices.Pick(std::size(kContinuous))]
                          : kAll[choices.Pick(std::size(kAll))];
    node->a = Generate(choices, depth - 1, continuous);
    switch (node->op) {
    case Op::Add: case Op::Sub: case Op::Mul: case Op::Div:
        node->b = Generate(choices, depth - 1, continuous);
        break;
    case Op::Power:
        node->number = continuous ? 2 + choices.Pick(2) : static_cast<double>(choices.Pick(7)) - 3;
        break;
    case Op::Mod:
        node->number = (1 + static_cast<double>(choices.Pick(8))) / 2 * (choices.Pick(4) ? 1 : -1);
        break;
    default:
        break;
    }
    return node;
}

inline std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// The text of the expression, every operation in parentheses (and no sign
// right after "^", which the language refuses).
inline std::string Text(const Node& n) {
    using Op = Node::Op;
    auto call = [&](const char* name) { return std::string(name) + "(" + Text(*n.a) + ")"; };
    switch (n.op) {
    case Op::Number: return n.number < 0 ? "(" + Number(n.number) + ")" : Number(n.number);
    case Op::X: return "x";
    case Op::Y: return "y";
    case Op::Neg: return "(-" + Text(*n.a) + ")";
    case Op::Add: return "(" + Text(*n.a) + "+" + Text(*n.b) + ")";
    case Op::Sub: return "(" + Text(*n.a) + "-" + Text(*n.b) + ")";
    case Op::Mul: return "(" + Text(*n.a) + "*" + Text(*n.b) + ")";
    case Op::Div: return "(" + Text(*n.a) + "/" + Text(*n.b) + ")";
    case Op::Power:
        return "(" + Text(*n.a) + "^" + (n.number < 0 ? "(" + Number(n.number) + ")" : Number(n.number)) + ")";
    case Op::Sin: return call("sin");
    case Op::Cos: return call("cos");
    case Op::Tan: return call("tan");
    case Op::Exp: return call("exp");
    case Op::Log: return call("log");
    case Op::Sqrt: return call("sqrt");
    case Op::Abs: return call("abs");
    case Op::Floor: return call("floor");
    case Op::Ceil: return call("ceil");
    case Op::ArcTan: return call("arctan");
    case Op::Mod: return "mod(" + Text(*n.a) + "," + (n.number < 0 ? "(" + Number(n.number) + ")" : Number(n.number)) + ")";
    }
    return "";
}

// The exact value at (x, y) (rounded to kPrecision bits); false where the
// expression is undefined.
inline bool Evaluate(const Node& n, mpfr_srcptr x, mpfr_srcptr y, mpfr_ptr out) {
    using Op = Node::Op;
    const auto R = MPFR_RNDN;
    Big a(kPrecision), b(kPrecision);
    if (n.a && !Evaluate(*n.a, x, y, a.get()))
        return false;
    if (n.b && !Evaluate(*n.b, x, y, b.get()))
        return false;
    switch (n.op) {
    case Op::Number: mpfr_set_d(out, n.number, R); return true;
    case Op::X: mpfr_set(out, x, R); return true;
    case Op::Y: mpfr_set(out, y, R); return true;
    case Op::Neg: mpfr_neg(out, a.get(), R); return true;
    case Op::Add: mpfr_add(out, a.get(), b.get(), R); return true;
    case Op::Sub: mpfr_sub(out, a.get(), b.get(), R); return true;
    case Op::Mul: mpfr_mul(out, a.get(), b.get(), R); return true;
    case Op::Div:
        if (mpfr_zero_p(b.get()))
            return false;
        mpfr_div(out, a.get(), b.get(), R);
        return true;
    case Op::Power:
        if (mpfr_zero_p(a.get()) && n.number < 0)
            return false;
        mpfr_pow_si(out, a.get(), static_cast<long>(n.number), R);
        return true;
    case Op::Sin: mpfr_sin(out, a.get(), R); return true;
    case Op::Cos: mpfr_cos(out, a.get(), R); return true;
    case Op::Tan: mpfr_tan(out, a.get(), R); return true; // no point here is a pole
    case Op::Exp: mpfr_exp(out, a.get(), R); return true;
    case Op::Log:
        if (mpfr_sgn(a.get()) <= 0)
            return false;
        mpfr_log(out, a.get(), R);
        return true;
    case Op::Sqrt:
        if (mpfr_sgn(a.get()) < 0)
            return false;
        mpfr_sqrt(out, a.get(), R);
        return true;
    case Op::Abs: mpfr_abs(out, a.get(), R); return true;
    case Op::Floor: mpfr_floor(out, a.get()); return true;
    case Op::Ceil: mpfr_ceil(out, a.get()); return true;
    case Op::ArcTan: mpfr_atan(out, a.get(), R); return true;
    case Op::Mod:
        mpfr_set_d(b.get(), n.number, R);
        mpfr_fmod(out, a.get(), b.get(), R);
        return true;
    }
    return false;
}

// A relation: sides joined by comparisons.
struct Relation {
    std::vector<std::unique_ptr<Node>> sides;
    std::vector<Comparison> comparisons;
    bool continuousEquation = false; // one "=" between sides continuous everywhere

    std::string Text() const {
        static const char* const kNames[] = {"=", "<", "<=", ">", ">="};
        std::string text = relation_check::Text(*sides[0]);
        for (size_t i = 0; i < comparisons.size(); ++i)
            text += kNames[static_cast<int>(comparisons[i])] + relation_check::Text(*sides[i + 1]);
        return text;
    }
    // Pair i's difference at (x, y): false where undefined.
    bool Difference(size_t i, mpfr_srcptr x, mpfr_srcptr y, mpfr_ptr out) const {
        Big l(kPrecision), r(kPrecision);
        if (!Evaluate(*sides[i], x, y, l.get()) || !Evaluate(*sides[i + 1], x, y, r.get()))
            return false;
        mpfr_sub(out, l.get(), r.get(), MPFR_RNDN);
        return true;
    }
    // Whether the relation holds at (x, y), and the sign of pair 0's
    // difference there (0 when undefined or zero).
    bool Holds(double px, double py, int* sign0 = nullptr) const {
        Big x(kPrecision), y(kPrecision), d(kPrecision);
        mpfr_set_d(x.get(), px + 0.0, MPFR_RNDN);
        mpfr_set_d(y.get(), py + 0.0, MPFR_RNDN);
        bool all = true;
        for (size_t i = 0; i < comparisons.size(); ++i) {
            if (!Difference(i, x.get(), y.get(), d.get())) {
                if (i == 0 && sign0)
                    *sign0 = 0;
                return false;
            }
            const int s = mpfr_sgn(d.get());
            if (i == 0 && sign0)
                *sign0 = s;
            switch (comparisons[i]) {
            case Comparison::Equal: all = all && s == 0; break;
            case Comparison::Less: all = all && s < 0; break;
            case Comparison::LessEqual: all = all && s <= 0; break;
            case Comparison::Greater: all = all && s > 0; break;
            case Comparison::GreaterEqual: all = all && s >= 0; break;
            }
        }
        return all;
    }
};

// An equation of two continuous sides, or a chain of one or two
// inequalities over any operations.
inline Relation GenerateRelation(Choices& choices, int depth) {
    Relation r;
    r.continuousEquation = choices.Pick(2) == 0;
    if (r.continuousEquation) {
        r.sides.push_back(Generate(choices, depth, true));
        r.sides.push_back(Generate(choices, depth, true));
        r.comparisons.push_back(Comparison::Equal);
        return r;
    }
    const uint32_t pairs = 1 + choices.Pick(2);
    r.sides.push_back(Generate(choices, depth, false));
    for (uint32_t i = 0; i < pairs; ++i) {
        r.comparisons.push_back(static_cast<Comparison>(1 + choices.Pick(4)));
        r.sides.push_back(Generate(choices, depth, false));
    }
    return r;
}

inline double Middle(const Interval& i) { return i.lo + (i.hi - i.lo) / 2; }

// Every disagreement between the map and MPFR, described (at most `limit`).
inline std::vector<std::string> Check(const Relation& relation, const CellGrid& grid,
                                      const CellMap& map, const std::vector<CellWitness>& witnesses,
                                      int samples = 5, size_t limit = 5) {
    std::vector<std::string> problems;
    const CellEdges edges(grid);
    std::vector<const CellWitness*> proof(map.states.size(), nullptr);
    for (const CellWitness& w : witnesses)
        if (w.cell < proof.size() && !proof[w.cell])
            proof[w.cell] = &w;
    auto report = [&](int c, int r, const std::string& what) {
        if (problems.size() < limit)
            problems.push_back(relation.Text() + " cell " + std::to_string(c) + "," +
                               std::to_string(r) + ": " + what);
    };
    for (int32_t r = 0; r < map.height; ++r) {
        for (int32_t c = 0; c < map.width; ++c) {
            const CellState state = map.At(c, r);
            if (state == CellState::Undecided)
                continue;
            // Doubles inside the real cell: from just inside one edge's
            // enclosure to just inside the other's.
            const double x0 = edges.x[c].hi, x1 = edges.x[c + 1].lo;
            const double y0 = edges.y[r + 1].hi, y1 = edges.y[r].lo;
            if (state == CellState::Somewhere) {
                const CellWitness* w = proof[static_cast<size_t>(r) * map.width + c];
                if (!w) {
                    report(c, r, "somewhere without a proof");
                    continue;
                }
                const bool meets = w->x.lo <= edges.x[c + 1].hi && w->x.hi >= edges.x[c].lo &&
                                   w->y.lo <= edges.y[r].hi && w->y.hi >= edges.y[r + 1].lo;
                if (!meets)
                    report(c, r, "proof outside the cell");
                if (w->kind == CellWitness::Kind::Box) {
                    if (!relation.Holds(Middle(w->x), Middle(w->y)))
                        report(c, r, "does not hold at its proof's point " +
                                         Number(Middle(w->x)) + ", " + Number(Middle(w->y)));
                } else {
                    int s1 = 0, s2 = 0;
                    relation.Holds(Middle(w->x), Middle(w->y), &s1);
                    relation.Holds(Middle(w->x2), Middle(w->y2), &s2);
                    if (w->pair != 0 || !(s1 < 0 && s2 > 0))
                        report(c, r, "no sign change at its proof's points");
                }
                continue;
            }
            if (!(x0 <= x1 && y0 <= y1))
                continue; // narrower than the doubles: no point to sample
            bool negative = false, positive = false;
            for (int i = 0; i < samples; ++i) {
                for (int j = 0; j < samples; ++j) {
                    const double px = std::clamp(x0 + (x1 - x0) * i / (samples - 1), x0, x1);
                    const double py = std::clamp(y0 + (y1 - y0) * j / (samples - 1), y0, y1);
                    int sign = 0;
                    const bool holds = relation.Holds(px, py, &sign);
                    negative = negative || sign < 0;
                    positive = positive || sign > 0;
                    if (state == CellState::Nowhere && holds)
                        report(c, r, "nowhere, but holds at " + Number(px) + ", " + Number(py));
                    if (state == CellState::Throughout && !holds)
                        report(c, r, "throughout, but fails at " + Number(px) + ", " + Number(py));
                }
            }
            if (state == CellState::Nowhere && relation.continuousEquation && negative && positive)
                report(c, r, "nowhere, but its difference changes sign in it");
        }
    }
    return problems;
}

} // namespace relation_check
