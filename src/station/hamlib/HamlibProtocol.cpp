#include "station/hamlib/HamlibProtocol.h"
#include <algorithm>

namespace Hamlib {
namespace {
struct CommandRow {
    char shortName; // 0: only the long name
    const char* longName;
    Command command;
    int arguments;
    bool get; // answers values (the default form gives them alone on success)
};

// The commands of ampctl(1); "w" takes the rest of the line, whatever spaces it holds.
constexpr CommandRow kCommands[] = {
    {'f', "get_freq", Command::GetFreq, 0, true},
    {'F', "set_freq", Command::SetFreq, 1, false},
    {'l', "get_level", Command::GetLevel, 1, true},
    {'L', "set_level", Command::SetLevel, 2, false},
    {'_', "get_info", Command::GetInfo, 0, true},
    {'R', "reset", Command::Reset, 1, false},
    {'w', "send_cmd", Command::SendCmd, -1, true},
    {'1', "dump_caps", Command::DumpCaps, 0, true},
    {0, "dump_state", Command::DumpState, 0, true},
    {0, "get_powerstat", Command::GetPowerstat, 0, true},
    {0, "set_powerstat", Command::SetPowerstat, 1, false},
    {'q', "quit", Command::Quit, 0, false},
    {'Q', "quit", Command::Quit, 0, false},
};

// Hamlib 4.5's levels and the later ones this server answers too.
constexpr const char* kLevels[] = {"SWR", "NH", "PF", "PWRINPUT", "PWRFORWARD", "PWRREFLECTED", "PWRPEAK", "FAULT",
    "PWR", "WARNING", "SWR_TUNER", "VD_METER", "ID_METER", "TEMP_METER"};

bool IsText(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 0x20 && u < 0x7F) || c == '\t';
    });
}

QList<QByteArray> Words(QByteArrayView text)
{
    QList<QByteArray> words;
    for (const QByteArray& word : text.toByteArray().simplified().split(' '))
        if (!word.isEmpty())
            words.append(word);
    return words;
}

bool IsGet(Command command)
{
    for (const CommandRow& row : kCommands)
        if (row.command == command)
            return row.get;
    return false;
}
} // namespace

Request Parse(QByteArrayView line)
{
    Request request;
    line = line.first(std::min(line.size(), kMaxLine));
    if (line.endsWith('\r'))
        line.chop(1);
    line = line.trimmed();
    if (line.isEmpty())
        return request;
    if (!IsText(line)) {
        request.command = Command::Unknown;
        request.error = InvalidParameter;
        return request;
    }
    if (line.front() == '+' || line.front() == ';' || line.front() == '|' || line.front() == ',') {
        request.extended = true;
        request.separator = line.front() == '+' ? '\n' : line.front();
        line = line.sliced(1).trimmed();
    }
    request.command = Command::Unknown;
    request.error = InvalidParameter;
    if (line.isEmpty())
        return request;
    const qsizetype nameEnd = std::min(line.indexOf(' ') < 0 ? line.size() : line.indexOf(' '),
        line.indexOf('\t') < 0 ? line.size() : line.indexOf('\t'));
    const QByteArrayView word = line.first(nameEnd);
    const QByteArrayView rest = line.sliced(nameEnd).trimmed();
    for (const CommandRow& row : kCommands) {
        const bool match = word.size() == 1 ? row.shortName != 0 && word.front() == row.shortName
                                            : word.front() == '\\' && word.sliced(1) == row.longName;
        if (!match)
            continue;
        request.command = row.command;
        request.name = row.longName;
        if (row.arguments < 0)
            request.args = rest.isEmpty() ? QList<QByteArray> {} : QList<QByteArray> {rest.toByteArray()};
        else
            request.args = Words(rest);
        const qsizetype wanted = row.arguments < 0 ? 1 : row.arguments;
        request.error = request.args.size() == wanted ? Ok : InvalidParameter;
        return request;
    }
    return request;
}

QByteArray Format(const Request& request, const QList<Item>& items, Code code)
{
    if (request.command == Command::Empty)
        return {};
    if (request.command == Command::Unknown)
        return QByteArrayLiteral("RPRT -1\n");
    const QByteArray rprt = QByteArrayLiteral("RPRT ") + QByteArray::number(code);
    if (!request.extended) {
        if (code != Ok || !IsGet(request.command) || items.isEmpty())
            return rprt + '\n';
        QByteArray answer;
        for (const Item& item : items)
            answer += item.value + '\n';
        // ampctld ends the capabilities, and only them, with the extended form's last record.
        if (request.command == Command::DumpCaps)
            answer += rprt + '\n';
        return answer;
    }
    QList<QByteArray> records;
    records.append(request.name + ':' + (request.args.isEmpty() ? QByteArray() : ' ' + request.args.join(' ')));
    if (code == Ok)
        for (const Item& item : items)
            records.append(item.label.isEmpty() ? item.value : item.label + ": " + item.value);
    records.append(rprt);
    return records.join(request.separator) + '\n';
}

bool IsLevelName(QByteArrayView name)
{
    return std::any_of(std::begin(kLevels), std::end(kLevels), [name](const char* level) { return name == level; });
}
} // namespace Hamlib
