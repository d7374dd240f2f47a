// The check of a drawing's parts tables and its takeoff sheet (積算), both read
// from an ASCII DXF file of the whole drawing: what plendra-report prints and
// what the 検査 menu shows and writes.
//
// Entries are found as the lookup finds them: every ATTRIB of the ENTITIES
// section tagged exactly "(1)系統" is one entry, its value the system, and the
// ATTRIB right after it in the file holds the number. The entry's other values
// are taken by their position among the ATTRIBs of its INSERT: 1 to 3 the text
// point of the dimension (X, Y, Z), 4 the written length, 5 the material and 6
// the nominal size, as Plendra answers the block's prompts.
//
// Systems are compared and sorted exactly as written (code-unit order of the
// UTF-16 text, so a trailing blank, letter case or width makes another
// system); numbers are read as the lookup reads them: the whole value a
// decimal number, rounded to the nearest integer, halves to even ("2.0" and
// "2" are both 2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace plendra {

// One parts-table entry.
struct ReportEntry {
  std::u16string system;
  // The value of the ATTRIB after the system's, as written; empty when the
  // system's ATTRIB is the last one of the file.
  std::u16string number_text;
  // number_text as the lookup reads it; nothing when it is no decimal number
  // or lies outside the 32-bit range (such an entry is "unnumbered").
  std::optional<std::int32_t> number;
  // The values of the ATTRIBs of the entry's INSERT, in the file's order.
  std::vector<std::u16string> attributes;
  std::u16string layer;               // group 8 of the INSERT
  std::u16string block;               // group 2 of the INSERT: the block's name
  double insert_x = 0, insert_y = 0;  // groups 10 and 20 of the INSERT
  double scale = 1;                   // group 41 of the INSERT (its X scale)
  std::int64_t line = 0;              // the line of the INSERT's group 0
  // The drawing of a set the entry was read from (its index in the set); 0
  // for a single drawing.
  std::size_t sheet = 0;

  // The value at a position counted from 1; empty when the INSERT has fewer.
  std::u16string Attribute(std::size_t position) const;
  // The number as the findings and the sheet show it: its decimal text, or
  // the text as written for an unnumbered entry.
  std::u16string NumberShown() const;
};

struct ReportDimension {
  std::u16string text_x, text_y;  // groups 11 and 21: the middle of the dimension text
  std::u16string measured;        // group 42: the measured value; empty when not written
  // Group 1: the text the draughtsman typed over the measurement; empty when
  // the dimension shows its measurement. "<>" in it stands for the measurement.
  std::u16string text;
  std::int64_t line = 0;
  std::size_t sheet = 0;  // as ReportEntry::sheet
};

struct ReportDrawing {
  std::vector<ReportEntry> entries;  // in the file's order
  std::vector<ReportDimension> dimensions;
};

// Why a file could not be read: the line it concerns (0 for the file as a
// whole) and a Japanese description that names it.
struct ReportReadFailure {
  std::int64_t line = 0;
  std::u16string description;
};

// Reads the ENTITIES section of an ASCII DXF held in `bytes`, decoding texts
// with `codec`. Group codes may carry blanks around them, lines end in CRLF
// or LF, 999 comments are skipped anywhere, and values keep their trailing
// blanks as the lookup keeps them. Nothing, with `failure` set, for a binary
// DXF, a group code that is no number, a file that ends after a group code,
// and a file without a complete ENTITIES section.
std::optional<ReportDrawing> ReadReportDrawing(std::string_view bytes, platform::TextCodec& codec,
                                               ReportReadFailure& failure);
// The same for a file; a file that cannot be read is a failure of line 0.
std::optional<ReportDrawing> ReadReportFile(const std::filesystem::path& file, platform::TextCodec& codec,
                                            ReportReadFailure& failure);

// The drawings of a set (a building's sheets) as one drawing whose entries
// and dimensions carry the index of their sheet, in the set's order. A
// dimension only ever matches an entry of its own sheet.
ReportDrawing JoinDrawings(std::vector<ReportDrawing> sheets);

// The value a dimension prints instead of its measurement, when that differs
// from the measurement as Plendra writes it (rounded with `marume_index`):
// its group 1 is not empty, holds no "<>" and is a number other than the
// rounded measurement. Nothing otherwise, and for a dimension without a
// measurement. The text is as the drawing holds it.
std::optional<std::u16string> PrintedValueDiffers(std::u16string_view text, float measured,
                                                  std::int32_t marume_index);

// --- The check -------------------------------------------------------------

enum class FindingType {
  kDuplicate,   // the same system and number on more than one entry
  kGap,         // numbers missing between 1 and the system's highest
  kStale,       // the dimension at the recorded text point now gives another length
  kOrphan,      // no dimension has the recorded text point any more
  kUnnumbered,  // the number is no decimal number, so the lookup passes the entry over
  kOverride,    // the entry's dimension prints a number other than its measurement
};

struct Finding {
  FindingType type;
  std::u16string system;
  // The number as shown (ReportEntry::NumberShown); for a gap its first number.
  std::u16string number;
  std::int32_t gap_first = 0, gap_last = 0;  // a gap: the run of missing numbers it stands for
  std::int32_t count = 0;                    // a duplicate: how many entries carry the number
  // stale: the length as written, and as the dimension gives it now;
  // override: the value the dimension prints, and its measurement rounded.
  std::u16string written, now;
  // The sheets of a set the finding concerns, ascending: a duplicate's every
  // sheet, a gap's neighbours' sheets, else the entry's sheet.
  std::vector<std::size_t> sheets;
  // The entry concerned (the first one of a duplicate), an index into
  // ReportDrawing::entries; -1 for a gap.
  std::ptrdiff_t entry = -1;
};

