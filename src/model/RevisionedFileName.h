#pragma once
#include "model/Types.h"

// A file name paired with the revision read from it (0 when none).
struct CRevisionedFileName {
    CString m_fileName;
    WORD m_revision = 0;
    bool operator==(const CRevisionedFileName&) const = default;
};
