#include "schemes/Scheme.h"

// The reader's own consistency checks stay checks that do nothing, never
// assumptions an optimising build may rely on: a faulty file reaches some of
// them, and an assumption that does not hold is undefined behaviour.
#pragma push_macro("NDEBUG")
#undef NDEBUG
#define TOML_ASSERT(expr) static_cast<void>(0)
#include <toml++/toml.h>
#pragma pop_macro("NDEBUG")

#include <cmath>
#include <cstring>
#include <set>
#include <stdexcept>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "initial_data/TaskData.h"

namespace schemes {

namespace {

constexpr std::size_t kMaxParameters = 10;

// Where a refusal points: the line and column of a node of the file.
struct Place {
  int line = 0;
  int column = 0;
};

Place PlaceOf(const toml::source_region& region) {
  return {static_cast<int>(region.begin.line), static_cast<int>(region.begin.column)};
}

// The TOML reader (toml++ 3.3) asks of some characters whether they are
// blank and has no answer for three blocks of them, Cyrillic among them:
// its code then runs into an unreachable point, undefined behaviour. So it
// reads the file with each of those characters replaced by one of the
// Private Use Area, which it classifies, and the texts it gives back are
// replaced the other way.
struct Block {
  char32_t first, last, standIn;
};
constexpr Block kUnclassified[] = {{0xA1, 0x499, 0xE000}, {0x2CFE, 0x30F7, 0xE400}, {0xFB26, 0xFEFE, 0xE800}};
constexpr char32_t kStandInsFirst = 0xE000, kStandInsLast = 0xEBFF;

char32_t StandIn(char32_t c) {
  if (c == 0x3000) return c;  // the ideographic space, which it knows
  for (const Block& b : kUnclassified)
    if (c >= b.first && c <= b.last) return b.standIn + (c - b.first);
  return c;
}

char32_t Original(char32_t c) {
  for (const Block& b : kUnclassified)
    if (c >= b.standIn && c <= b.standIn + (b.last - b.first)) return b.first + (c - b.standIn);
  return c;
}

template <char32_t (*Map)(char32_t)>
std::string Mapped(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 2);
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t start = pos;
    const char32_t c = cp1251::NextCodePoint(utf8, pos);
    if (c == 0xFFFD && !(pos - start == 3 && utf8.compare(start, 3, "\xEF\xBF\xBD") == 0))
      out.append(utf8.substr(start, pos - start));  // a malformed byte stays for the reader to refuse
    else
      cp1251::AppendUtf8(out, Map(c));
  }
  return out;
}

class Reader {
 public:
  Reader(std::string_view text, const std::string& fileName) : text_(text), fileName_(fileName) {}

  Scheme Read();

 private:
  [[noreturn]] void Refuse(Place place, const std::string& what) const {
    std::string where = fileName_;
    if (place.line > 0) where += ", строка " + std::to_string(place.line);
    if (place.column > 0) where += ", столбец " + std::to_string(place.column);
    throw SchemeError(where + ": " + Mapped<Original>(what), place.line, place.column);
  }
  [[noreturn]] void Refuse(const toml::node& node, const std::string& what) const {
    Refuse(PlaceOf(node.source()), what);
  }

  // Refuses a letter that is not ASCII outside quotes and comments, the
  // likeliest fault of a Russian file (a text without quotes, a Cyrillic "А"
  // typed for a Latin "A"), in plain words rather than the TOML reader's.
  void CheckLettersOutsideQuotes() const;
  // A text the report prints: it must fit the code page of the reports.
  std::string Text(const toml::node& node, const std::string& key) const;
  int SpeciesIndex(const std::string& name, Place place, const std::string& role) const;
  // A value slot: a number, or the name of a parameter (resolved later).
  Quantity Value(std::string_view text, Place place, const std::string& what);
  Quantity Value(const toml::node& node, const std::string& what);
  void ReadParameters(const toml::node& node);
  void ReadReactions(const toml::node& node);
  std::vector<Term> Side(std::string_view text, Place place);
  void ReadInlet(const toml::node& node);
  void ReadFlow(const toml::node& node);
  void CheckRoles(const toml::table& root);

