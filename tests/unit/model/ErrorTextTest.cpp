// Texts of result codes from the three sources, and the formats that combine a code with its
// text.
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <gtest/gtest.h>

TEST(ErrorText, TextOfACodeFromEachSource)
{
    const std::pair<DWORD, const char*> rows[] = {
        {Result::ConfigIncomplete, "Incomplete configuration file"}, // without a trailing line break
        {0xA200004A, "No response to firmware packet"}, // a warning shares its error's text
        {Result::AccessDenied, "Access is denied."}, {Result::AsFailureCode(Result::AccessDenied), "Access is denied."},
        {12002, "The operation timed out"}, {12175, "A security error has occurred."}, // the internet library's
        {12176, ""}, {0xE2000999, ""}, {0xDEADBEEF, ""}}; // beyond it, unknown in our facility, foreign
    for (const auto& [code, text] : rows)
        EXPECT_EQ(GetErrorText(code), QString::fromUtf8(text)) << std::hex << code;
}

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
    // LineErrorLine, CallFailedOn and CompletedWithError show in the loader's and the download's texts.
    EXPECT_EQ(FormatResource(IDS_LINE_ERROR_NO_COMMA, 3, Result::UnexpectedHexCharacter,
                  GetErrorText(Result::UnexpectedHexCharacter)),
        "Line 3 error code 0xE200000B: Unexpected hex character");
    // A code without a text leaves the format ending in ": ".
    EXPECT_EQ(ErrorCodeLine(0xE2000999), "Error code 0xE2000999: ");
}
