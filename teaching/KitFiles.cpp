#include "KitFiles.h"

#include "base/Cp1251.h"
#include "solvers/Report.h"

namespace teaching {

namespace {

// Text for HTML or XML: markup characters escaped, control characters that
// XML cannot hold made blanks, malformed UTF-8 replaced. `braces` also escapes
// { and }, which a Moodle cloze question would take for the start of a field.
std::string Escaped(std::string_view text, bool braces = false) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = cp1251::NextCodePoint(text, pos);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '{': out += braces ? "&#123;" : "{"; break;
      case '}': out += braces ? "&#125;" : "}"; break;
      default:
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0xFFFE || c == 0xFFFF)
          out += ' ';
        else
          cp1251::AppendUtf8(out, c);
    }
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos) lines.pop_back();
  return lines;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsHeading(const std::string& line) { return !line.empty() && line[0] != ' ' && line[0] != '\t'; }

// What a sheet shows of a statement: the part before its data section (title,
// scheme, conditions, what is required), and the data section's notes on the
// symbols. A statement without the usual headings is shown whole.
struct StatementParts {
  std::string title, body, notes;
};

StatementParts Parts(const std::string& statement) {
  std::vector<std::string> lines = Lines(statement);
  StatementParts parts;
  std::size_t i = 0;
  if (!lines.empty() && StartsWith(lines[0], "Задача")) i = 1;  // the sheet's own heading says it
  std::vector<std::string> body, notes;
  for (; i < lines.size() && !StartsWith(lines[i], "Исходные данные"); ++i) body.push_back(lines[i]);
  if (i < lines.size())
    for (++i; i < lines.size() && !IsHeading(lines[i]); ++i) notes.push_back(lines[i]);
  for (auto* part : {&body, &notes}) {
    while (!part->empty() && part->back().find_first_not_of(" \t") == std::string::npos) part->pop_back();
    while (!part->empty() && part->front().find_first_not_of(" \t") == std::string::npos)
      part->erase(part->begin());
  }
  if (!body.empty() && IsHeading(body.front())) {
    parts.title = body.front();
    body.erase(body.begin());
    while (!body.empty() && body.front().find_first_not_of(" \t") == std::string::npos)
      body.erase(body.begin());
  }
  for (const std::string& line : body) parts.body += line + "\n";
  for (const std::string& line : notes) parts.notes += line + "\n";
  return parts;
}

