#include "settings/ui/SettingEditor.h"
#include "model/StringTable.h"
#include "settings/SettingsStringIds.h"
#include "settings/SettingsText.h"
#include "settings/ui/SettingTextValidator.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {
// Whether typing more can still bring `typed` into [minimum, maximum] (one decimal at most).
bool CanReachRange(const QLocale& locale, const QString& typed, double minimum, double maximum)
{
    bool ok = false;
    const double value = locale.toDouble(typed, &ok);
    if (!ok)
        return true; // nothing yet, or a sign: the spin box itself decides
    if (value > maximum)
        return false;
    if (value >= minimum)
        return true;
    // A leading zero or a minus sign never gets there.
    if (value <= 0)
        return false;
    // One decimal more adds less than 1.
    if (std::floor(value) + 1 > minimum)
        return true;
    if (typed.contains(locale.decimalPoint()))
        return false;
    // More digits: value * 10^k up to (value + 1) * 10^k - 1.
    for (double scale = 10; scale <= 1000; scale *= 10)
        if ((value + 1) * scale - 1 >= minimum && value * scale <= maximum)
            return true;
    return false;
}

// A spin box that refuses, as it is typed, a number that could never lie in its range, and
// says so, rather than putting the previous value back when the field is left; `said` hears
// true for a refusal and false once the text is a value the box can take.
template <class Base> class CRangeSpinBox : public Base {
public:
    CRangeSpinBox(QWidget* parent, std::function<void(bool refused)> said)
        : Base(parent)
        , m_said(std::move(said))
    {
    }

    QValidator::State validate(QString& text, int& position) const override
    {
        if (!CanReachRange(this->locale(), text.trimmed(), this->minimum(), this->maximum())) {
            m_said(true);
            return QValidator::Invalid;
        }
        const QValidator::State state = Base::validate(text, position);
        if (state == QValidator::Acceptable)
            m_said(false);
        return state;
    }

private:
    std::function<void(bool)> m_said;
};

// The amplifier's digits for the antenna choices, each with what it means.
unsigned AntennaMeaning(SettingId id, unsigned digit)
{
    return (id == SettingId::AntennaEnable ? IDS_SETTINGS_ANT_ENABLE_0 : IDS_SETTINGS_ANT_PREFERRED_0) + digit;
}
} // namespace

CSettingEditor::CSettingEditor(SettingId id, const QString& label, QWidget* parent)
    : QObject(parent)
    , m_info(SettingsTable::Info(id))
{
    Build(label, parent);
}

void CSettingEditor::Build(const QString& label, QWidget* parent)
{
    const QString name = QString::fromLatin1(m_info.name);
    m_caption = label.endsWith(QLatin1Char(':')) ? label.chopped(1) : label;
    const int count = IsPerBand() ? kBandCount : 1;
    auto edited = [this] {
        SetMessage(QString());
        emit Edited(m_info.id);
    };
    auto outOfRange = [this](bool refused) { SetMessage(refused ? SettingsText::RangeMessage(m_info) : QString()); };
    const bool antenna = m_info.id == SettingId::AntennaEnable || m_info.id == SettingId::AntennaPreferred;
    for (int band = 0; band < count; ++band) {
        const QString objectName = IsPerBand() ? QStringLiteral("%1-%2").arg(name).arg(band) : name;
        QWidget* control = nullptr;
        if (m_info.kind == SettingKind::BandDigits && m_info.maximum == 1) {
            auto* box = new QCheckBox(label, parent);
            connect(box, &QCheckBox::clicked, this, edited);
            control = box;
        } else if (m_info.kind == SettingKind::BandDigits) {
            auto* combo = new QComboBox(parent);
            for (unsigned v = m_info.minimum; v <= m_info.maximum; ++v) {
                combo->addItem(QString::number(v), v);
                if (antenna)
                    combo->setItemData(
                        combo->count() - 1, ResourceString(AntennaMeaning(m_info.id, v)), Qt::ToolTipRole);
            }
            if (antenna) {
                QStringList meanings;
                for (unsigned v = m_info.minimum; v <= m_info.maximum; ++v)
                    meanings << ResourceString(AntennaMeaning(m_info.id, v));
                combo->setToolTip(meanings.join(QLatin1Char('\n')));
            }
            connect(combo, &QComboBox::activated, this, edited);
            control = combo;
        } else if (m_info.kind == SettingKind::BandNumbers && m_info.tenths) {
            auto* spin = new CRangeSpinBox<QDoubleSpinBox>(parent, outOfRange);
            spin->setDecimals(1);
            spin->setSingleStep(0.1);
            spin->setRange(m_info.minimum / 10.0, m_info.maximum / 10.0);
            connect(spin, &QDoubleSpinBox::valueChanged, this, edited);
            control = spin;
        } else if (m_info.kind == SettingKind::BandNumbers) {
            auto* spin = new CRangeSpinBox<QSpinBox>(parent, outOfRange);
            spin->setRange(static_cast<int>(m_info.minimum), static_cast<int>(m_info.maximum));
            connect(spin, &QSpinBox::valueChanged, this, edited);
            control = spin;
        } else if (m_info.kind == SettingKind::Flag) {
            auto* box = new QCheckBox(label, parent);
            connect(box, &QCheckBox::clicked, this, edited);
            control = box;
        } else {
            auto* line = new QLineEdit(parent);
            line->setReadOnly(m_info.rule == TextRule::ReadOnly);
            if (line->isReadOnly()) {
                // Looks like the text it is, not a field waiting for input.
                QPalette palette = line->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
                line->setPalette(palette);
                line->setFrame(false);
                line->setToolTip(ResourceString(IDS_SETTINGS_TIP_READ_ONLY));
            }
            // As wide as the longest value it takes (a MAC address has 17 characters).
            line->setMinimumWidth(line->fontMetrics().averageCharWidth() * (std::max(m_info.maxLength, 17) + 6));
            if (m_info.rule != TextRule::ReadOnly) {
                line->setValidator(new CSettingTextValidator(
                    m_info, [this](const QString& reason) { SetMessage(reason); }, line));
                connect(line, &QLineEdit::textEdited, this, edited);
                // An address or port left unfinished is named as it is left, not only on Apply.
                connect(line, &QLineEdit::editingFinished, this, [this, line] {
                    SetMessage(
                        line->text().isEmpty() ? QString() : SettingsText::CheckText(m_info, line->text().trimmed()));
                });
            }
            control = line;
        }
        control->setObjectName(objectName);
        m_controls.push_back(control);
        m_tips.push_back(control->toolTip());
    }
    const bool refuses = m_info.kind == SettingKind::BandNumbers
        || (m_info.kind == SettingKind::Text && m_info.rule != TextRule::ReadOnly);
    if (refuses) {
        m_message = new QLabel(parent);
        m_message->setObjectName(name + QStringLiteral("-message"));
        m_message->setWordWrap(true);
        m_message->setStyleSheet(QStringLiteral("color: #b00020;"));
        m_message->hide();
    }
}

