#include "operate/InfluxLine.h"
#include "model/FaultNames.h"
#include "model/FileChecks.h"
#include "operate/OperateKeys.h"
#include "operate/OperateText.h"
#include <QStringList>

namespace {
// A backslash before each of `special` and before a backslash itself. Line ends cannot be
// escaped anywhere but in a string field: they become spaces.
QString Escaped(QString text, QLatin1String special)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
        if (c == QLatin1Char('\\') || QString(special).contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString Key(const QString& text)
{
    return Escaped(text, QLatin1String(",= "));
}

// A string field: in double quotes, with its quotes and backslashes escaped; the display's
// lines joined by " | " as the other outputs show them.
QString Text(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" | "));
    text.replace(QLatin1Char('\n'), QLatin1String(" | "));
    text.replace(QLatin1Char('\r'), QLatin1String(" | "));
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

class CFields {
public:
    void Add(const char* key, const QString& value) { m_fields << Key(QLatin1String(key)) + QLatin1Char('=') + value; }
    void Integer(const char* key, const std::optional<unsigned>& value)
    {
        if (value)
            Add(key, QString::number(*value) + QLatin1Char('i'));
    }
    void Boolean(const char* key, const std::optional<bool>& value)
    {
        if (value)
            Add(key, *value ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void Float(const char* key, const QString& number)
    {
        if (!number.isEmpty())
            Add(key, number);
    }
    bool IsEmpty() const { return m_fields.isEmpty(); }
    QString Joined() const { return m_fields.join(QLatin1Char(',')); }

private:
    QStringList m_fields;
};
} // namespace

namespace InfluxLine {
QString Measurement()
{
    return QStringLiteral("qro4000");
}

Tags AmplifierTags(unsigned serialNumber)
{
    if (serialNumber == 0 || serialNumber == kNoSerialNumber)
        return {};
    return {{QStringLiteral("serial"), QString::number(serialNumber)}};
}

QString Line(const OperateSnapshot& s, const Tags& tags)
{
    if (!s.at.isValid())
        return {};
    CFields f;
    f.Integer("forward_w", s.forwardW);
    f.Integer("reflected_w", s.reflectedW);
    f.Integer("input_w", s.inputW);
    if (s.swrTenths)
        f.Float("swr", OperateText::Swr(static_cast<WORD>(*s.swrTenths)));
    f.Integer("pa_current_a", s.paCurrentA);
    if (s.paVoltageMv)
        f.Float("pa_voltage_v", OperateText::Voltage(*s.paVoltageMv));
    f.Integer("temperature_c", s.temperatureC);
    // 0 kHz: nothing measured.
    if (s.frequencyKhz && *s.frequencyKhz != 0)
        f.Integer("frequency_khz", s.frequencyKhz);
    if (s.band)
        f.Float("band_mhz", OperateKeys::BandLabel(*s.band));
    f.Integer("antenna", s.antenna);
    f.Boolean("operate", s.operate);
    f.Boolean("power", s.powerOn);
    f.Integer("fault", s.faultCode);
    if (s.faultCode && *s.faultCode != 0)
        f.Add("fault_name", Text(FaultCodeName(static_cast<BYTE>(*s.faultCode))));
    f.Integer("overdrive", s.overdriveCode);
    if (s.display)
        f.Add("display", Text(*s.display));
    if (f.IsEmpty())
        return {};
    QString line = Escaped(Measurement(), QLatin1String(", "));
    for (const auto& [key, value] : tags)
        if (!key.isEmpty() && !value.isEmpty())
            line += QLatin1Char(',') + Key(key) + QLatin1Char('=') + Key(value);
    return line + QLatin1Char(' ') + f.Joined() + QLatin1Char(' ')
        + QString::number(s.at.toMSecsSinceEpoch() * Q_INT64_C(1000000));
}
} // namespace InfluxLine

bool CInfluxFile::Open(const QString& path, QString* message)
{
    if (FileChecks::CheckSaveDestination(path, message) != 0)
        return false;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *message = m_file.errorString();
        return false;
    }
    return true;
}

bool CInfluxFile::Write(const QString& line, QString* message)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        *message = m_file.errorString();
        return false;
    }
    return true;
}
