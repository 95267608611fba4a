#pragma once
// The amplifier's state as the operate commands print it: one line for a person, one CSV row
// for a spreadsheet, one JSON object for a program.
#include "model/Model.h"
#include <QDateTime>
#include <QString>

namespace OperateReadings {
QString Line(const CModel& model, const QDateTime& at);
QString RelaysLine(const CModel& model);
// The first row of a new CSV file.
QString CsvHeader();
// One row, with the time in ISO 8601 with its offset from UTC.
QString CsvRow(const CModel& model, const QDateTime& at);
QString Json(const CModel& model, const QDateTime& at);
} // namespace OperateReadings
