// The drawing cadsim keeps: the tables, blocks and entities the system reads
// or writes through AutoCAD, with AutoCAD's handles so that a scripted user
// can pick "the entity with handle 2F" and the exported DXF keeps the links
// between a dimension style and its text style.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cadsim {

// A DXF handle. 0 means "not given yet": Drawing::AssignHandles fills it.
using Handle = std::uint64_t;

struct Point {
  double x = 0, y = 0, z = 0;
};

// A DXF group the model does not interpret, kept to be written back as it
// came: the value as read (decoded text; numbers as their digits).
struct Group {
  int code = 0;
  std::u16string value;
  bool operator==(const Group&) const = default;
};

// What an object of the file carried that the model does not interpret.
// Another program's data travels in these, and AutoCAD keeps it: a round
// trip through cadsim must not lose it.
struct Kept {
  // The 102 groups after the handle: persistent reactors and the extension
  // dictionary ("{ACAD_XDICTIONARY", 360, "}").
  std::vector<Group> app_data;
  // Groups the model does not read, each after the subclass marker (100) it
  // came under, so that the writer puts it back in its subclass.
  std::vector<Group> groups;
  // Extended data: 1001 and everything after it.
  std::vector<Group> xdata;

  bool Empty() const { return app_data.empty() && groups.empty() && xdata.empty(); }
};

struct Layer {
  Handle handle = 0;
  std::u16string name;
  std::int16_t color = 7;
  std::u16string linetype = u"Continuous";
  std::int16_t lineweight = -3;  // default
  bool off = false, frozen = false, locked = false;
  Kept kept;
};

struct TextStyle {
  Handle handle = 0;
  std::u16string name;
  double height = 0;  // 0: asked for at each text
  double width_factor = 1;
  std::u16string font = u"txt.shx";
  std::u16string bigfont;
  Kept kept;
};

// The measurement system a drawing was started in ($MEASUREMENT): it decides
// the defaults of the dimension variables (DIMTXT 0.18 or 2.5, ...).
enum class Measurement { kImperial = 0, kMetric = 1 };

// A dimension style. The variables the system reads have fields; every other
// one is kept in `values` by its group code, as text. A style made without a
// measurement system gets the metric defaults of a Japanese AutoCAD;
// DimStyleDefaults() gives the imperial ones.
struct DimStyle {
  Handle handle = 0;
  std::u16string name;
  int flags = 0;          // 70
  double dimscale = 1;    // DIMSCALE (40)
  double dimasz = 2.5;    // DIMASZ (41)
  double dimexo = 0.625;  // DIMEXO (42)
  double dimexe = 1.25;   // DIMEXE (44)
  double dimrnd = 0;      // DIMRND (45)
  double dimtxt = 2.5;    // DIMTXT (140)
  double dimgap = 0.625;  // DIMGAP (147)
  int dimdec = 2;         // DIMDEC (271)
  int dimzin = 8;         // DIMZIN (78)
  int dimtmove = 0;       // DIMTMOVE (279)
  Handle dimtxsty = 0;    // DIMTXSTY (340): the text style's handle
  // The other variables that differ from the defaults (DIMLFAC 144, DIMTAD
  // 77, the arrow blocks 342 ...), and groups no variable stands for.
  std::map<int, std::u16string> values;
  Kept kept;
};

// A style holding AutoCAD's defaults for the measurement system.
DimStyle DimStyleDefaults(Measurement measurement);
// The value of a dimension variable by its DIMSTYLE group code, as text
// ("2.5", "8"), whether a field or `values` holds it (the metric default
// when neither does); empty for a code that is no variable and not held.
std::u16string DimStyleValue(const DimStyle& style, int code);
// Sets it in the field or in `values`.
void SetDimStyleValue(DimStyle& style, int code, std::u16string_view value);
// The group codes of the dimension variables a DIMSTYLE record carries, in
// the order AutoCAD writes them.
const std::vector<int>& DimStyleCodes();
// True when the style's value for code is the measurement system's default
// (with kImperial: the DXF reference's default, which a record leaves out).
bool IsDimStyleDefault(const DimStyle& style, int code, Measurement measurement);

