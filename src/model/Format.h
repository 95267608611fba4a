#pragma once
// printf-style formatting that cannot misbehave: arguments carry their type, a conversion that
// does not fit its argument and a missing argument format as nothing, and no format text can
// read memory it does not own.
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <variant>

class CFormatArg {
public:
    CFormatArg(int v) : m_value(static_cast<long long>(v)) {}
    CFormatArg(long v) : m_value(static_cast<long long>(v)) {}
    CFormatArg(long long v) : m_value(v) {}
    CFormatArg(unsigned v) : m_value(static_cast<unsigned long long>(v)) {}
    CFormatArg(unsigned long v) : m_value(static_cast<unsigned long long>(v)) {}
    CFormatArg(unsigned long long v) : m_value(v) {}
    CFormatArg(std::uint16_t v) : m_value(static_cast<unsigned long long>(v)) {}
    CFormatArg(std::uint8_t v) : m_value(static_cast<unsigned long long>(v)) {}
    CFormatArg(double v) : m_value(v) {}
    CFormatArg(const QString& v) : m_value(v) {}
    CFormatArg(const char* v) : m_value(QString::fromUtf8(v ? v : "")) {}
    CFormatArg(QChar v) : m_value(QString(v)) {}

    const std::variant<long long, unsigned long long, double, QString>& Value() const { return m_value; }

private:
    std::variant<long long, unsigned long long, double, QString> m_value;
};

QString FormatText(const QString& format, std::initializer_list<CFormatArg> args);

// A value the user or a server gave, as a message echoes it: whole when short, else its start,
// "..." and its length, so that a mistake of megabytes makes a line, not a screenful.
QString EchoText(const QString& value);

template <class... A>
QString Fmt(const QString& format, A&&... args)
{
    return FormatText(format, {CFormatArg(std::forward<A>(args))...});
}
