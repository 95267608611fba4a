#include "link/ConnectionWatch.h"
#include "model/ContactStateMachineInterface.h"
#include "model/Model.h"

CConnectionWatch::CConnectionWatch(CModel& model, std::function<void()> changed)
    : m_model(model)
    , m_changed(std::move(changed))
{
}

CConnectionWatch::~CConnectionWatch()
{
    Detach();
}

std::vector<CEventSource*> CConnectionWatch::Sources() const
{
    std::vector<CEventSource*> sources {&m_model.m_port, &m_model.m_serialPortState, &m_model.m_portLost,
        &m_model.m_portSpeed, &m_model.m_firmwareStatus, &m_model.m_firmwareRevision, &m_model.m_serialNumber,
        &m_model.m_completion, &m_model.m_sharedThrough, &m_model.m_lineBusy};
    if (IContactStateMachine* contact = m_model.ContactMachine())
        sources.push_back(&contact->Activity());
    return sources;
}

void CConnectionWatch::Attach()
{
    if (m_attached)
        return;
    for (CEventSource* source : Sources())
        source->AddObserver(this);
    m_attached = true;
    m_changed();
}

void CConnectionWatch::Detach()
{
    if (!m_attached)
        return;
    for (CEventSource* source : Sources())
        source->RemoveObserver(this);
    m_attached = false;
}

void CConnectionWatch::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)eventId;
    (void)index;
    (void)extra;
    if (m_attached)
        m_changed();
}
