// Reading a task's block of "DataFile.dat", and the dialog's number texts.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"

namespace {

// A record in use: Flag, blank, 16-character label, values.
std::string InUse(const std::string& label, const std::string& values, const char* flag = "1") {
  std::string padded = label;
  padded.resize(16, ' ');
  return std::string(flag) + " " + padded + " " + values;
}

// A block of 10 records with the given records in use first.
std::string Block(std::initializer_list<std::string> records, const std::string& eol = "\r\n") {
  std::string text;
  int n = 0;
  for (const std::string& r : records) text += r + eol, ++n;
  for (; n < 10; ++n) text += "0" + eol;
  return text;
}

// The message for a token on `line` of the data file that is not a number,
// in the block of `task`.
std::string NotANumber(int line, int task) {
  return "Invalid numeric input: " + std::filesystem::current_path().string() + "/DataFile.dat, строка " +
         std::to_string(line) + " (данные задачи " + std::to_string(task) + ")";
}

class DataFile : public InTempDir {
 protected:
  void Read(int code, const std::string& bytes) {
    WriteFile("DataFile.dat", bytes);
    TaskCode = code;
    ReadTaskData();
  }
  static std::string ErrorOf(int code, const std::string& bytes) {
    WriteFile("DataFile.dat", bytes);
    TaskCode = code;
    try {
      ReadTaskData();
    } catch (const InOutError& e) {
      return e.what();
    }
    return "no error";
  }
};

}  // namespace

TEST_F(DataFile, ReadsTheBlockOfTheCurrentTask) {
  Read(102, Block({InUse("k1, 1/s", "0.5 1 2"), InUse("k2, 1/s", "3 4 5")}) +
                Block({InUse("Ca0", "1.5 2.5 -3.5e-1")}));
  EXPECT_EQ(TaskFieldTable[1].Flag, 1);
  EXPECT_EQ(TaskFieldTable[1].LabelText, " Ca0             ");
  EXPECT_EQ(TaskFieldTable[1].LabelText.size(), 17u);
  EXPECT_DOUBLE_EQ(TaskFieldTable[1].Values[0], 1.5);
  EXPECT_DOUBLE_EQ(TaskFieldTable[1].Values[2], -0.35);
  for (int i = 2; i <= 10; ++i) {
    EXPECT_EQ(TaskFieldTable[i].Flag, 0);
    EXPECT_EQ(TaskFieldTable[i].LabelText, "");
    EXPECT_EQ(TaskFieldTable[i].Values[0], 0);
  }
}

TEST_F(DataFile, WorkedExampleOfTheFirstBlock) {
  Read(101, Block({InUse(Cp("k1, 1/с"), "0.5 1 2"), InUse(Cp("k2, 1/с"), "0.5 1 2")}));
  EXPECT_EQ(TaskFieldTable[1].LabelText, Cp(" k1, 1/с         "));
  EXPECT_EQ(TaskFieldTable[2].Values[1], 1.0);
  EXPECT_EQ(TaskFieldTable[3].Flag, 0);
}

TEST_F(DataFile, BlankLinesAndLineEndStylesChangeNothing) {
  const std::string crlf = Block({InUse("a", "1 2 3"), InUse("b", "4 5 6")}) + Block({InUse("c", "7 8 9")});
  Read(102, crlf);
  const TaskField expected = TaskFieldTable[1];
  for (const std::string& eol : {std::string("\n"), std::string("\r")}) {
    Read(102, Block({InUse("a", "1 2 3"), InUse("b", "4 5 6")}, eol) + "\n\n  \t\n" +
                  Block({InUse("c", "7 8 9")}, eol));
    EXPECT_EQ(TaskFieldTable[1].LabelText, expected.LabelText);
    EXPECT_EQ(TaskFieldTable[1].Values[2], 9.0);
    EXPECT_EQ(TaskFieldTable[2].Flag, 0);
  }
}

TEST_F(DataFile, AnyPositiveFlagIsInUseAndNegativeIsEmpty) {
  Read(101, Block({InUse("a", "1 2 3", "7"), InUse("b", "4 5 6", "-2"), InUse("c", "1 1 1", "$1")}));
  EXPECT_EQ(TaskFieldTable[1].Flag, 7);
  EXPECT_EQ(TaskFieldTable[1].Values[0], 1.0);
  EXPECT_EQ(TaskFieldTable[2].Flag, -2);
  EXPECT_EQ(TaskFieldTable[2].LabelText, "");
  EXPECT_EQ(TaskFieldTable[2].Values[0], 0.0);
  EXPECT_EQ(TaskFieldTable[3].Flag, 1);
}

TEST_F(DataFile, ALabelCutByTheLineEndTakesItsValuesFromTheNextLine) {
  Read(101, "1 short\r\n0.1 0.2 0.3\r\n" + Block({}).substr(0, 9 * 3));
  EXPECT_EQ(TaskFieldTable[1].LabelText, " short");
  EXPECT_DOUBLE_EQ(TaskFieldTable[1].Values[1], 0.2);
}

