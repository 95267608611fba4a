#include "model/Model.h"

bool CModel::IsExpectedDevice() const
{
    return m_device.m_value == DeviceQRO4000;
}

void CModel::ResetDeviceValues()
{
    MarkReadingsStale();
    // Another amplifier, or this one after the link was gone: whether it is on is not known,
    // and nothing goes out on the strength of the old answer.
    if (m_powerStatus.m_value != 0)
        m_powerStatus.Forget(0);
    CModelBase::ResetDeviceValues();
}

void CModel::MarkReadingsStale()
{
    for (CReadingState* reading : m_readings)
        reading->MarkStale();
}

void CModel::LoadSettings()
{
    CModelBase::LoadSettings();
    const QString configurationDefault = DefaultConfigurationFolder();
    if (m_configurationFolder.m_value.isEmpty())
        m_configurationFolder.Set(configurationDefault);
}

bool CModel::HasUnsavedChanges() const
{
    return m_antennaEnable.HasUnsavedChange() || m_antennaPreferred.HasUnsavedChange() ||
           m_atuHighSwrRetune.HasUnsavedChange() || m_atuModeSwitch.HasUnsavedChange() ||
           m_atuSettingsPerBin.HasUnsavedChange() || m_atuTransceiverKey.HasUnsavedChange() ||
           m_bannerText.HasUnsavedChange() || m_networkDhcp.HasUnsavedChange() ||
           m_networkGateway.HasUnsavedChange() || m_networkIpAddress.HasUnsavedChange() ||
           m_networkMask.HasUnsavedChange() || m_networkPort.HasUnsavedChange() ||
           m_networkWakeOnLan.HasUnsavedChange() || m_pfKey1.HasUnsavedChange() || m_pfKey2.HasUnsavedChange() ||
           m_swrThresholdBypass.HasUnsavedChange() || m_swrThresholdNoMatch.HasUnsavedChange() ||
           m_swrThresholdRetune.HasUnsavedChange() || m_swrThresholdStop.HasUnsavedChange();
}

CObservableArrayPending<WORD, 11>& CModel::SwrThresholds(int selector)
{
    switch (selector) {
    case 1:
        return m_swrThresholdNoMatch;
    case 2:
        return m_swrThresholdRetune;
    case 3:
        return m_swrThresholdStop;
    default:
        return m_swrThresholdBypass;
    }
}