  std::string_view text_;
  std::string fileName_;
  Scheme scheme_;
  // Parameter names as the slots name them, with where they stand, until
  // the parameters are read and the names become indices.
  struct PendingName {
    Quantity* slot;
    std::string name;
    Place place;
  };
  std::vector<PendingName> pending_;
  std::vector<std::vector<PendingName>> reactionNames_;
};

bool IsLatinCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLatinLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSpeciesName(std::string_view s) {
  if (s.empty() || !IsLatinCapital(s[0])) return false;
  for (char c : s.substr(1))
    if (!IsLatinLetter(c) && !IsDigit(c)) return false;
  return true;
}

bool IsParameterName(std::string_view s) {
  if (s.empty() || !IsLatinLetter(s[0])) return false;
  for (char c : s.substr(1))
    if (!IsLatinLetter(c) && !IsDigit(c) && c != '_') return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Quoted(std::string_view s) { return "«" + std::string(s) + "»"; }

std::string Reader::Text(const toml::node& node, const std::string& key) const {
  const auto* s = node.as_string();
  if (!s) Refuse(node, "значение " + key + " должно быть строкой в кавычках");
  const std::string text = Mapped<Original>(s->get());
  std::string bytes;
  char32_t bad = 0;
  if (!cp1251::FromUtf8(text, bytes, &bad)) {
    std::string shown;
    cp1251::AppendUtf8(shown, bad);
    Refuse(node,
           "символ " + Quoted(shown) + " в " + key + " нельзя записать в отчет (кодировка Windows-1251)");
  }
  return text;
}

int Reader::SpeciesIndex(const std::string& name, Place place, const std::string& role) const {
  for (std::size_t i = 0; i < scheme_.species.size(); ++i)
    if (scheme_.species[i] == name) return static_cast<int>(i);
  Refuse(place, role + " " + Quoted(name) + " не встречается ни в одной реакции");
}

Quantity Reader::Value(std::string_view text, Place place, const std::string& what) {
  text = Trim(text);
  Quantity q;
  if (IsParameterName(text)) {
    q.parameter = 0;  // resolved once the parameters are read
    pending_.push_back({nullptr, std::string(text), place});
    return q;
  }
  double v = 0;
  if (!ParseTypedNumber(text, v)) Refuse(place, what + ": " + Quoted(text) + " не число и не имя параметра");
  if (v < 0) Refuse(place, what + ": отрицательное значение " + Quoted(text));
  q.number = v;
  return q;
}

Quantity Reader::Value(const toml::node& node, const std::string& what) {
  const Place place = PlaceOf(node.source());
  if (const auto* s = node.as_string()) return Value(s->get(), place, what);
  double v = 0;
  if (const auto* i = node.as_integer())
    v = static_cast<double>(i->get());
  else if (const auto* f = node.as_floating_point())
    v = f->get();
  else
    Refuse(place, what + ": нужно число или имя параметра в кавычках");
  if (!std::isfinite(v)) Refuse(place, what + ": значение не конечно");
  if (v < 0) Refuse(place, what + ": отрицательное значение " + ShortestText(v));
  Quantity q;
  q.number = v;
  return q;
}

std::vector<Term> Reader::Side(std::string_view text, Place place) {
  std::vector<Term> terms;
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = text.find('+', start);
    std::string_view part = Trim(text.substr(start, plus == std::string_view::npos ? plus : plus - start));
    if (part.empty()) Refuse(place, "в реакции пропущено вещество (у знака «+», «->» или «<=>»)");
    Term term;
    std::size_t digits = 0;
    while (digits < part.size() && IsDigit(part[digits])) ++digits;
    if (digits > 0) {
      if (digits > 3) Refuse(place, "слишком большой коэффициент " + Quoted(part.substr(0, digits)));
      term.coefficient = std::stoi(std::string(part.substr(0, digits)));
      if (term.coefficient == 0) Refuse(place, "нулевой коэффициент у " + Quoted(part));
    }
    const std::string_view name = Trim(part.substr(digits));
    if (!IsSpeciesName(name))
      Refuse(place, Quoted(part) +
                        " — не вещество: имя вещества начинается с латинской заглавной буквы, за ней буквы "
                        "или цифры; коэффициент — целое число перед ним");
    std::size_t index = 0;
    while (index < scheme_.species.size() && scheme_.species[index] != name) ++index;
    if (index == scheme_.species.size()) scheme_.species.emplace_back(name);
    term.species = static_cast<int>(index);
    for (const Term& other : terms)
      if (other.species == term.species)
        Refuse(place, "вещество " + Quoted(name) + " указано дважды в одной части реакции; запишите " +
                          "коэффициент (2" + std::string(name) + ")");
    terms.push_back(term);
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  return terms;
}

void Reader::ReadReactions(const toml::node& node) {
  const auto* list = node.as_array();
  if (!list || list->empty())
    Refuse(node, "reactions — список реакций в квадратных скобках, например [\"A -> R : k1\"]");
  for (const toml::node& item : *list) {
    const Place place = PlaceOf(item.source());
    const auto* s = item.as_string();
    if (!s) Refuse(place, "реакция записывается строкой в кавычках, например \"A -> R : k1\"");
    const std::string_view text = s->get();
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos)
      Refuse(place, "в реакции " + Quoted(text) + " нужно одно двоеточие перед константой скорости");
    const std::string_view equation = text.substr(0, colon);
    Reaction r;
    r.text = std::string(Trim(text));
    std::size_t arrow = equation.find("<=>");
    std::size_t arrowLength = 3;
    r.reversible = arrow != std::string_view::npos;
    if (!r.reversible) {
      arrow = equation.find("->");
      arrowLength = 2;
    }
    if (arrow == std::string_view::npos || equation.find("->", arrow + arrowLength) != std::string_view::npos)
      Refuse(place, "в реакции " + Quoted(text) + " нужна одна стрелка «->» или «<=>»");
    r.left = Side(equation.substr(0, arrow), place);
    r.right = Side(equation.substr(arrow + arrowLength), place);
    const std::string_view constants = text.substr(colon + 1);
    const std::size_t comma = constants.find(',');
    pending_.clear();
    if (r.reversible) {
      if (comma == std::string_view::npos || constants.find(',', comma + 1) != std::string_view::npos)
        Refuse(place, "у обратимой реакции две константы через запятую: «: kf, kb»");
      r.forward = Value(constants.substr(0, comma), place, "константа скорости");
      r.backward = Value(constants.substr(comma + 1), place, "константа скорости");
    } else {
      if (comma != std::string_view::npos)
        Refuse(place, "у необратимой реакции одна константа; обратимая записывается через «<=>»");
      r.forward = Value(constants, place, "константа скорости");
    }
    reactionNames_.push_back(pending_);
    pending_.clear();
    scheme_.reactions.push_back(r);
  }
}

