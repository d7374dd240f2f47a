// Reading a drawing's parts-table entries and dimensions from its DXF file.
#include <optional>
#include <string>
#include <vector>

#include "app/file_bytes.h"
#include "app/number_text.h"
#include "app/report.h"
#include "report_dxf.h"
#include "texts.h"

namespace plendra {
namespace {

// One entity of the ENTITIES section: its type and the groups the reports
// use. A later value of a code replaces an earlier one, as in the lookup's
// scan, so an ATTRIB's tag and value are its last groups 2 and 1.
struct Entity {
  std::string_view type;
  std::int64_t line = 0;
  std::string_view g1, g2, g8, g10, g20, g11, g21, g41, g42;
  bool has41 = false;
  bool has42 = false;
};

void Keep(Entity& e, const DxfGroup& g) {
  switch (g.code) {
    case 1:
      e.g1 = g.value;
      break;
    case 2:
      e.g2 = g.value;
      break;
    case 8:
      e.g8 = g.value;
      break;
    case 10:
      e.g10 = g.value;
      break;
    case 20:
      e.g20 = g.value;
      break;
    case 11:
      e.g11 = g.value;
      break;
    case 21:
      e.g21 = g.value;
      break;
    case 41:
      e.g41 = g.value;
      e.has41 = true;
      break;
    case 42:
      e.g42 = g.value;
      e.has42 = true;
      break;
    default:
      break;
  }
}

// An INSERT and the ATTRIBs that follow it up to its SEQEND (or the next
// other entity). ATTRIBs that follow no INSERT form one of their own, with
// no layer, so that the lookup's count of them is kept.
struct Insert {
  Entity entity;
  std::vector<std::u16string> values;
};

struct Attrib {
  std::size_t insert;
  std::u16string tag, value;
};

class EntitiesReader {
 public:
  explicit EntitiesReader(platform::TextCodec& codec) : codec_(codec) {}

  void Add(const Entity& e) {
    if (e.type == "INSERT") {
      inserts_.push_back({e, {}});
      open_ = true;
    } else if (e.type == "ATTRIB") {
      if (!open_) {
        Entity loose;
        loose.line = e.line;
        inserts_.push_back({loose, {}});
        open_ = true;
      }
      const std::u16string value = codec_.FromAnsi(e.g1);
      inserts_.back().values.push_back(value);
      attribs_.push_back({inserts_.size() - 1, codec_.FromAnsi(e.g2), value});
    } else {
      open_ = false;
      if (e.type == "DIMENSION")
        drawing_.dimensions.push_back({codec_.FromAnsi(e.g11), codec_.FromAnsi(e.g21),
                                       e.has42 ? codec_.FromAnsi(e.g42) : std::u16string(),
                                       codec_.FromAnsi(e.g1), e.line});
    }
  }

  ReportDrawing Finish() {
    for (std::size_t i = 0; i < attribs_.size(); ++i) {
      if (attribs_[i].tag != texts::kSystemTag) continue;
      const Insert& insert = inserts_[attribs_[i].insert];
      ReportEntry entry;
      entry.system = attribs_[i].value;
      if (i + 1 < attribs_.size()) {
        entry.number_text = attribs_[i + 1].value;
        entry.number = LookupNumber(entry.number_text);
      }
      entry.attributes = insert.values;
      entry.layer = codec_.FromAnsi(insert.entity.g8);
      entry.block = codec_.FromAnsi(insert.entity.g2);
      entry.insert_x = LeadingNumber(codec_.FromAnsi(insert.entity.g10));
      entry.insert_y = LeadingNumber(codec_.FromAnsi(insert.entity.g20));
      if (insert.entity.has41) entry.scale = LeadingNumber(codec_.FromAnsi(insert.entity.g41));
      entry.line = insert.entity.line;
      drawing_.entries.push_back(std::move(entry));
    }
    return std::move(drawing_);
  }

 private:
  // The lookup reads the number as a whole decimal text and rounds it; a
  // value beyond 32 bits would stop the lookup with an overflow, so here it
  // is no number.
  static std::optional<std::int32_t> LookupNumber(std::u16string_view text) {
    const std::optional<double> value = ReadDecimal(text);
    if (!value || !(*value > -2147483648.5 && *value < 2147483647.5)) return std::nullopt;
    return RoundToLong(*value);
  }

  platform::TextCodec& codec_;
  std::vector<Insert> inserts_;
  std::vector<Attrib> attribs_;
  bool open_ = false;
  ReportDrawing drawing_;
};

// Entity types and section names as AutoCAD reads them, blanks around them
// ignored; text values (tags, systems) stay exact.
std::string_view Word(std::string_view value) {
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

std::optional<ReportDrawing> Fail(ReportReadFailure& failure, std::int64_t line, std::u16string text) {
  failure.line = line;
  failure.description = std::move(text);
  return std::nullopt;
}

}  // namespace

std::u16string ReportEntry::Attribute(std::size_t position) const {
  return position >= 1 && position <= attributes.size() ? attributes[position - 1] : std::u16string();
}

std::u16string ReportEntry::NumberShown() const { return number ? IntegerText(*number) : number_text; }

std::optional<ReportDrawing> ReadReportDrawing(std::string_view bytes, platform::TextCodec& codec,
                                               ReportReadFailure& failure) {
  if (bytes.starts_with("AutoCAD Binary DXF"))
    return Fail(failure, 0, u"バイナリ形式の DXF は読めません。ASCII 形式で書き出してください");
  DxfGroupReader reader(bytes);
  EntitiesReader entities(codec);
  try {
    DxfGroup g;
    bool in_entities = false;
    std::optional<Entity> current;
    while (reader.Next(g)) {
      if (!in_entities) {
        if (g.code != 0 || Word(g.value) != "SECTION") continue;
        if (!reader.Next(g)) break;
        in_entities = g.code == 2 && Word(g.value) == "ENTITIES";
        continue;
      }
      if (g.code != 0) {
        if (current) Keep(*current, g);
        continue;
      }
      if (current) entities.Add(*current);
      current.reset();
      // Only the entities are needed: the rest of the file is not read.
      if (Word(g.value) == "ENDSEC") return entities.Finish();
      current = Entity{};
      current->type = Word(g.value);
      current->line = g.line;
    }
    if (in_entities)
      return Fail(
          failure, reader.LinesRead(),
          u"ENTITIES セクションが " + LineText(reader.LinesRead()) + u" 行目で終わらずに切れています");
    return Fail(failure, 0, u"ENTITIES セクションがありません (DXF ファイルではないか、壊れています)");
  } catch (const DxfGroupError& e) {
    return Fail(failure, e.line, e.description);
  }
}

std::optional<ReportDrawing> ReadReportFile(const std::filesystem::path& file, platform::TextCodec& codec,
                                            ReportReadFailure& failure) {
  const std::optional<std::string> bytes = ReadFileBytes(file);
  if (!bytes) return Fail(failure, 0, u"ファイルが見つからないか、読めません");
  return ReadReportDrawing(*bytes, codec, failure);
}

ReportDrawing JoinDrawings(std::vector<ReportDrawing> sheets) {
  ReportDrawing joined;
  for (std::size_t sheet = 0; sheet < sheets.size(); ++sheet) {
    for (ReportEntry& e : sheets[sheet].entries) {
      e.sheet = sheet;
      joined.entries.push_back(std::move(e));
    }
    for (ReportDimension& d : sheets[sheet].dimensions) {
      d.sheet = sheet;
      joined.dimensions.push_back(std::move(d));
    }
  }
  return joined;
}

}  // namespace plendra