// A label as every file of the kit shows it: a control character, which a
// sheet cannot show and a quiz's XML cannot hold, is a blank in the answer key
// as well, so that a column of the key reads as the field on the sheet and no
// terminal or spreadsheet acts on it; blanks around the label dropped.
std::string LabelText(std::string_view label) {
  std::string out;
  for (std::size_t pos = 0; pos < label.size();) {
    const char32_t c = cp1251::NextCodePoint(label, pos);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
      out += ' ';
    else
      cp1251::AppendUtf8(out, c);
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// A label as a cell of the answer key. A spreadsheet runs a cell that begins
// with =, +, - or @ as a formula; a leading apostrophe is how it is told to
// take the cell as text, and the quotes keep the apostrophe inside the field.
std::string CsvLabel(std::string_view label) {
  const std::string text = LabelText(label);
  if (text.empty() || std::string_view("=+-@").find(text[0]) == std::string_view::npos) return CsvField(text);
  const std::string field = CsvField("'" + text);
  return field[0] == '"' ? field : '"' + field + '"';
}

// What a student is asked for a quantity: the solver's question, or its label
// for a quantity stated without one.
const std::string& QuestionOf(const OptimumQuantity& q) { return q.question.empty() ? q.label : q.question; }

// The symbol a question asks for, which the key names the answer by as the
// sheet asks it: the question's last part that begins with a Latin letter
// (a unit begins with a Russian one); the label where there is none.
std::string SymbolOf(const OptimumQuantity& q) {
  for (std::size_t end = q.question.size(); end > 0;) {
    const std::size_t comma = q.question.rfind(", ", end - 1);
    if (comma == std::string::npos) break;
    const std::string part = q.question.substr(comma + 2, end - comma - 2);
    if (!part.empty() && ((part[0] >= 'A' && part[0] <= 'Z') || (part[0] >= 'a' && part[0] <= 'z')))
      return part;
    end = comma;
  }
  return q.label;
}

// "101" for a built-in task, "dimer-tank" for a task file.
std::string TaskId(const TaskVariants& task) { return task.code ? std::to_string(task.code) : task.name; }

// The accepted answers of a cloze field: the printed value within its
// tolerance first (the one the quiz shows as right), and, where the exact
// value widens what is accepted, the whole range as a second answer.
std::string ClozeAnswer(const OptimumQuantity& q, const std::optional<double>& exact,
                        const std::string& tolerance) {
  const Acceptance accepted = AcceptanceOf(q.value, exact, tolerance);
  std::string field = "{1:NUMERICAL:=" + q.value + ":" + accepted.tolerance;
  if (accepted.widened) {
    Decimal low, high;
    ParseDecimal(accepted.low, low);
    ParseDecimal(accepted.high, high);
    const Decimal half = FromDigits("5", -1);
    field += "~%100%" + PlainText(Multiply(Add(low, high), half)) + ":" +
             PlainText(Multiply(Subtract(high, low), half));
  }
  return field + "}";
}

std::string Padded(int number, int count) {
  std::string text = std::to_string(number);
  const std::size_t width = std::to_string(count).size();
  return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

std::string AnswersCsv(const TaskVariants& task) {
  std::string csv = "variant";
  for (const DrawnField& field : task.fields) csv += "," + CsvLabel(field.label);
  if (!task.variants.empty())
    for (const OptimumQuantity& q : task.variants.front().answers) csv += "," + CsvLabel(q.label);
  if (!task.variants.empty() && task.variants.front().study)
    csv += "," + CsvLabel(task.variants.front().study->heading);
  csv += "\n";
  for (const Variant& v : task.variants) {
    csv += std::to_string(v.number);
    for (const std::string& value : v.data) csv += "," + CsvField(value);
    for (const OptimumQuantity& q : v.answers) csv += "," + CsvField(q.value);
    if (v.study) csv += "," + CsvField(v.study->answer.value);
    csv += "\n";
  }
  return csv;
}

std::string DataTable(const TaskVariants& task, const Variant& v, bool braces) {
  std::string html = "<table class=\"data\"><tr><th>Величина</th><th>Значение</th></tr>\n";
  for (std::size_t j = 0; j < task.fields.size(); ++j)
    html += "<tr><td>" + Escaped(LabelText(task.fields[j].label), braces) + "</td><td class=\"num\">" +
            v.data[j] + "</td></tr>\n";
  return html + "</table>\n";
}

constexpr const char* kSheetStyle =
    "@page { size: A4; margin: 14mm 14mm 14mm 18mm; }\n"
    "body { margin: 0; font: 10pt/1.3 \"DejaVu Sans\", \"Liberation Sans\", Arial, sans-serif; color: #000; "
    "}\n"
    ".sheet { break-after: page; page-break-after: always; }\n"
    ".sheet:last-child { break-after: auto; page-break-after: auto; }\n"
    "header { display: flex; justify-content: space-between; align-items: baseline;"
    " border-bottom: 1.5pt solid #000; padding-bottom: 1mm; margin-bottom: 3mm; }\n"
    "header .variant { font-size: 14pt; font-weight: bold; }\n"
    "header .student { min-width: 70mm; border-bottom: 0.5pt solid #000; }\n"
    "h1 { font-size: 12pt; margin: 0 0 2mm; }\n"
    "h2 { font-size: 11pt; margin: 3mm 0 1.5mm; }\n"
    "pre { margin: 0; font: 9pt/1.25 \"DejaVu Sans Mono\", \"Liberation Mono\", monospace; white-space: "
    "pre-wrap; }\n"
    "table { border-collapse: collapse; margin-top: 1.5mm; }\n"
    "td, th { border: 0.5pt solid #000; padding: 0.8mm 2.5mm; text-align: left; }\n"
    "td.num { font-family: \"DejaVu Sans Mono\", \"Liberation Mono\", monospace; text-align: right; }\n"
    "table.find td { border: none; padding: 1.6mm 2mm 0.4mm 0; vertical-align: bottom; }\n"
    "table.find { width: 100%; font-size: 9pt; }\n"
    "table.find td.blank { width: 30mm; border-bottom: 0.5pt solid #000; }\n"
    ".key { margin-top: 4mm; border-top: 0.5pt dashed #000; padding-top: 1mm; }\n"
    ".key span { display: inline-block; margin-right: 6mm; }\n"
    "@media screen { body { max-width: 182mm; margin: 6mm auto; }"
    " .sheet { margin-bottom: 10mm; padding-bottom: 6mm; border-bottom: 2px dashed #999; } }\n";

std::string Sheets(const std::vector<TaskVariants>& tasks, const KitRequest& request) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>ReactOpt: варианты "
      "заданий, зерно " +
      std::to_string(request.seed) + "</title>\n<style>\n" + kSheetStyle + "</style>\n</head>\n<body>\n";
  for (const TaskVariants& task : tasks) {
    const StatementParts parts = Parts(task.statement);
    for (const Variant& v : task.variants) {
      html += "<section class=\"sheet\">\n<header><span class=\"variant\">Вариант " +
              std::to_string(v.number) + "</span><span>Задача " + TaskId(task) +
              "</span><span class=\"student\">Фамилия, группа:</span></header>\n";
      if (!parts.title.empty()) html += "<h1>" + Escaped(parts.title) + "</h1>\n";
      if (!parts.body.empty()) html += "<pre>" + Escaped(parts.body) + "</pre>\n";
      html += "<h2>Исходные данные</h2>\n";
      if (!parts.notes.empty()) html += "<pre>" + Escaped(parts.notes) + "</pre>\n";
      html += DataTable(task, v, false);
      html += "<h2>Найти</h2>\n<table class=\"find\">\n";
      for (const OptimumQuantity& q : v.answers)
        html += "<tr><td>" + Escaped(QuestionOf(q)) + "</td><td class=\"blank\"></td></tr>\n";
      if (v.study)
        html +=
            "<tr class=\"study\"><td>" + Escaped(v.study->question) + "</td><td class=\"blank\"></td></tr>\n";
      html += "</table>\n";
      if (request.key) {
        html += "<div class=\"key\"><b>Ответы:</b> ";
        for (const OptimumQuantity& q : v.answers)
          html += "<span>" + Escaped(SymbolOf(q)) + " = " + Escaped(q.value) + "</span>";
        if (v.study)
          html += "<span>" + Escaped(SymbolOf(v.study->answer)) + " при " + Escaped(v.study->change) + " = " +
                  Escaped(v.study->answer.value) + "</span>";
        html += "</div>\n";
      }
      html += "</section>\n";
    }
  }
  return html + "</body>\n</html>\n";
}

// A question's text is HTML inside XML: escaped once for HTML here, and once
// more for XML by the caller.
std::string ClozeText(const TaskVariants& task, const StatementParts& parts, const Variant& v,
                      const std::string& tolerance) {
  std::string html;
  if (!parts.title.empty()) html += "<p><b>" + Escaped(parts.title, true) + "</b></p>\n";
  if (!parts.body.empty()) html += "<pre>" + Escaped(parts.body, true) + "</pre>\n";
  html += "<p><b>Исходные данные</b></p>\n";
  if (!parts.notes.empty()) html += "<pre>" + Escaped(parts.notes, true) + "</pre>\n";
  html += DataTable(task, v, true);
  html += "<p><b>Найти</b> (дробную часть отделяйте точкой)</p>\n";
  for (std::size_t i = 0; i < v.answers.size(); ++i)
    html += "<p>" + Escaped(QuestionOf(v.answers[i]), true) + " " +
            ClozeAnswer(v.answers[i], i < v.exact.size() ? v.exact[i] : std::nullopt, tolerance) + "</p>\n";
  if (v.study)
    html += "<p>" + Escaped(v.study->question, true) + " " +
            ClozeAnswer(v.study->answer, v.study->exact, tolerance) + "</p>\n";
  return html;
}

std::string MoodleXml(const std::vector<TaskVariants>& tasks, const KitRequest& request) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n";
  for (const TaskVariants& task : tasks) {
    const StatementParts parts = Parts(task.statement);
    const std::string name = "Задача " + TaskId(task);
    xml += "  <question type=\"category\">\n    <category><text>$course$/top/ReactOpt/" + name +
           "</text></category>\n  </question>\n";
    for (const Variant& v : task.variants) {
      xml += "  <question type=\"cloze\">\n    <name><text>" + name + ", вариант " +
             Padded(v.number, request.count) + "</text></name>\n    <questiontext format=\"html\"><text>" +
             Escaped(ClozeText(task, parts, v, request.tolerance)) +
             "</text></questiontext>\n    <generalfeedback format=\"html\"><text></text></generalfeedback>\n"
             "    <penalty>0.3333333</penalty>\n    <hidden>0</hidden>\n  </question>\n";
    }
  }
  return xml + "</quiz>\n";
}

}  // namespace

std::vector<KitFile> KitFiles(const std::vector<TaskVariants>& tasks, const KitRequest& request) {
  std::vector<KitFile> files;
  for (const TaskVariants& task : tasks)
    files.push_back({"answers-" + TaskId(task) + ".csv", AnswersCsv(task)});
  files.push_back({"sheets.html", Sheets(tasks, request)});
  files.push_back({"moodle.xml", MoodleXml(tasks, request)});
  return files;
}

std::vector<KitFile> MakeKit(const KitRequest& request, const KitSources& sources) {
  return KitFiles(DrawVariants(request, sources), request);
}

bool IsKitFileName(std::string_view name) {
  if (name == "sheets.html" || name == "moodle.xml") return true;
  // answers-CODE.csv, or answers-NAME.csv of a task file.
  if (name.size() < 13 || name.substr(0, 8) != "answers-" || name.substr(name.size() - 4) != ".csv")
    return false;
  const std::string_view id = name.substr(8, name.size() - 12);
  if (id.find_first_not_of("0123456789") == std::string_view::npos) return id.size() == 3;
  return SchemeStem(std::string(id) + ".toml") == id;
}

}  // namespace teaching
