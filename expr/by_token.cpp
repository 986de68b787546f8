// The token-by-token evaluation: the plain reading of the postfix array,
// with map look-ups and the function callbacks. Every faster path is held
// to it.
#include <cmath>
#include <new>

#include "expr/expression.h"

namespace {

double Apply(OperatorCode op, double x, double y) {
    switch (op) {
    case OperatorCode::Power: return std::pow(x, y);
    case OperatorCode::Multiply: return x * y;
    case OperatorCode::Divide: return x / y;
    case OperatorCode::Add: return x + y;
    default: return x - y;
    }
}


} // namespace

bool Expression::EvaluateByToken() {
    if (!valueStack) {
        valueStack.reset(new (std::nothrow) double[ValueStackSize + 1]);
        if (!valueStack)
            return false;
    }
    double* const base = valueStack.get();
    double* top = base;

    uint32_t first = 0, last = postfixCount;
    const bool assignment = postfixCount > 0 &&
                            postfix[postfixCount - 1].kind == TokenKind::Operator &&
                            postfix[postfixCount - 1].op == OperatorCode::Assign;
    if (assignment) {
        if (postfix[0].kind != TokenKind::Identifier)
            return false;
        first = 1;
        last = postfixCount - 1;
    }
    for (uint32_t i = first; i < last; ++i) {
        if (top - base >= static_cast<ptrdiff_t>(ValueStackSize))
            return false;
        if (!EvaluateToken(postfix[i], base, top))
            return false;
    }
    if (top == base)
        return false;
    result = top[-1];
    return !assignment || symbols->SetVariable(postfix[0].text, result);
}

bool Expression::EvaluateToken(const Token& token, double* base, double*& top) {
    const ptrdiff_t count = top - base;
    switch (token.kind) {
    case TokenKind::Identifier: {
        double value;
        if (!symbols->GetVariable(token.text, value))
            return false;
        *top++ = value;
        return true;
    }
    case TokenKind::Number:
        *top++ = token.number;
        return true;
    case TokenKind::FunctionCall: {
        double value;
        if (!symbols->CallFunction(token.text, base, top, value))
            return false;
        *top++ = value;
        return true;
    }
    case TokenKind::Operator:
        switch (token.op) {
        case OperatorCode::Power:
        case OperatorCode::Multiply:
        case OperatorCode::Divide:
        case OperatorCode::Add:
        case OperatorCode::Subtract:
            if (count < 2)
                return false;
            --top;
            top[-1] = Apply(token.op, top[-1], top[0]);
            return true;
        case OperatorCode::UnaryPlus:
            return count >= 1;
        case OperatorCode::UnaryMinus:
            if (count < 1)
                return false;
            top[-1] = -top[-1];
            return true;
        case OperatorCode::OpenParen:
        case OperatorCode::CloseParen:
        case OperatorCode::Comma:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}
