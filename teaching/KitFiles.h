#pragma once
// The teacher's files of a set of variants, made whole in memory: the answer
// keys (answers-CODE.csv), the printable sheets (sheets.html) and a Moodle
// quiz (moodle.xml). Every front end writes or offers these very bytes.

#include <string>
#include <string_view>
#include <vector>

#include "teaching/Variants.h"

namespace teaching {

struct KitFile {
  std::string name;
  std::string bytes;  // UTF-8 text
};

// The files, in this order: answers-CODE.csv by ascending code, then
// answers-NAME.csv of the task files in the order asked for, sheets.html,
// moodle.xml.
std::vector<KitFile> KitFiles(const std::vector<TaskVariants>& tasks, const KitRequest& request);

// DrawVariants, then KitFiles.
std::vector<KitFile> MakeKit(const KitRequest& request, const KitSources& sources);

// Whether `name` is one of the kit's own file names: a front end replaces
// those and nothing else.
bool IsKitFileName(std::string_view name);

}  // namespace teaching
