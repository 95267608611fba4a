#include "model/RevisionText.h"
#include "Version.h"
#include "model/StringTable.h"

QString RevisionText(WORD revision)
{
    switch (revision) {
    case kRevisionUnknown:
        return ResourceString(IDS_REVISION_UNKNOWN);
    case kRevisionNotAvailable:
        return ResourceString(IDS_REVISION_NA);
    case kRevisionLoading:
        return ResourceString(IDS_REVISION_LOADING);
    default:
        return Fmt("%02u.%02u", revision / 100u, revision % 100u);
    }
}

QString OutputLinePrefix(int hour, int minute, int second)
{
    return Fmt("%02u:%02u:%02u ", hour, minute, second);
}

void ProgramVersion(unsigned parts[4])
{
    parts[0] = QRO_VERSION_MAJOR;
    parts[1] = QRO_VERSION_MINOR;
    parts[2] = QRO_VERSION_PATCH;
    parts[3] = QRO_VERSION_TWEAK;
}

QString TitleBaseText()
{
    unsigned v[4];
    ProgramVersion(v);
    return FormatResource(IDS_TITLE_BASE, QRO_FILE_DESCRIPTION, v[0], v[1], v[2], v[3]);
}