void Reader::ReadParameters(const toml::node& node) {
  const auto* list = node.as_array();
  if (!list) Refuse(node, "параметры записываются таблицами [[parameter]]");
  for (const toml::node& item : *list) {
    const auto* table = item.as_table();
    if (!table) Refuse(item, "параметры записываются таблицами [[parameter]]");
    Parameter p;
    const toml::node* name = nullptr;
    const toml::node* offered = nullptr;
    for (auto&& [key, value] : *table) {
      if (key.str() == "name") {
        name = &value;
      } else if (key.str() == "label") {
        p.label = Text(value, "label");
      } else if (key.str() == "offered") {
        offered = &value;
      } else {
        Refuse(PlaceOf(key.source()),
               "неизвестный ключ " + Quoted(key.str()) + " в [[parameter]] (есть name, label, offered)");
      }
    }
    if (!name) Refuse(item, "у параметра нет имени (name = \"k1\")");
    const auto* nameText = name->as_string();
    if (!nameText || !IsParameterName(nameText->get()))
      Refuse(*name, "имя параметра — латинская буква, за ней буквы, цифры или «_»");
    p.name = nameText->get();
    for (const Parameter& other : scheme_.parameters)
      if (other.name == p.name) Refuse(*name, "параметр " + Quoted(p.name) + " определен дважды");
    if (scheme_.parameters.size() == kMaxParameters)
      Refuse(item, "параметров больше " + std::to_string(kMaxParameters) + " (окно данных вмещает 10 полей)");
    if (p.label.empty()) p.label = p.name;
    const auto* values = offered ? offered->as_array() : nullptr;
    if (!values || values->size() != 3)
      Refuse(offered ? *offered : item,
             "у параметра " + Quoted(p.name) + " нужны три предлагаемых значения: offered = [1, 0.5, 2]");
    for (const toml::node& v : *values) {
      double x = 0;
      if (const auto* i = v.as_integer())
        x = static_cast<double>(i->get());
      else if (const auto* f = v.as_floating_point())
        x = f->get();
      else
        Refuse(v, "предлагаемое значение параметра " + Quoted(p.name) + " не число");
      if (!std::isfinite(x) || x < 0)
        Refuse(v, "предлагаемое значение параметра " + Quoted(p.name) + " отрицательно или не конечно");
      p.offered.push_back(x);
      p.offeredTexts.push_back(ShortestText(x));
    }
    scheme_.parameters.push_back(p);
  }
}

