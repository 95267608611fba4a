#include "settings/ui/SettingEditor.h"
#include "settings/ui/SettingTextValidator.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

CSettingEditor::CSettingEditor(SettingId id, const QString& label, QWidget* parent)
    : QObject(parent)
    , m_info(SettingsTable::Info(id))
{
    Build(label, parent);
}

void CSettingEditor::Build(const QString& label, QWidget* parent)
{
    const QString name = QString::fromLatin1(m_info.name);
    const int count = IsPerBand() ? kBandCount : 1;
    auto edited = [this] { emit Edited(m_info.id); };
    for (int band = 0; band < count; ++band) {
        const QString objectName = IsPerBand() ? QStringLiteral("%1-%2").arg(name).arg(band) : name;
        QWidget* control = nullptr;
        if (m_info.kind == SettingKind::BandDigits && m_info.maximum == 1) {
            auto* box = new QCheckBox(label, parent);
            connect(box, &QCheckBox::clicked, this, edited);
            control = box;
        } else if (m_info.kind == SettingKind::BandDigits) {
            auto* combo = new QComboBox(parent);
            for (unsigned v = m_info.minimum; v <= m_info.maximum; ++v)
                combo->addItem(QString::number(v), v);
            connect(combo, &QComboBox::activated, this, edited);
            control = combo;
        } else if (m_info.kind == SettingKind::BandNumbers && m_info.tenths) {
            auto* spin = new QDoubleSpinBox(parent);
            spin->setDecimals(1);
            spin->setSingleStep(0.1);
            spin->setRange(m_info.minimum / 10.0, m_info.maximum / 10.0);
            connect(spin, &QDoubleSpinBox::valueChanged, this, edited);
            control = spin;
        } else if (m_info.kind == SettingKind::BandNumbers) {
            auto* spin = new QSpinBox(parent);
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
            // As wide as the longest value it takes (a MAC address has 17 characters).
            line->setMinimumWidth(line->fontMetrics().averageCharWidth() * (std::max(m_info.maxLength, 17) + 6));
            if (m_info.rule != TextRule::ReadOnly) {
                line->setValidator(new CSettingTextValidator(
                    m_info, [this](const QString& reason) { SetMessage(reason); }, line));
                connect(line, &QLineEdit::textEdited, this, [this, edited] {
                    SetMessage(QString());
                    edited();
                });
            }
            m_message = new QLabel(parent);
            m_message->setObjectName(name + QStringLiteral("-message"));
            m_message->setWordWrap(true);
            m_message->setStyleSheet(QStringLiteral("color: #b00020;"));
            m_message->hide();
            control = line;
        }
        control->setObjectName(objectName);
        m_controls.push_back(control);
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
