#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"

namespace cadsim::commands {

bool KeepsState(std::u16string_view canonical) {
  // Selecting, writing the drawing to a file and asking for a point change
  // nothing U restores (SAVEAS's new name is not taken back by U either).
  return canonical == u"SELECT" || canonical == u"SAVEAS" || canonical == u"DXFOUT" || canonical == u"ID";
}

Command Find(std::u16string_view name, std::u16string* canonical) {
  struct Entry {
    std::u16string_view name, canonical;
    Command command;
  };
  // The dialog forms (INSERT, LAYER, ATTEDIT, ATTDEF, WBLOCK) run their command-line forms:
  // cadsim has no dialogs.
  static constexpr Entry kCommands[] = {
      {u"SELECT", u"SELECT", Select},
      {u"SAVEAS", u"SAVEAS", SaveAs},
      {u"DXFOUT", u"DXFOUT", DxfOut},
      {u"-INSERT", u"-INSERT", Insert},
      {u"INSERT", u"-INSERT", Insert},
      {u"-ATTDEF", u"-ATTDEF", AttDef},
      {u"ATTDEF", u"-ATTDEF", AttDef},
      {u"LINE", u"LINE", DrawLine},
      {u"CIRCLE", u"CIRCLE", DrawCircle},
      {u"-WBLOCK", u"-WBLOCK", WBlock},
      {u"WBLOCK", u"-WBLOCK", WBlock},
      {u"-ATTEDIT", u"-ATTEDIT", AttEdit},
      {u"ATTEDIT", u"-ATTEDIT", AttEdit},
      {u"-LAYER", u"-LAYER", Layer},
      {u"LAYER", u"-LAYER", Layer},
      {u"CHANGE", u"CHANGE", Change},
      {u"UCS", u"UCS", Ucs},
      {u"ID", u"ID", Id},
      {u"ZOOM", u"ZOOM", Zoom},
      {u"Z", u"ZOOM", Zoom},
      {u"-STYLE", u"-STYLE", Style},
      {u"UNDO", u"UNDO", Undo},
      {u"U", u"U", UndoOne},
  };
  for (const Entry& e : kCommands) {
    if (e.name == name) {
      *canonical = e.canonical;
      return e.command;
    }
  }
  return nullptr;
}

void ForgetHandles(Entity& e) {
  Common& c = CommonOf(e);
  c.handle = 0;
  c.kept.app_data.clear();
  if (auto* n = std::get_if<cadsim::Insert>(&e)) {
    n->seqend = 0;
    for (Attribute& a : n->attributes) {
      a.handle = 0;
      a.kept.app_data.clear();
    }
  }
  if (auto* f = std::get_if<Foreign>(&e))
    for (Foreign::Record& r : f->following) r.handle = 0;
}

std::u16string Upper(std::u16string_view text) {
  std::u16string s(text);
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return s;
}

namespace {

char16_t Fold(char16_t c, bool fold_case) {
  return fold_case && c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// One alternative (no top-level "," left in it) against the whole text.
bool MatchOne(std::u16string_view p, std::u16string_view t, bool fold) {
  while (!p.empty()) {
    const char16_t c = p.front();
    if (c == u'*') {
      p.remove_prefix(1);
      for (std::size_t skip = 0; skip <= t.size(); ++skip)
        if (MatchOne(p, t.substr(skip), fold)) return true;
      return false;
    }
    if (t.empty()) return false;
    const char16_t x = t.front();
    std::size_t used = 1;
    bool ok = false;
    if (c == u'?') {
      ok = true;
    } else if (c == u'#') {
      ok = x >= u'0' && x <= u'9';
    } else if (c == u'@') {
      ok = IsLetter(x);
    } else if (c == u'.') {
      ok = !IsLetter(x) && !(x >= u'0' && x <= u'9');
    } else if (c == u'[') {
      std::size_t i = 1;
      const bool negate = i < p.size() && p[i] == u'~';
      if (negate) ++i;
      bool in = false;
      const std::size_t first = i;
      while (i < p.size() && (p[i] != u']' || i == first)) {
        char16_t lo = p[i];
        if (lo == u'`' && i + 1 < p.size()) lo = p[++i];
        char16_t hi = lo;
        if (i + 2 < p.size() && p[i + 1] == u'-' && p[i + 2] != u']') hi = p[i += 2];
        if (Fold(x, fold) >= Fold(lo, fold) && Fold(x, fold) <= Fold(hi, fold)) in = true;
        ++i;
      }
      if (i >= p.size()) return false;  // no closing bracket: matches nothing
      used = i + 1;
      ok = in != negate;
    } else {
      char16_t want = c;
      if (c == u'`' && p.size() > 1) want = p[1], used = 2;
      ok = Fold(x, fold) == Fold(want, fold);
    }
    if (!ok) return false;
    p.remove_prefix(used);
    t.remove_prefix(1);
  }
  return t.empty();
}

}  // namespace

bool WildMatch(std::u16string_view pattern, std::u16string_view text, bool fold_case) {
  // Split at the commas outside brackets and not escaped.
  std::size_t start = 0;
  bool bracket = false;
  for (std::size_t i = 0; i <= pattern.size(); ++i) {
    if (i < pattern.size()) {
      const char16_t c = pattern[i];
      if (c == u'`') {
        ++i;
        continue;
      }
      if (c == u'[') bracket = true;
      if (c == u']') bracket = false;
      if (c != u',' || bracket) continue;
    }
    std::u16string_view one = pattern.substr(start, i - start);
    const bool negate = !one.empty() && one.front() == u'~';
    if (negate) one.remove_prefix(1);
    if (MatchOne(one, text, fold_case) != negate) return true;
    start = i + 1;
  }
  return false;
}

bool Is(std::u16string_view answer, std::initializer_list<std::u16string_view> keywords) {
  for (std::u16string_view k : keywords)
    if (SameName(answer, k)) return true;
  return false;
}

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::optional<double> ParseNumber(std::u16string_view text) {
  std::string s;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    s += static_cast<char>(c);
  }
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  // strtod also reads "nan" and "inf", which no distance, scale or angle is.
  if (*end != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<Point> ParsePoint(std::u16string_view text) {
  Point p;
  double* parts[] = {&p.x, &p.y, &p.z};
  int n = 0;
  while (n < 3) {
    const std::size_t comma = text.find(u',');
    const auto v = ParseNumber(text.substr(0, comma));
    // AutoCAD refuses a point it cannot hold: "nan", "inf", and coordinates
    // so far out that a double no longer keeps the decimals it reports
    // (and that would overflow extents, pictures and the DXF written).
    if (!v || !std::isfinite(*v) || std::abs(*v) > kFarthestCoordinate) return std::nullopt;
    *parts[n++] = *v;
    if (comma == std::u16string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (n < 2) return std::nullopt;
  return p;
}

std::u16string Decimal(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return Ascii(buf);
}

}  // namespace cadsim::commands
