#include "link/ContactStateMachine.h"
#include "model/Model.h"

// The model's constructor lives with the link: it gives the model its contact machine, a link
// machine the model knows only through IContactStateMachine. The model library itself never
// refers to the link.
CModel::CModel(IEventHost& host, std::unique_ptr<ISettingsStore> store) : CModelBase(host, std::move(store))
{
    m_persistentValues.push_back(&m_dateTimeUtc);
    m_persistentValues.push_back(&m_operatePollInterval);
    m_persistentValues.push_back(&m_peakHoldVarn);
    m_persistentValues.push_back(&m_fileServer);
    m_persistentValues.push_back(&m_followRadio);
    m_contactMachine = std::make_unique<CContactStateMachine>(this);
    m_readings = {&m_band, &m_antenna, &m_atuInline, &m_atuMode, &m_capacitors, &m_faultCode, &m_frequency,
        &m_inductors, &m_displayText, &m_operateStandby, &m_overdriveCode, &m_paCurrent, &m_paVoltage,
        &m_powerDissipated, &m_powerForward, &m_powerInput, &m_powerReflected, &m_powerStatus, &m_capacitorSide,
        &m_swr, &m_swrBypass, &m_temperature};
}

CModel::~CModel() = default;
