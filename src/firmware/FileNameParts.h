#pragma once
// The parts of a firmware file's name. All of them look only at the text after the last "/",
// ":" or "\", so a folder named like a firmware file changes nothing.
#include "model/RevisionedFileName.h"
#include <QString>

namespace FileNameParts {
// The name without its folder.
QString Name(const QString& path);
// From the last "." of the name to its end; empty when the name has no ".".
QString Extension(const QString& path);
// The name before its last "." (the whole name when it has none).
QString Title(const QString& path);
// The run of decimal digits that ends the title, as a number; 0 when the title does not end in
// a digit ("qro4000fw.hex": the product name's digits are no revision), or when the digits make
// a number no revision can have (above 65535).
WORD Revision(const QString& path);
// The title without that run of digits.
QString Base(const QString& path);
// The path paired with the revision of its name.
CRevisionedFileName Revisioned(const QString& path);
} // namespace FileNameParts
