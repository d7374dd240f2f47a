// The takeoff sheet (積算): one row per parts-table entry and the lengths
// added up per system and per system, material and nominal size.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <tuple>

#include "app/app_error.h"
#include "app/number_text.h"
#include "app/report.h"
#include "report_sort.h"

namespace plendra {
namespace {

constexpr std::size_t kMaxTotalDecimals = 6;

std::u16string Trimmed(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u" \t") - first + 1));
}

// A written length as a number, as the check reads it: a decimal text within
// the single-precision range Plendra writes lengths in. Anything else
// ("百", "1e999", "nan") is an unreadable length, counted but never added, so
// that a total is always a finite number.
std::optional<double> LengthValue(std::u16string_view length) {
  const std::optional<double> value = ReadDecimal(length);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  try {
    DoubleToSingle(*value);
  } catch (const AppError&) {
    return std::nullopt;
  }
  return value;
}

// Adds lengths as written. Lengths are single-precision number texts (at most
// seven significant digits), so a double sum shown with as many decimals as
// the most precise length is exact for any drawing's worth of them.
class Total {
 public:
  void Add(std::u16string_view length) {
    ++count_;
    const std::optional<double> value = LengthValue(length);
    if (!value) return;
    sum_ += *value;
    const std::u16string text = Trimmed(length);
    const std::size_t point = text.find(u'.');
    if (text.find_first_of(u"Ee") != std::u16string::npos)
      decimals_ = kMaxTotalDecimals;
    else if (point != std::u16string::npos)
      decimals_ = std::max(decimals_, std::min(kMaxTotalDecimals, text.size() - point - 1));
  }

  std::u16string Count() const { return IntegerText(count_); }

  std::u16string Sum() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(decimals_), sum_);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
      text.erase(text.find_last_not_of('0') + 1);
      if (text.ends_with('.')) text.pop_back();
    }
    if (text == "-0") text = "0";
    return std::u16string(text.begin(), text.end());
  }

 private:
  std::int64_t count_ = 0;
  double sum_ = 0;
  std::size_t decimals_ = 0;
};

bool NeedsQuotes(std::u16string_view field) {
  return field.find_first_of(u",\"\r\n") != std::u16string_view::npos;
}

// A number as a spreadsheet reads one: an optional sign, digits with an
// optional fraction, an optional exponent, and nothing else.
bool IsPlainNumber(std::u16string_view field) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < field.size() && field[i] >= u'0' && field[i] <= u'9') ++i;
    return i - start;
  };
  if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) ++i;
  std::size_t mantissa = digits();
  if (i < field.size() && field[i] == u'.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < field.size() && (field[i] == u'e' || field[i] == u'E')) {
    ++i;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) ++i;
    if (digits() == 0) return false;
  }
  return i == field.size();
}

// A text that Excel would take as a formula when it opens the sheet
// ("=cmd|'/c calc'!A1", "@SUM(A1)", "+1+1"), or that it would strip down to
// one (a leading tab or CR). A negative or signed number ("-400") stays a
// number.
bool OpensAsFormula(std::u16string_view field) {
  if (field.empty()) return false;
  switch (field.front()) {
    case u'=':
    case u'@':
    case u'\t':
    case u'\r':
      return true;
    case u'+':
    case u'-':
      return !IsPlainNumber(field);
    default:
      return false;
  }
}

}  // namespace

std::vector<std::vector<std::u16string>> TakeoffRows(const ReportDrawing& drawing,
                                                     const std::vector<std::u16string>& sheet_names) {
  std::vector<std::size_t> order(drawing.entries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return OrderOf(drawing.entries[a]) < OrderOf(drawing.entries[b]);
  });
  // A single drawing's sheet keeps its columns; a set's names each row's sheet.
  const bool set = sheet_names.size() > 1;
  const auto name = [&](std::size_t sheet) {
    return sheet < sheet_names.size() ? sheet_names[sheet] : std::u16string();
  };

  std::vector<std::vector<std::u16string>> rows;
  rows.push_back({u"系統", u"番号", u"長さ(mm)", u"材質", u"呼び径", u"X", u"Y", u"画層"});
  if (set) rows.front().push_back(u"図面");
  std::map<std::u16string, Total> per_system;
  std::map<std::tuple<std::u16string, std::u16string, std::u16string>, Total> per_kind;
  std::map<std::pair<std::u16string, std::size_t>, Total> per_system_sheet;
  std::map<std::size_t, Total> per_sheet;
  Total all;
  for (std::size_t i : order) {
    const ReportEntry& e = drawing.entries[i];
    const std::u16string length = Trimmed(e.Attribute(4));
    rows.push_back({e.system, e.NumberShown(), length, e.Attribute(5), e.Attribute(6),
                    Trimmed(e.Attribute(1)), Trimmed(e.Attribute(2)), e.layer});
    if (set) rows.back().push_back(name(e.sheet));
    per_system[e.system].Add(length);
    per_kind[{e.system, e.Attribute(5), e.Attribute(6)}].Add(length);
    per_system_sheet[{e.system, e.sheet}].Add(length);
    per_sheet[e.sheet].Add(length);
    all.Add(length);
  }
  for (const auto& [system, total] : per_system) {
    rows.push_back({u"小計", system, total.Count(), total.Sum()});
    if (set)
      for (auto at = per_system_sheet.lower_bound({system, 0});
           at != per_system_sheet.end() && at->first.first == system; ++at)
        rows.push_back({u"図面小計", system, name(at->first.second), at->second.Count(), at->second.Sum()});
    for (auto at = per_kind.lower_bound({system, u"", u""});
         at != per_kind.end() && std::get<0>(at->first) == system; ++at)
      rows.push_back({u"合計", system, std::get<1>(at->first), std::get<2>(at->first), at->second.Count(),
                      at->second.Sum()});
  }
  if (set) {
    // Every sheet of the set has its row, one without entries too, so that
    // a sheet whose tables were not recognised is seen to add nothing.
    for (std::size_t sheet = 0; sheet < sheet_names.size(); ++sheet) {
      const auto at = per_sheet.find(sheet);
      const Total none;
      const Total& total = at == per_sheet.end() ? none : at->second;
      rows.push_back({u"図面計", name(sheet), total.Count(), total.Sum()});
    }
    rows.push_back({u"総計", all.Count(), all.Sum()});
  }
  return rows;
}

std::u16string CsvText(const std::vector<std::vector<std::u16string>>& rows) {
  std::u16string out;
  for (const auto& row : rows) {
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (k > 0) out += u',';
      const bool formula = OpensAsFormula(row[k]);
      if (!formula && !NeedsQuotes(row[k])) {
        out += row[k];
        continue;
      }
      out += u'"';
      // Shown as the text it is: the apostrophe keeps Excel from running it.
      if (formula) out += u'\'';
      for (char16_t c : row[k]) {
        if (c == u'"') out += u'"';
        out += c;
      }
      out += u'"';
    }
    out += u"\r\n";
  }
  return out;
}

std::vector<std::size_t> EntriesWithoutLength(const ReportDrawing& drawing) {
  std::vector<std::size_t> without;
  for (std::size_t i = 0; i < drawing.entries.size(); ++i)
    if (!LengthValue(drawing.entries[i].Attribute(4))) without.push_back(i);
  return without;
}

}  // namespace plendra
