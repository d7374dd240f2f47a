// System variables typed by name at the command prompt. AutoCAD shows the
// current value in angle brackets, "DIMSCALE の新しい値を入力 <1.0000>: ",
// and takes a new one; Enter keeps it. Dimension variables belong to the
// current dimension style, CLAYER and TEXTSTYLE to the drawing, the rest are
// kept as settings of the session.
#include <cmath>

#include "commands.h"

namespace cadsim::commands {
namespace {

enum class Kind { kInt, kReal, kText };

struct SysVar {
  Kind kind = Kind::kInt;
  bool read_only = false;
  bool session = false;  // a setting of the session, not of the drawing: U does not restore it
  double low = -1e300, high = 1e300;
  std::function<std::u16string()> get;
  std::function<bool(std::u16string_view)> set;  // false: refused (message said)
};

std::u16string Shortest(double v) {
  std::u16string s = Decimal(v, 8);
  while (!s.empty() && s.back() == u'0') s.pop_back();
  if (!s.empty() && s.back() == u'.') s.pop_back();
  return s;
}

// A variable held in the session settings, with its default.
SysVar Setting(Cad& cad, const std::u16string& name, Kind kind, std::u16string fallback, double low,
               double high) {
  auto& settings = cad.Settings();
  if (!settings.contains(name)) settings[name] = std::move(fallback);
  SysVar v;
  v.kind = kind, v.low = low, v.high = high;
  v.session = true;
  v.get = [&settings, name] { return settings[name]; };
  v.set = [&settings, name, kind](std::u16string_view text) {
    settings[name] = kind == Kind::kText ? std::u16string(text) : Shortest(*ParseNumber(text));
    return true;
  };
  return v;
}

SysVar Real(double& field, double low, double high) {
  SysVar v;
  v.kind = Kind::kReal, v.low = low, v.high = high;
  v.get = [&field] { return Shortest(field); };
  v.set = [&field](std::u16string_view t) { return field = *ParseNumber(t), true; };
  return v;
}

SysVar Int(int& field, double low, double high) {
  SysVar v;
  v.kind = Kind::kInt, v.low = low, v.high = high;
  v.get = [&field] { return Ascii(std::to_string(field)); };
  v.set = [&field](std::u16string_view t) { return field = static_cast<int>(*ParseNumber(t)), true; };
  return v;
}

SysVar ReadOnly(std::u16string value) {
  SysVar v;
  v.kind = Kind::kText, v.read_only = true;
  v.get = [value] { return value; };
  return v;
}

std::optional<SysVar> Lookup(Cad& cad, const std::u16string& name) {
  Drawing& d = cad.TheDrawing();
  DimStyle* dim = d.FindDimStyle(d.current_dim_style);
  if (!dim) dim = &d.dim_styles.front();
  if (name == u"DIMSCALE") return Real(dim->dimscale, 0, 1e300);
  if (name == u"DIMTXT") return Real(dim->dimtxt, 1e-300, 1e300);
  if (name == u"DIMGAP") return Real(dim->dimgap, -1e300, 1e300);
  if (name == u"DIMRND") return Real(dim->dimrnd, 0, 1e300);
  if (name == u"DIMASZ") return Real(dim->dimasz, 0, 1e300);
  if (name == u"DIMDEC") return Int(dim->dimdec, 0, 8);
  if (name == u"DIMZIN") return Int(dim->dimzin, 0, 15);
  if (name == u"DIMTMOVE") return Int(dim->dimtmove, 0, 2);
  if (name == u"DIMTXSTY") {
    SysVar v;
    v.kind = Kind::kText;
    v.get = [&d, dim] {
      const TextStyle* s = d.FindTextStyle(dim->dimtxsty);
      return s ? s->name : std::u16string(u"Standard");
    };
    v.set = [&cad, &d, dim](std::u16string_view t) {
      const TextStyle* s = d.FindTextStyle(t);
      if (!s) cad.Say(u"文字スタイル \"" + std::u16string(t) + u"\" が見つかりません。");
      if (s) dim->dimtxsty = s->handle;
      return s != nullptr;
    };
    return v;
  }
  if (name == u"CLAYER") {
    SysVar v;
    v.kind = Kind::kText;
    v.get = [&d] { return d.current_layer; };
    v.set = [&cad, &d](std::u16string_view t) {
      const cadsim::Layer* l = d.FindLayer(t);
      if (!l) cad.Say(u"画層 \"" + std::u16string(t) + u"\" が見つかりません。");
      if (l) d.current_layer = l->name;
      return l != nullptr;
    };
    return v;
  }
  if (name == u"TEXTSTYLE") {
    SysVar v;
    v.kind = Kind::kText;
    v.get = [&d] { return d.current_text_style; };
    v.set = [&cad, &d](std::u16string_view t) {
      const TextStyle* s = d.FindTextStyle(t);
      if (!s) cad.Say(u"文字スタイル \"" + std::u16string(t) + u"\" が見つかりません。");
      if (s) d.current_text_style = s->name;
      return s != nullptr;
    };
    return v;
  }
  if (name == u"DIMSTYLE") return ReadOnly(d.current_dim_style);
  if (name == u"DWGNAME") {
    const std::u16string& p = cad.DrawingPath();
    const std::size_t sep = p.find_last_of(u"\\/");
    return ReadOnly(sep == std::u16string::npos ? p : p.substr(sep + 1));
  }
  if (name == u"DWGPREFIX") {
    // The drawing's folder with its final separator, as AutoCAD gives it.
    const std::u16string& p = cad.DrawingPath();
    const std::size_t sep = p.find_last_of(u"\\/");
    return ReadOnly(sep == std::u16string::npos ? std::u16string() : p.substr(0, sep + 1));
  }
  if (name == u"ACADVER") {
    const std::u16string_view product = cad.Release().product;
    if (product.ends_with(u"2004")) return ReadOnly(u"16.0s (LMS Tech)");
    if (product.ends_with(u"2005")) return ReadOnly(u"16.1s (LMS Tech)");
    if (product.ends_with(u"2006")) return ReadOnly(u"16.2s (LMS Tech)");
    return ReadOnly(u"15.06s (LMS Tech)");
  }
  struct Known {
    std::u16string_view name;
    Kind kind;
    std::u16string_view fallback;
    double low, high;
  };
  static constexpr Known kSettings[] = {
      {u"FILEDIA", Kind::kInt, u"1", 0, 1},   {u"CMDDIA", Kind::kInt, u"1", 0, 1},
      {u"ATTREQ", Kind::kInt, u"1", 0, 1},    {u"ATTDIA", Kind::kInt, u"0", 0, 1},
      {u"AFLAGS", Kind::kInt, u"0", 0, 15},   {u"CMDECHO", Kind::kInt, u"1", 0, 1},
      {u"EXPERT", Kind::kInt, u"0", 0, 5},    {u"OSMODE", Kind::kInt, u"4133", 0, 16383},
      {u"ORTHOMODE", Kind::kInt, u"0", 0, 1}, {u"LUPREC", Kind::kInt, u"4", 0, 8},
      {u"PICKADD", Kind::kInt, u"1", 0, 1},   {u"TEXTSIZE", Kind::kReal, u"2.5", 1e-300, 1e300},
      {u"USERS1", Kind::kText, u"", 0, 0},
  };
  for (const Known& k : kSettings)
    if (name == k.name) return Setting(cad, name, k.kind, std::u16string(k.fallback), k.low, k.high);
  return std::nullopt;
}

std::u16string Shown(Cad& cad, const SysVar& v) {
  const std::u16string value = v.get();
  if (v.kind == Kind::kText) return u"\"" + value + u"\"";
  if (v.kind == Kind::kInt) return value;
  const auto luprec = ParseNumber(cad.Settings().contains(u"LUPREC") ? cad.Settings()[u"LUPREC"] : u"4");
  return Decimal(*ParseNumber(value), static_cast<int>(luprec.value_or(4)));
}

}  // namespace

bool VariableKeepsState(Cad& cad, std::u16string_view typed) {
  const std::optional<SysVar> v = Lookup(cad, Upper(typed));
  return v && (v->read_only || v->session);
}

bool Variable(Cad& cad, std::u16string_view typed) {
  const std::u16string name = Upper(typed);
  std::optional<SysVar> v = Lookup(cad, name);
  if (!v) return false;
  if (v->read_only) {
    cad.Say(name + u" = " + Shown(cad, *v) + u" (読み込み専用)");
    cad.Finish();
    return true;
  }
  Question q;
  q.prompt = name + u" の新しい値を入力 <" + Shown(cad, *v) + u">: ";
  q.literal_blanks = v->kind == Kind::kText;
  q.answer = [&cad, v = *v](std::u16string_view a) {
    if (a.empty()) return cad.Finish();
    if (v.kind != Kind::kText) {
      const auto n = ParseNumber(a);
      if (!n || (v.kind == Kind::kInt && *n != std::floor(*n))) {
        cad.Say(v.kind == Kind::kInt ? u"整数が必要です。" : u"数値が必要です。");
        return cad.Again();
      }
      if (*n < v.low || *n > v.high) {
        cad.Say(u"値が範囲外です。");
        return cad.Again();
      }
    }
    if (!v.set(a)) return cad.Again();
    cad.Finish();
  };
  cad.Ask(std::move(q));
  return true;
}

}  // namespace cadsim::commands
