#include "expr/token.h"

#include <algorithm>
#include <cstdlib>

OperatorCode OperatorCodeOf(std::string_view text) {
    static constexpr struct {
        std::string_view text;
        OperatorCode code;
    } table[] = {
        {"^", OperatorCode::Power},     {"u+", OperatorCode::UnaryPlus},
        {"u-", OperatorCode::UnaryMinus}, {"*", OperatorCode::Multiply},
        {"/", OperatorCode::Divide},    {"+", OperatorCode::Add},
        {"-", OperatorCode::Subtract},  {"(", OperatorCode::OpenParen},
        {")", OperatorCode::CloseParen}, {",", OperatorCode::Comma},
        {"=", OperatorCode::Assign},
    };
    for (const auto& entry : table)
        if (entry.text == text)
            return entry.code;
    return OperatorCode::Unknown;
}

int PrecedenceOf(const Token& token) {
    switch (token.kind) {
    case TokenKind::End:
        return 0;
    case TokenKind::FunctionCall:
        return 7;
    case TokenKind::Operator:
        switch (token.op) {
        case OperatorCode::Power:
            return 6;
        case OperatorCode::UnaryPlus:
        case OperatorCode::UnaryMinus:
            return 5;
        case OperatorCode::Multiply:
        case OperatorCode::Divide:
            return 4;
        case OperatorCode::Add:
        case OperatorCode::Subtract:
            return 3;
        default:
            return 2;
        }
    default:
        return -1;
    }
}

bool IsValidNumber(std::string_view text) {
    return std::count(text.begin(), text.end(), '.') <= 1;
}

Token MakeToken(TokenKind kind, std::string_view text) {
    Token token;
    token.kind = kind;
    token.text.assign(text);
    if (kind == TokenKind::Operator)
        token.op = OperatorCodeOf(text);
    else if (kind == TokenKind::Number)
        // atof(s) is defined as strtod(s, nullptr); strtod is used because the
        // Windows runtime's correctly rounded version is reached through it.
        token.number = std::strtod(token.text.c_str(), nullptr);
    return token;
}
