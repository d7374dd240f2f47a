#include "dxf_generator.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {
namespace {

// Japanese texts in code page 932. Several have 0x5C ("\") as second byte.
constexpr const char* kSystems[] = {
    "\x8B\x8B\x90\x85",                          // 給水
    "\x8B\x8B\x93\x92",                          // 給湯
    "\x94\x72\x90\x85",                          // 排水
    "\x83\x5C\x83\x50\x83\x62\x83\x67\x95\x5C",  // ソケット表
};
constexpr const char* kPipeLayer = "\x94\x7A\x8A\xC7";  // 配管
constexpr const char* kDimLayer = "\x90\xA1\x96\x40";   // 寸法
// The parts-table block's attribute tags: the bench's own four, or the eight
// of Plendra's Plendra1.dwg, where six hidden ones come first and the number
// follows the system.
constexpr const char* kBenchTags[] = {"KEITOU", "BANGOU", "NAGASA", "ITI"};
constexpr const char* kPlendraTags[] = {
    "X",
    "Y",
    "Z",
    "\x92\xB7\x82\xB3",          // 長さ
    "\x8D\xDE\x8E\xBF",          // 材質
    "\x8C\xC4\x82\xD1\x8C\x61",  // 呼び径
    "(1)\x8C\x6E\x93\x9D",       // (1)系統
    "(2)\x94\xD4\x8D\x86",       // (2)番号
};
constexpr std::size_t kPlendraHidden = 6;

std::span<const char* const> Tags(bool plendra) {
  if (plendra) return kPlendraTags;
  return kBenchTags;
}

class Writer {
 public:
  explicit Writer(const std::filesystem::path& path) : file_(std::fopen(path.string().c_str(), "wb")) {
    if (file_ == nullptr) throw std::runtime_error("cannot write " + path.string());
    buffer_.reserve(kFlushAt + 4096);
  }
  ~Writer() {
    if (file_ != nullptr) std::fclose(file_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // One group: the code right-aligned in three columns, as AutoCAD writes it.
  void G(int code, std::string_view value) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%3d\r\n", code);
    buffer_.append(text, static_cast<std::size_t>(n));
    buffer_.append(value);
    buffer_.append("\r\n");
    if (buffer_.size() >= kFlushAt) Flush();
  }
  // Reals as AutoCAD writes them: the shortest form, "1500.0" for a whole number.
  void G(int code, double value) {
    char text[40];
    int n = std::snprintf(text, sizeof text, "%.15g", value);
    if (std::strpbrk(text, ".e") == nullptr) n += std::snprintf(text + n, sizeof text - n, ".0");
    G(code, std::string_view(text, static_cast<std::size_t>(n)));
  }
  void G(int code, long value) { G(code, std::string_view(std::to_string(value))); }
  // A new handle, as hexadecimal text.
  std::string Handle() {
    char text[16];
    std::snprintf(text, sizeof text, "%lX", next_handle_++);
    return text;
  }
  std::uint64_t Finish() {
    Flush();
    std::fclose(file_);
    file_ = nullptr;
    return written_;
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;
  void Flush() {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
      throw std::runtime_error("write failed");
    written_ += buffer_.size();
    buffer_.clear();
  }
  std::FILE* file_;
  std::string buffer_;
  std::uint64_t written_ = 0;
  unsigned long next_handle_ = 0x20;
};

void Header(Writer& w) {
  w.G(0, "SECTION");
  w.G(2, "HEADER");
  w.G(9, "$ACADVER");
  w.G(1, "AC1015");
  w.G(9, "$DWGCODEPAGE");
  w.G(3, "ANSI_932");
  w.G(9, "$INSBASE");
  w.G(10, 0.0);
  w.G(20, 0.0);
  w.G(30, 0.0);
  w.G(9, "$DIMSTYLE");
  w.G(2, "Standard");
  w.G(0, "ENDSEC");
  w.G(0, "SECTION");
  w.G(2, "CLASSES");
  w.G(0, "ENDSEC");
}

void Tables(Writer& w, const DrawingSize& size) {
  w.G(0, "SECTION");
  w.G(2, "TABLES");
  w.G(0, "TABLE");
  w.G(2, "LAYER");
  w.G(5, w.Handle());
  w.G(100, "AcDbSymbolTable");
  w.G(70, 3L);
  for (const char* name : {"0", kPipeLayer, kDimLayer}) {
    w.G(0, "LAYER");
    w.G(5, w.Handle());
    w.G(100, "AcDbSymbolTableRecord");
    w.G(100, "AcDbLayerTableRecord");
    w.G(2, name);
    w.G(70, 0L);
    w.G(62, 7L);
    w.G(6, "Continuous");
  }
  w.G(0, "ENDTAB");
  w.G(0, "TABLE");
  w.G(2, "STYLE");
  w.G(5, w.Handle());
  w.G(100, "AcDbSymbolTable");
  w.G(70, 1L);
  w.G(0, "STYLE");
  w.G(5, w.Handle());
  w.G(100, "AcDbSymbolTableRecord");
  w.G(100, "AcDbTextStyleTableRecord");
  w.G(2, "Standard");
  w.G(70, 0L);
  w.G(40, 0.0);
  w.G(41, 1.0);
  w.G(3, "txt");
  w.G(4, "bigfont.shx");
  w.G(0, "ENDTAB");
  w.G(0, "TABLE");
  w.G(2, "DIMSTYLE");
  w.G(5, w.Handle());
  w.G(100, "AcDbSymbolTable");
  w.G(70, 1L);
  w.G(0, "DIMSTYLE");
  w.G(105, w.Handle());
  w.G(100, "AcDbSymbolTableRecord");
  w.G(100, "AcDbDimStyleTableRecord");
  w.G(2, "Standard");
  w.G(70, 0L);
  w.G(41, 2.5);
  w.G(140, 2.5);
  w.G(340, "11");
  w.G(0, "ENDTAB");
  // Every block, the anonymous ones of the dimensions included, has a record.
  w.G(0, "TABLE");
  w.G(2, "BLOCK_RECORD");
  w.G(5, w.Handle());
  w.G(100, "AcDbSymbolTable");
  w.G(70, static_cast<long>(size.dimensions + 3));
  for (std::uint32_t i = 0; i < size.dimensions + 3; ++i) {
    w.G(0, "BLOCK_RECORD");
    w.G(5, w.Handle());
    w.G(100, "AcDbSymbolTableRecord");
    w.G(100, "AcDbBlockTableRecord");
    w.G(2, i == 0   ? std::string("*Model_Space")
           : i == 1 ? std::string("*Paper_Space")
           : i == 2 ? std::string("PLENDRA1")
                    : "*D" + std::to_string(i - 3));
  }
  w.G(0, "ENDTAB");
  w.G(0, "ENDSEC");
}

void Line(Writer& w, const char* layer, double x1, double y1, double x2, double y2) {
  w.G(0, "LINE");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, layer);
  w.G(62, 0L);
  w.G(100, "AcDbLine");
  w.G(10, x1);
  w.G(20, y1);
  w.G(30, 0.0);
  w.G(11, x2);
  w.G(21, y2);
  w.G(31, 0.0);
}

void DimensionBlock(Writer& w, std::uint32_t i, double x, double y, double length) {
  w.G(0, "BLOCK");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, kDimLayer);
  w.G(100, "AcDbBlockBegin");
  w.G(2, "*D" + std::to_string(i));
  w.G(70, 1L);
  w.G(10, 0.0);
  w.G(20, 0.0);
  w.G(30, 0.0);
  w.G(3, "*D" + std::to_string(i));
  w.G(1, "");
  Line(w, "0", x, y + 10, x + length, y + 10);
  Line(w, "0", x, y + 1, x, y + 11.25);
  Line(w, "0", x + length, y + 1, x + length, y + 11.25);
  // Arrowheads come from the dimension style's tick block, not from solids.
  w.G(0, "MTEXT");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, "0");
  w.G(100, "AcDbMText");
  w.G(10, x + length / 2);
  w.G(20, y + 11.5);
  w.G(30, 0.0);
  w.G(40, 2.5);
  w.G(41, 0.0);
  w.G(71, 8L);
  w.G(72, 5L);
  w.G(1, "\\A1;" + std::to_string(static_cast<long>(length)));
  w.G(7, "Standard");
  w.G(42, 10.0);
  w.G(43, 2.5);
  w.G(0, "ENDBLK");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, kDimLayer);
  w.G(100, "AcDbBlockEnd");
}

