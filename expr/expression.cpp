#include "expr/expression.h"

#include <atomic>
#include <new>

#include "expr/program.h"

namespace {

std::atomic<uint64_t> compileCount{0};

} // namespace

Expression::Expression(SymbolTable& table) : symbols(&table) {}

Expression::~Expression() = default;

uint64_t Expression::CompileCount() {
    return compileCount.load(std::memory_order_relaxed);
}

bool Expression::Compile(std::string_view text) {
    compileCount.fetch_add(1, std::memory_order_relaxed);
    infix.clear();
    postfix.clear();
    infixCount = 0;
    postfixCount = 0;
    result = 0.0;
    program.reset();
    try {
        return Tokenize(text) && ToPostfix();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

namespace {

enum class LexState { Between, InName, InNumber };

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsOperatorChar(unsigned char c) {
    switch (c) {
    case '=': case '+': case '-': case '*': case '/': case '^': case '(': case ')': case ',':
        return true;
    default:
        return false;
    }
}

} // namespace

// token    := name | number | operator
// name     := letter { letter | digit | "_" }
// number   := { digit | "." }   (at most one ".")
// operator := one of = + - * / ^ ( ) ,  ; "+" and "-" are signs ("u+", "u-")
//             at the start and after any operator token other than ")"
// Blanks (space, tab, line feed) separate tokens; any other byte is an error.
bool Expression::Tokenize(std::string_view text) {
    infix.clear();
    infixCount = 0;
    infix.reserve(text.size() + 1 < MaxTokens ? text.size() + 1 : MaxTokens);

    LexState state = LexState::Between;
    size_t start = 0;

    auto emit = [&](TokenKind kind, std::string_view tokenText) {
        if (infixCount + 1 > MaxTokens)
            return false;
        ++infixCount;
        infix.push_back(MakeToken(kind, tokenText));
        return true;
    };
    // Emits the pending name or number that ends before `pos`.
    auto flush = [&](size_t pos) {
        std::string_view pending = text.substr(start, pos - start);
        LexState was = state;
        state = LexState::Between;
        if (was == LexState::InName)
            return emit(TokenKind::Identifier, pending);
        if (was == LexState::InNumber)
            return IsValidNumber(pending) && emit(TokenKind::Number, pending);
        return true;
    };

    for (size_t pos = 0; pos < text.size(); ++pos) {
        const unsigned char c = static_cast<unsigned char>(text[pos]);
        if (IsBlank(c)) {
            if (!flush(pos))
                return false;
        } else if (IsOperatorChar(c)) {
            if (!flush(pos))
                return false;
            bool sign = false;
            if (c == '+' || c == '-') {
                sign = infixCount == 0 || (infix.back().kind == TokenKind::Operator &&
                                           infix.back().text != ")");
            }
            if (sign) {
                if (!emit(TokenKind::Operator, c == '+' ? "u+" : "u-"))
                    return false;
            } else if (!emit(TokenKind::Operator, text.substr(pos, 1))) {
                return false;
            }
        } else if (IsLetter(c)) {
            if (state == LexState::InNumber)
                return false; // no implicit multiplication, no exponent notation
            if (state == LexState::Between) {
                state = LexState::InName;
                start = pos;
            }
        } else if ((IsDigit(c) || c == '_') && state == LexState::InName) {
            // continues the name
        } else if (IsDigit(c) || c == '.') {
            if (state == LexState::InName)
                return false; // a point inside a name
            if (state == LexState::Between) {
                state = LexState::InNumber;
                start = pos;
            }
        } else {
            return false;
        }
    }
    return flush(text.size()) && emit(TokenKind::End, "");
}

// Operator-stack conversion. Every operator groups from the left ("<=" when
// comparing with the stack top), a name directly followed by "(" becomes a
// function call, "=" may only stand second, an empty "()" is allowed only as
// a function's argument list, and a "(" left open at the end is passed on.
bool Expression::ToPostfix() {
    postfix.clear();
    postfixCount = 0;
    program.reset();
    if (infixCount < 1 || infix[infixCount - 1].kind != TokenKind::End)
        return false;
    postfix.reserve(infixCount);

    for (uint32_t i = 0; i < infixCount; ++i) {
        const Token& token = infix[i];
        if (token.kind == TokenKind::Operator && token.op == OperatorCode::Assign && i != 1)
            return false;
    }

    std::vector<Token> stack;
    stack.reserve(infixCount + 1);
    stack.push_back(MakeToken(TokenKind::End, ""));
    bool operandSeen = false;

    auto output = [&](const Token& token) {
        postfix.push_back(token);
        ++postfixCount;
    };
    auto isOpenParen = [](const Token& token) {
        return token.kind == TokenKind::Operator && token.op == OperatorCode::OpenParen;
    };

    for (uint32_t i = 0; i < infixCount; ++i) {
        const Token& token = infix[i];
        switch (token.kind) {
        case TokenKind::Identifier:
            if (i + 1 < infixCount && isOpenParen(infix[i + 1])) {
                stack.push_back(MakeToken(TokenKind::FunctionCall, token.text));
            } else {
                output(token);
                operandSeen = true;
            }
            break;
        case TokenKind::Number:
            output(token);
            operandSeen = true;
            break;
        case TokenKind::Operator:
            if (token.op == OperatorCode::OpenParen) {
                stack.push_back(token);
                operandSeen = false;
            } else if (token.op == OperatorCode::CloseParen || token.op == OperatorCode::Comma) {
                while (!isOpenParen(stack.back())) {
                    if (stack.back().kind == TokenKind::End)
                        return false; // no open "(" for this ")" or ","
                    output(stack.back());
                    stack.pop_back();
                    operandSeen = true;
                }
                const Token& below = stack[stack.size() - 2];
                if (below.kind != TokenKind::FunctionCall && !operandSeen)
                    return false; // an empty group that is not an argument list
                if (token.op == OperatorCode::Comma) {
                    stack.back() = MakeToken(TokenKind::Operator, "(");
                    operandSeen = false;
                } else {
                    stack.pop_back();
                }
            } else {
                while (PrecedenceOf(token) <= PrecedenceOf(stack.back())) {
                    output(stack.back());
                    stack.pop_back();
                }
                stack.push_back(token);
            }
            break;
        case TokenKind::End:
            while (stack.back().kind != TokenKind::End) {
                output(stack.back());
                stack.pop_back();
            }
            return true;
        default:
            return false;
        }
    }
    return false; // not reached: the last infix token is End
}
