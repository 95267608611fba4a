#include "cli/OperateReadings.h"
#include "model/StringTable.h"
#include "operate/OperateDerived.h"
#include "operate/OperateKeys.h"
#include "operate/OperateStringIds.h"
#include "operate/OperateText.h"
#include "operate/RelayBanks.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {
// The display's lines on one line.
QString OneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" | "));
    text.replace(QLatin1Char('\n'), QLatin1String(" | "));
    text.replace(QLatin1Char('\r'), QLatin1String(" | "));
    return text;
}

QString Timestamp(const QDateTime& at)
{
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
}

QString CsvField(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool IsLive(const CModel& model, const CReadingState& reading)
{
    return OperateDerived::IsLive(model, reading);
}

// Switched off for certain: the amplifier said so in this cycle.
bool PowerOff(const CModel& model)
{
    return IsLive(model, model.m_powerStatus) && model.m_powerStatus.m_value == 0;
}

// A reading as text, or empty when the amplifier did not give it in this cycle (unanswered,
// damaged, or not asked): an old value is never written as a new one.
template <class T> QString Number(const CModel& model, const CReadingValue<T>& reading)
{
    return IsLive(model, reading) ? QString::number(reading.m_value) : QString();
}

QString Swr(const CModel& model, const CReadingValue<WORD>& reading)
{
    return IsLive(model, reading) ? OperateText::Swr(reading.m_value) : QString();
}

QString Voltage(const CModel& model)
{
    return IsLive(model, model.m_paVoltage) ? OperateText::Voltage(model.m_paVoltage.m_value) : QString();
}

QString Band(const CModel& model)
{
    return IsLive(model, model.m_band) ? OperateKeys::BandLabel(model.m_band.m_value) : QString();
}

QString Operate(const CModel& model)
{
    return IsLive(model, model.m_operateStandby) ? QString::number(model.m_operateStandby.m_value ? 1 : 0) : QString();
}

QString Display(const CModel& model)
{
    return IsLive(model, model.m_displayText) ? OneLine(model.m_displayText.m_value) : QString();
}

QString HexCode(const CModel& model, const CReadingValue<BYTE>& reading)
{
    return IsLive(model, reading)
        ? QStringLiteral("%1").arg(unsigned(reading.m_value), 2, 16, QLatin1Char('0')).toUpper()
        : QStringLiteral("--");
}

QString OrDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

// null where the reading is not current.
template <class T> QJsonValue JsonNumber(const CModel& model, const CReadingValue<T>& reading)
{
    return IsLive(model, reading) ? QJsonValue(static_cast<double>(reading.m_value)) : QJsonValue();
}

QJsonValue JsonText(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonValue JsonDecimal(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text.toDouble());
}
} // namespace

namespace OperateReadings {
QString Line(const CModel& m, const QDateTime& at)
{
    const QString time = at.toString(QStringLiteral("HH:mm:ss"));
    if (PowerOff(m))
        return FormatResource(IDS_OP_CLI_POWER_OFF_LINE, time);
    const QString antenna = Number(m, m.m_antenna);
    return FormatResource(IDS_OP_CLI_LINE, time, Display(m), OrDash(Number(m, m.m_powerForward)),
        OrDash(Number(m, m.m_powerReflected)), OrDash(Number(m, m.m_powerInput)), OrDash(Swr(m, m.m_swr)),
        OrDash(Number(m, m.m_paCurrent)), OrDash(Voltage(m)), OrDash(Number(m, m.m_temperature)), OrDash(Band(m)),
        OrDash(antenna),
        IsLive(m, m.m_operateStandby) ? ResourceString(m.m_operateStandby.m_value ? IDS_OP_OPER : IDS_OP_STBY)
                                      : QStringLiteral("-"),
        HexCode(m, m.m_faultCode), HexCode(m, m.m_overdriveCode));
}

QString RelaysLine(const CModel& m)
{
    using RelayBanks::Bank;
    return FormatResource(IDS_OP_CLI_RELAYS_LINE, m.m_capacitors.m_value,
        RelayBanks::Value(Bank::Capacitors, m.m_capacitors.m_value), m.m_inductors.m_value,
        RelayBanks::Value(Bank::Inductors, m.m_inductors.m_value),
        ResourceString(m.m_capacitorSide.m_value == L'T' ? IDS_OP_CLI_SIDE_TX : IDS_OP_CLI_SIDE_ANTENNA));
}

QString CsvHeader()
{
    return QStringLiteral("time,display,forward_w,reflected_w,input_w,swr,swr_bypass,pa_current_a,pa_voltage_v,"
                          "temperature_c,band_mhz,frequency_khz,antenna,operate,power,fault,overdrive");
}

QString CsvRow(const CModel& m, const QDateTime& at)
{
    // Switched off, the amplifier is asked for nothing but its power: the other fields stay
    // empty, as every reading the cycle did not bring.
    const QString display = Display(m);
    const QStringList fields {Timestamp(at), IsLive(m, m.m_displayText) ? CsvField(display) : QString(),
        Number(m, m.m_powerForward), Number(m, m.m_powerReflected), Number(m, m.m_powerInput), Swr(m, m.m_swr),
        Swr(m, m.m_swrBypass), Number(m, m.m_paCurrent), Voltage(m), Number(m, m.m_temperature), Band(m),
        Number(m, m.m_frequency), Number(m, m.m_antenna), Operate(m), Number(m, m.m_powerStatus),
        Number(m, m.m_faultCode), Number(m, m.m_overdriveCode)};
    return fields.join(QLatin1Char(','));
}

QString Json(const CModel& m, const QDateTime& at)
{
    const bool powerLive = IsLive(m, m.m_powerStatus);
    QJsonObject o {
        {"time", Timestamp(at)}, {"power", powerLive ? QJsonValue(m.m_powerStatus.m_value != 0) : QJsonValue()}};
    if (!PowerOff(m)) {
        o.insert("display", IsLive(m, m.m_displayText) ? QJsonValue(m.m_displayText.m_value) : QJsonValue());
        o.insert("forwardW", JsonNumber(m, m.m_powerForward));
        o.insert("reflectedW", JsonNumber(m, m.m_powerReflected));
        o.insert("inputW", JsonNumber(m, m.m_powerInput));
        o.insert("swr", JsonDecimal(Swr(m, m.m_swr)));
        o.insert("swrBypass", JsonDecimal(Swr(m, m.m_swrBypass)));
        o.insert("paCurrentA", JsonNumber(m, m.m_paCurrent));
        o.insert("paVoltageV", JsonDecimal(Voltage(m)));
        o.insert("temperatureC", JsonNumber(m, m.m_temperature));
        o.insert("bandMHz", JsonText(Band(m)));
        o.insert("frequencyKHz", JsonNumber(m, m.m_frequency));
        o.insert("antenna", JsonNumber(m, m.m_antenna));
        o.insert("operate", IsLive(m, m.m_operateStandby) ? QJsonValue(m.m_operateStandby.m_value != 0) : QJsonValue());
        o.insert("fault", JsonNumber(m, m.m_faultCode));
        o.insert("overdrive", JsonNumber(m, m.m_overdriveCode));
        const int efficiency = OperateDerived::Efficiency(m);
        o.insert("efficiencyPercent", efficiency >= 0 ? QJsonValue(efficiency) : QJsonValue());
    }
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
} // namespace OperateReadings
