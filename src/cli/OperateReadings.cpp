#include "cli/OperateReadings.h"
#include "model/StringTable.h"
#include "operate/OperateKeys.h"
#include "operate/OperateStringIds.h"
#include "operate/OperateText.h"
#include "operate/RelayBanks.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {
constexpr int kColumns = 17;

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

bool PowerOn(const CModel& model)
{
    return model.m_powerStatus.m_value != 0;
}
} // namespace

namespace OperateReadings {
QString Line(const CModel& m, const QDateTime& at)
{
    const QString time = at.toString(QStringLiteral("HH:mm:ss"));
    if (!PowerOn(m))
        return FormatResource(IDS_OP_CLI_POWER_OFF_LINE, time);
    const QString swr = OperateText::Swr(m.m_swr.m_value);
    return FormatResource(IDS_OP_CLI_LINE, time, OneLine(m.m_displayText.m_value), m.m_powerForward.m_value,
        m.m_powerReflected.m_value, m.m_powerInput.m_value, swr.isEmpty() ? QStringLiteral("-") : swr,
        m.m_paCurrent.m_value, OperateText::Voltage(m.m_paVoltage.m_value), m.m_temperature.m_value,
        OperateKeys::BandLabel(m.m_band.m_value), m.m_antenna.m_value,
        ResourceString(m.m_operateStandby.m_value ? IDS_OP_OPER : IDS_OP_STBY), m.m_faultCode.m_value,
        m.m_overdriveCode.m_value);
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
    QStringList fields {Timestamp(at)};
    if (!PowerOn(m)) {
        // Switched off, the amplifier was asked for nothing but its power: only that is known.
        constexpr int kPowerColumn = 14;
        for (int column = 1; column < kColumns; ++column)
            fields << (column == kPowerColumn ? QStringLiteral("0") : QString());
        return fields.join(QLatin1Char(','));
    }
    fields << CsvField(OneLine(m.m_displayText.m_value)) << QString::number(m.m_powerForward.m_value)
           << QString::number(m.m_powerReflected.m_value) << QString::number(m.m_powerInput.m_value)
           << OperateText::Swr(m.m_swr.m_value) << OperateText::Swr(m.m_swrBypass.m_value)
           << QString::number(m.m_paCurrent.m_value) << OperateText::Voltage(m.m_paVoltage.m_value)
           << QString::number(m.m_temperature.m_value) << OperateKeys::BandLabel(m.m_band.m_value)
           << QString::number(m.m_frequency.m_value) << QString::number(m.m_antenna.m_value)
           << QString::number(m.m_operateStandby.m_value ? 1 : 0) << QStringLiteral("1")
           << QString::number(m.m_faultCode.m_value) << QString::number(m.m_overdriveCode.m_value);
    return fields.join(QLatin1Char(','));
}

QString Json(const CModel& m, const QDateTime& at)
{
    QJsonObject o {{"time", Timestamp(at)}, {"power", PowerOn(m)}};
    if (PowerOn(m)) {
        const QString swr = OperateText::Swr(m.m_swr.m_value);
        const QString bypass = OperateText::Swr(m.m_swrBypass.m_value);
        o.insert("display", m.m_displayText.m_value);
        o.insert("forwardW", m.m_powerForward.m_value);
        o.insert("reflectedW", m.m_powerReflected.m_value);
        o.insert("inputW", m.m_powerInput.m_value);
        o.insert("swr", swr.isEmpty() ? QJsonValue() : QJsonValue(swr.toDouble()));
        o.insert("swrBypass", bypass.isEmpty() ? QJsonValue() : QJsonValue(bypass.toDouble()));
        o.insert("paCurrentA", m.m_paCurrent.m_value);
        o.insert("paVoltageV", OperateText::Voltage(m.m_paVoltage.m_value).toDouble());
        o.insert("temperatureC", m.m_temperature.m_value);
        o.insert("bandMHz", OperateKeys::BandLabel(m.m_band.m_value));
        o.insert("frequencyKHz", m.m_frequency.m_value);
        o.insert("antenna", m.m_antenna.m_value);
        o.insert("operate", m.m_operateStandby.m_value != 0);
        o.insert("fault", m.m_faultCode.m_value);
        o.insert("overdrive", m.m_overdriveCode.m_value);
    }
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
} // namespace OperateReadings