void PartsBlock(Writer& w, bool plendra) {
  w.G(0, "BLOCK");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, "0");
  w.G(100, "AcDbBlockBegin");
  w.G(2, "PLENDRA1");
  w.G(70, 2L);
  w.G(10, 0.0);
  w.G(20, 0.0);
  w.G(30, 0.0);
  w.G(3, "PLENDRA1");
  w.G(1, "");
  const std::span<const char* const> tags = Tags(plendra);
  for (std::size_t a = 0; a < tags.size(); ++a) {
    const char* tag = tags[a];
    w.G(0, "ATTDEF");
    w.G(5, w.Handle());
    w.G(100, "AcDbEntity");
    w.G(8, "0");
    w.G(100, "AcDbText");
    w.G(10, 0.0);
    w.G(20, 0.0);
    w.G(30, 0.0);
    w.G(40, 2.5);
    w.G(1, "");
    w.G(100, "AcDbAttributeDefinition");
    w.G(3, tag);
    w.G(2, tag);
    w.G(70, plendra && a < kPlendraHidden ? 1L : 0L);
  }
  w.G(0, "ENDBLK");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, "0");
  w.G(100, "AcDbBlockEnd");
}

void Dimension(Writer& w, std::uint32_t i, double x, double y, double length) {
  w.G(0, "DIMENSION");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, kDimLayer);
  w.G(100, "AcDbDimension");
  w.G(2, "*D" + std::to_string(i));
  w.G(10, x + length);
  w.G(20, y + 10);
  w.G(30, 0.0);
  w.G(11, x + length / 2);
  w.G(21, y + 11.5);
  w.G(31, 0.0);
  w.G(70, 32L);
  w.G(1, "");
  w.G(3, "Standard");
  w.G(100, "AcDbAlignedDimension");
  w.G(13, x);
  w.G(23, y);
  w.G(33, 0.0);
  w.G(14, x + length);
  w.G(24, y);
  w.G(34, 0.0);
  w.G(50, 0.0);
  w.G(100, "AcDbRotatedDimension");
  w.G(42, length);
  w.G(1001, "ACAD");
  w.G(1000, "DSTYLE");
  w.G(1002, "{");
  w.G(1070, 271L);
  w.G(1070, 0L);
  w.G(1002, "}");
}

