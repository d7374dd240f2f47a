#include "dxf_records.h"

namespace cadsim::dxf {

bool Coord(Point& p, const Tag& t, int base) {
  if (t.code == base)
    p.x = Real(t);
  else if (t.code == base + 10)
    p.y = Real(t);
  else if (t.code == base + 20)
    p.z = Real(t);
  else
    return false;
  return true;
}

Attribute RecordParser::ParseAttribute(std::span<const Tag> tags) {
  Attribute a;
  FillText(a, tags, true);
  for (const Tag& t : tags) {
    if (t.code == 2)
      a.tag = Str(t);
    else if (t.code == 70)
      a.flags = Int(t);
  }
  return a;
}

void RecordParser::FillCommon(Common& c, std::span<const Tag> tags) {
  for (const Tag& t : tags) {
    if (t.code >= 1000) break;
    switch (t.code) {
      case 5:
        c.handle = Hex(t);
        break;
      case 8:
        c.layer = Str(t);
        break;
      case 62:
        c.color = static_cast<std::int16_t>(Int(t));
        break;
      case 6:
        c.linetype = Str(t);
        break;
      case 370:
        c.lineweight = static_cast<std::int16_t>(Int(t));
        break;
    }
  }
}

// TEXT keeps its vertical alignment in 73; ATTDEF and ATTRIB in 74 (their
// 73 is the field length).
void RecordParser::FillText(cadsim::Text& x, std::span<const Tag> tags, bool attribute) {
  FillCommon(x, tags);
  for (const Tag& t : tags) {
    if (t.code >= 1000) break;
    if (Coord(x.position, t, 10) || Coord(x.align, t, 11)) continue;
    switch (t.code) {
      case 40:
        x.height = Real(t);
        break;
      case 1:
        x.value = Str(t);
        break;
      case 50:
        x.rotation = Real(t);
        break;
      case 41:
        x.width_factor = Real(t);
        break;
      case 7:
        x.style = Str(t);
        break;
      case 72:
        x.halign = Int(t);
        break;
      case 73:
        if (!attribute) x.valign = Int(t);
        break;
      case 74:
        if (attribute) x.valign = Int(t);
        break;
    }
  }
}

std::optional<Entity> RecordParser::Parse(std::string_view type, std::span<const Tag> tags) {
  if (type == "LINE") {
    Line l;
    FillCommon(l, tags);
    for (const Tag& t : tags) Coord(l.start, t, 10) || Coord(l.end, t, 11);
    return l;
  }
  if (type == "CIRCLE") {
    Circle c;
    FillCommon(c, tags);
    for (const Tag& t : tags)
      if (!Coord(c.center, t, 10) && t.code == 40) c.radius = Real(t);
    return c;
  }
  if (type == "SOLID") {
    Solid s;
    FillCommon(s, tags);
    for (const Tag& t : tags)
      for (int k = 0; k < 4; ++k) Coord(s.corners[k], t, 10 + k);
    return s;
  }
  if (type == "MTEXT") return ParseMText(tags);
  if (type == "TEXT") {
    cadsim::Text x;
    FillText(x, tags, false);
    return x;
  }
  if (type == "ATTDEF") {
    AttributeDef a;
    FillText(a, tags, true);
    for (const Tag& t : tags) {
      if (t.code == 2)
        a.tag = Str(t);
      else if (t.code == 3)
        a.prompt = Str(t);
      else if (t.code == 70)
        a.flags = Int(t);
    }
    return a;
  }
  if (type == "INSERT") {
    Insert n;
    FillCommon(n, tags);
    for (const Tag& t : tags) {
      if (t.code >= 1000) break;
      if (Coord(n.position, t, 10)) continue;
      switch (t.code) {
        case 2:
          n.block = Str(t);
          break;
        case 41:
          n.sx = Real(t);
          break;
        case 42:
          n.sy = Real(t);
          break;
        case 43:
          n.sz = Real(t);
          break;
        case 50:
          n.rotation = Real(t);
          break;
      }
    }
    return n;
  }
  if (type == "DIMENSION") return ParseDimension(tags);
  return std::nullopt;
}

// Multi-line text is kept as one line of TEXT: dimension blocks hold their
// text as MTEXT, and the model has no other use for it.
cadsim::Text RecordParser::ParseMText(std::span<const Tag> tags) {
  cadsim::Text x;
  FillCommon(x, tags);
  std::u16string chunks, last;
  int attach = 1;
  for (const Tag& t : tags) {
    if (t.code >= 1000) break;
    if (Coord(x.position, t, 10)) continue;
    switch (t.code) {
      case 40:
        x.height = Real(t);
        break;
      case 3:
        chunks += Str(t);
        break;
      case 1:
        last = Str(t);
        break;
      case 7:
        x.style = Str(t);
        break;
      case 50:
        x.rotation = Real(t);
        break;
      case 71:
        attach = Int(t);
        break;
    }
  }
  x.value = PlainMText(chunks + last);
  // Attachment 1-9 (top left ... bottom right) to TEXT's alignment.
  const int column = (attach - 1) % 3, row = (attach - 1) / 3;
  x.halign = column;
  x.valign = 3 - row;
  x.align = x.position;
  return x;
}

std::u16string RecordParser::PlainMText(const std::u16string& s) {
  std::u16string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == u'{' || s[k] == u'}') continue;
    if (s[k] == u'\\' && k + 1 < s.size()) {
      const char16_t c = s[k + 1];
      if (c == u'P') {
        out += u' ';
        ++k;
      } else if (c == u'\\' || c == u'{' || c == u'}') {
        out += c;
        ++k;
      } else {
        const std::size_t semi = s.find(u';', k);  // \H2.5; \fArial|b0; ...
        if (semi == std::u16string::npos) break;
        k = semi;
      }
      continue;
    }
    out += s[k];
  }
  return out;
}

Dimension RecordParser::ParseDimension(std::span<const Tag> tags) {
  Dimension d;
  FillCommon(d, tags);
  std::size_t k = 0;
  for (; k < tags.size() && tags[k].code < 1000; ++k) {
    const Tag& t = tags[k];
    if (Coord(d.definition, t, 10) || Coord(d.text_mid, t, 11) || Coord(d.p13, t, 13) ||
        Coord(d.p14, t, 14) || Coord(d.p15, t, 15) || Coord(d.p16, t, 16))
      continue;
    switch (t.code) {
      case 2:
        d.block = Str(t);
        break;
      case 3:
        d.style = Str(t);
        break;
      case 42:
        d.measurement = Real(t);
        break;
      case 70:
        d.type = Int(t);
        break;
      case 50:
        d.angle = Real(t);
        break;
      case 1:
        d.text = Str(t);
        break;
    }
  }
  // Extended data: ACAD / DSTYLE / { variable, value, ... }.
  bool acad = false, dstyle = false;
  for (; k < tags.size(); ++k) {
    const Tag& t = tags[k];
    if (t.code == 1001)
      acad = t.raw == "ACAD", dstyle = false;
    else if (acad && t.code == 1000 && t.raw == "DSTYLE")
      dstyle = true;
    else if (dstyle && t.code == 1002 && t.raw == "}")
      dstyle = false;
    else if (dstyle && t.code == 1070 && k + 1 < tags.size() && tags[k + 1].code != 1002) {
      d.overrides.push_back(DimOverride{Int(t), tags[k + 1].code, Str(tags[k + 1])});
      ++k;
    }
  }
  return d;
}

}  // namespace cadsim::dxf
