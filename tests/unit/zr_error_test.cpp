#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "src/zr_error.h"

namespace {

std::vector<ZrErrorCode> raised;
std::vector<std::pair<std::string, int32_t>> assertions;

void RecordError(const ZrErrorCode& error) { raised.push_back(error); }
void RecordAssertion(const char* source, int32_t line) { assertions.emplace_back(source, line); }

class ZrErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        raised.clear();
        assertions.clear();
    }
    void TearDown() override {
        zrSetErrorHook(nullptr);
        zrSetAssertionHook(nullptr);
    }
};

TEST_F(ZrErrorTest, CarriesItsFieldsToTheCatcher) {
    try {
        throw ZrErrorCode(ZrError::DiskFull, 28, "src\\ZrFile", 140);
    } catch (const ZrErrorCode& e) {
        EXPECT_EQ(e.code, 22);
        EXPECT_EQ(e.detail, 28);
        EXPECT_STREQ(e.source, "src\\ZrFile");
        EXPECT_EQ(e.line, 140);
        const ZrErrorCode copy = e;
        EXPECT_STREQ(copy.source, "src\\ZrFile");
    }
    const ZrErrorCode empty;
    EXPECT_EQ(empty.code, 0);
    EXPECT_EQ(empty.detail, 0);
    EXPECT_STREQ(empty.source, "");
    EXPECT_EQ(empty.line, 0);
}

TEST_F(ZrErrorTest, LongSourcePathsAreCut) {
    const std::string path(400, 'p');
    const ZrErrorCode e(ZrError::Other, 0, path.c_str(), 1);
    EXPECT_EQ(std::string(e.source), path.substr(0, 255));
    const ZrErrorCode none(ZrError::Other, 0, nullptr, 1);
    EXPECT_STREQ(none.source, "");
}

TEST_F(ZrErrorTest, ErrorHookHearsOnlyRealErrors) {
    zrSetErrorHook(&RecordError);
    EXPECT_EQ(zrGetErrorHook(), &RecordError);
    ZrErrorCode quiet(ZrError::None, 0, "src\\ZrLine", 1);
    EXPECT_TRUE(raised.empty());
    ZrErrorCode code(ZrError::LineFinished, 0, "src\\ZrLine", 105);
    ZrErrorCode detail(ZrError::None, 5, "src\\ZrFile", 7);
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_EQ(raised[0].code, 38);
    EXPECT_EQ(raised[1].detail, 5);
}

TEST_F(ZrErrorTest, ConsistencyChecks) {
    zrCheck(false, "src\\ZrImage", 12); // no hook: nothing happens
    zrSetAssertionHook(&RecordAssertion);
    zrCheck(true, "src\\ZrImage", 13);
    zrCheck(false, "src\\ZrImage", 14);
    ASSERT_EQ(assertions.size(), 1u);
    EXPECT_EQ(assertions[0].first, "src\\ZrImage");
    EXPECT_EQ(assertions[0].second, 14);
}

// The reason shown for an error: the system's text of its errno first,
// else the code's own text (those a document's message has always used
// kept as they were), and a number the library never raises still named.
TEST(ZrErrorTextTest, SaysWhatWentWrong) {
    auto system = [](int e) {
        std::string text = std::strerror(e);
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return text;
    };
    const struct {
        ZrError code;
        int32_t detail;
        std::string text;
    } cases[] = {
        {ZrError::DiskFull, ENOSPC, system(ENOSPC)},
        {ZrError::Other, EISDIR, system(EISDIR)},
        {ZrError::OutOfMemory, 0, "not enough memory"},
        {ZrError::NoFileName, 0, "no file name"},
        {ZrError::AccessDenied, 0, "access is denied"},
        {ZrError::OpenAccessDenied, 0, "access is denied"},
        {ZrError::NoSuchFile, 0, system(ENOENT)},
        {ZrError::DiskFull, 0, "the disk is full"},
        {ZrError::Other, 0, "the file could not be read or written (error 1)"},
        {ZrError::LineFinished, 0, "the line has no more points"},
        {static_cast<ZrError>(99), 0, "error 99"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        EXPECT_EQ(ZrErrorText(ZrErrorCode(c.code, c.detail, "src\\ZrFile", 1)), c.text);
    }
}

} // namespace
