// The check of the parts tables: duplicates, gaps, stale lengths, entries
// whose dimension is gone, numbers the lookup cannot read, and dimensions
// that print another value than the one their entry holds.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "app/app_error.h"
#include "app/number_text.h"
#include "app/placement.h"
#include "app/report.h"
#include "report_sort.h"

namespace plendra {
namespace {

// A number text as a single-precision value; nothing when it is no number or
// lies beyond the float range.
std::optional<float> Single(std::u16string_view text) {
  const std::optional<double> value = ReadDecimal(text);
  if (!value) return std::nullopt;
  try {
    return DoubleToSingle(*value);
  } catch (const AppError&) {
    return std::nullopt;
  }
}

// Plendra records the dimension's text point as the number text of the
// single-precision values of groups 11 and 21, which keeps seven significant
// digits; the file may hold more. Both sides are brought to what the entry
// would have recorded.
std::optional<float> Recorded(std::u16string_view group_value) {
  const std::optional<float> value = Single(group_value);
  if (!value) return std::nullopt;
  return Single(SingleText(*value));
}

// The length the dimension gives now, as Plendra would write it; nothing when
// the dimension has no measured value or rounding it overflows.
std::optional<std::u16string> LengthNow(const ReportDimension& d, std::int32_t marume_index) {
  const std::optional<float> measured = Single(d.measured);
  if (!measured) return std::nullopt;
  try {
    return SingleText(Nagasa_Marume(*measured, marume_index));
  } catch (const AppError&) {
    return std::nullopt;
  }
}

// A rounded measurement as Plendra writes it; nothing when rounding overflows.
std::optional<float> Rounded(float measured, std::int32_t marume_index) {
  try {
    return Nagasa_Marume(measured, marume_index);
  } catch (const AppError&) {
    return std::nullopt;
  }
}

// A dimension's text point within its sheet.
using Point = std::tuple<std::size_t, float, float>;

struct Keyed {
  EntryOrder order;
  FindingType type;
  std::ptrdiff_t entry;
  Finding finding;
};

class Checker {
 public:
  Checker(const ReportDrawing& drawing, std::int32_t marume_index)
      : drawing_(drawing), marume_index_(marume_index) {
    for (const ReportDimension& d : drawing.dimensions) {
      const std::optional<float> x = Recorded(d.text_x);
      const std::optional<float> y = Recorded(d.text_y);
      if (x && y) dimensions_at_[{d.sheet, *x, *y}].push_back(&d);
    }
  }

  std::vector<Finding> Run() {
    std::map<std::u16string, std::map<std::int32_t, std::vector<std::size_t>>> numbered;
    for (std::size_t i = 0; i < drawing_.entries.size(); ++i) {
      const ReportEntry& e = drawing_.entries[i];
      if (e.number)
        numbered[e.system][*e.number].push_back(i);
      else
        Add(FindingType::kUnnumbered, i, {});
      CheckDimension(i);
    }
    for (const auto& [system, numbers] : numbered) {
      std::int32_t previous = 0;
      const std::vector<std::size_t>* previous_entries = nullptr;
      for (const auto& [number, entries] : numbers) {
        if (entries.size() > 1) {
          Finding f;
          f.count = static_cast<std::int32_t>(entries.size());
          f.sheets = SheetsOf(entries, nullptr);
          Add(FindingType::kDuplicate, entries.front(), std::move(f));
        }
        if (number < 1) continue;
        // A gap lies between the sheets of the numbers on either side of it.
        if (number > previous + 1)
          AddGap(system, previous + 1, number - 1, SheetsOf(entries, previous_entries));
        previous = number;
        previous_entries = &entries;
      }
    }
    std::stable_sort(found_.begin(), found_.end(), [](const Keyed& a, const Keyed& b) {
      return std::tie(a.order, a.type, a.entry) < std::tie(b.order, b.type, b.entry);
    });
    std::vector<Finding> findings;
    findings.reserve(found_.size());
    for (Keyed& k : found_) findings.push_back(std::move(k.finding));
    return findings;
  }

 private:
  void CheckDimension(std::size_t i) {
    const ReportEntry& e = drawing_.entries[i];
    const std::optional<float> x = Single(e.Attribute(1));
    const std::optional<float> y = Single(e.Attribute(2));
    const auto at = x && y ? dimensions_at_.find({e.sheet, *x, *y}) : dimensions_at_.end();
    if (at == dimensions_at_.end()) {
      Add(FindingType::kOrphan, i, {});
      return;
    }
    // Several dimensions may share a text point; the entry is up to date when
    // any of them gives its length.
    const std::u16string written = e.Attribute(4);
    const std::optional<float> written_value = Single(written);
    std::optional<std::u16string> first_now;
    const ReportDimension* first = nullptr;
    for (const ReportDimension* d : at->second) {
      const std::optional<std::u16string> now = LengthNow(*d, marume_index_);
      if (!now) continue;
      if (written_value && *now == SingleText(*written_value)) {
        CheckPrinted(i, *d);
        return;
      }
      if (!first_now) {
        first_now = now;
        first = d;
      }
    }
    if (!first_now) return;
    Finding f;
    f.written = written;
    f.now = *first_now;
    Add(FindingType::kStale, i, std::move(f));
    CheckPrinted(i, *first);
  }

