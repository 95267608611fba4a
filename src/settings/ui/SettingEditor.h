#pragma once
#include "settings/SettingsTable.h"
#include <QObject>
#include <vector>

class QLabel;
class QWidget;

// The controls of one setting on the settings sheet, chosen by how the setting is kept:
// per-band digits as a choice of the allowed values per band (a check box when they are 0 and
// 1), per-band numbers as spin boxes (decimal SWR with one digit for the thresholds), flags as
// a check box, texts as a line that refuses what could not be sent, the MAC address read-only.
// A number out of range is refused as it is typed; every setting but a flag has a message line
// that says why input was refused. A control whose value differs from the amplifier's is
// marked until it is applied or put back.
class CSettingEditor : public QObject {
    Q_OBJECT
public:
    CSettingEditor(SettingId id, const QString& label, QWidget* parent);

    SettingId Id() const { return m_info.id; }
    const SettingInfo& Info() const { return m_info; }
    bool IsPerBand() const { return m_info.kind == SettingKind::BandDigits || m_info.kind == SettingKind::BandNumbers; }
    // The control of a band (per-band settings) or the one control (band 0).
    QWidget* Control(int band = 0) const { return m_controls[static_cast<std::size_t>(band)]; }
    QLabel* Message() const { return m_message; }

    // Shows the value without counting it as an edit.
    void Show(const SettingValue& value);
    SettingValue Value() const;
    // The reason under a text field; empty hides it.
    void SetMessage(const QString& text);
    // The field's caption as the sheet shows it, without a trailing colon.
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    // Marks each control whose shown value differs from `current`, the amplifier's.
    void MarkChanges(const SettingValue& current);

signals:
    void Edited(SettingId id);

private:
    void Build(const QString& label, QWidget* parent);

    const SettingInfo& m_info;
    QString Held(const SettingValue& value, std::size_t band) const;

    std::vector<QWidget*> m_controls;
    std::vector<QString> m_tips; // each control's tooltip while unchanged
    QString m_caption;
    QLabel* m_message = nullptr;
};