TEST_F(DataFile, ALabelLongerThanItsColumnRunsIntoTheFirstValue) {
  EXPECT_EQ(ErrorOf(101, "1 a label that is too long 1 2 3\r\n"), NotANumber(1, 101));
  // ...unless the overflow happens to be a number.
  Read(101, "1 abcdefghijklmnop5 6 7\r\n");
  EXPECT_EQ(TaskFieldTable[1].Values[0], 5.0);
}

TEST_F(DataFile, ReportsBadNumbersAndMissingFiles) {
  EXPECT_EQ(ErrorOf(101, "x\r\n"), NotANumber(1, 101));
  EXPECT_EQ(ErrorOf(101, InUse("a", "1 2,5 3")), NotANumber(1, 101));
  EXPECT_EQ(ErrorOf(101, InUse("a", "1 2 1e999")), NotANumber(1, 101));
  EXPECT_EQ(ErrorOf(101, "99999999999\r\n"), NotANumber(1, 101));
  // An error in an earlier block stops the reading too, and is named by that
  // block's task.
  EXPECT_EQ(ErrorOf(103, Block({"1x"})), NotANumber(1, 101));
  // CR, CR LF and LF each end a line; blank lines count.
  EXPECT_EQ(ErrorOf(102, Block({}, "\r") + "\r\n\n" + InUse("a", "1 x 3")), NotANumber(13, 102));
  TaskCode = 101;
  std::remove("DataFile.dat");
  try {
    ReadTaskData();
    FAIL() << "no error";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.what(), "File not found: " + std::filesystem::current_path().string() + "/DataFile.dat");
  }
}

TEST_F(DataFile, KeepsTheRecordsReadBeforeAnError) {
  EXPECT_EQ(ErrorOf(101, InUse("a", "1 2 3") + "\r\n" + InUse("b", "4 oops 6")), NotANumber(2, 101));
  EXPECT_EQ(TaskFieldTable[1].Values[2], 3.0);
}

TEST_F(DataFile, AFileThatEndsEarlyGivesEmptyRecords) {
  Read(101, InUse("a", "1 2"));
  EXPECT_EQ(TaskFieldTable[1].Values[1], 2.0);
  EXPECT_EQ(TaskFieldTable[1].Values[2], 0.0);
  for (int i = 2; i <= 10; ++i) EXPECT_EQ(TaskFieldTable[i].Flag, 0);
  // Ctrl+Z ends the data as the end of the file does.
  Read(101, InUse("a", "1 2 3") + "\r\n\x1A" + InUse("b", "4 5 6"));
  EXPECT_EQ(TaskFieldTable[2].Flag, 0);
}

TEST_F(DataFile, AFileThatEndsBeforeTheTasksBlockSaysSo) {
  const std::string none = "В файле DataFile.dat нет данных для задачи ";
  EXPECT_EQ(ErrorOf(103, Block({InUse("a", "1 2 3")})), none + "103");
  EXPECT_EQ(ErrorOf(102, Block({}) + "\r\n  \r\n"), none + "102");
  EXPECT_EQ(ErrorOf(101, ""), none + "101");
  EXPECT_EQ(ErrorOf(101, "\x1A" + Block({InUse("a", "1 2 3")})), none + "101");
  // Text that is not a number is still named as such.
  EXPECT_EQ(ErrorOf(103, Block({}) + "oops"), NotANumber(11, 102));
  // Codes outside the catalogue read empty records as before.
  EXPECT_EQ(ErrorOf(0, ""), "no error");
  EXPECT_EQ(ErrorOf(140, Block({})), "no error");
}

TEST_F(DataFile, CodesOutsideTheFileGiveFlagsWithoutLabels) {
  std::string file;
  for (int b = 1; b <= 30; ++b) file += Block({InUse("x", "1 2 3", b == 30 ? "5" : "1")});
  Read(0, file);
  EXPECT_EQ(TaskFieldTable[1].Flag, 1);
  EXPECT_EQ(TaskFieldTable[1].LabelText, "");
  Read(140, file);
  EXPECT_EQ(TaskFieldTable[1].Flag, 5);
  EXPECT_EQ(TaskFieldTable[1].Values[0], 0.0);
  // Nothing after the wanted block is read: garbage there does no harm.
  Read(101, Block({InUse("x", "1 2 3")}) + "garbage \x01\x02");
  EXPECT_EQ(TaskFieldTable[1].Values[2], 3.0);
}

TEST_F(DataFile, TheDeliveredFileServesEveryTask) {
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  for (int code = 101; code <= 125; ++code) {
    TaskCode = code;
    ASSERT_NO_THROW(ReadTaskData()) << code;
    for (int j = 1; j <= SlotCount(code); ++j) {
      EXPECT_GT(TaskFieldTable[j].Flag, 0) << code << " field " << j;
      EXPECT_EQ(TaskFieldTable[j].LabelText.size(), 17u) << code << " field " << j;
    }
  }
}

