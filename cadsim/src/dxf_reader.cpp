// The DXF reader: a tolerant pass over group codes that keeps what the model
// knows and skips the rest, naming the line of anything it cannot read.
#include <fstream>
#include <iterator>
#include <map>
#include <span>

#include "cadsim/dxf.h"
#include "dxf_records.h"
#include "dxf_tags.h"

namespace cadsim {
namespace {

using dxf::Tag;

using dxf::Coord;

class Reader {
 public:
  Reader(std::string_view bytes, platform::TextCodec& codec) : tags_(dxf::Tokenize(bytes)), codec_(codec) {}

  Drawing Read(ReadReport* report) {
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code == 0 && t.raw == "EOF") break;
      if (t.code != 0 || t.raw != "SECTION") throw DxfError(t.line, "SECTION expected");
      ++i_;
      if (i_ >= tags_.size() || tags_[i_].code != 2) throw DxfError(t.line, "section without a name");
      const std::string_view name = tags_[i_++].raw;
      if (name == "HEADER")
        Header();
      else if (name == "TABLES")
        Records([this](auto type, auto tags) { TableRecord(type, tags); });
      else if (name == "BLOCKS")
        Blocks();
      else if (name == "ENTITIES")
        Entities(drawing_.entities, true);
      else
        Records([](auto, auto) {});
    }
    for (Block& b : drawing_.blocks) {
      auto it = block_records_.find(Upper(b.name));
      if (it != block_records_.end()) b.record = it->second;
    }
    drawing_.Complete();
    if (report) report->skipped_entities = skipped_;
    return std::move(drawing_);
  }

 private:
  static std::u16string Upper(std::u16string s) {
    for (char16_t& c : s)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return s;
  }
  std::u16string Str(const Tag& t) { return dxf::Text(t, codec_); }

  // The tags of the record starting at i_ (its code-0 tag excluded); i_ moves
  // to the next code 0.
  std::span<const Tag> TakeRecord() {
    const std::size_t start = ++i_;
    while (i_ < tags_.size() && tags_[i_].code != 0) ++i_;
    return std::span<const Tag>(tags_).subspan(start, i_ - start);
  }

