#include "model/ErrorText.h"
#include "model/StringTable.h"
#include <unordered_map>

namespace {
struct Entry {
    DWORD code;
    const char* text;
};
constexpr Entry kOwn[] = {
#include "resources/MessageTable.inc"
};
constexpr Entry kSystem[] = {
#include "resources/SystemErrors.inc"
};
constexpr Entry kInternet[] = {
#include "resources/InternetErrors.inc"
};

template <std::size_t N>
std::unordered_map<DWORD, QString> MakeTable(const Entry (&entries)[N])
{
    std::unordered_map<DWORD, QString> t;
    for (const Entry& e : entries)
        t.emplace(e.code, QString::fromUtf8(e.text));
    return t;
}

QString Lookup(const std::unordered_map<DWORD, QString>& table, DWORD code)
{
    auto it = table.find(code);
    return it == table.end() ? QString() : it->second;
}

LastResponseProvider& Provider()
{
    static LastResponseProvider provider;
    return provider;
}

QString StripTrailingLineBreaks(QString text)
{
    while (!text.isEmpty() && (text.endsWith('\r') || text.endsWith('\n')))
        text.chop(1);
    return text;
}
}  // namespace

void SetInternetLastResponseProvider(LastResponseProvider provider)
{
    Provider() = std::move(provider);
}

QString GetErrorText(DWORD code)
{
    static const auto own = MakeTable(kOwn);
    static const auto system = MakeTable(kSystem);
    static const auto internet = MakeTable(kInternet);

    QString text;
    if (code - 12000u <= 175u)
        text = Lookup(internet, code);
    else if (((code >> 16) & 0xFFFu) == 0x200u)
        text = Lookup(own, code);
    else if ((code & 0xFFFF0000u) == 0x80070000u)
        text = Lookup(system, code & 0xFFFFu);
    else
        text = Lookup(system, code);
    text = StripTrailingLineBreaks(text);

    if (code == 12003 && Provider()) {
        DWORD number = 0;
        QString response;
        if (Provider()(&number, &response))
            text += Fmt("\r\nInternetGetLastResponseInfo returns 0x%08X %s", number, response);
    }
    return text;
}

QString ErrorCodeLine(DWORD code)
{
    return FormatResource(IDS_ERROR_CODE, code, GetErrorText(code));
}

QString LineErrorLine(unsigned line, DWORD code)
{
    return FormatResource(IDS_LINE_ERROR, line, code, GetErrorText(code));
}

QString CompletedWithError(const QString& operation, DWORD code)
{
    return FormatResource(IDS_COMPLETED_WITH_ERROR, operation, code, GetErrorText(code));
}

QString CallFailedOn(const QString& call, const QString& object, DWORD code)
{
    return FormatResource(IDS_CALL_FAILED_ON, call, object, code, GetErrorText(code));
}