// What every entity has.
struct Common {
  Handle handle = 0;
  std::u16string layer = u"0";
  std::int16_t color = 256;  // ByLayer
  std::u16string linetype = u"ByLayer";
  std::int16_t lineweight = -1;  // ByLayer
  Kept kept;
};

struct Line : Common {
  Point start, end;
};

struct Circle : Common {
  Point center;
  double radius = 1;
};

// A filled triangle or quadrilateral (arrowheads in dimension blocks).
struct Solid : Common {
  Point corners[4];
};

struct Text : Common {
  Point position;
  double height = 2.5;
  std::u16string value;
  double rotation = 0;  // degrees
  std::u16string style = u"Standard";
  double width_factor = 1;
  int halign = 0, valign = 0;
  Point align;  // used when halign or valign is not 0
};

// An attribute definition of a block; value is the default.
struct AttributeDef : Text {
  std::u16string tag, prompt;
  int flags = 0;  // 1 invisible, 2 constant, 4 verify, 8 preset
};

struct Attribute : Text {
  std::u16string tag;
  int flags = 0;
};

// One dimension-variable override kept in the dimension's extended data
// (application ACAD, "DSTYLE"): the variable's group code, then its value with
// the group (1070 integer, 1040 real, 1000 text, 1005 handle) it was written in.
struct DimOverride {
  int variable = 0;
  int group = 1070;
  std::u16string value;
};

struct Dimension : Common {
  std::u16string block;  // the anonymous block that draws it ("*D3")
  std::u16string style = u"Standard";
  Point definition;  // 10
  Point text_mid;    // 11
  Point p13, p14, p15, p16;
  // 42, in drawing units or radians. NaN: not measured yet; Complete()
  // measures it from the definition points. A command that moves a
  // definition point sets it to NaN again.
  double measurement = std::numeric_limits<double>::quiet_NaN();
  int type = 32;        // 70: kind in bits 0-2, 32 block of its own, 128 text moved
  int attachment = 5;   // 71: the text's attachment point, 5 its middle
  double angle = 0;     // 50, degrees (rotated dimensions)
  std::u16string text;  // 1: "" shows the measurement
  std::vector<DimOverride> overrides;

  int Kind() const {
    return type & 7;
  }  // 0 rotated, 1 aligned, 2 angular, 3 diameter, 4 radius, 5 angular 3-point, 6 ordinate
};

struct Insert : Common {
  std::u16string block;
  Point position;
  double sx = 1, sy = 1, sz = 1;
  double rotation = 0;                // degrees
  std::vector<Attribute> attributes;  // in the block's definition order
  Handle seqend = 0;
};

// An entity the model does not interpret (POINT, ARC, LWPOLYLINE, MTEXT,
// HATCH, ...): kept whole, to be written back as read. Its own groups are
// all in kept.groups, subclass markers included; `following` holds the
// records that belong to it (a POLYLINE's VERTEX records and SEQEND), each
// with its own handle among its groups.
struct Foreign : Common {
  std::string type;
  struct Record {
    std::string type;
    Handle handle = 0;
    std::vector<Group> groups;  // without the handle and the owner
  };
  std::vector<Record> following;

  // The point of group 10 (or the first of several), where a person picks it.
  Point First() const;
};

// How far a dimension measures, from its definition points as AutoCAD
// measures it: drawing units for linear and aligned ones, radians for
// angular ones, the diameter or radius for round ones; NaN for ordinates.
double Measure(const Dimension& d);

using Entity = std::variant<Line, Circle, Solid, Text, Dimension, Insert, AttributeDef, Foreign>;

const Common& CommonOf(const Entity& entity);
Common& CommonOf(Entity& entity);
// A point that stands for the entity when a person points at it (the text of
// a dimension, the start of a line, the insertion point of a block).
Point ReferencePoint(const Entity& entity);