QString CSettingEditor::Held(const SettingValue& value, std::size_t band) const
{
    if (m_info.kind == SettingKind::Text)
        return QStringLiteral("\"%1\"").arg(value.text);
    const unsigned number = IsPerBand() ? value.bands[band] : value.flag;
    if (m_info.tenths)
        return QString::number(number / 10.0, 'f', 1);
    if (qobject_cast<QCheckBox*>(m_controls[band]))
        return ResourceString(number ? IDS_SETTINGS_ON : IDS_SETTINGS_OFF);
    return QString::number(number);
}

void CSettingEditor::MarkChanges(const SettingValue& current)
{
    const SettingValue shown = Value();
    for (std::size_t band = 0; band < m_controls.size(); ++band) {
        QWidget* control = m_controls[band];
        bool differs = false;
        if (m_info.kind == SettingKind::Text)
            differs = !SettingsText::Equivalent(m_info, shown, current);
        else
            differs = IsPerBand() ? shown.bands[band] != current.bands[band] : shown.flag != current.flag;
        if (control->property("changed").toBool() == differs)
            continue;
        control->setProperty("changed", differs);
        control->setStyleSheet(differs ? QStringLiteral("background-color: #fff1a8;") : QString());
        control->setToolTip(differs ? FormatResource(IDS_SETTINGS_TIP_CHANGED, Held(current, band)) : m_tips[band]);
    }
}

void CSettingEditor::Show(const SettingValue& value)
{
    for (std::size_t band = 0; band < m_controls.size(); ++band) {
        QWidget* control = m_controls[band];
        const QSignalBlocker blocker(control);
        const unsigned number = IsPerBand() ? value.bands[band] : value.flag;
        if (auto* box = qobject_cast<QCheckBox*>(control))
            box->setChecked(number != 0);
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->setCurrentIndex(combo->findData(number));
        else if (auto* swr = qobject_cast<QDoubleSpinBox*>(control))
            swr->setValue(number / 10.0);
        else if (auto* spin = qobject_cast<QSpinBox*>(control))
            spin->setValue(static_cast<int>(number));
        else if (auto* line = qobject_cast<QLineEdit*>(control))
            line->setText(value.text);
    }
    SetMessage(QString());
}

SettingValue CSettingEditor::Value() const
{
    SettingValue value;
    for (std::size_t band = 0; band < m_controls.size(); ++band) {
        QWidget* control = m_controls[band];
        unsigned number = 0;
        if (auto* box = qobject_cast<QCheckBox*>(control))
            number = box->isChecked() ? 1 : 0;
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            number = combo->currentData().toUInt();
        else if (auto* swr = qobject_cast<QDoubleSpinBox*>(control))
            number = static_cast<unsigned>(swr->value() * 10.0 + 0.5);
        else if (auto* spin = qobject_cast<QSpinBox*>(control))
            number = static_cast<unsigned>(spin->value());
        else if (auto* line = qobject_cast<QLineEdit*>(control))
            value.text = line->text().trimmed();
        if (IsPerBand())
            value.bands[band] = number;
        else
            value.flag = number;
    }
    return value;
}

void CSettingEditor::SetMessage(const QString& text)
{
    if (!m_message)
        return;
    // The reasons are sentence parts ("at most 32 characters ..."); here one stands alone.
    m_message->setText(text.isEmpty() ? text : text.front().toUpper() + text.mid(1));
    m_message->setVisible(!text.isEmpty());
}