void Reader::ReadInlet(const toml::node& node) {
  const auto* table = node.as_table();
  if (!table) Refuse(node, "[inlet] — таблица концентраций на входе");
  for (auto&& [key, value] : *table) {
    const Place place = PlaceOf(key.source());
    const std::string name(key.str());
    if (!IsSpeciesName(name)) Refuse(place, Quoted(name) + " — не имя вещества");
    const int i = SpeciesIndex(name, place, "вещество");
    pending_.clear();
    scheme_.inlet[static_cast<std::size_t>(i)] = Value(value, "концентрация " + name + " на входе");
    for (PendingName& n : pending_) n.slot = &scheme_.inlet[static_cast<std::size_t>(i)];
    reactionNames_.push_back(pending_);
  }
  pending_.clear();
}

void Reader::ReadFlow(const toml::node& node) {
  const auto* table = node.as_table();
  if (!table) Refuse(node, "[flow] — таблица с одним ключом feed или volume");
  for (auto&& [key, value] : *table) {
    const Place place = PlaceOf(key.source());
    if (key.str() != "feed" && key.str() != "volume")
      Refuse(place, "неизвестный ключ " + Quoted(key.str()) + " в [flow] (есть feed или volume)");
    if (scheme_.flow != Flow::None) Refuse(place, "в [flow] задается одно: feed или volume");
    scheme_.flow = key.str() == "feed" ? Flow::Feed : Flow::Volume;
    pending_.clear();
    scheme_.flowValue = Value(value, key.str() == "feed" ? "расход" : "объем");
    for (PendingName& n : pending_) n.slot = &scheme_.flowValue;
    reactionNames_.push_back(pending_);
  }
  pending_.clear();
}

// Net coefficient of species i in reaction r: formed > 0, consumed < 0.
int Net(const Reaction& r, int i) {
  int net = 0;
  for (const Term& t : r.right)
    if (t.species == i) net += t.coefficient;
  for (const Term& t : r.left)
    if (t.species == i) net -= t.coefficient;
  return net;
}