struct Block {
  Handle record = 0;          // BLOCK_RECORD
  Handle begin = 0, end = 0;  // BLOCK and ENDBLK
  std::u16string name;
  Point base;
  int flags = 0;  // 1 anonymous, 2 has attribute definitions
  std::vector<Entity> entities;
  // The BLOCK_RECORD's groups the model does not read (its layout 340, the
  // insertion units, a preview image), the BLOCK's ones.
  Kept record_kept, begin_kept;

  std::vector<const AttributeDef*> AttributeDefs() const;
};

// Table and block names compare as AutoCAD compares them: ASCII letters
// without regard to case, everything else exactly.
bool SameName(std::u16string_view a, std::u16string_view b);

// A record of the file kept as read: a CLASS, a table entry of a table the
// model does not keep (VPORT, LTYPE, VIEW, UCS, APPID), an object.
struct Record {
  std::string type;
  std::vector<Group> groups;  // without the owner of a table entry
  // The value of the first group with this code, or empty.
  std::u16string Value(int code) const;
};

// A section the model does not interpret (ACDSDATA, THUMBNAILIMAGE, ...).
struct Section {
  std::string name;
  std::vector<Group> groups;
};

// What a read file held besides the model, written back in its place.
struct FileKept {
  std::vector<std::pair<std::string, std::vector<Group>>> header;  // variables cadsim does not write itself
  std::vector<Record> classes;
  std::vector<Record> table_entries;  // VPORT, LTYPE, VIEW, UCS, APPID
  std::vector<Record> objects;        // the OBJECTS section
  std::vector<Section> sections;      // those after OBJECTS
  // The layout blocks: handles of *Model_Space and *Paper_Space's records,
  // BLOCK and ENDBLK, and of the LAYOUT objects their records name. Zero
  // for a drawing that did not come with them.
  Handle model_record = 0, model_begin = 0, model_end = 0, model_layout = 0;
  Handle paper_record = 0, paper_begin = 0, paper_end = 0, paper_layout = 0;
};

struct Drawing {
  std::vector<Layer> layers;
  std::vector<std::u16string> linetypes;  // besides ByBlock, ByLayer, Continuous
  std::vector<TextStyle> text_styles;
  std::vector<DimStyle> dim_styles;
  std::vector<Block> blocks;
  std::vector<Entity> entities;                    // model space, in drawing order
  std::vector<Entity> paper;                       // the active layout's paper space, kept as read
  Point insertion_base;                            // $INSBASE
  Measurement measurement = Measurement::kMetric;  // $MEASUREMENT
  std::u16string current_layer = u"0";
  std::u16string current_dim_style = u"Standard";
  std::u16string current_text_style = u"Standard";
  Handle next_handle = 0x30;  // $HANDSEED
  FileKept kept;

  Layer* FindLayer(std::u16string_view name);
  Layer& EnsureLayer(std::u16string_view name);
  TextStyle* FindTextStyle(std::u16string_view name);
  TextStyle* FindTextStyle(Handle handle);
  DimStyle* FindDimStyle(std::u16string_view name);
  Block* FindBlock(std::u16string_view name);
  Entity* FindEntity(Handle handle);
  Handle NewHandle() { return next_handle++; }

  // Makes the drawing complete: layer 0, text style and dimension style
  // Standard, every layer, style and application it names, a measurement on
  // every dimension, a handle on everything, the seed above every handle in
  // use.
  void Complete();

 private:
  // Layer 0 and the text and dimension styles Standard, first in their
  // tables, where the drawing lacks them.
  void AddStandardEntries();
  void AddReferencedTableEntries();
  void MeasureDimensions();
  // The highest handle anything in the drawing holds.
  Handle HighestHandle() const;
  // A new handle on every table entry, block and entity of the model that
  // has none.
  void GiveHandles();
  void RegisterApplications();
};

// A handle written as DXF writes it (hexadecimal, upper case), and read back
// (0 for text that is none).
std::u16string HandleText(Handle handle);
Handle HandleOf(std::u16string_view text);

}  // namespace cadsim
