#pragma once
#include "settings/SettingsTable.h"
#include <QValidator>
#include <functional>

// Keeps out of a text setting's field what could never be sent: for a banner or a key text, a
// ";", a "^", control characters, characters outside printable ASCII and anything past the
// length limit; for an address, anything but digits and dots; for the port, anything but
// digits, and an address that more typing could not mend. The refused input does not reach the
// field; the reason goes to `refused`, so that the sheet can say it beside the field. An address
// or port still being typed is let through and checked when the field is left.
class CSettingTextValidator : public QValidator {
public:
    using Refused = std::function<void(const QString& reason)>;
    CSettingTextValidator(const SettingInfo& info, Refused refused, QObject* parent);

    State validate(QString& input, int& position) const override;

private:
    const SettingInfo& m_info;
    Refused m_refused;
};
