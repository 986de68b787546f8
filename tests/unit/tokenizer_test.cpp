#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr_test_util.h"

namespace {

std::string Join(const Token* tokens, uint32_t count) {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) {
        if (!out.empty())
            out += ' ';
        out += tokens[i].kind == TokenKind::FunctionCall ? tokens[i].text + "()"
               : tokens[i].kind == TokenKind::End        ? std::string("<end>")
                                                         : tokens[i].text;
    }
    return out;
}

TEST(Tokens, OperatorCodesAndPrecedence) {
    const struct {
        const char* text;
        OperatorCode code;
        int precedence;
    } cases[] = {
        {"^", OperatorCode::Power, 6},       {"u+", OperatorCode::UnaryPlus, 5},
        {"u-", OperatorCode::UnaryMinus, 5}, {"*", OperatorCode::Multiply, 4},
        {"/", OperatorCode::Divide, 4},      {"+", OperatorCode::Add, 3},
        {"-", OperatorCode::Subtract, 3},    {"(", OperatorCode::OpenParen, 2},
        {")", OperatorCode::CloseParen, 2},  {",", OperatorCode::Comma, 2},
        {"=", OperatorCode::Assign, 2},      {"%", OperatorCode::Unknown, 2},
        {"", OperatorCode::Unknown, 2},      {"u*", OperatorCode::Unknown, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(OperatorCodeOf(c.text), c.code);
        EXPECT_EQ(PrecedenceOf(MakeToken(TokenKind::Operator, c.text)), c.precedence);
    }
    EXPECT_EQ(PrecedenceOf(MakeToken(TokenKind::End, "")), 0);
    EXPECT_EQ(PrecedenceOf(MakeToken(TokenKind::FunctionCall, "sin")), 7);
    EXPECT_EQ(PrecedenceOf(MakeToken(TokenKind::Identifier, "x")), -1);
    EXPECT_EQ(PrecedenceOf(MakeToken(TokenKind::Number, "1")), -1);
}

TEST(Tokens, NumbersAndValidity) {
    EXPECT_EQ(MakeToken(TokenKind::Number, ".5").number, 0.5);
    EXPECT_EQ(MakeToken(TokenKind::Number, "5.").number, 5.0);
    EXPECT_EQ(MakeToken(TokenKind::Number, ".").number, 0.0);
    EXPECT_EQ(MakeToken(TokenKind::Number, "0.1").number, 0.1);
    EXPECT_EQ(MakeToken(TokenKind::Number, "123456789012345678901234567890").number, 1.2345678901234568e29);
    EXPECT_TRUE(IsValidNumber(""));
    EXPECT_TRUE(IsValidNumber("."));
    EXPECT_TRUE(IsValidNumber("1.5"));
    EXPECT_FALSE(IsValidNumber("1.2.3"));
    EXPECT_FALSE(IsValidNumber(".."));
    Token t;
    EXPECT_EQ(t.kind, TokenKind::None);
    EXPECT_TRUE(t.text.empty());
}

TEST(Tokenize, SignsAndBinaryOperators) {
    const struct {
        const char* text;
        const char* tokens;
    } cases[] = {
        {"-2^2", "u- 2 ^ 2 <end>"},
        {"2*-3", "2 * u- 3 <end>"},
        {"a = -3", "a = u- 3 <end>"},
        {"(-1)-1", "( u- 1 ) - 1 <end>"},
        {"f(1,-2)", "f ( 1 , u- 2 ) <end>"},
        {"--2", "u- u- 2 <end>"},
        {"+-2", "u+ u- 2 <end>"},
        {"x-1", "x - 1 <end>"},
        {"x2 -a_1", "x2 - a_1 <end>"},
        {"sin\t(\n0)", "sin ( 0 ) <end>"},
        {"", "<end>"},
        {"   ", "<end>"},
        {".5+5.", ".5 + 5. <end>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        BuiltinTable table;
        Expression e(table);
        ASSERT_TRUE(e.Tokenize(c.text));
        EXPECT_EQ(Join(e.Infix(), e.InfixCount()), c.tokens);
    }
}

TEST(Compile, RejectsBadText) {
    const char* bad[] = {
        "1e5", "2x", "1.2.3", "_a", "1_2", "a.b", "x\r", "1\r+2", "a$", "é", "\x80",
        "()", "(())", "1+2)", "1,2", "(,1)", "(1,)", "a=b=1", "(a)=1", "1+a=2", ")", "sin(1))",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        BuiltinTable table;
        Expression e(table);
        EXPECT_FALSE(e.Compile(text));
    }
    BuiltinTable table;
    Expression e(table);
    EXPECT_FALSE(e.Compile(std::string("1\0", 2)));
    EXPECT_FALSE(e.Compile("\v1"));
}

TEST(Compile, AcceptsOddButValidText) {
    const char* good[] = {"2 x", "2(3)", "x2", "a_1", ".", "sin (0)", "sin", "pi()",
                          "((1))", "(1+2", "sin(0", "(1,2)", "a=1", "a = -3", "1=2", "",
                          "--2", "2^-2", "a=(1", "1\t+\n2"};
    for (const char* text : good) {
        SCOPED_TRACE(text);
        BuiltinTable table;
        Expression e(table);
        EXPECT_TRUE(e.Compile(text));
    }
}

TEST(ToPostfix, Order) {
    const struct {
        const char* text;
        const char* postfix;
    } cases[] = {
        {"a = 2*sin(x)^2 - 1", "a 2 x sin() 2 ^ * 1 - ="},
        {"2^3^2", "2 3 ^ 2 ^"},
        {"-2^2", "2 2 ^ u-"},
        {"2^-2", "2 ^ 2 u-"},
        {"1-2-3", "1 2 - 3 -"},
        {"1+2*3", "1 2 3 * +"},
        {"(1+2", "1 2 + ("},
        {"mod(7,3)", "7 3 mod()"},
        {"sin(1,2)", "1 2 sin()"},
        {"pi()", "pi()"},
        {"", ""},
        {"(=1", "( 1 ="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        BuiltinTable table;
        Expression e(table);
        ASSERT_TRUE(e.Compile(c.text));
        EXPECT_EQ(Join(e.Postfix(), e.PostfixCount()), c.postfix);
    }
}

TEST(ToPostfix, NeedsEndToken) {
    BuiltinTable table;
    Expression e(table);
    EXPECT_FALSE(e.ToPostfix()); // nothing tokenized
}

TEST(Compile, TokenLimit) {
    // "1+1+...": 2n-1 tokens for n ones, plus the End token.
    auto ones = [](int tokens) {
        std::string text = "1";
        for (int i = 1; i < tokens; i += 2)
            text += "+1";
        return text;
    };
    BuiltinTable table;
    Expression e(table);
    std::string text = ones(1023); // 1023 tokens before End
    ASSERT_TRUE(e.Compile(text));
    EXPECT_EQ(e.InfixCount(), 1024u);
    e.result = 0;
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 512.0);
    EXPECT_FALSE(e.Compile(text + " 1"));     // 1024 tokens before End
    EXPECT_FALSE(e.Compile(text + "+1"));     // 1025 tokens before End
    EXPECT_TRUE(e.Compile(ones(1021) + " ")); // blanks are not tokens
    EXPECT_FALSE(e.Compile(std::string(5000, '(')));
}

TEST(Compile, StartsFromNothing) {
    BuiltinTable table;
    Expression e(table);
    ASSERT_TRUE(e.Compile("1+2"));
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 3.0);
    EXPECT_FALSE(e.Compile("1+"
                           "2)"));
    EXPECT_EQ(e.result, 0.0);
    ASSERT_TRUE(e.Compile("7"));
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 7.0);
}

} // namespace
