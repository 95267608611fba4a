#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <span>

// One row of a command's argument table. The same table reads the command's arguments and
// writes its usage line and its --help: nothing else describes them.
struct CCliArg {
    enum class Kind {
        Flag,           // "[--no-backup]"
        Option,         // "[--wait MS]": takes a value, "--wait 100" or "--wait=100"
        RequiredOption, // "--band B"
        Argument,       // "FILE"
        OptionalArgument, // "[FILE]"
        Arguments,      // "NAME=VALUE...": any number, the command decides how many it needs
    };
    Kind kind;
    const char* name;  // "--band" or "FILE"
    const char* value; // an option's value: "B"; nullptr for the others
    const char* help;
    const char* alias = nullptr; // "-p" for "--port"
};

using CCliArgTable = std::span<const CCliArg>;

namespace CliArg {
constexpr CCliArg Flag(const char* name, const char* help, const char* alias = nullptr)
{
    return {CCliArg::Kind::Flag, name, nullptr, help, alias};
}
constexpr CCliArg Option(const char* name, const char* value, const char* help, const char* alias = nullptr)
{
    return {CCliArg::Kind::Option, name, value, help, alias};
}
constexpr CCliArg Required(const char* name, const char* value, const char* help)
{
    return {CCliArg::Kind::RequiredOption, name, value, help};
}
constexpr CCliArg Argument(const char* name, const char* help)
{
    return {CCliArg::Kind::Argument, name, nullptr, help};
}
constexpr CCliArg OptionalArgument(const char* name, const char* help)
{
    return {CCliArg::Kind::OptionalArgument, name, nullptr, help};
}
constexpr CCliArg Arguments(const char* name, const char* help)
{
    return {CCliArg::Kind::Arguments, name, nullptr, help};
}
} // namespace CliArg

// What the parser read: the options by their long names, the other arguments in order.
class CCliArguments {
public:
    bool Has(const char* option) const { return m_options.contains(QLatin1String(option)); }
    QString Value(const char* option, const QString& fallback = QString()) const
    {
        return m_options.value(QLatin1String(option), fallback);
    }
    const QStringList& Positional() const { return m_positional; }
    QString Positional(qsizetype index) const { return m_positional.value(index); }

    // Reads `arguments` against `table`. An option may be given once (a second --band is a
    // mistake, never "the last one wins"); "--" ends the options. With `stopAtArgument` the
    // reading stops at the first argument that is not an option, which with everything after it
    // is left in `rest`. False with the reason in `error` when the arguments do not fit.
    bool Parse(CCliArgTable table, const QStringList& arguments, QString* error, bool stopAtArgument = false,
        QStringList* rest = nullptr);
    // Adds what `other` read; false with the reason when both name the same option.
    bool Merge(const CCliArguments& other, QString* error);

private:
    QHash<QString, QString> m_options;
    QStringList m_positional;
};

namespace CliArg {
// "erase-atu --band B --antenna N [--no-backup]"
QString UsageLine(const QString& command, CCliArgTable table);
// One line per row: "  --band B          the band: ..."
QString Table(CCliArgTable table);
} // namespace CliArg
