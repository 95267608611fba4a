#pragma once
// Numbers of the texts the pages add to tell the user what they see (resources/StringTableUi.inc
// holds them; this block is 2050..2099).
enum PageStringId : unsigned {
    // The Firmware page: the available revision against the installed one.
    IDS_PAGE_REVISION_NEWER = 2050,
    IDS_PAGE_REVISION_SAME = 2051,
    IDS_PAGE_REVISION_OLDER = 2052,
    IDS_PAGE_TIP_REVISION_ORDER = 2053,

    // The Command Tester: what was sent and what came back, and what each macro sends.
    IDS_PAGE_SENT_MARK = 2054,
    IDS_PAGE_RECEIVED_MARK = 2055,
    IDS_PAGE_TIP_MACRO = 2056,
    IDS_PAGE_TIP_MACRO_EMPTY = 2057,
};
