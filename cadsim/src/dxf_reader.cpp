// The DXF reader: a tolerant pass over group codes that reads what the model
// knows, keeps the rest to be written back, and names the line of anything
// it cannot read.
//
// Other programs' files differ from AutoCAD's in what they carry: comments
// (skipped by the tokenizer), sections in any number and order (CLASSES,
// OBJECTS, THUMBNAILIMAGE, ACDSDATA, ...), no tables at all, or UTF-8 text
// from AutoCAD 2007 on.
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <span>

#include "cadsim/dxf.h"
#include "dxf_records.h"
#include "dxf_tags.h"

namespace cadsim {
namespace {

using dxf::Tag;

using dxf::Coord;

// The header variables the writer writes from the model; the others are kept.
const std::set<std::string_view> kWrittenVariables = {
    "$ACADVER", "$ACADMAINTVER", "$DWGCODEPAGE", "$INSBASE",     "$EXTMIN",  "$EXTMAX",
    "$CLAYER",  "$TEXTSTYLE",    "$DIMSTYLE",    "$MEASUREMENT", "$HANDSEED"};

bool IsLayoutBlock(std::u16string_view name, std::u16string_view layout) { return SameName(name, layout); }

class Reader {
 public:
  Reader(std::string_view bytes, platform::TextCodec& codec) : tags_(dxf::Tokenize(bytes)), codec_(codec) {
    // AutoCAD 2007 and later write UTF-8 whatever $DWGCODEPAGE says.
    for (std::size_t k = 0; k + 1 < tags_.size() && k < 16; ++k) {
      if (tags_[k].code == 9 && tags_[k].raw == "$ACADVER") {
        const std::string_view v = tags_[k + 1].raw;
        utf8_ = v.size() >= 6 && v.starts_with("AC") && v.substr(2, 4) >= "1021";
      }
    }
    parser_.SetUtf8(utf8_);
  }

  Drawing Read(ReadReport* report) {
    if (tags_.empty()) throw DxfError(1, "empty file: no SECTION and no EOF");
    bool eof = false;
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code == 0 && t.raw == "EOF") {
        eof = true;
        break;
      }
      if (t.code != 0 || t.raw != "SECTION") throw DxfError(t.line, "SECTION expected");
      ++i_;
      if (i_ >= tags_.size() || tags_[i_].code != 2) throw DxfError(t.line, "section without a name");
      const std::string name(tags_[i_++].raw);
      if (name == "HEADER")
        Header();
      else if (name == "CLASSES")
        Records(
            [this](std::string_view type, auto tags) { drawing_.kept.classes.push_back(Raw(type, tags)); },
            name);
      else if (name == "TABLES")
        Records([this](std::string_view type, auto tags) { TableRecord(type, tags); }, name);
      else if (name == "BLOCKS")
        Blocks();
      else if (name == "ENTITIES")
        Entities(drawing_.entities, &drawing_.paper);
      else if (name == "OBJECTS")
        Records(
            [this](std::string_view type, auto tags) { drawing_.kept.objects.push_back(Raw(type, tags)); },
            name);
      else
        RawSection(name);
    }
    // A file cut short (a copy broken off, a writer that crashed) must not pass
    // for a whole drawing with less in it.
    if (!eof) throw DxfError(LineAfterLast(), "the file ends without EOF");
    for (Block& b : drawing_.blocks) {
      auto it = block_records_.find(Upper(b.name));
      if (it == block_records_.end()) continue;
      b.record = it->second.first;
      b.record_kept = std::move(it->second.second);
    }
    drawing_.Complete();
    if (report) report->foreign_entities = foreign_;
    return std::move(drawing_);
  }

 private:
  static std::u16string Upper(std::u16string s) {
    for (char16_t& c : s)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return s;
  }
  std::u16string Str(const Tag& t) { return parser_.Str(t); }

  // The line after the last value line: where the missing part would begin.
  std::size_t LineAfterLast() const { return tags_.empty() ? 1 : tags_.back().line + 2; }

  // A section reached the end of the file, or the next SECTION or EOF,
  // without its ENDSEC.
  [[noreturn]] void NoEndsec(std::string_view section) const {
    const std::size_t line = i_ < tags_.size() ? tags_[i_].line : LineAfterLast();
    throw DxfError(line, "section " + std::string(section) + " has no ENDSEC");
  }
  bool AtSectionOrEof() const {
    return i_ < tags_.size() && tags_[i_].code == 0 && (tags_[i_].raw == "SECTION" || tags_[i_].raw == "EOF");
  }

