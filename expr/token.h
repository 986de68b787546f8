// Lexical tokens of the calculator language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class TokenKind : int32_t {
    None = 0,         // a default-made token; never takes part in compilation
    Identifier = 1,   // a name used as a variable
    Operator = 2,     // operator, sign, parenthesis, comma or "="
    Number = 3,       // numeric literal
    FunctionCall = 4, // a name directly followed by "(" (made by ToPostfix only)
    End = 5,          // end of input and the bottom marker of the operator stack
};

enum class OperatorCode : int32_t {
    Power = 0,      // "^"
    UnaryPlus = 1,  // "u+"
    UnaryMinus = 2, // "u-"
    Multiply = 3,   // "*"
    Divide = 4,     // "/"
    Add = 5,        // "+"
    Subtract = 6,   // "-"
    OpenParen = 7,  // "("
    CloseParen = 8, // ")"
    Comma = 9,      // ","
    Assign = 10,    // "="
    Unknown = 11,   // any other text
};

// One token. `op` is meaningful for Operator tokens and `number` for Number
// tokens only; both are derived from `text` whenever a token is made.
struct Token {
    TokenKind kind = TokenKind::None;
    std::string text;
    OperatorCode op = OperatorCode::Unknown;
    double number = 0.0;
};

// The operator code of a token text; Unknown for any text not in the table.
OperatorCode OperatorCodeOf(std::string_view text);

// Precedence used by the infix-to-postfix conversion; -1 for kinds that are
// never compared (names, numbers).
int PrecedenceOf(const Token& token);

// False when `text` holds more than one "."; true otherwise (also for "" and ".").
bool IsValidNumber(std::string_view text);

// A token of `kind` with `text`; an Operator gets its code and a Number its
// value (the text read as atof reads it).
Token MakeToken(TokenKind kind, std::string_view text);
