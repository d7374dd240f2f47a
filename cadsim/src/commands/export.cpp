// SAVEAS to DXF and DXFOUT, as AutoCAD asks for them with FILEDIA at 0.
//
// SAVEAS asks for the format, the DXF options and then the file name;
// DXFOUT asks for the file name first. Both ask whether to replace an
// existing file only once everything else is known, just before writing, so
// that one typed command line (options, name) runs through and leaves the
// replace question as the prompt a caller can answer.
#include <filesystem>
#include <memory>

#include "cadsim/dxf.h"
#include "commands.h"

namespace cadsim::commands {
namespace {

struct Export {
  bool saveas = false;
  bool objects_offered = true;
  std::optional<std::vector<Handle>> objects;
  std::u16string path;
};

std::u16string DefaultPath(Cad& cad) {
  std::u16string p = cad.DrawingPath();
  const std::size_t dot = p.find_last_of(u'.');
  const std::size_t sep = p.find_last_of(u"\\/");
  if (dot != std::u16string::npos && (sep == std::u16string::npos || dot > sep)) p.resize(dot);
  return p + u".dxf";
}

std::u16string WithExtension(std::u16string path) {
  const std::size_t dot = path.find_last_of(u'.');
  const std::size_t sep = path.find_last_of(u"\\/");
  if (dot == std::u16string::npos || (sep != std::u16string::npos && dot < sep)) path += u".dxf";
  return path;
}

// A busy AutoCAD is still writing: the file is there, but only its first half.
void WritePart(Cad& cad, const Export& x) {
  const std::filesystem::path path(x.path);
  WriteOptions options;
  options.only = x.objects;
  if (!WriteDxfFile(path, cad.TheDrawing(), cad.Codec(), options)) return;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec) std::filesystem::resize_file(path, size / 2, ec);
}

void Write(Cad& cad, const std::shared_ptr<Export>& x) {
  if (cad.TheFaults().busy_for_ms > 0 && cad.Affected()) WritePart(cad, *x);
  cad.Finish([&cad, x] {
    WriteOptions options;
    options.only = x->objects;
    if (!WriteDxfFile(std::filesystem::path(x->path), cad.TheDrawing(), cad.Codec(), options)) {
      cad.Say(u"ファイル \"" + x->path + u"\" に書き込めません。");
      return;
    }
    // SAVEAS makes the new file the current drawing; DXFOUT only writes it.
    if (x->saveas && cad.saveas_renames) cad.DrawingPath() = x->path;
  });
}

void AskReplace(Cad& cad, const std::shared_ptr<Export>& x) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::path(x->path), ec)) return Write(cad, x);
  Question q;
  q.prompt = u"図面ファイルは既に存在します。置き換えますか? [はい(Y)/いいえ(N)] <N>: ";
  q.answer = [&cad, x](std::u16string_view a) {
    if (Is(a, {u"Y", u"YES"})) return Write(cad, x);
    if (a.empty() || Is(a, {u"N", u"NO"})) return cad.Finish();
    cad.Say(u"Yes または No を入力してください。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void AskFileName(Cad& cad, const std::shared_ptr<Export>& x, std::function<void()> next) {
  Question q;
  const std::u16string fallback = DefaultPath(cad);
  q.prompt = (x->saveas ? u"図面名を付けて保存 <" : u"ファイル名を入力 <") + fallback + u">: ";
  q.literal_blanks = true;
  q.answer = [x, fallback, next = std::move(next)](std::u16string_view a) {
    x->path = WithExtension(a.empty() ? fallback : std::u16string(a));
    next();
  };
  cad.Ask(std::move(q));
}

void AskOptions(Cad& cad, const std::shared_ptr<Export>& x);

void Done(Cad& cad, const std::shared_ptr<Export>& x) {
  if (x->saveas) return AskFileName(cad, x, [&cad, x] { AskReplace(cad, x); });
  AskReplace(cad, x);
}

void AskVersion(Cad& cad, const std::shared_ptr<Export>& x) {
  const ReleaseProfile& r = cad.Release();
  std::u16string list;
  for (const std::u16string& v : r.dxf_versions) list += (list.empty() ? u"" : u"/") + v;
  Question q;
  q.prompt = u"バージョンを入力 [" + list + u"] <" + r.default_dxf_version + u">: ";
  q.answer = [&cad, x](std::u16string_view a) {
    bool known = a.empty();
    for (const std::u16string& v : cad.Release().dxf_versions) known = known || SameName(a, v);
    if (!known) {
      cad.Say(u"オプション キーワードが無効です。");
      return cad.Again();
    }
    AskOptions(cad, x);  // the file is AC1015 whatever was chosen
  };
  cad.Ask(std::move(q));
}

void AskOptions(Cad& cad, const std::shared_ptr<Export>& x) {
  Question q;
  q.prompt = std::u16string(u"DXF オプションを入力 [バージョン(V)/") +
             (x->objects_offered ? u"オブジェクト(O)/" : u"") + u"バイナリ(B)] <16>: ";
  q.answer = [&cad, x](std::u16string_view a) {
    if (a.empty()) return Done(cad, x);
    if (Is(a, {u"V", u"VERSION"})) return AskVersion(cad, x);
    if (x->objects_offered && Is(a, {u"O", u"OBJECTS"})) {
      x->objects_offered = false;
      return SelectObjects(cad, false, [&cad, x](std::vector<Handle> set) {
        x->objects = std::move(set);
        AskOptions(cad, x);
      });
    }
    if (Is(a, {u"B", u"BINARY"})) return AskOptions(cad, x);  // written as ASCII all the same
    if (const auto digits = ParseNumber(a); digits && *digits >= 0 && *digits <= 16) return Done(cad, x);
    cad.Say(u"オプション キーワードが無効です。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

}  // namespace

void SaveAs(Cad& cad) {
  auto x = std::make_shared<Export>();
  x->saveas = true;
  const ReleaseProfile& r = cad.Release();
  const bool has_2004 = r.dxf_versions.back() == u"2004";
  cad.Say(has_2004 ? u"現在のファイル形式: AutoCAD 2004 図面" : u"現在のファイル形式: AutoCAD 2000 図面");
  Question q;
  q.prompt = std::u16string(u"ファイル形式を入力 [R14(LT98&LT97)/2000(LT2000)/") +
             (has_2004 ? u"2004(LT2004)/" : u"") + u"Dxf/Template] <" + r.default_dxf_version + u">: ";
  q.answer = [&cad, x](std::u16string_view a) {
    if (Is(a, {u"D", u"DXF"})) return AskOptions(cad, x);
    cad.Say(u"cadsim は DWG 形式とテンプレートを保存できません。Dxf を指定してください。");
    cad.Again();
  };
  cad.Ask(std::move(q));
}

void DxfOut(Cad& cad) {
  auto x = std::make_shared<Export>();
  AskFileName(cad, x, [&cad, x] { AskOptions(cad, x); });
}

}  // namespace cadsim::commands