  Record Raw(std::string_view type, std::span<const Tag> tags) {
    Record r;
    r.type = type;
    for (const Tag& t : tags) r.groups.push_back(parser_.ToGroup(t));
    return r;
  }

  // The tags of the record starting at i_ (its code-0 tag excluded); i_ moves
  // to the next code 0.
  std::span<const Tag> TakeRecord() {
    const std::size_t start = ++i_;
    while (i_ < tags_.size() && tags_[i_].code != 0) ++i_;
    return std::span<const Tag>(tags_).subspan(start, i_ - start);
  }

  template <class Fn>
  void Records(Fn&& fn, std::string_view section) {
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code != 0) throw DxfError(t.line, "record expected");
      if (AtSectionOrEof()) NoEndsec(section);
      if (t.raw == "ENDSEC") {
        ++i_;
        return;
      }
      const std::string_view type = t.raw;
      fn(type, TakeRecord());
    }
    NoEndsec(section);
  }

  // A section of groups that need not form records (THUMBNAILIMAGE holds a
  // size and hex data with no code 0 before ENDSEC).
  void RawSection(const std::string& name) {
    Section s;
    s.name = name;
    auto at = [&](std::string_view word) { return tags_[i_].code == 0 && tags_[i_].raw == word; };
    while (i_ < tags_.size() && !at("ENDSEC") && !at("EOF")) s.groups.push_back(parser_.ToGroup(tags_[i_++]));
    if (i_ >= tags_.size() || !at("ENDSEC")) NoEndsec(name);
    ++i_;
    drawing_.kept.sections.push_back(std::move(s));
  }

  void Header() {
    std::string var;
    std::vector<Group> groups;
    auto variable_done = [&] {
      if (!var.empty() && !kWrittenVariables.contains(var))
        drawing_.kept.header.emplace_back(std::move(var), std::move(groups));
      var.clear();
      groups.clear();
    };
    while (i_ < tags_.size() && tags_[i_].code != 0) {
      const Tag& t = tags_[i_++];
      if (t.code == 9) {
        variable_done();
        var = t.raw;
        continue;
      }
      if (var.empty()) continue;
      groups.push_back(parser_.ToGroup(t));
      if (var == "$HANDSEED" && t.code == 5)
        drawing_.next_handle = dxf::Hex(t);
      else if (var == "$INSBASE")
        Coord(drawing_.insertion_base, t, 10);
      else if (var == "$CLAYER" && t.code == 8)
        drawing_.current_layer = Str(t);
      else if (var == "$DIMSTYLE" && t.code == 2)
        drawing_.current_dim_style = Str(t);
      else if (var == "$TEXTSTYLE" && t.code == 7)
        drawing_.current_text_style = Str(t);
      else if (var == "$MEASUREMENT" && t.code == 70)
        drawing_.measurement = dxf::Int(t) == 0 ? Measurement::kImperial : Measurement::kMetric;
    }
    variable_done();
    if (i_ < tags_.size() && tags_[i_].raw == "ENDSEC") ++i_;
  }

  void TableRecord(std::string_view type, std::span<const Tag> tags) {
    if (type == "TABLE" || type == "ENDTAB") return;  // the writer makes the table heads
    if (type == "LAYER")
      LayerRecord(tags);
    else if (type == "STYLE")
      StyleRecord(type, tags);
    else if (type == "DIMSTYLE")
      DimStyleRecord(tags);
    else if (type == "BLOCK_RECORD")
      BlockRecord(tags);
    else
      KeptRecord(type, tags);  // VPORT, LTYPE, VIEW, UCS, APPID
  }

  void LayerRecord(std::span<const Tag> tags) {
    Layer l;
    l.kept = parser_.Split(tags, [&](const Tag& t, std::string_view) {
      switch (t.code) {
        case 5:
          l.handle = dxf::Hex(t);
          return true;
        case 2:
          l.name = Str(t);
          return true;
        case 62: {
          const int c = dxf::Int(t);
          l.off = c < 0;
          l.color = static_cast<std::int16_t>(c < 0 ? -c : c);
          return true;
        }
        case 6:
          l.linetype = Str(t);
          return true;
        case 70:
          l.frozen = dxf::Int(t) & 1;
          l.locked = dxf::Int(t) & 4;
          return true;
        case 370:
          l.lineweight = static_cast<std::int16_t>(dxf::Int(t));
          return true;
      }
      return false;
    });
    drawing_.layers.push_back(std::move(l));
  }

  void StyleRecord(std::string_view type, std::span<const Tag> tags) {
    TextStyle s;
    s.kept = parser_.Split(tags, [&](const Tag& t, std::string_view) {
      switch (t.code) {
        case 5:
          s.handle = dxf::Hex(t);
          return true;
        case 2:
          s.name = Str(t);
          return true;
        case 40:
          s.height = dxf::Real(t);
          return true;
        case 41:
          s.width_factor = dxf::Real(t);
          return true;
        case 3:
          s.font = Str(t);
          return true;
        case 4:
          s.bigfont = Str(t);
          return true;
      }
      return false;
    });
    // An unnamed style is a shape file: kept as it came.
    if (s.name.empty())
      drawing_.kept.table_entries.push_back(Raw(type, tags));
    else
      drawing_.text_styles.push_back(std::move(s));
  }

  void DimStyleRecord(std::span<const Tag> tags) {
    // A value the record leaves out is the DXF reference's default, the
    // imperial one, whatever the drawing's measurement system: AutoCAD
    // writes a metric style's DIMTXT 2.5 out in full.
    DimStyle s = DimStyleDefaults(Measurement::kImperial);
    s.kept = parser_.Split(tags, [&](const Tag& t, std::string_view) {
      if (t.code == 105) {
        s.handle = dxf::Hex(t);
      } else if (t.code == 2) {
        s.name = Str(t);
      } else if (t.code == 70) {
        s.flags = dxf::Int(t);
      } else {
        // Every variable, and what a newer or older writer adds (the
        // arrow names 5-7 of release 12, DIMFIT 287).
        std::u16string v = Str(t);
        if (dxf::IsRealCode(t.code) || dxf::IsIntegerCode(t.code)) {
          while (!v.empty() && v.front() == u' ') v.erase(0, 1);
          while (!v.empty() && v.back() == u' ') v.pop_back();
        }
        SetDimStyleValue(s, t.code, v);
      }
      return true;
    });
    drawing_.dim_styles.push_back(std::move(s));
  }

  void BlockRecord(std::span<const Tag> tags) {
    Handle h = 0;
    std::u16string name;
    Kept kept = parser_.Split(tags, [&](const Tag& t, std::string_view) {
      if (t.code == 5) h = dxf::Hex(t);
      if (t.code == 2) name = Str(t);
      return t.code == 5 || t.code == 2;
    });
    // The two layout blocks are written by the writer; their layouts are
    // the OBJECTS section's.
    FileKept& f = drawing_.kept;
    auto layout = [&] {
      for (const Group& g : kept.groups)
        if (g.code == 340) return static_cast<Handle>(std::strtoull(Narrow(g.value).c_str(), nullptr, 16));
      return Handle{0};
    };
    if (IsLayoutBlock(name, u"*Model_Space")) {
      f.model_record = h;
      f.model_layout = layout();
    } else if (IsLayoutBlock(name, u"*Paper_Space")) {
      f.paper_record = h;
      f.paper_layout = layout();
    } else {
      block_records_[Upper(name)] = {h, std::move(kept)};
    }
  }

  // A record of a table the model has no part in: kept whole, without the
  // owner.
  void KeptRecord(std::string_view type, std::span<const Tag> tags) {
    Record r;
    r.type = type;
    bool marked = false, owner_seen = false;
    for (const Tag& t : tags) {
      marked = marked || t.code == 100;
      if (t.code == 330 && !marked && !owner_seen)
        owner_seen = true;
      else
        r.groups.push_back(parser_.ToGroup(t));
    }
    if (type == "LTYPE") {
      const std::u16string name = r.Value(2);
      if (!SameName(name, u"ByBlock") && !SameName(name, u"ByLayer") && !SameName(name, u"Continuous"))
        drawing_.linetypes.push_back(name);
    }
    drawing_.kept.table_entries.push_back(std::move(r));
  }

  static std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  }

  void Blocks() {
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code == 0 && t.raw == "ENDSEC") {
        ++i_;
        return;
      }
      if (AtSectionOrEof()) NoEndsec("BLOCKS");
      if (t.code != 0 || t.raw != "BLOCK") throw DxfError(t.line, "BLOCK expected");
      const std::size_t block_line = t.line;
      Block b;
      b.begin_kept = parser_.Split(TakeRecord(), [&](const Tag& bt, std::string_view) {
        switch (bt.code) {
          case 5:
            b.begin = dxf::Hex(bt);
            return true;
          case 2:
            b.name = Str(bt);
            return true;
          case 70:
            b.flags = dxf::Int(bt);
            return true;
          case 8:  // written as 0, as AutoCAD does
          case 3:  // the name again
            return true;
        }
        return Coord(b.base, bt, 10);
      });
      Handle end = 0;
      Entities(b.entities, nullptr, &end, block_line);  // stops after ENDBLK
      b.end = end;
      FileKept& f = drawing_.kept;
      if (IsLayoutBlock(b.name, u"*Model_Space")) {
        f.model_begin = b.begin;
        f.model_end = b.end;
      } else if (IsLayoutBlock(b.name, u"*Paper_Space")) {
        f.paper_begin = b.begin;
        f.paper_end = b.end;
        // Release 12 files and some writers keep paper space here.
        for (Entity& e : b.entities) drawing_.paper.push_back(std::move(e));
      } else {
        drawing_.blocks.push_back(std::move(b));
      }
    }
    NoEndsec("BLOCKS");
  }

  // Entities up to ENDSEC (the ENTITIES section) or ENDBLK (a block; *end
  // receives its handle). Paper-space entities go to *paper when given.
  void Entities(std::vector<Entity>& out, std::vector<Entity>* paper_out, Handle* end = nullptr,
                std::size_t block_line = 0) {
    // A block whose ENDBLK is missing would take the next block's entities
    // (or the rest of the section) for its own.
    const auto no_endblk = [&] { throw DxfError(block_line, "the block that begins here has no ENDBLK"); };
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code != 0) throw DxfError(t.line, "entity expected");
      if (end && (t.raw == "BLOCK" || t.raw == "ENDSEC")) no_endblk();
      if (AtSectionOrEof()) NoEndsec(end ? "BLOCKS" : "ENTITIES");
      if (t.raw == "ENDSEC" || t.raw == "ENDBLK") {
        const bool endblk = t.raw == "ENDBLK";
        auto tags = TakeRecord();
        if (endblk && end)
          for (const Tag& e : tags)
            if (e.code == 5) *end = dxf::Hex(e);
        if (!endblk || end) return;
        continue;
      }
      const std::string_view type = t.raw;
      auto tags = TakeRecord();
      bool paper = false;
      Entity entity = parser_.Parse(type, tags, &paper);
      if (auto* insert = std::get_if<Insert>(&entity)) Attributes(*insert, tags);
      if (auto* foreign = std::get_if<Foreign>(&entity)) {
        Following(*foreign);
        ++foreign_;
      }
      (paper && paper_out ? *paper_out : out).push_back(std::move(entity));
    }
    if (end) no_endblk();
    NoEndsec("ENTITIES");
  }

  void Attributes(Insert& insert, std::span<const Tag> tags) {
    bool follow = false;
    for (const Tag& t : tags)
      if (t.code == 66) follow = dxf::Int(t) == 1;
    if (!follow) return;
    while (i_ < tags_.size() && tags_[i_].code == 0 && tags_[i_].raw == "ATTRIB")
      insert.attributes.push_back(parser_.ParseAttribute(TakeRecord()));
    if (i_ < tags_.size() && tags_[i_].code == 0 && tags_[i_].raw == "SEQEND") {
      for (const Tag& t : TakeRecord())
        if (t.code == 5) insert.seqend = dxf::Hex(t);
    }
  }

  // A POLYLINE's VERTEX records and its SEQEND stay with it.
  void Following(Foreign& f) {
    if (f.type != "POLYLINE") return;
    while (i_ < tags_.size() && tags_[i_].code == 0 &&
           (tags_[i_].raw == "VERTEX" || tags_[i_].raw == "SEQEND")) {
      const std::string_view type = tags_[i_].raw;
      Handle h = 0;
      Foreign::Record r = parser_.ParseFollowing(type, TakeRecord(), &h);
      r.handle = h;
      f.following.push_back(std::move(r));
      if (type == "SEQEND") break;
    }
  }

  std::vector<Tag> tags_;
  platform::TextCodec& codec_;
  bool utf8_ = false;
  dxf::RecordParser parser_{codec_};
  std::size_t i_ = 0;
  Drawing drawing_;
  std::map<std::u16string, std::pair<Handle, Kept>> block_records_;
  int foreign_ = 0;
};

}  // namespace

Drawing ReadDxf(std::string_view bytes, platform::TextCodec& codec, ReadReport* report) {
  return Reader(bytes, codec).Read(report);
}

Drawing ReadDxfFile(const std::filesystem::path& path, platform::TextCodec& codec, ReadReport* report) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw DxfError(0, path.string() + " is a folder, not a DXF file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DxfError(0, "cannot open " + path.string());
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ReadDxf(bytes, codec, report);
}

}  // namespace cadsim
