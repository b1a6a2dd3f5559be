#pragma once
// The initial data of the current task: the parameter vector the solvers read,
// and the field table read from "DataFile.dat" for the dialog.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Ten parameter slots P1 to P10, written by the data dialog, read by the
// solvers. Slots a task does not use keep whatever they held.
struct TTaskParams {
  double P1 = 0, P2 = 0, P3 = 0, P4 = 0, P5 = 0, P6 = 0, P7 = 0, P8 = 0, P9 = 0, P10 = 0;
  // Slot Pj, j = 1 to 10.
  double& Slot(int j);
};
extern TTaskParams TaskParams;

struct TaskField {
  std::int32_t Flag = 0;         // > 0: the field is in use
  std::string LabelText;         // up to 17 Windows-1251 bytes, blanks included
  double Values[3] = {0, 0, 0};  // offered values; the first is the default
};

// Records 1 to 10 of the current task.
struct TTaskFieldTable {
  TaskField& operator[](int i) { return records[i - 1]; }
  const TaskField& operator[](int i) const { return records[i - 1]; }
  TaskField records[10];
  // The task whose block the records hold; 0 while they hold none.
  std::int32_t code = 0;
};
extern TTaskFieldTable TaskFieldTable;

inline constexpr const char* kDataFileName = "DataFile.dat";

// Reads the block of TaskCode from "DataFile.dat" in the working directory
// into TaskFieldTable. Raises InOutError ("File not found", "Invalid numeric
// input" with the line and the task whose block holds it, "I/O error %d" with
// the system's reason, "Cannot open file" for anything but a regular file, each
// naming the file by its absolute path; and, when `blockRequired` (the code is
// a task) and the file does not reach its block, "В файле DataFile.dat нет
// данных для задачи N"); the table then holds the records read until then.
// Nothing after the wanted block is read.
void ReadFromFile(bool blockRequired);
// The same from an open file (the caller closes it).
void ReadFromFile(std::FILE* file, bool blockRequired);
// The same from the bytes of a data file, for front ends without files.
void ReadFromBytes(const std::string& bytes, bool blockRequired);

// The value the data dialog stores in slot j for the table just read, when
// nobody has touched the dialog: the first offered value through its 5-decimal
// text, or, for a field not in use, its untouched combo box's own text.
double DefaultSlotValue(int j);

// A value as the dialog offers it: fixed, 5 decimals, at least 8 characters.
std::string OfferedValueText(double value);

// The run-time real conversion of a combo-box text: the value of a number
// (leading blanks, sign, digits, point, exponent) that fills the text; for any
// other text the decimal digits met before the first character that does not
// fit, read as one whole number (0 if there are none).
double RunTimeRealValue(std::string_view text);

// True when `text` is a number in that syntax from its first to its last
// character, its value then stored in `value`. Values beyond the range of a
// double are not numbers.
bool ParseRealNumber(std::string_view text, double& value);

// A value as a student types it: a number in that syntax between blanks,
// with a decimal point or one decimal comma ("0,5" is 0.5, as the Russian
// keyboard's numeric pad and many phones type it). Anything else ("1 000",
// "1,000.5", two commas) is not a number.
bool ParseTypedNumber(std::string_view text, double& value);
