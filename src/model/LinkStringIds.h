#pragma once
// Numbers of the device link's and the Port page's own texts (resources/StringTableLink.inc).
enum LinkStringId : unsigned {
    IDS_PORT_LABEL = 1900,
    IDS_TEST_COMMUNICATIONS = 1901,
    IDS_CLOSE_PORT = 1902,
    IDS_SIM_DESCRIPTION = 1903,

    // Block exchanges on a noisy line (verbose lines, progress displays).
    IDS_LINK_RETRY_LOST = 1960,
    IDS_LINK_RETRY_DAMAGED = 1961,
    IDS_LINK_RETRY_DISAGREE = 1962,
    IDS_LINK_RETRY_DIFFERS = 1963,
    IDS_LINK_RETRIES = 1965,
    IDS_LINK_CLI_RETRIES = 1966,

    IDS_PORT_LOST = 1920,
    IDS_PORT_LOST_ADVICE = 1921,
    IDS_FOUND_OTHER_DEVICE = 1922,

    // Raw commands that need a yes before they are sent.
    IDS_CONFIRM_COMMAND = 1338,
    IDS_WARN_BOOT_LOADER = 1339,
    IDS_WARN_ERASE_CONFIGURATION = 1340,
    IDS_WARN_ERASE_MEMORIES = 1341,
    IDS_SEND_ANYWAY = 1342,
    IDS_WARN_EEPROM_WRITE = 3200,
};