  // The dimension the entry was written from prints another number than its
  // measurement: the drawing shows one length and the table holds another.
  void CheckPrinted(std::size_t i, const ReportDimension& d) {
    const std::optional<float> measured = Single(d.measured);
    if (!measured) return;
    const std::optional<std::u16string> shown = PrintedValueDiffers(d.text, *measured, marume_index_);
    if (!shown) return;
    Finding f;
    f.written = *shown;
    f.now = SingleText(*Rounded(*measured, marume_index_));
    Add(FindingType::kOverride, i, std::move(f));
  }

  // The sheets of the entries given, ascending and each once.
  std::vector<std::size_t> SheetsOf(const std::vector<std::size_t>& entries,
                                    const std::vector<std::size_t>* more) const {
    std::set<std::size_t> sheets;
    for (std::size_t i : entries) sheets.insert(drawing_.entries[i].sheet);
    if (more)
      for (std::size_t i : *more) sheets.insert(drawing_.entries[i].sheet);
    return {sheets.begin(), sheets.end()};
  }

  void Add(FindingType type, std::size_t i, Finding f) {
    const ReportEntry& e = drawing_.entries[i];
    f.type = type;
    f.system = e.system;
    f.number = e.NumberShown();
    f.entry = static_cast<std::ptrdiff_t>(i);
    if (f.sheets.empty()) f.sheets = {e.sheet};
    found_.push_back({OrderOf(e), type, f.entry, std::move(f)});
  }

  void AddGap(const std::u16string& system, std::int32_t first, std::int32_t last,
              std::vector<std::size_t> sheets) {
    Finding f;
    f.sheets = std::move(sheets);
    f.type = FindingType::kGap;
    f.system = system;
    f.number = IntegerText(first);
    f.gap_first = first;
    f.gap_last = last;
    found_.push_back({EntryOrder{system, first, {}}, FindingType::kGap, -1, std::move(f)});
  }

  const ReportDrawing& drawing_;
  std::int32_t marume_index_;
  std::map<Point, std::vector<const ReportDimension*>> dimensions_at_;
  std::vector<Keyed> found_;
};

}  // namespace

std::optional<std::u16string> PrintedValueDiffers(std::u16string_view text, float measured,
                                                  std::int32_t marume_index) {
  // "<>" puts the measurement into the text ("<> (既設)"), so it shows
  // what the table holds; a text that is no number ("既設管", "%%c20") makes
  // no claim about the length.
  if (text.empty() || text.find(u"<>") != std::u16string_view::npos) return std::nullopt;
  const std::optional<float> shown = Single(text);
  const std::optional<float> rounded = Rounded(measured, marume_index);
  if (!shown || !rounded || *shown == *rounded) return std::nullopt;
  return std::u16string(text);
}

std::vector<Finding> CheckDrawing(const ReportDrawing& drawing, std::int32_t marume_index) {
  MarumeStep(marume_index);  // AppError 9 for an index the settings cannot hold
  return Checker(drawing, marume_index).Run();
}

void FindingLines(const Finding& f, const std::function<void(std::u16string_view)>& print,
                  const std::vector<std::u16string>& sheet_names) {
  // In a set the line says which sheets to open.
  std::u16string tail;
  if (sheet_names.size() > 1) {
    tail = u"\t";
    for (std::size_t k = 0; k < f.sheets.size(); ++k) {
      if (k > 0) tail += u", ";
      if (f.sheets[k] < sheet_names.size()) tail += sheet_names[f.sheets[k]];
    }
  }
  const auto line = [&](const std::u16string& text) { print(text + tail); };
  const std::u16string head = f.system + u"\t";
  switch (f.type) {
    case FindingType::kDuplicate:
      line(u"duplicate\t" + head + f.number + u"\t" + IntegerText(f.count));
      break;
    case FindingType::kGap:
      // A run of missing numbers is one line, however long: a single mistyped
      // number such as 2147483647 must not print two billion lines.
      if (f.gap_last > f.gap_first)
        line(u"gap\t" + head + IntegerText(f.gap_first) + u"\t" + IntegerText(f.gap_last));
      else
        line(u"gap\t" + head + IntegerText(f.gap_first));
      break;
    case FindingType::kStale:
      line(u"stale\t" + head + f.number + u"\t" + f.written + u"\t" + f.now);
      break;
    case FindingType::kOrphan:
      line(u"orphan\t" + head + f.number);
      break;
    case FindingType::kUnnumbered:
      line(u"unnumbered\t" + head + f.number);
      break;
    case FindingType::kOverride:
      line(u"override\t" + head + f.number + u"\t" + f.written + u"\t" + f.now);
      break;
  }
}

}  // namespace plendra
