#include "firmware/FileNameParts.h"

namespace {
// Start and length of the run of digits that ends the title; length 0 when the title does not
// end in a digit. The product name itself holds digits ("qro4000fw"), so only the run at the
// end can be a revision: "qro4000fw.hex" has none.
void LastDigitRun(const QString& title, qsizetype* start, qsizetype* length)
{
    const qsizetype end = title.size();
    qsizetype begin = end;
    while (begin > 0 && title[begin - 1] >= '0' && title[begin - 1] <= '9')
        --begin;
    *start = begin;
    *length = end - begin;
}
} // namespace

namespace FileNameParts {
QString Name(const QString& path)
{
    qsizetype cut = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == '/' || c == '\\' || c == ':') {
            cut = i;
            break;
        }
    }
    return path.mid(cut + 1);
}

QString Extension(const QString& path)
{
    const QString name = Name(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString Title(const QString& path)
{
    const QString name = Name(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

WORD Revision(const QString& path)
{
    const QString title = Title(path);
    qsizetype start = 0, length = 0;
    LastDigitRun(title, &start, &length);
    unsigned long value = 0;
    for (qsizetype i = start; i < start + length; ++i) {
        value = value * 10 + static_cast<unsigned long>(title[i].unicode() - '0');
        // A number that does not fit a revision must not outrank every real file.
        if (value > 0xFFFF)
            return 0;
    }
    return static_cast<WORD>(value);
}

QString Base(const QString& path)
{
    const QString title = Title(path);
    qsizetype start = 0, length = 0;
    LastDigitRun(title, &start, &length);
    return length == 0 ? title : title.left(start) + title.mid(start + length);
}

CRevisionedFileName Revisioned(const QString& path)
{
    return CRevisionedFileName {path, Revision(path)};
}
} // namespace FileNameParts
