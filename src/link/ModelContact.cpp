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
    m_contactMachine = std::make_unique<CContactStateMachine>(this);
}

CModel::~CModel() = default;
