// Texts of result codes from the three sources, and the formats that combine a code with its
// text.
#include "model/ErrorText.h"
#include "RowName.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
struct TextCase {
    const char* name;
    DWORD code;
    const char* text;
};
} // namespace

class ErrorTextCases : public ::testing::TestWithParam<TextCase> { };

TEST_P(ErrorTextCases, TextOfCode)
{
    EXPECT_EQ(GetErrorText(GetParam().code), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Sources, ErrorTextCases,
    ::testing::Values(
        TextCase {"OwnCodeWithoutTrailingLineBreak", Result::ConfigIncomplete, "Incomplete configuration file"},
        TextCase {"OwnWarningCodeSharesTheErrorsText", 0xA200004A, "No response to firmware packet"},
        TextCase {"PlatformNumber", 5, "Access is denied."},
        TextCase {"PlatformNumberAs8007Code", 0x80070005, "Access is denied."},
        TextCase {"InternetLibrarysFirst", 12002, "The operation timed out"},
        TextCase {"InternetLibrarysLast", 12175, "A security error has occurred."},
        TextCase {"BeyondTheInternetLibrarysNone", 12176, ""}, TextCase {"OwnFacilityUnknownCodeNone", 0xE2000999, ""},
        TextCase {"ForeignCodeNone", 0xDEADBEEF, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorText, ExtendedInternetErrorAppendsTheServersLastResponse)
{
    SetInternetLastResponseProvider([](DWORD* number, QString* text) {
        *number = 550;
        *text = "No such directory.";
        return true;
    });
    const QString text = GetErrorText(12003);
    SetInternetLastResponseProvider({});
    EXPECT_TRUE(text.endsWith("\r\nInternetGetLastResponseInfo returns 0x00000226 No such directory."))
        << text.toStdString();
    EXPECT_FALSE(GetErrorText(12003).contains("InternetGetLastResponseInfo returns"));
}

TEST(ErrorText, FormatsCombiningACodeWithItsText)
{
    EXPECT_EQ(ErrorCodeLine(Result::RetryLimit), "Error code 0xE2000044: Retry limit has been exhausted");
    EXPECT_EQ(LineErrorLine(12, Result::HexChecksum), "Line 12, error code 0xE2000022: intel hex line checksum error");
    EXPECT_EQ(CompletedWithError("FtpGetFile", 2),
        "FtpGetFile completed with error 0x00000002: The system cannot find the file specified.");
    EXPECT_EQ(
        CallFailedOn("CreateFile", "COM3", 5), "CreateFile failed on \"COM3\"\r\nError 0x00000005: Access is denied.");
    EXPECT_EQ(FormatResource(IDS_LINE_ERROR_NO_COMMA, 3, Result::UnexpectedHexCharacter,
                  GetErrorText(Result::UnexpectedHexCharacter)),
        "Line 3 error code 0xE200000B: Unexpected hex character");
    // A code without a text leaves the format ending in ": ".
    EXPECT_EQ(ErrorCodeLine(0xE2000999), "Error code 0xE2000999: ");
}
