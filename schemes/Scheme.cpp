#include "schemes/Scheme.h"

namespace schemes {

Scheme ParseScheme(std::string_view, const std::string& fileName) {
  throw SchemeError(fileName + ": чтение файлов задач ещё не готово", 0, 0);
}

SchemeRun RunScheme(const Scheme&, const std::vector<double>&) { return {}; }

std::vector<double> ValuesWithDefaults(const Scheme&, const std::vector<double>& given) { return given; }

std::string SchemeChartCsv(const SchemeRun&) { return {}; }
std::string SchemeAnswersCsv(const SchemeRun&) { return {}; }

}  // namespace schemes
