#pragma once
#include "model/Types.h"
#include <functional>

// The text for a result code, from one of three sources: the internet library's texts for
// 12000 to 12175, the program's own message table for its facility (0xE2000nnn, 0xA2000nnn),
// and the operating system's texts (Win32 numbering, also reached as 0x8007xxxx). Trailing
// line breaks are removed; a code without a text gives an empty text.
QString GetErrorText(DWORD code);

// For 12003 the server's last response is appended to the text. The download code registers
// where that response comes from: the function answers false when there is none.
using LastResponseProvider = std::function<bool(DWORD* number, QString* text)>;
void SetInternetLastResponseProvider(LastResponseProvider provider);

// "Error code 0x%08X: %s" and the other formats that pair a code with its text.
QString ErrorCodeLine(DWORD code);                                         // 445
QString LineErrorLine(unsigned line, DWORD code);                          // 250
QString CompletedWithError(const QString& operation, DWORD code);          // 209
QString CallFailedOn(const QString& call, const QString& object, DWORD code);  // 204
