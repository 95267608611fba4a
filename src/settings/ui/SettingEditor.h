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
// A text setting has a message line that says why input was refused.
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

signals:
    void Edited(SettingId id);

private:
    void Build(const QString& label, QWidget* parent);

    const SettingInfo& m_info;
    std::vector<QWidget*> m_controls;
    QLabel* m_message = nullptr;
};
