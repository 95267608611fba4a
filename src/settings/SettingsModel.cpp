#include "settings/SettingsModel.h"

namespace SettingsModel {
namespace {
// Calls `f` with the model member that holds the setting.
template <class M, class F> decltype(auto) Visit(M& model, SettingId id, F&& f)
{
    switch (id) {
    case SettingId::AntennaEnable:
        return f(model.m_antennaEnable);
    case SettingId::AntennaPreferred:
        return f(model.m_antennaPreferred);
    case SettingId::AtuHiSwrRetune:
        return f(model.m_atuHighSwrRetune);
    case SettingId::AtuModeSwitch:
        return f(model.m_atuModeSwitch);
    case SettingId::AtuSettingsPerBin:
        return f(model.m_atuSettingsPerBin);
    case SettingId::AtuXcvrKey:
        return f(model.m_atuTransceiverKey);
    case SettingId::Banner:
        return f(model.m_bannerText);
    case SettingId::SwrBypass:
        return f(model.m_swrThresholdBypass);
    case SettingId::SwrNoMatch:
        return f(model.m_swrThresholdNoMatch);
    case SettingId::SwrRetune:
        return f(model.m_swrThresholdRetune);
    case SettingId::SwrStop:
        return f(model.m_swrThresholdStop);
    case SettingId::NetDhcp:
        return f(model.m_networkDhcp);
    case SettingId::NetIp:
        return f(model.m_networkIpAddress);
    case SettingId::NetGateway:
        return f(model.m_networkGateway);
    case SettingId::NetMac:
        return f(model.m_networkMacAddress);
    case SettingId::NetMask:
        return f(model.m_networkMask);
    case SettingId::NetPort:
        return f(model.m_networkPort);
    case SettingId::NetWakeOnLan:
        return f(model.m_networkWakeOnLan);
    case SettingId::Pf1:
        return f(model.m_pfKey1);
    case SettingId::Pf2:
        return f(model.m_pfKey2);
    }
    return f(model.m_networkMacAddress);
}

template <class T> SettingValue FromBands(const std::array<T, kBandCount>& bands)
{
    SettingValue value;
    for (int band = 0; band < kBandCount; ++band)
        value.bands[band] = static_cast<unsigned>(bands[band]);
    return value;
}

SettingValue FromFlag(int flag)
{
    SettingValue value;
    value.flag = static_cast<unsigned>(flag);
    return value;
}

SettingValue FromText(const QString& text)
{
    SettingValue value;
    value.text = text;
    return value;
}

struct CurrentOf {
    template <class T> SettingValue operator()(const CObservableArrayPending<T, kBandCount>& v) const
    {
        return FromBands(v.m_values);
    }
    SettingValue operator()(const CObservableValuePending<int>& v) const { return FromFlag(v.m_value); }
    SettingValue operator()(const CObservableValuePending<CString>& v) const { return FromText(v.m_value); }
    SettingValue operator()(const CObservableValue<CString>& v) const { return FromText(v.m_value); }
};

struct PendingOf {
    template <class T> SettingValue operator()(const CObservableArrayPending<T, kBandCount>& v) const
    {
        return FromBands(v.m_pending);
    }
    SettingValue operator()(const CObservableValuePending<int>& v) const { return FromFlag(v.m_pending); }
    SettingValue operator()(const CObservableValuePending<CString>& v) const { return FromText(v.m_pending); }
    // The MAC address has no pending copy: it is never edited.
    SettingValue operator()(const CObservableValue<CString>& v) const { return FromText(v.m_value); }
};
} // namespace

SettingValue Current(const CModel& model, SettingId id)
{
    return Visit(model, id, CurrentOf());
}

SettingValue Pending(const CModel& model, SettingId id)
{
    return Visit(model, id, PendingOf());
}

void SetPending(CModel& model, SettingId id, const SettingValue& value)
{
    Visit(model, id, [&value](auto& member) {
        using M = std::decay_t<decltype(member)>;
        if constexpr (std::is_same_v<M, CObservableValuePending<int>>)
            member.m_pending = static_cast<int>(value.flag);
        else if constexpr (std::is_same_v<M, CObservableValuePending<CString>>)
            member.m_pending = value.text;
        else if constexpr (!std::is_same_v<M, CObservableValue<CString>>)
            for (int band = 0; band < kBandCount; ++band)
                member.m_pending[band]
                    = static_cast<typename decltype(member.m_pending)::value_type>(value.bands[band]);
    });
}

void Store(CModel& model, SettingId id, const SettingValue& value)
{
    Visit(model, id, [&value](auto& member) {
        using M = std::decay_t<decltype(member)>;
        if constexpr (std::is_same_v<M, CObservableValuePending<int>>)
            member.Set(static_cast<int>(value.flag));
        else if constexpr (std::is_same_v<M,
                               CObservableValuePending<CString>> || std::is_same_v<M, CObservableValue<CString>>)
            member.Set(value.text);
        else
            for (unsigned band = 0; band < kBandCount; ++band)
                member.Set(band, static_cast<typename decltype(member.m_pending)::value_type>(value.bands[band]));
    });
}

bool HasPendingChange(const CModel& model, SettingId id)
{
    return !(Current(model, id) == Pending(model, id));
}

void DiscardPending(CModel& model)
{
    for (const SettingInfo& info : SettingsTable::All())
        SetPending(model, info.id, Current(model, info.id));
}
} // namespace SettingsModel
