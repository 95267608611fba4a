#include "operate/ui/FollowRadioBox.h"
#include "model/Model.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperatePoller.h"
#include "operate/OperateSnapshot.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/follow/FollowStringIds.h"
#include "operate/follow/RadioFollowing.h"
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <utility>

namespace {
const char* const kPlaceholders[] = {"", "127.0.0.1:4532", "12060"};
}

CFollowRadioBox::CFollowRadioBox(CModel& model, COperatePoller& poller, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_poller(poller)
{
    setObjectName(QStringLiteral("followRadio"));
    setToolTip(ResourceString(IDS_FOLLOW_TIP));
    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("followSource"));
    m_source->addItems({ResourceString(IDS_FOLLOW_OFF), ResourceString(IDS_FOLLOW_RIGCTLD), ResourceString(IDS_FOLLOW_UDP)});
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("followAddress"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("followStatus"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(ResourceString(IDS_FOLLOW_RADIO), this));
    row->addWidget(m_source);
    row->addWidget(m_address);
    row->addWidget(m_status, 1);
    ShowSetting();
    connect(m_source, &QComboBox::activated, this, [this] { Apply(); });
    connect(m_address, &QLineEdit::editingFinished, this, [this] { Apply(); });
    m_model.m_completion.AddObserver(this);
    Apply();
}

CFollowRadioBox::~CFollowRadioBox()
{
    m_model.m_completion.RemoveObserver(this);
}

void CFollowRadioBox::ShowSetting()
{
    const auto source = FollowSource::FromSetting(m_model.m_followRadio.m_value);
    const QString setting = m_model.m_followRadio.m_value.trimmed();
    const int index = !source ? 0 : static_cast<int>(source->kind);
    m_source->setCurrentIndex(index);
    m_address->setText(index == 0 ? QString() : setting.mid(setting.indexOf(QLatin1Char(' ')) + 1));
}

void CFollowRadioBox::Apply()
{
    const int index = m_source->currentIndex();
    m_address->setEnabled(index != 0);
    m_address->setPlaceholderText(QLatin1String(kPlaceholders[index]));
    m_following.reset();
    m_pressDone = nullptr;
    m_status->clear();
    std::optional<FollowSource> source = FollowSource {};
    if (index == 1)
        source = FollowSource::Rigctld(m_address->text().trimmed());
    else if (index == 2)
        source = FollowSource::Udp(m_address->text().trimmed());
    if (!source) {
        m_status->setText(FormatResource(IDS_FOLLOW_BAD_SOURCE, m_source->currentText()));
        return;
    }
    if (m_model.m_followRadio.m_value != source->ToSetting())
        m_model.m_followRadio.Set(source->ToSetting());
    if (source->kind == FollowSource::Kind::Off)
        return;
    const auto report = [this](const QString& text) { m_status->setText(text); };
    // The band goes out with the page's next poll cycle, like a band button's.
    const auto press = [this](int band, std::function<void(DWORD)> done) {
        if (m_poller.Request([band](IOperateStateMachine& machine) { machine.SelectBand(static_cast<BYTE>(band)); }))
            m_pressDone = std::move(done);
        else
            done(Result::RequestNotTaken);
    };
    // A band without a key in its place: the machine sends nothing for it.
    const auto withdraw = [this] {
        m_pressDone = nullptr;
        m_poller.Request([](IOperateStateMachine& machine) {
            machine.SelectBand(static_cast<BYTE>(OperateKeys::kBandCount));
        });
    };
    m_following = std::make_unique<CRadioFollowing>(*source, press, withdraw, report);
    QString error;
    if (!m_following->Start(&error)) {
        m_following.reset();
        m_status->setText(error);
    }
}

void CFollowRadioBox::hideEvent(QHideEvent* event)
{
    if (m_following)
        m_following->Amplifier(OperateSnapshot {}, false);
    QWidget::hideEvent(event);
}

void CFollowRadioBox::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (!m_following || eventId != m_model.m_completion.EventId())
        return;
    const IOperateStateMachine* machine = m_poller.Machine();
    if (m_pressDone && index == 0 && machine && !machine->HasPendingKeys())
        std::exchange(m_pressDone, nullptr)(0);
    // A cycle that failed leaves nothing current to decide on.
    const OperateSnapshot readings
        = OperateSnapshots::Take(m_model, QDateTime::currentDateTime(), m_model.Host().TickCount());
    m_following->Amplifier(readings, index == 0 && m_poller.IsStarted());
}
