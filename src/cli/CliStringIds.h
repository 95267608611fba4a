#pragma once
// Numbers of the command line's own texts (resources/StringTableCli.inc holds them).
enum CliStringId : unsigned {
    IDS_CLI_HEX_INSIDE_OUTSIDE = 1800,
    IDS_CLI_STANDARD_OUTPUT = 3400,
    IDS_CLI_OUTPUT_FAILED = 3401,
};
