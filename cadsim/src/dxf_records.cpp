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

Kept RecordParser::Split(std::span<const Tag> tags,
                         const std::function<bool(const Tag&, std::string_view)>& take) {
  Kept k;
  std::string_view subclass;
  bool app_data = false, owner_seen = false, xdata = false;
  for (const Tag& t : tags) {
    if (xdata || t.code == 1001) {
      xdata = true;
      k.xdata.push_back(ToGroup(t));
    } else if (t.code == 102 || app_data) {
      // "{ACAD_REACTORS" ... "}": the groups between belong to the block.
      if (t.code == 102) app_data = !t.raw.starts_with("}");
      k.app_data.push_back(ToGroup(t));
    } else if (t.code == 100) {
      subclass = t.raw;
      k.groups.push_back(ToGroup(t));
    } else if (t.code == 330 && subclass.empty() && !owner_seen) {
      owner_seen = true;
    } else if (!take(t, subclass)) {
      k.groups.push_back(ToGroup(t));
    }
  }
  return k;
}

bool RecordParser::TakeCommon(Common& c, const Tag& t, std::string_view subclass, bool* paper) {
  // Files without subclass markers (release 12) have these before anything.
  if (!subclass.empty() && subclass != "AcDbEntity") return false;
  switch (t.code) {
    case 5:
      c.handle = Hex(t);
      return true;
    case 8:
      c.layer = Str(t);
      return true;
    case 62:
      c.color = static_cast<std::int16_t>(Int(t));
      return true;
    case 6:
      c.linetype = Str(t);
      return true;
    case 370:
      c.lineweight = static_cast<std::int16_t>(Int(t));
      return true;
    case 67:
      if (paper) *paper = Int(t) == 1;
      return true;
  }
  return false;
}

bool RecordParser::TakeText(cadsim::Text& x, const Tag& t, bool attribute) {
  if (Coord(x.position, t, 10) || Coord(x.align, t, 11)) return true;
  switch (t.code) {
    case 40:
      x.height = Real(t);
      return true;
    case 1:
      x.value = Str(t);
      return true;
    case 50:
      x.rotation = Real(t);
      return true;
    case 41:
      x.width_factor = Real(t);
      return true;
    case 7:
      x.style = Str(t);
      return true;
    case 72:
      x.halign = Int(t);
      return true;
    case 73:
      if (attribute) return false;
      x.valign = Int(t);
      return true;
    case 74:
      if (!attribute) return false;
      x.valign = Int(t);
      return true;
  }
  return false;
}

Attribute RecordParser::ParseAttribute(std::span<const Tag> tags) {
  Attribute a;
  a.kept = Split(tags, [&](const Tag& t, std::string_view subclass) {
    if (TakeCommon(a, t, subclass, nullptr) || TakeText(a, t, true)) return true;
    if (t.code == 2) a.tag = Str(t);
    if (t.code == 70) a.flags = Int(t);
    return t.code == 2 || t.code == 70;
  });
  return a;
}

Foreign::Record RecordParser::ParseFollowing(std::string_view type, std::span<const Tag> tags,
                                             Handle* handle) {
  Foreign::Record r;
  r.type = type;
  bool owner_seen = false, marked = false;
  for (const Tag& t : tags) {
    marked = marked || t.code == 100;
    if (t.code == 5 && !marked) {
      *handle = Hex(t);
    } else if (t.code == 330 && !marked && !owner_seen) {
      owner_seen = true;
    } else {
      r.groups.push_back(ToGroup(t));
    }
  }
  return r;
}

bool RecordParser::TakeInsert(Insert& n, const Tag& t) {
  if (Coord(n.position, t, 10)) return true;
  switch (t.code) {
    case 2:
      n.block = Str(t);
      return true;
    case 41:
      n.sx = Real(t);
      return true;
    case 42:
      n.sy = Real(t);
      return true;
    case 43:
      n.sz = Real(t);
      return true;
    case 50:
      n.rotation = Real(t);
      return true;
    case 66:  // attributes follow: the reader sees them, the writer says so again
      return true;
  }
  return false;
}

