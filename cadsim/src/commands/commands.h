// The commands cadsim understands, and the helpers they share.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cadsim/cad.h"

namespace cadsim::commands {

using Command = void (*)(Cad&);

// The command typed as name (upper case, "_" and "." prefixes removed), or
// null. *canonical receives the name faults and repetition go by.
Command Find(std::u16string_view name, std::u16string* canonical);
// Whether the command (by its canonical name) leaves the drawing, the view
// and the UCS as they were, so that U has nothing to give back for it.
bool KeepsState(std::u16string_view canonical);

void Select(Cad& cad);
void SaveAs(Cad& cad);
void DxfOut(Cad& cad);
void Insert(Cad& cad);
void AttDef(Cad& cad);
void DrawLine(Cad& cad);
void DrawCircle(Cad& cad);
void WBlock(Cad& cad);
void AttEdit(Cad& cad);
void Layer(Cad& cad);
void Change(Cad& cad);
void Ucs(Cad& cad);
void Id(Cad& cad);
void Zoom(Cad& cad);
void Style(Cad& cad);
void Undo(Cad& cad);
void UndoOne(Cad& cad);
// A system variable typed by name: shows its value prompt and takes a new
// value, or reports a read-only one. False if name is no variable.
bool Variable(Cad& cad, std::u16string_view name);
// Whether name is a system variable that U does not take back: one that
// cannot be set, or a setting of the session rather than of the drawing.
bool VariableKeepsState(Cad& cad, std::u16string_view name);

// Object selection at "オブジェクトを選択: " until Enter, or until the first
// object in single mode; done receives the set, which becomes the previous
// selection.
void SelectObjects(Cad& cad, bool single, std::function<void(std::vector<Handle>)> done);

// An entity copied into another drawing takes that drawing's handles: its
// own (and its attributes' and following records') are cleared, and links
// to objects it leaves behind (reactors, extension dictionaries) dropped.
void ForgetHandles(Entity& e);

std::u16string Upper(std::u16string_view text);
// AutoCAD's wild-card match (as WCMATCH): "*" any run, "?" any character,
// "#" a digit, "@" a letter, "." any other character, "[...]" and "[~...]" a
// character in or not in the set (with ranges "a-z"), "~" at the start
// negates, "," separates alternatives, "`" takes the next character as it
// is. ASCII letters compare without regard to case when fold_case is set.
bool WildMatch(std::u16string_view pattern, std::u16string_view text, bool fold_case);
// One of the keywords, compared without regard to case.
bool Is(std::u16string_view answer, std::initializer_list<std::u16string_view> keywords);
std::optional<double> ParseNumber(std::u16string_view text);
// The largest coordinate a typed or picked point may have: a double still
// holds four decimals there.
inline constexpr double kFarthestCoordinate = 1e12;
// "x,y" or "x,y,z", each a finite number within kFarthestCoordinate.
std::optional<Point> ParsePoint(std::u16string_view text);
// A number the way AutoCAD reports it with LUPREC decimals ("1000.0000").
std::u16string Decimal(double value, int decimals = 4);
std::u16string Ascii(std::string_view text);

}  // namespace cadsim::commands