TEST_F(DataFile, TheDataFileMustBeARegularFile) {
  for (int kind = 0; kind < 2; ++kind) {
    if (kind == 0)
      ASSERT_EQ(mkfifo("DataFile.dat", 0666), 0);
    else
      ASSERT_EQ(mkdir("DataFile.dat", 0777), 0);
    TaskCode = 101;
    const auto start = std::chrono::steady_clock::now();
    try {
      ReadTaskData();
      ADD_FAILURE() << "read a special file";
    } catch (const InOutError& e) {
      EXPECT_EQ(e.what(), "Cannot open file " + std::filesystem::current_path().string() +
                              "/DataFile.dat: " + (kind == 0 ? "это не обычный файл" : "Is a directory"));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    std::filesystem::remove("DataFile.dat");
  }
  // A link to a data file is read like the file.
  WriteFile("real.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  ASSERT_EQ(symlink("real.dat", "DataFile.dat"), 0);
  TaskCode = 102;
  ReadTaskData();
  EXPECT_GT(TaskFieldTable[5].Flag, 0);
}

TEST_F(DataFile, ASparseDataFileIsReadInAMoment) {
  // The first record's line runs on for 2 GB of NUL bytes.
  WriteFile("DataFile.dat", "0 ");
  ASSERT_EQ(truncate("DataFile.dat", 2LL << 30), 0);
  TaskCode = 101;
  const auto start = std::chrono::steady_clock::now();
  ReadTaskData();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(TaskFieldTable[1].Flag, 0);
  // All NUL bytes: not a number.
  ASSERT_EQ(truncate("DataFile.dat", 0), 0);
  ASSERT_EQ(truncate("DataFile.dat", 2LL << 30), 0);
  try {
    ReadTaskData();
    ADD_FAILURE() << "NUL bytes read as data";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.what(), NotANumber(1, 101));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(DataFile, ALongLineIsSkippedInBlocks) {
  // 64 MB in one line before the second record of block 1.
  std::string bytes(64 << 20, 'a');
  bytes.replace(0, 2, "0 ");
  bytes += "\r\n1 k2              1 2 3\r\n";
  std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
  ASSERT_NE(f, nullptr);
  TaskCode = 101;
  const auto start = std::chrono::steady_clock::now();
  ReadTaskData(f);
  std::fclose(f);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(TaskFieldTable[2].Values[2], 3.0);
}

TEST(DialogNumbers, OfferedValuesHaveFiveDecimalsInEightCharacters) {
  EXPECT_EQ(OfferedValueText(0.5), " 0.50000");
  EXPECT_EQ(OfferedValueText(123.5), "123.50000");
  EXPECT_EQ(OfferedValueText(3e-6), " 0.00000");
  EXPECT_EQ(OfferedValueText(-2), "-2.00000");
}

TEST(DialogNumbers, NumbersConvertToTheirValue) {
  EXPECT_EQ(RunTimeRealValue(" 0.50000"), 0.5);
  EXPECT_EQ(RunTimeRealValue("-1.5e-3"), -0.0015);
  EXPECT_EQ(RunTimeRealValue("+7"), 7.0);
  EXPECT_EQ(RunTimeRealValue(".5"), 0.5);
}

TEST(DialogNumbers, OtherTextsKeepTheDigitsBeforeTheFault) {
  EXPECT_EQ(RunTimeRealValue("2.5 "), 25.0);
  EXPECT_EQ(RunTimeRealValue("2,5"), 2.0);
  EXPECT_EQ(RunTimeRealValue("-3x"), 3.0);
  EXPECT_EQ(RunTimeRealValue(""), 0.0);
  EXPECT_EQ(RunTimeRealValue("ComboBox3"), 0.0);
  EXPECT_EQ(RunTimeRealValue("1e"), 1.0);
}

TEST(DialogNumbers, StrictParsingAcceptsOnlyWholeNumbers) {
  double v = 0;
  EXPECT_TRUE(ParseRealNumber("1.25E+2", v));
  EXPECT_EQ(v, 125.0);
  EXPECT_TRUE(ParseRealNumber("1e-400", v));
  EXPECT_EQ(v, 0.0);
  for (const char* bad : {"", " 1", "1 ", "1,5", "e5", ".", "-", "1e", "1e+", "nan", "inf", "0x10", "1e400"})
    EXPECT_FALSE(ParseRealNumber(bad, v)) << bad;
}

TEST(DialogNumbers, CodesOutsideTheTasksHaveNoSlots) {
  EXPECT_EQ(SlotCount(100), 0);
  EXPECT_EQ(SlotCount(126), 0);
}
