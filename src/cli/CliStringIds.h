#pragma once
// Numbers of the command line's own texts (resources/StringTableCli.inc holds them).
enum CliStringId : unsigned {
    IDS_CLI_HEX_INSIDE_OUTSIDE = 1800,
    IDS_CLI_STANDARD_OUTPUT = 3400,
    IDS_CLI_OUTPUT_FAILED = 3401,

    // Questions on the terminal.
    IDS_CLI_NO_TERMINAL_YES = 3210,
    IDS_CLI_NO_TERMINAL_BACKUP = 3211,
    IDS_CLI_INTERRUPTED_AT_QUESTION = 3212,
    IDS_CLI_CANCELLED_NOTHING_DONE = 3213,
    IDS_CLI_NOT_SENT = 3214,
};
