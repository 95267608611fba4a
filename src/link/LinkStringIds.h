#pragma once
// Numbers of the device link's and the Port page's own texts (resources/StringTableLink.inc).
enum LinkStringId : unsigned {
    IDS_PORT_LABEL = 1900,
    IDS_TEST_COMMUNICATIONS = 1901,
    IDS_CLOSE_PORT = 1902,
    IDS_SIM_DESCRIPTION = 1903,
    IDS_PORT_LOST = 1920,
    IDS_PORT_LOST_ADVICE = 1921,
    IDS_FOUND_OTHER_DEVICE = 1922,
};
