#include "cli/CliArguments.h"
#include <algorithm>

namespace {
using Kind = CCliArg::Kind;

bool IsOption(const CCliArg& row)
{
    return row.kind == Kind::Flag || row.kind == Kind::Option || row.kind == Kind::RequiredOption;
}

const CCliArg* FindOption(CCliArgTable table, const QString& name)
{
    for (const CCliArg& row : table)
        if (IsOption(row) && (name == QLatin1String(row.name) || (row.alias && name == QLatin1String(row.alias))))
            return &row;
    return nullptr;
}

QString Shown(const CCliArg& row)
{
    const QString name = QLatin1String(row.name);
    switch (row.kind) {
    case Kind::Flag:
        return QStringLiteral("[%1]").arg(name);
    case Kind::Option:
        return QStringLiteral("[%1 %2]").arg(name, QLatin1String(row.value));
    case Kind::RequiredOption:
        return QStringLiteral("%1 %2").arg(name, QLatin1String(row.value));
    case Kind::Argument:
        return name;
    case Kind::OptionalArgument:
        return QStringLiteral("[%1]").arg(name);
    case Kind::Arguments:
        return name; // "NAME=VALUE...", as the table writes it
    }
    return name;
}
} // namespace

bool CCliArguments::Parse(
    CCliArgTable table, const QStringList& arguments, QString* error, bool stopAtArgument, QStringList* rest)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            if (stopAtArgument) {
                if (rest)
                    *rest = arguments.mid(i);
                return true;
            }
            m_positional << a;
            continue;
        }
        const qsizetype equals = a.startsWith(QLatin1String("--")) ? a.indexOf(QLatin1Char('=')) : -1;
        const QString name = equals < 0 ? a : a.left(equals);
        const CCliArg* row = FindOption(table, name);
        if (!row) {
            *error = QStringLiteral("unknown option %1").arg(name);
            return false;
        }
        const QString key = QLatin1String(row->name);
        if (m_options.contains(key)) {
            *error = QStringLiteral("%1 is given twice").arg(key);
            return false;
        }
        if (row->kind == Kind::Flag) {
            if (equals >= 0) {
                *error = QStringLiteral("%1 takes no value").arg(key);
                return false;
            }
            m_options.insert(key, QString());
            continue;
        }
        if (equals >= 0) {
            m_options.insert(key, a.mid(equals + 1));
        } else if (i + 1 < arguments.size()) {
            m_options.insert(key, arguments[++i]);
        } else {
            *error = QStringLiteral("%1 needs a value (%2)").arg(key, QLatin1String(row->value));
            return false;
        }
    }
    if (stopAtArgument) {
        if (rest)
            rest->clear();
        return true;
    }
    // The other arguments, in the table's order: the required ones, then the optional ones.
    qsizetype required = 0;
    qsizetype optional = 0;
    bool any = false;
    for (const CCliArg& row : table) {
        if (row.kind == Kind::RequiredOption && !m_options.contains(QLatin1String(row.name))) {
            *error = QStringLiteral("%1 %2 is missing").arg(QLatin1String(row.name), QLatin1String(row.value));
            return false;
        }
        required += row.kind == Kind::Argument;
        optional += row.kind == Kind::OptionalArgument;
        any = any || row.kind == Kind::Arguments;
    }
    if (m_positional.size() < required) {
        qsizetype index = 0;
        for (const CCliArg& row : table)
            if (row.kind == Kind::Argument && index++ == m_positional.size())
                *error = QStringLiteral("%1 is missing").arg(QLatin1String(row.name));
        return false;
    }
    if (!any && m_positional.size() > required + optional) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(m_positional.value(required + optional));
        return false;
    }
    return true;
}

bool CCliArguments::Merge(const CCliArguments& other, QString* error)
{
    for (auto it = other.m_options.begin(); it != other.m_options.end(); ++it) {
        if (m_options.contains(it.key())) {
            *error = QStringLiteral("%1 is given twice").arg(it.key());
            return false;
        }
        m_options.insert(it.key(), it.value());
    }
    m_positional << other.m_positional;
    return true;
}

namespace CliArg {
QString UsageLine(const QString& command, CCliArgTable table)
{
    QStringList parts {command};
    for (const CCliArg& row : table)
        parts << Shown(row);
    return parts.join(QLatin1Char(' '));
}

QString Table(CCliArgTable table)
{
    // "-p, --port NAME" and "    --trace": long names line up when some rows have a short one.
    const bool aliases = std::any_of(table.begin(), table.end(), [](const CCliArg& row) { return row.alias; });
    QString text;
    for (const CCliArg& row : table) {
        QString shown = QLatin1String(row.name);
        if (row.alias)
            shown = QStringLiteral("%1, %2").arg(QLatin1String(row.alias), shown);
        else if (aliases)
            shown = QStringLiteral("    ") + shown;
        if (row.value)
            shown += QLatin1Char(' ') + QLatin1String(row.value);
        text += QStringLiteral("  %1 %2\n").arg(shown, -20).arg(QLatin1String(row.help));
    }
    return text;
}
} // namespace CliArg