void PartsEntry(Writer& w, const DrawingSize& size, std::uint32_t i, double x, double y, double length) {
  const std::uint32_t system = i % 4;
  const std::uint32_t highest = size.highest_number;
  const std::string number = std::to_string(highest == 0 ? i / 4 + 1 : i / 4 % (highest - system) + 1);
  const std::string whole_length = std::to_string(static_cast<long>(length));
  w.G(0, "INSERT");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, kPipeLayer);
  w.G(100, "AcDbBlockReference");
  w.G(66, 1L);
  w.G(2, "PLENDRA1");
  w.G(10, x);
  w.G(20, y);
  w.G(30, 0.0);
  std::vector<std::string> values;
  if (size.plendra_block)
    values = {std::to_string(static_cast<long>(x)),
              std::to_string(static_cast<long>(y)),
              "0",
              whole_length,
              "SGP",
              "20A",
              kSystems[system],
              number};
  else
    values = {kSystems[system], number, whole_length,
              std::to_string(static_cast<long>(x)) + "," + std::to_string(static_cast<long>(y))};
  const std::span<const char* const> tags = Tags(size.plendra_block);
  for (std::size_t a = 0; a < values.size(); ++a) {
    w.G(0, "ATTRIB");
    w.G(5, w.Handle());
    w.G(100, "AcDbEntity");
    w.G(8, kPipeLayer);
    w.G(100, "AcDbText");
    w.G(10, x);
    w.G(20, y - 3.0 * static_cast<double>(a));
    w.G(30, 0.0);
    w.G(40, 2.5);
    w.G(1, values[a]);
    w.G(7, "Standard");
    w.G(100, "AcDbAttribute");
    w.G(2, tags[a]);
    w.G(70, size.plendra_block && a < kPlendraHidden ? 1L : 0L);
  }
  w.G(0, "SEQEND");
  w.G(5, w.Handle());
  w.G(100, "AcDbEntity");
  w.G(8, kPipeLayer);
}

}  // namespace

std::uint64_t WriteDrawing(const std::filesystem::path& path, const DrawingSize& size) {
  if (size.highest_number != 0 && size.highest_number < 4)
    throw std::invalid_argument("the highest number must leave each of the four systems one");
  Writer w(path);
  Header(w);
  Tables(w, size);
  w.G(0, "SECTION");
  w.G(2, "BLOCKS");
  PartsBlock(w, size.plendra_block);
  for (std::uint32_t i = 0; i < size.dimensions; ++i)
    DimensionBlock(w, i, 1000.0 * (i % 300), 700.0 * (i / 300), 500.0 + i % 2500);
  w.G(0, "ENDSEC");
  w.G(0, "SECTION");
  w.G(2, "ENTITIES");
  for (std::uint32_t i = 0; i < size.dimensions; ++i)
    Dimension(w, i, 1000.0 * (i % 300), 700.0 * (i / 300), 500.0 + i % 2500);
  for (std::uint32_t i = 0; i < size.parts_entries; ++i)
    PartsEntry(w, size, i, 1000.0 * (i % 300) + 200, 700.0 * (i / 300) + 30, 500.0 + i % 2500);
  w.G(0, "ENDSEC");
  w.G(0, "SECTION");
  w.G(2, "OBJECTS");
  w.G(0, "DICTIONARY");
  w.G(5, w.Handle());
  w.G(100, "AcDbDictionary");
  w.G(0, "ENDSEC");
  w.G(0, "EOF");
  return w.Finish();
}

}  // namespace bench
