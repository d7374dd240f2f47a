// Start: the program's folder and its files, AutoCAD with its drawing, then
// Plendra, as the setup lines described them.
#include <random>

#include "cadsim/dxf.h"
#include "scenario.h"
#include "scenario_internal.h"

namespace scenario {
namespace {

// A copy of a folder of the user's, with everything in it.
bool CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& e) {
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, e);
  return !e;
}

}  // namespace

bool Runner::FolderFile(const std::string& value, std::optional<std::filesystem::path>& given, bool& none) {
  none = value == "-";
  if (!none) given = Path(value);
  return true;
}

bool Runner::Start() {
  if (app_) return Fail("既に start しています");
  data_.reset();
  if (!PrepareFolder() || !PrepareFiles()) return false;
  if (release_ >= 0 && !StartCad()) return false;
  std::error_code e;
  host_ = std::make_unique<SimHost>(desktop_, app_folder_, std::u16string(kAppFolderText), transcript_);
  host_->another_instance = another_instance_;
  host_->drawing_folder = app_folder_ / "drawing";
  std::filesystem::create_directories(host_->drawing_folder, e);
  if (e)
    return Fail("図面のフォルダを作れません: " + host_->drawing_folder.string() + " (" + e.message() + ")");
  // The status bar's changes go among the commands, for "expect next".
  host_->form.on_status = [this](std::u16string_view text) {
    received_.push_back(std::u16string(kStatusMark) + std::u16string(text));
    if (picked_ && text.ends_with(u"を書き込みました")) {
      AddTiming("entry " + Utf8(text), *picked_);
      picked_.reset();
    }
  };
  // A prompt read is one WM_GETTEXT to the command line of the text window.
  desktop_.on_message = [this, command = cad_ ? cad_->command
                                              : platform::Hwnd{}](const platform::sim::LoggedMessage& m) {
    if (command != platform::Hwnd{} && m.window == command && m.message == platform::sim::kWmGetText)
      ++prompt_reads_;
  };
  app_ = std::make_unique<plendra::Plendra>(*host_);
  Watch();
  if (!app_->Main()) host_->EndProgram();
  return true;
}

// The runner writes only in a folder it made: a fresh temporary one, the
// folder the scenario names when it is not there yet, or a copy of it when it
// is, so that a user's own Keitou.txt or plendra.ini is never removed or
// overwritten.
bool Runner::PrepareFolder() {
  std::error_code e;
  const auto make_temp_folder = [&]() -> bool {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path p =
          std::filesystem::temp_directory_path(e) / ("plendra-scenario-" + std::to_string(random()));
      if (e) break;
      if (std::filesystem::create_directory(p, e)) {
        temp_folder_ = p;
        return true;
      }
      if (e) break;
    }
    return false;
  };
  if (folder_ && std::filesystem::exists(*folder_, e)) {
    if (!std::filesystem::is_directory(*folder_, e))
      return Fail("folder に書いたものはフォルダではありません: " + folder_->string());
    if (!make_temp_folder()) return Fail("一時フォルダを作れません: " + e.message());
    app_folder_ = temp_folder_ / "folder";
    if (!CopyFolder(*folder_, app_folder_, e))
      return Fail("folder のフォルダを写せません: " + folder_->string() + " (" + e.message() + ")");
  } else if (folder_) {
    if (!std::filesystem::create_directories(*folder_, e) || e)
      return Fail("folder のフォルダを作れません: " + folder_->string() + " (" + e.message() + ")");
    app_folder_ = *folder_;
  } else {
    if (!make_temp_folder()) return Fail("一時フォルダを作れません: " + e.message());
    app_folder_ = temp_folder_;
  }
  return true;
}

std::optional<std::filesystem::path> Runner::Shipped(const char* name) {
  if (!data_) data_ = FindDataFolder(base_);
  if (!data_->folder) {
    std::string tried;
    for (const std::filesystem::path& p : data_->tried) tried += (tried.empty() ? "" : "、") + p.string();
    Fail(std::string("同梱のデータ (") + name + ") が見つかりません。探したフォルダ: " + tried +
         " (環境変数 PLENDRA_SOURCE_DIR でソースのフォルダを指定できます)");
    return std::nullopt;
  }
  return *data_->folder / name;
}

