#include "model/Format.h"
#include <vector>

namespace {

struct Spec {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = -1;
    int precision = -1;
    QChar conv;
};

QString Pad(QString body, const Spec& s, bool numeric)
{
    if (s.width < 0 || body.size() >= s.width)
        return body;
    const qsizetype fill = s.width - body.size();
    if (s.left)
        return body + QString(fill, ' ');
    if (s.zero && numeric) {
        qsizetype at = 0;
        if (!body.isEmpty() && (body[0] == '-' || body[0] == '+' || body[0] == ' '))
            at = 1;
        if (body.mid(at, 2).compare("0x", Qt::CaseInsensitive) == 0)
            at += 2;
        return body.insert(at, QString(fill, '0'));
    }
    return QString(fill, ' ') + body;
}

QString Integer(const CFormatArg* arg, const Spec& s)
{
    if (!arg)
        return {};
    const auto& v = arg->Value();
    long long sv = 0;
    unsigned long long uv = 0;
    if (auto p = std::get_if<long long>(&v)) {
        sv = *p;
        uv = static_cast<unsigned long long>(*p);
    } else if (auto q = std::get_if<unsigned long long>(&v)) {
        uv = *q;
        sv = static_cast<long long>(*q);
    } else if (auto d = std::get_if<double>(&v)) {
        sv = static_cast<long long>(*d);
        uv = static_cast<unsigned long long>(sv);
    } else {
        return {};
    }
    QString digits;
    bool negative = false;
    const QChar c = s.conv;
    if (c == 'd' || c == 'i') {
        // 32-bit semantics, as the texts were written for 32-bit arguments.
        const long long n = std::holds_alternative<unsigned long long>(v) && uv > 0x7FFFFFFFull && uv <= 0xFFFFFFFFull
                                ? static_cast<long long>(static_cast<std::int32_t>(uv))
                                : sv;
        negative = n < 0;
        digits = QString::number(negative ? -static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n));
    } else {
        unsigned long long n = uv;
        if (std::holds_alternative<long long>(v) && sv < 0)
            n = static_cast<std::uint32_t>(sv);
        if (c == 'u')
            digits = QString::number(n);
        else if (c == 'x')
            digits = QString::number(n, 16);
        else if (c == 'X')
            digits = QString::number(n, 16).toUpper();
        else if (c == 'o')
            digits = QString::number(n, 8);
        if (s.alt && n != 0 && (c == 'x' || c == 'X'))
            digits.prepend(c == 'x' ? "0x" : "0X");
    }
    if (s.precision >= 0 && digits.size() < s.precision)
        digits.prepend(QString(s.precision - digits.size(), '0'));
    if (negative)
        digits.prepend('-');
    else if ((c == 'd' || c == 'i') && s.plus)
        digits.prepend('+');
    else if ((c == 'd' || c == 'i') && s.space)
        digits.prepend(' ');
    Spec padSpec = s;
    if (s.precision >= 0)
        padSpec.zero = false;
    return Pad(digits, padSpec, true);
}

QString Floating(const CFormatArg* arg, const Spec& s)
{
    if (!arg)
        return {};
    double d = 0;
    const auto& v = arg->Value();
    if (auto p = std::get_if<double>(&v))
        d = *p;
    else if (auto a = std::get_if<long long>(&v))
        d = static_cast<double>(*a);
    else if (auto b = std::get_if<unsigned long long>(&v))
        d = static_cast<double>(*b);
    else
        return {};
    const char f = static_cast<char>(s.conv.toLatin1());
    QString body = QString::number(d, f == 'F' ? 'f' : f, s.precision < 0 ? 6 : s.precision);
    if (s.plus && d >= 0)
        body.prepend('+');
    return Pad(body, s, true);
}

QString Text(const CFormatArg* arg, const Spec& s)
{
    if (!arg)
        return {};
    QString body;
    if (auto p = std::get_if<QString>(&arg->Value()))
        body = *p;
    if (s.precision >= 0)
        body.truncate(s.precision);
    return Pad(body, s, false);
}

QString Character(const CFormatArg* arg, const Spec& s)
{
    if (!arg)
        return {};
    const auto& v = arg->Value();
    QString body;
    if (auto p = std::get_if<QString>(&v))
        body = p->left(1);
    else if (auto a = std::get_if<long long>(&v))
        body = QChar(static_cast<char16_t>(*a));
    else if (auto b = std::get_if<unsigned long long>(&v))
        body = QChar(static_cast<char16_t>(*b));
    return Pad(body, s, false);
}

}  // namespace

QString FormatText(const QString& format, std::initializer_list<CFormatArg> argList)
{
    const std::vector<const CFormatArg*> args = [&] {
        std::vector<const CFormatArg*> v;
        for (const CFormatArg& a : argList)
            v.push_back(&a);
        return v;
    }();
    std::size_t next = 0;
    auto take = [&]() -> const CFormatArg* { return next < args.size() ? args[next++] : nullptr; };
    auto takeInt = [&]() -> int {
        const CFormatArg* a = take();
        if (!a)
            return -1;
        if (auto p = std::get_if<long long>(&a->Value()))
            return static_cast<int>(*p);
        if (auto q = std::get_if<unsigned long long>(&a->Value()))
            return static_cast<int>(*q);
        return -1;
    };

    QString out;
    out.reserve(format.size() + 16);
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = format[i];
        if (ch != '%') {
            out += ch;
            continue;
        }
        if (i + 1 < n && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Spec s;
        qsizetype j = i + 1;
        for (; j < n; ++j) {
            const QChar f = format[j];
            if (f == '-') s.left = true;
            else if (f == '+') s.plus = true;
            else if (f == ' ') s.space = true;
            else if (f == '0') s.zero = true;
            else if (f == '#') s.alt = true;
            else break;
        }
        if (j < n && format[j] == '*') {
            s.width = takeInt();
            ++j;
        } else {
            int w = 0;
            bool any = false;
            while (j < n && format[j].isDigit() && w < 1000) {
                w = w * 10 + format[j].digitValue();
                any = true;
                ++j;
            }
            if (any)
                s.width = w;
        }
        if (j < n && format[j] == '.') {
            ++j;
            if (j < n && format[j] == '*') {
                s.precision = takeInt();
                ++j;
            } else {
                int p = 0;
                while (j < n && format[j].isDigit() && p < 1000) {
                    p = p * 10 + format[j].digitValue();
                    ++j;
                }
                s.precision = p;
            }
        }
        while (j < n && (format[j] == 'h' || format[j] == 'l' || format[j] == 'L' || format[j] == 'I' ||
                         format[j] == 'w' || format[j] == 'z' || format[j] == '6' || format[j] == '4'))
            ++j;
        if (j >= n) {
            out += format.mid(i);
            break;
        }
        s.conv = format[j];
        switch (s.conv.toLatin1()) {
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
            out += Integer(take(), s);
            break;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
            out += Floating(take(), s);
            break;
        case 's': case 'S':
            out += Text(take(), s);
            break;
        case 'c': case 'C':
            out += Character(take(), s);
            break;
        default:
            // Not a conversion this formatter knows: keep the text as written.
            out += format.mid(i, j - i + 1);
            break;
        }
        i = j;
    }
    return out;
}

QString EchoText(const QString& value)
{
    constexpr qsizetype kShown = 60;
    if (value.size() <= kShown + 20)
        return value;
    return value.left(kShown) + QStringLiteral("... (%1 characters)").arg(value.size());
}
