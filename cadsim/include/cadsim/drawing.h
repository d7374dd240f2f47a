// The drawing cadsim keeps: the tables, blocks and entities the system reads
// or writes through AutoCAD, with AutoCAD's handles so that a scripted user
// can pick "the entity with handle 2F" and the exported DXF keeps the links
// between a dimension style and its text style.
#pragma once

#include <cstdint>
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

struct Layer {
  Handle handle = 0;
  std::u16string name;
  std::int16_t color = 7;
  std::u16string linetype = u"Continuous";
  std::int16_t lineweight = -3;  // default
  bool off = false, frozen = false, locked = false;
};

struct TextStyle {
  Handle handle = 0;
  std::u16string name;
  double height = 0;  // 0: asked for at each text
  double width_factor = 1;
  std::u16string font = u"txt.shx";
  std::u16string bigfont;
};

struct DimStyle {
  Handle handle = 0;
  std::u16string name;
  double dimscale = 1;  // DIMSCALE (40)
  double dimasz = 2.5;  // DIMASZ (41)
  double dimexo = 0.625, dimexe = 1.25;
  double dimrnd = 0;      // DIMRND (45)
  double dimtxt = 2.5;    // DIMTXT (140)
  double dimgap = 0.625;  // DIMGAP (147)
  int dimdec = 4;         // DIMDEC (271)
  int dimzin = 0;         // DIMZIN (78)
  int dimtmove = 0;       // DIMTMOVE (279)
  Handle dimtxsty = 0;    // DIMTXSTY (340): the text style's handle
};

// What every entity has.
struct Common {
  Handle handle = 0;
  std::u16string layer = u"0";
  std::int16_t color = 256;  // ByLayer
  std::u16string linetype = u"ByLayer";
  std::int16_t lineweight = -1;  // ByLayer
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
  double measurement = 0;  // 42
  int type = 32;           // 70: kind in bits 0-2, 32 block of its own, 128 text moved
  double angle = 0;        // 50, degrees (rotated dimensions)
  std::u16string text;     // 1: "" shows the measurement
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

using Entity = std::variant<Line, Circle, Solid, Text, Dimension, Insert, AttributeDef>;

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

  std::vector<const AttributeDef*> AttributeDefs() const;
};

// Table and block names compare as AutoCAD compares them: ASCII letters
// without regard to case, everything else exactly.
bool SameName(std::u16string_view a, std::u16string_view b);

struct Drawing {
  std::vector<Layer> layers;
  std::vector<std::u16string> linetypes;  // besides ByBlock, ByLayer, Continuous
  std::vector<TextStyle> text_styles;
  std::vector<DimStyle> dim_styles;
  std::vector<Block> blocks;
  std::vector<Entity> entities;  // model space, in drawing order
  Point insertion_base;          // $INSBASE
  std::u16string current_layer = u"0";
  std::u16string current_dim_style = u"Standard";
  std::u16string current_text_style = u"Standard";
  Handle next_handle = 0x30;  // $HANDSEED

  Layer* FindLayer(std::u16string_view name);
  Layer& EnsureLayer(std::u16string_view name);
  TextStyle* FindTextStyle(std::u16string_view name);
  TextStyle* FindTextStyle(Handle handle);
  DimStyle* FindDimStyle(std::u16string_view name);
  Block* FindBlock(std::u16string_view name);
  Entity* FindEntity(Handle handle);
  Handle NewHandle() { return next_handle++; }

  // Makes the drawing complete: layer 0, text style and dimension style
  // Standard, a handle on everything, the seed above every handle in use.
  void Complete();

 private:
  void AddReferencedTableEntries();
};

}  // namespace cadsim