bool Runner::PrepareFiles() {
  std::error_code e;
  // A file the scenario names, or the shipped one; false when it failed.
  const auto copy = [&](const std::optional<std::filesystem::path>& given, const char* shipped_name,
                        const char* name, const char* what) {
    std::optional<std::filesystem::path> from = given;
    if (!from) from = Shipped(shipped_name);
    if (!from) return false;
    std::filesystem::copy_file(*from, app_folder_ / name, std::filesystem::copy_options::overwrite_existing,
                               e);
    return e ? Fail(std::string(what) + "を写せません: " + from->string() + " (" + e.message() + ")") : true;
  };
  const auto remove = [&](const char* name) { std::filesystem::remove(app_folder_ / name, e); };
  if (keitou_none_)
    remove("Keitou.txt");
  else if (!copy(keitou_, "Keitou.txt", "Keitou.txt", "系統リスト"))
    return false;
  if (ini_none_)
    remove("plendra.ini");
  else if (!copy(ini_, "plendra.ini", "plendra.ini", "設定ファイル"))
    return false;
  // The installed parts-table block: cadsim reads DXF text under the .dwg
  // name (what its -WBLOCK writes, too), so the shipped DXF stands for it.
  if (block_none_)
    remove("Plendra1.dwg");
  else if (!copy(block_, "Plendra1.dxf", "Plendra1.dwg", "部品表ブロック"))
    return false;
  if (block_script_none_)
    remove("Plendra1.scr");
  else if (!copy(block_script_, "Plendra1.scr", "Plendra1.scr", "ブロックのスクリプト"))
    return false;
  return true;
}

bool Runner::StartCad() {
  std::optional<std::filesystem::path> given = drawing_;
  if (!given) given = Shipped("sample.dxf");
  if (!given) return false;
  const std::filesystem::path drawing = *given;
  cadsim::Drawing model;
  try {
    model = cadsim::ReadDxfFile(drawing, desktop_.Codec());
  } catch (const std::exception& error) {
    return Fail("図面を読めません: " + std::string(error.what()));
  }
  cadsim::SimCadOptions options;
  options.release = release_;
  options.saveas_renames = saveas_renames_;
  options.drawing_path = u"C:\\図面\\" + drawing.stem().u16string() + u".dwg";
  // AutoCAD is told the application's folder in Windows terms; its files lie
  // in app_folder_.
  options.folders = {{std::u16string(kAppFolderText), app_folder_.u16string()}};
  cad_ = std::make_unique<cadsim::SimCad>(desktop_, std::move(model), options);
  for (const auto& [name, value] : variables_) SetVariable(name, value);
  cad_->Cad().command_ms = command_ms_;
  if (busy_ms_ > 0) {
    cad_->Cad().TheFaults().only_command = busy_command_;
    cad_->Cad().TheFaults().busy_for_ms = busy_ms_;
  }
  if (vanish_ms_) {
    cad_->Cad().TheFaults().only_command = busy_command_;
    cad_->Cad().TheFaults().vanish_after_ms = *vanish_ms_;
  }
  // Every command line AutoCAD is handed goes into the transcript.
  auto& traits = desktop_.Get(cad_->main).traits;
  traits.on_copy_data = [this, inner = traits.on_copy_data](
                            std::uintptr_t tag, std::span<const std::byte> data) -> std::intptr_t {
    if (tag == 1) {
      std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
      bytes = bytes.substr(0, bytes.find('\0'));
      OnCommand(bytes);
    }
    return inner ? inner(tag, data) : 0;
  };
  return true;
}

// The variables the drawing holds (CLAYER, TEXTSTYLE) are in the drawing's
// header; the others are settings of cadsim's session.
void Runner::SetVariable(const std::u16string& name, const std::u16string& value) {
  if (name == u"CLAYER")
    cad_->TheDrawing().current_layer = value;
  else if (name == u"TEXTSTYLE")
    cad_->TheDrawing().current_text_style = value;
  else
    cad_->Cad().Settings()[name] = value;
}

std::u16string Runner::Variable(const std::u16string& name) {
  if (name == u"CLAYER") return cad_->TheDrawing().current_layer;
  if (name == u"TEXTSTYLE") return cad_->TheDrawing().current_text_style;
  const auto& settings = cad_->Cad().Settings();
  const auto it = settings.find(name);
  return it == settings.end() ? u"" : it->second;
}

}  // namespace scenario