void Reader::CheckLettersOutsideQuotes() const {
  enum class In { Plain, Comment, Basic, Literal, LongBasic, LongLiteral };
  In in = In::Plain;
  int line = 1, column = 0;
  std::size_t pos = text_.size() >= 3 && text_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  auto refuse = [&](std::size_t at, const std::string& why) {
    std::size_t next = at;
    std::string shown;
    cp1251::AppendUtf8(shown, cp1251::NextCodePoint(text_, next));
    Refuse(Place{line, column + 1}, "символ " + Quoted(shown) + why);
  };
  auto starts = [&](const char* what) { return text_.compare(pos, std::strlen(what), what) == 0; };
  while (pos < text_.size()) {
    const unsigned char c = static_cast<unsigned char>(text_[pos]);
    if (c == '\n') {
      ++line;
      column = 0;
      if (in == In::Comment || in == In::Basic || in == In::Literal) in = In::Plain;
      ++pos;
      continue;
    }
    if (c >= 0x80) {
      std::size_t next = pos;
      const char32_t u = cp1251::NextCodePoint(text_, next);
      if (u >= kStandInsFirst && u <= kStandInsLast)
        refuse(pos, " нельзя записать в отчет (кодировка Windows-1251)");
    }
    if (c >= 0x80 && in == In::Plain)
      refuse(pos, " вне кавычек: текст пишется в кавычках, имена веществ и параметров — латинскими буквами");
    std::size_t step = 1;
    switch (in) {
      case In::Plain:
        if (c == '#') in = In::Comment;
        if (starts("\"\"\""))
          in = In::LongBasic, step = 3;
        else if (starts("\'\'\'"))
          in = In::LongLiteral, step = 3;
        else if (c == '"')
          in = In::Basic;
        else if (c == '\'')
          in = In::Literal;
        break;
      case In::Comment: break;
      case In::Basic:
        if (c == '\\')
          step = 2;
        else if (c == '"')
          in = In::Plain;
        break;
      case In::Literal:
        if (c == '\'') in = In::Plain;
        break;
      case In::LongBasic:
        if (c == '\\') {
          step = 2;
        } else if (starts("\"\"\"")) {
          in = In::Plain;
          step = 3;
          while (pos + step < text_.size() && text_[pos + step] == '"') ++step;
        }
        break;
      case In::LongLiteral:
        if (starts("\'\'\'")) {
          in = In::Plain;
          step = 3;
          while (pos + step < text_.size() && text_[pos + step] == '\'') ++step;
        }
        break;
    }
    for (std::size_t i = 0; i < step && pos < text_.size(); ++i) {
      if ((static_cast<unsigned char>(text_[pos]) & 0xC0) != 0x80) ++column;
      if (text_[pos] == '\n') break;
      ++pos;
    }
  }
}

Scheme Reader::Read() {
  CheckLettersOutsideQuotes();
  toml::table root;
  try {
    root = toml::parse(Mapped<StandIn>(text_), fileName_);
  } catch (const toml::parse_error& e) {
    Refuse(PlaceOf(e.source()), "нарушена запись TOML (" + std::string(e.description()) + ")");
  }
  scheme_.fileName = fileName_;
  const toml::node* reactor = nullptr;
  const toml::node* key = nullptr;
  const toml::node* target = nullptr;
  const toml::node* reactions = nullptr;
  const toml::node* inlet = nullptr;
  const toml::node* flow = nullptr;
  const toml::node* parameters = nullptr;
  bool haveTitle = false;
  for (auto&& [name, value] : root) {
    const std::string_view k = name.str();
    if (k == "title") {
      scheme_.title = Text(value, "title");
      haveTitle = true;
    } else if (k == "statement") {
      scheme_.statement = Text(value, "statement");
    } else if (k == "reactor") {
      reactor = &value;
    } else if (k == "key") {
      key = &value;
    } else if (k == "target") {
      target = &value;
    } else if (k == "reactions") {
      reactions = &value;
    } else if (k == "inlet") {
      inlet = &value;
    } else if (k == "flow") {
      flow = &value;
    } else if (k == "parameter") {
      parameters = &value;
    } else {
      Refuse(PlaceOf(name.source()),
             "неизвестный ключ " + Quoted(k) +
                 " (есть title, statement, reactor, key, target, reactions, [inlet], [flow], [[parameter]])");
    }
  }
  const Place top{1, 0};
  if (!haveTitle) Refuse(top, "нет названия задачи: title = \"...\"");
  if (!reactor) Refuse(top, "нет типа реактора: reactor = \"plug-flow\" или \"stirred-tank\"");
  if (!reactions) Refuse(top, "нет схемы реакций: reactions = [\"A -> R : k1\", ...]");
  if (!key) Refuse(top, "нет ключевого реагента: key = \"A\"");
  if (!target) Refuse(top, "нет целевого продукта: target = \"R\"");
  if (!inlet) Refuse(top, "нет концентраций на входе: таблица [inlet]");

  const auto* reactorText = reactor->as_string();
  if (reactorText && reactorText->get() == "plug-flow")
    scheme_.reactor = Reactor::PlugFlow;
  else if (reactorText && reactorText->get() == "stirred-tank")
    scheme_.reactor = Reactor::StirredTank;
  else
    Refuse(*reactor, "reactor — \"plug-flow\" (вытеснение) или \"stirred-tank\" (смешение)");

  ReadReactions(*reactions);
  // Each reaction's names go to its constants, in the order they were read.
  for (std::size_t r = 0; r < scheme_.reactions.size(); ++r) {
    std::vector<PendingName>& names = reactionNames_[r];
    std::size_t next = 0;
    for (Quantity* q : {&scheme_.reactions[r].forward, &scheme_.reactions[r].backward}) {
      if (q->parameter < 0 || next >= names.size()) continue;
      if (q == &scheme_.reactions[r].backward && !scheme_.reactions[r].reversible) continue;
      names[next++].slot = q;
    }
  }
  scheme_.inlet.assign(scheme_.species.size(), Quantity{});
  ReadInlet(*inlet);
  if (flow) ReadFlow(*flow);
  if (parameters) ReadParameters(*parameters);

  std::vector<bool> used(scheme_.parameters.size(), false);
  for (const auto& names : reactionNames_)
    for (const PendingName& n : names) {
      std::size_t p = 0;
      while (p < scheme_.parameters.size() && scheme_.parameters[p].name != n.name) ++p;
      if (p == scheme_.parameters.size())
        Refuse(n.place, "параметр " + Quoted(n.name) + " не определен: добавьте [[parameter]] с name = \"" +
                            n.name + "\"");
      n.slot->parameter = static_cast<int>(p);
      used[p] = true;
    }
  if (parameters)
    for (std::size_t p = 0; p < used.size(); ++p)
      if (!used[p])
        Refuse(PlaceOf((*parameters->as_array())[p].source()),
               "параметр " + Quoted(scheme_.parameters[p].name) + " нигде не используется");
  CheckRoles(root);
  return scheme_;
}

