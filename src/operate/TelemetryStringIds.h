#pragma once
// Numbers of the session summary's and the telemetry lines' texts
// (resources/StringTableTelemetry.inc holds them).
enum TelemetryStringId : unsigned {
    IDS_TM_SUMMARY = 4500,
    IDS_TM_DURATION = 4501,
    IDS_TM_OPERATE = 4502,
    IDS_TM_TRANSMIT = 4503,
    IDS_TM_PEAK_FORWARD = 4504,
    IDS_TM_MAX_SWR_BAND = 4505,
    IDS_TM_MAX_SWR = 4506,
    IDS_TM_MAX_TEMPERATURE = 4507,
    IDS_TM_NO_FAULTS = 4508,
    IDS_TM_FAULT = 4509,
    IDS_TM_NOT_READ = 4510,
    IDS_TM_SUMMARY_BUTTON = 4511,
    IDS_TM_TIP_SUMMARY = 4512,
    IDS_TM_SUMMARY_FAILED = 4513,
    IDS_TM_INFLUX_FAILED = 4514,
    IDS_TM_USAGE_INFLUX_JSON = 4515,
    IDS_TM_USAGE_INFLUX_FILE = 4516,
    IDS_TM_INFLUX_WRITING = 4517,
    IDS_TM_FAULTS_NOT_LISTED = 4518,
};
