#include "ui/ContextHelp.h"
#include <QFile>
#include <QWidget>

CContextHelp::CContextHelp(const QString& content)
{
    Entry* current = nullptr;
    QStringList lines;
    auto finish = [&]() {
        if (current)
            current->text = lines.join(QLatin1Char('\n')).trimmed();
        lines.clear();
    };
    for (const QString& rawLine : content.split(QLatin1Char('\n'))) {
        const QString line = rawLine.endsWith(QLatin1Char('\r')) ? rawLine.chopped(1) : rawLine;
        if (line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1String(".topic"))) {
            finish();
            current = nullptr;
            const QString spec = line.mid(6).trimmed();
            const qsizetype dash = spec.indexOf(QLatin1Char('-'));
            bool okFirst = false;
            bool okLast = false;
            const int first = (dash < 0 ? spec : spec.left(dash)).trimmed().toInt(&okFirst);
            const int last = dash < 0 ? first : spec.mid(dash + 1).trimmed().toInt(&okLast);
            if (okFirst && (dash < 0 || okLast) && first <= last) {
                m_entries.push_back({first, last, QString()});
                current = &m_entries.back();
            }
            continue;
        }
        if (current)
            lines.append(line);
    }
    finish();
}

QString CContextHelp::Text(int controlId) const
{
    for (const Entry& entry : m_entries) {
        if (controlId >= entry.first && controlId <= entry.last)
            return entry.text;
    }
    return {};
}

const CContextHelp& CContextHelp::Program()
{
    static const CContextHelp help = [] {
        QFile file(QStringLiteral(":/help/Context.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return CContextHelp(QString());
        return CContextHelp(QString::fromUtf8(file.readAll()));
    }();
    return help;
}

void CContextHelp::Apply(QWidget* widget, int controlId)
{
    const QString text = Program().Text(controlId);
    if (!text.isEmpty())
        widget->setWhatsThis(text);
}