bool RecordParser::TakeDimension(Dimension& d, const Tag& t, std::string_view subclass) {
  if (Coord(d.definition, t, 10) || Coord(d.text_mid, t, 11) || Coord(d.p13, t, 13) || Coord(d.p14, t, 14) ||
      Coord(d.p15, t, 15))
    return true;
  // Only the two-line angular dimension has a point 16; others that carry
  // one keep it as it came.
  if ((subclass.empty() || subclass == "AcDb2LineAngularDimension") && Coord(d.p16, t, 16)) return true;
  switch (t.code) {
    case 2:
      d.block = Str(t);
      return true;
    case 3:
      d.style = Str(t);
      return true;
    case 42:
      d.measurement = Real(t);
      return true;
    case 70:
      d.type = Int(t);
      // The low three bits name the kind, 0 to 6; a 7 is no dimension that
      // can be measured or drawn.
      if ((d.type & 7) == 7)
        throw DxfError(t.line + 1, "dimension type 0 to 6 expected, found " + std::to_string(d.type));
      return true;
    case 71:
      d.attachment = Int(t);
      return true;
    case 50:
      d.angle = Real(t);
      return true;
    case 1:
      d.text = Str(t);
      return true;
  }
  return false;
}

namespace {

// The dimension-variable overrides in the extended data (application ACAD,
// "DSTYLE", "{", variable and value pairs, "}") are read into the model and
// taken out of the kept extended data; the writer puts them back.
std::vector<DimOverride> TakeOverrides(std::vector<Group>& xdata) {
  std::vector<DimOverride> overrides;
  std::vector<Group> rest;
  bool acad = false;
  for (std::size_t k = 0; k < xdata.size(); ++k) {
    const Group& g = xdata[k];
    if (g.code == 1001) acad = g.value == u"ACAD";
    if (acad && g.code == 1000 && g.value == u"DSTYLE" && k + 1 < xdata.size() && xdata[k + 1].code == 1002) {
      std::size_t j = k + 2;
      for (; j < xdata.size() && !(xdata[j].code == 1002 && xdata[j].value == u"}"); ++j) {
        if (xdata[j].code == 1070 && j + 1 < xdata.size() && xdata[j + 1].code != 1002) {
          const std::string digits(xdata[j].value.begin(), xdata[j].value.end());
          overrides.push_back(DimOverride{std::atoi(digits.c_str()), xdata[j + 1].code, xdata[j + 1].value});
          ++j;
        }
      }
      k = j;  // past "}"
      continue;
    }
    rest.push_back(g);
  }
  // An application left without data is no longer worth its name.
  std::vector<Group> kept;
  for (std::size_t k = 0; k < rest.size(); ++k) {
    if (rest[k].code == 1001 && (k + 1 == rest.size() || rest[k + 1].code == 1001)) continue;
    kept.push_back(rest[k]);
  }
  xdata = std::move(kept);
  return overrides;
}

}  // namespace

Entity RecordParser::Parse(std::string_view type, std::span<const Tag> tags, bool* paper) {
  auto split = [&](Common& c, auto&& take) {
    c.kept = Split(tags, [&](const Tag& t, std::string_view subclass) {
      return TakeCommon(c, t, subclass, paper) || take(t, subclass);
    });
  };
  if (type == "LINE") {
    Line l;
    split(l, [&](const Tag& t, std::string_view) { return Coord(l.start, t, 10) || Coord(l.end, t, 11); });
    return l;
  }
  if (type == "CIRCLE") {
    Circle c;
    split(c, [&](const Tag& t, std::string_view) {
      if (t.code == 40) c.radius = Real(t);
      return Coord(c.center, t, 10) || t.code == 40;
    });
    return c;
  }
  if (type == "SOLID") {
    Solid s;
    split(s, [&](const Tag& t, std::string_view) {
      for (int k = 0; k < 4; ++k)
        if (Coord(s.corners[k], t, 10 + k)) return true;
      return false;
    });
    return s;
  }
  if (type == "TEXT") {
    cadsim::Text x;
    split(x, [&](const Tag& t, std::string_view) { return TakeText(x, t, false); });
    return x;
  }
  if (type == "ATTDEF") {
    AttributeDef a;
    split(a, [&](const Tag& t, std::string_view) {
      if (TakeText(a, t, true)) return true;
      if (t.code == 2) a.tag = Str(t);
      if (t.code == 3) a.prompt = Str(t);
      if (t.code == 70) a.flags = Int(t);
      return t.code == 2 || t.code == 3 || t.code == 70;
    });
    return a;
  }
  if (type == "INSERT") {
    Insert n;
    split(n, [&](const Tag& t, std::string_view) { return TakeInsert(n, t); });
    return n;
  }
  if (type == "DIMENSION") {
    Dimension d;
    split(d, [&](const Tag& t, std::string_view subclass) { return TakeDimension(d, t, subclass); });
    d.overrides = TakeOverrides(d.kept.xdata);
    return d;
  }
  Foreign f;
  f.type = type;
  split(f, [](const Tag&, std::string_view) { return false; });
  return f;
}

}  // namespace cadsim::dxf
