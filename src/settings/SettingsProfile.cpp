#include "settings/SettingsProfile.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/FileError.h"
#include "model/Format.h"
#include "model/ResultCode.h"
#include "model/SaveWhole.h"
#include "model/StringTable.h"
#include "settings/SettingsStringIds.h"
#include "settings/SettingsText.h"
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cerrno>

namespace SettingsProfile {
namespace {
QString KnownNames()
{
    QStringList names;
    for (const SettingInfo& info : SettingsTable::All())
        names << QString::fromLatin1(info.name);
    return names.join(QStringLiteral(", "));
}

bool ParseNamed(
    const QString& name, const QString& text, std::pair<SettingId, SettingValue>* assignment, QString* message)
{
    const SettingInfo* info = SettingsTable::Find(name);
    if (!info) {
        *message = FormatResource(IDS_SETTINGS_ERR_UNKNOWN, EchoText(name), KnownNames());
        return false;
    }
    QString reason;
    if (!SettingsText::Parse(*info, text, &assignment->second, &reason)) {
        *message = FormatResource(IDS_SETTINGS_REFUSED, name, reason);
        return false;
    }
    assignment->first = info->id;
    return true;
}
} // namespace

QByteArray ToJson(const Values& values)
{
    QJsonObject object;
    for (const auto& [id, value] : values) {
        const SettingInfo& info = SettingsTable::Info(id);
        object.insert(QString::fromLatin1(info.name), SettingsText::Format(info, value));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool FromJson(const QByteArray& json, Values* values, QString* message)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        *message = ResourceString(IDS_SETTINGS_PROFILE_NOT_JSON);
        return false;
    }
    Values read;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String(SettingsTable::Info(SettingId::NetMac).name))
            continue;
        if (!it.value().isString()) {
            *message = FormatResource(IDS_SETTINGS_PROFILE_NOT_TEXT, it.key());
            return false;
        }
        std::pair<SettingId, SettingValue> assignment;
        if (!ParseNamed(it.key(), it.value().toString(), &assignment, message))
            return false;
        read.push_back(assignment);
    }
    if (read.empty()) {
        *message = ResourceString(IDS_SETTINGS_PROFILE_EMPTY);
        return false;
    }
    *values = read;
    return true;
}

bool ParseAssignment(const QString& text, std::pair<SettingId, SettingValue>* assignment, QString* message)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        *message = FormatResource(IDS_SETTINGS_CLI_BAD_ASSIGNMENT, EchoText(text));
        return false;
    }
    return ParseNamed(text.left(equals).trimmed(), text.mid(equals + 1), assignment, message);
}

DWORD Save(const QString& path, const Values& values, QString* message)
{
    return SaveWhole(path, ToJson(values), message, QDir::toNativeSeparators(path));
}

DWORD Load(const QString& path, Values* values, QString* message)
{
    if (const DWORD refused = FileChecks::CheckInputFile(path, kMaxFileBytes, message))
        return refused;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const DWORD code = FileError::FromDevice(file, errno, Result::FileNotFound);
        *message = CallFailedOn(QStringLiteral("CreateFile"), QDir::toNativeSeparators(path), code);
        return code;
    }
    QString reason;
    if (!FromJson(file.read(kMaxFileBytes + 1), values, &reason)) {
        *message = FormatResource(IDS_SETTINGS_PROFILE_INVALID, QDir::toNativeSeparators(path), reason);
        return Result::ProfileInvalid;
    }
    message->clear();
    return 0;
}
} // namespace SettingsProfile