// The findings, sorted by system, then number (entries without a number after
// the others, by their text), then in the order of FindingType. A dimension's
// current length is Nagasa_Marume of its measured value with the rounding
// index `marume_index` (0 to 4, as the settings file holds it). An entry
// whose recorded point or written length is no number cannot match, so it is
// an orphan or stale; a matched dimension without a measured value gives no
// length, and the entry is then not judged stale.
std::vector<Finding> CheckDrawing(const ReportDrawing& drawing, std::int32_t marume_index);

// Hands the printed line of one finding, fields joined by TAB and without a
// line end, to `line`: "duplicate SYSTEM NUMBER COUNT", "gap SYSTEM NUMBER"
// for one missing number or "gap SYSTEM FIRST LAST" for a run of them,
// "stale SYSTEM NUMBER WRITTEN NOW", "orphan SYSTEM NUMBER",
// "unnumbered SYSTEM TEXT", "override SYSTEM NUMBER SHOWN MEASURED". Every
// finding is one line. With the names of a set of more than one sheet, the
// line ends with a field naming the finding's sheets, joined by ", ".
void FindingLines(const Finding& finding, const std::function<void(std::u16string_view)>& line,
                  const std::vector<std::u16string>& sheet_names = {});

// --- The takeoff sheet -------------------------------------------------------

// The rows of the sheet: the header "系統,番号,長さ(mm),材質,呼び径,X,Y,画層",
// one row per entry sorted as the findings are, then for each system its row
// "小計,SYSTEM,COUNT,TOTAL" followed by its rows "合計,SYSTEM,MATERIAL,SIZE,
// COUNT,TOTAL" sorted by material and size. Lengths, X and Y are shown as
// written, without the blanks around them; a total adds the lengths that are
// numbers and shows as many decimals as the most precise of them.
//
// With the names of a set of more than one sheet, every entry row ends with
// the column 図面 (the sheet's name); each system's 小計 row is followed by
// one row "図面小計,SYSTEM,SHEET,COUNT,TOTAL" per sheet that holds the system;
// and the sheet ends with one row "図面計,SHEET,COUNT,TOTAL" per sheet and the
// row "総計,COUNT,TOTAL".
std::vector<std::vector<std::u16string>> TakeoffRows(const ReportDrawing& drawing,
                                                     const std::vector<std::u16string>& sheet_names = {});

// The rows as CSV: fields joined by ",", a field that holds a comma, a double
// quote, CR or LF enclosed in double quotes with its quotes doubled, and
// every row ended by CRLF. A field that a spreadsheet would open as a formula
// (one beginning with "=", "@", a tab, a CR, or with "+" or "-" when it is no
// number) is written as text: an apostrophe before it, inside double quotes.
std::u16string CsvText(const std::vector<std::vector<std::u16string>>& rows);

// The entries whose written length is no number, or none that
// single-precision holds (they count in the sheet's totals as entries but
// add no length).
std::vector<std::size_t> EntriesWithoutLength(const ReportDrawing& drawing);

// --- Renumbering a system ----------------------------------------------------

// One entry whose number changes.
struct RenumberChange {
  std::size_t entry = 0;        // an index into ReportDrawing::entries
  std::u16string old_text;      // the number as written
  std::int32_t old_number = 0;  // as the lookup reads it
  std::int32_t new_number = 0;
};

struct RenumberPlan {
  std::u16string system;
  std::vector<RenumberChange> changes;  // in the order of their new numbers
  std::size_t kept = 0;                 // numbered entries whose number stays
  // Entries whose number is no decimal number: the lookup passes them over,
  // so they get no place in the sequence and keep what is written. In the
  // file's order.
  std::vector<std::size_t> unnumbered;
  std::size_t Numbered() const { return changes.size() + kept; }
};

// Numbers the entries of `system` 1, 2, 3, ... without gaps: in the order of
// their current numbers, and entries that share a number in reading order,
// the order in which one reads a plan: the higher insertion point first (Y
// descending), then the one further left (X ascending), then the file's
// order. An entry changes when its number as the lookup reads it differs
// from its new one, so "7.0" in seventh place stays as written. Systems are
// compared exactly, as in the check.
RenumberPlan PlanRenumber(const ReportDrawing& drawing, std::u16string_view system);

// The order in which to change the plan's entries one at a time so that no
// step gives an entry a number another entry of the system holds at that
// moment: the entries that move down, lowest new number first, then those
// that move up, highest new number first. Since the plan keeps the order of
// the numbers, an entry that holds the number another one is moving to has
// always moved away before. Indices into plan.changes.
std::vector<std::size_t> RenumberTypingOrder(const RenumberPlan& plan);

// What a renumbering says when the drawing holds no entry of `system` (a
// mistyped name, a system of another drawing): that system and that it has
// no entries here, then the systems the drawing does hold, so that the user
// sees what to choose instead. The same words in Plendra's plan and in
// plendra-report renumber.
std::u16string MissingSystemText(const ReportDrawing& drawing, std::u16string_view system);

}  // namespace plendra