  template <class Fn>
  void Records(Fn&& fn) {
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code != 0) throw DxfError(t.line, "record expected");
      if (t.raw == "ENDSEC") {
        ++i_;
        return;
      }
      const std::string_view type = t.raw;
      fn(type, TakeRecord());
    }
  }

  void Header() {
    const Tag* var = nullptr;
    while (i_ < tags_.size() && !(tags_[i_].code == 0)) {
      const Tag& t = tags_[i_++];
      if (t.code == 9) {
        var = &t;
        continue;
      }
      if (!var) continue;
      if (var->raw == "$HANDSEED" && t.code == 5)
        drawing_.next_handle = dxf::Hex(t);
      else if (var->raw == "$INSBASE")
        Coord(drawing_.insertion_base, t, 10);
      else if (var->raw == "$CLAYER" && t.code == 8)
        drawing_.current_layer = Str(t);
      else if (var->raw == "$DIMSTYLE" && t.code == 2)
        drawing_.current_dim_style = Str(t);
      else if (var->raw == "$TEXTSTYLE" && t.code == 7)
        drawing_.current_text_style = Str(t);
    }
    if (i_ < tags_.size() && tags_[i_].raw == "ENDSEC") ++i_;
  }

  void TableRecord(std::string_view type, std::span<const Tag> tags) {
    if (type == "LAYER") {
      Layer l;
      for (const Tag& t : tags) {
        switch (t.code) {
          case 5:
            l.handle = dxf::Hex(t);
            break;
          case 2:
            l.name = Str(t);
            break;
          case 62: {
            const int c = dxf::Int(t);
            l.off = c < 0;
            l.color = static_cast<std::int16_t>(c < 0 ? -c : c);
            break;
          }
          case 6:
            l.linetype = Str(t);
            break;
          case 70:
            l.frozen = dxf::Int(t) & 1, l.locked = dxf::Int(t) & 4;
            break;
          case 370:
            l.lineweight = static_cast<std::int16_t>(dxf::Int(t));
            break;
        }
      }
      drawing_.layers.push_back(std::move(l));
    } else if (type == "LTYPE") {
      for (const Tag& t : tags) {
        if (t.code != 2) continue;
        const std::u16string name = Str(t);
        if (!SameName(name, u"ByBlock") && !SameName(name, u"ByLayer") && !SameName(name, u"Continuous"))
          drawing_.linetypes.push_back(name);
      }
    } else if (type == "STYLE") {
      TextStyle s;
      for (const Tag& t : tags) {
        switch (t.code) {
          case 5:
            s.handle = dxf::Hex(t);
            break;
          case 2:
            s.name = Str(t);
            break;
          case 40:
            s.height = dxf::Real(t);
            break;
          case 41:
            s.width_factor = dxf::Real(t);
            break;
          case 3:
            s.font = Str(t);
            break;
          case 4:
            s.bigfont = Str(t);
            break;
        }
      }
      if (!s.name.empty()) drawing_.text_styles.push_back(std::move(s));  // unnamed: shape files
    } else if (type == "DIMSTYLE") {
      DimStyle s;
      for (const Tag& t : tags) {
        switch (t.code) {
          case 105:
            s.handle = dxf::Hex(t);
            break;
          case 2:
            s.name = Str(t);
            break;
          case 40:
            s.dimscale = dxf::Real(t);
            break;
          case 41:
            s.dimasz = dxf::Real(t);
            break;
          case 42:
            s.dimexo = dxf::Real(t);
            break;
          case 44:
            s.dimexe = dxf::Real(t);
            break;
          case 45:
            s.dimrnd = dxf::Real(t);
            break;
          case 140:
            s.dimtxt = dxf::Real(t);
            break;
          case 147:
            s.dimgap = dxf::Real(t);
            break;
          case 271:
            s.dimdec = dxf::Int(t);
            break;
          case 78:
            s.dimzin = dxf::Int(t);
            break;
          case 279:
            s.dimtmove = dxf::Int(t);
            break;
          case 340:
            s.dimtxsty = dxf::Hex(t);
            break;
        }
      }
      drawing_.dim_styles.push_back(std::move(s));
    } else if (type == "BLOCK_RECORD") {
      Handle h = 0;
      std::u16string name;
      for (const Tag& t : tags) {
        if (t.code == 5) h = dxf::Hex(t);
        if (t.code == 2) name = Str(t);
      }
      block_records_[Upper(name)] = h;
    }
  }

  void Blocks() {
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code == 0 && t.raw == "ENDSEC") {
        ++i_;
        return;
      }
      if (t.code != 0 || t.raw != "BLOCK") throw DxfError(t.line, "BLOCK expected");
      Block b;
      for (const Tag& bt : TakeRecord()) {
        if (bt.code == 5)
          b.begin = dxf::Hex(bt);
        else if (bt.code == 2)
          b.name = Str(bt);
        else if (bt.code == 70)
          b.flags = dxf::Int(bt);
        else
          Coord(b.base, bt, 10);
      }
      Entities(b.entities, false);  // stops after ENDBLK
      if (i_ > 0 && !end_handles_.empty()) b.end = end_handles_.back();
      const bool layout = b.name.starts_with(u"*Model_Space") || b.name.starts_with(u"*Paper_Space") ||
                          b.name.starts_with(u"*MODEL_SPACE") || b.name.starts_with(u"*PAPER_SPACE");
      if (!layout) drawing_.blocks.push_back(std::move(b));
    }
  }

  // Entities up to ENDSEC (model space) or ENDBLK (a block).
  void Entities(std::vector<Entity>& out, bool model_space) {
    while (i_ < tags_.size()) {
      const Tag& t = tags_[i_];
      if (t.code != 0) throw DxfError(t.line, "entity expected");
      if (t.raw == "ENDSEC" || t.raw == "ENDBLK") {
        const bool endblk = t.raw == "ENDBLK";
        auto tags = TakeRecord();
        if (endblk) {
          end_handles_.push_back(0);
          for (const Tag& e : tags)
            if (e.code == 5) end_handles_.back() = dxf::Hex(e);
        }
        return;
      }
      const std::string_view type = t.raw;
      auto tags = TakeRecord();
      bool paper = false;
      for (const Tag& e : tags)
        if (e.code == 67 && dxf::Int(e) == 1) paper = true;
      std::optional<Entity> entity = parser_.Parse(type, tags);
      if (auto* insert = entity ? std::get_if<Insert>(&*entity) : nullptr) Attributes(*insert, tags);
      if (!entity) {
        if (type != "SEQEND" && type != "ATTRIB") ++skipped_;
      } else if (!(model_space && paper)) {
        out.push_back(std::move(*entity));
      }
    }
  }

  void Attributes(Insert& insert, std::span<const Tag> tags) {
    bool follow = false;
    for (const Tag& t : tags)
      if (t.code == 66) follow = dxf::Int(t) == 1;
    if (!follow) return;
    while (i_ < tags_.size() && tags_[i_].code == 0 && tags_[i_].raw == "ATTRIB") {
      auto at = TakeRecord();
      Attribute a = parser_.ParseAttribute(at);
      insert.attributes.push_back(std::move(a));
    }
    if (i_ < tags_.size() && tags_[i_].code == 0 && tags_[i_].raw == "SEQEND") {
      for (const Tag& t : TakeRecord())
        if (t.code == 5) insert.seqend = dxf::Hex(t);
    }
  }

  std::vector<Tag> tags_;
  platform::TextCodec& codec_;
  dxf::RecordParser parser_{codec_};
  std::size_t i_ = 0;
  Drawing drawing_;
  std::map<std::u16string, Handle> block_records_;
  std::vector<Handle> end_handles_;
  int skipped_ = 0;
};

}  // namespace

Drawing ReadDxf(std::string_view bytes, platform::TextCodec& codec, ReadReport* report) {
  Drawing d;
  d.layers.clear();
  return Reader(bytes, codec).Read(report);
}

Drawing ReadDxfFile(const std::filesystem::path& path, platform::TextCodec& codec, ReadReport* report) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DxfError(0, "cannot open " + path.string());
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ReadDxf(bytes, codec, report);
}

}  // namespace cadsim
