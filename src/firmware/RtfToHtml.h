#pragma once
// The release notes come as RTF, which Qt cannot show. This reads the part of RTF that word
// processors write for plain documents (paragraphs, line breaks, tabs, bold, italic, underline,
// font sizes, 8-bit and Unicode characters, the common typographic symbols) and answers rich
// text HTML for a text view. Destinations it does not show (font and colour tables, style
// sheets, document information, pictures, "\*" groups) are skipped. Malformed input never
// fails: what cannot be read is left out.
#include <QByteArray>
#include <QString>

QString RtfToHtml(const QByteArray& rtf);