void Reader::CheckRoles(const toml::table& root) {
  const toml::node& key = *root.get("key");
  const toml::node& target = *root.get("target");
  const auto* keyText = key.as_string();
  const auto* targetText = target.as_string();
  if (!keyText) Refuse(key, "key — имя вещества в кавычках");
  if (!targetText) Refuse(target, "target — имя вещества в кавычках");
  scheme_.key = SpeciesIndex(keyText->get(), PlaceOf(key.source()), "ключевой реагент");
  scheme_.target = SpeciesIndex(targetText->get(), PlaceOf(target.source()), "целевой продукт");
  if (scheme_.key == scheme_.target) Refuse(target, "целевой продукт не может быть ключевым реагентом");
  bool consumed = false, formed = false;
  for (const Reaction& r : scheme_.reactions) {
    const int k = Net(r, scheme_.key), t = Net(r, scheme_.target);
    consumed = consumed || k < 0 || (r.reversible && k != 0);
    formed = formed || t > 0 || (r.reversible && t != 0);
  }
  if (!consumed)
    Refuse(key, "ключевой реагент " + Quoted(keyText->get()) + " не расходуется ни в одной реакции");
  if (!formed)
    Refuse(target, "целевой продукт " + Quoted(targetText->get()) + " не образуется ни в одной реакции");
  const Quantity& fed = scheme_.inlet[static_cast<std::size_t>(scheme_.key)];
  if (fed.parameter < 0 && !(fed.number > 0)) {
    const toml::node* given = root["inlet"][keyText->get()].node();
    Refuse(given ? *given : key, "ключевой реагент " + Quoted(keyText->get()) +
                                     " не подается на вход: задайте его концентрацию в [inlet]");
  }
}

}  // namespace

Scheme ParseScheme(std::string_view utf8, const std::string& fileName) {
  Reader reader(utf8, fileName);
  return reader.Read();
}

std::vector<double> ValuesWithDefaults(const Scheme& scheme, const std::vector<double>& given) {
  if (given.size() > scheme.parameters.size())
    throw std::invalid_argument("задача " + scheme.fileName + " принимает " +
                                std::to_string(scheme.parameters.size()) + " значений, дано " +
                                std::to_string(given.size()));
  std::vector<double> values = given;
  for (std::size_t i = given.size(); i < scheme.parameters.size(); ++i)
    values.push_back(scheme.parameters[i].offered[0]);
  return values;
}

}  // namespace schemes
