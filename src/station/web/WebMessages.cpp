#include "station/web/WebMessages.h"
#include "model/FaultNames.h"
#include "operate/OperateText.h"
#include <QJsonDocument>

namespace {
template <class T> QJsonValue Number(const std::optional<T>& value)
{
    return value ? QJsonValue(static_cast<double>(*value)) : QJsonValue(QJsonValue::Null);
}

QJsonValue Text(bool present, const QString& text)
{
    return present && !text.isEmpty() ? QJsonValue(text) : QJsonValue(QJsonValue::Null);
}
} // namespace

namespace WebMessages {
WebRequest ParseRequest(const QByteArray& text)
{
    WebRequest request;
    if (text.size() > kMaxRequestBytes)
        return request;
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    const QString kind = object.value(QLatin1String("t")).toString();
    if (kind == QLatin1String("control")) {
        request.kind = WebRequest::Kind::Control;
    } else if (kind == QLatin1String("release")) {
        request.kind = WebRequest::Kind::Release;
    } else if (kind == QLatin1String("key")) {
        const OperateKey key = OperateKeys::KeyFromText(object.value(QLatin1String("key")).toString());
        if (key != OperateKey::Count && key != OperateKey::Band) {
            request.kind = WebRequest::Kind::Key;
            request.key = key;
        }
    } else if (kind == QLatin1String("band")) {
        const QJsonValue band = object.value(QLatin1String("band"));
        const int number = band.toInt(-1);
        if (band.isDouble() && band.toDouble() == number && number >= 0 && number < OperateKeys::kBandCount) {
            request.kind = WebRequest::Kind::Band;
            request.band = number;
        }
    } else if (kind == QLatin1String("power")) {
        const QJsonValue on = object.value(QLatin1String("on"));
        if (on.isBool()) {
            request.kind = WebRequest::Kind::Power;
            request.on = on.toBool();
        }
    }
    return request;
}

QJsonObject Readings(const OperateSnapshot& r)
{
    QJsonObject o;
    o.insert(QLatin1String("display"), r.display ? QJsonValue(*r.display) : QJsonValue(QJsonValue::Null));
    o.insert(QLatin1String("forward"), Number(r.forwardW));
    o.insert(QLatin1String("reflected"), Number(r.reflectedW));
    o.insert(QLatin1String("input"), Number(r.inputW));
    o.insert(QLatin1String("swr"), Text(r.swrTenths.has_value(), OperateText::Swr(static_cast<WORD>(r.swrTenths.value_or(0)))));
    o.insert(QLatin1String("paCurrent"), Number(r.paCurrentA));
    o.insert(QLatin1String("paVoltage"), Text(r.paVoltageMv.has_value(), OperateText::Voltage(r.paVoltageMv.value_or(0))));
    o.insert(QLatin1String("temperature"), Number(r.temperatureC));
    o.insert(QLatin1String("frequency"),
        Text(r.frequencyKhz.has_value(), OperateText::Frequency(static_cast<WORD>(r.frequencyKhz.value_or(0)))));
    o.insert(QLatin1String("band"), Text(r.band.has_value(), OperateKeys::BandLabel(r.band.value_or(-1))));
    o.insert(QLatin1String("antenna"), Number(r.antenna));
    o.insert(QLatin1String("operate"), r.operate ? QJsonValue(*r.operate) : QJsonValue(QJsonValue::Null));
    o.insert(QLatin1String("power"), r.powerOn ? QJsonValue(*r.powerOn) : QJsonValue(QJsonValue::Null));
    // 0 is no fault: the panel says so in its own words rather than the code's name.
    o.insert(QLatin1String("fault"),
        r.faultCode ? QJsonValue(*r.faultCode == 0 ? QString() : FaultCodeName(static_cast<BYTE>(*r.faultCode)))
                    : QJsonValue(QJsonValue::Null));
    o.insert(QLatin1String("overdrive"), Number(r.overdriveCode));
    return o;
}
} // namespace WebMessages
