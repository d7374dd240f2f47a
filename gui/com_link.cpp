#include "com_link.h"

// after windows.h
#include <oleauto.h>

#include "app/app_error.h"
#include "com_arrays.h"
#include "korvel.h"

namespace plendra_gui {
namespace {

// The text of the error a failed call left: its error object when it set
// one, else the system's text for the HRESULT.
std::u16string ErrorText(HRESULT hr) {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info != nullptr) {
    BSTR description = nullptr;
    std::u16string text;
    if (SUCCEEDED(info->GetDescription(&description)) && description != nullptr)
      text.assign(reinterpret_cast<const char16_t*>(description), SysStringLen(description));
    SysFreeString(description);
    info->Release();
    if (!text.empty()) return text;
  }
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length > 0 && buffer != nullptr) text.assign(reinterpret_cast<const char16_t*>(buffer), length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  return text.empty() ? u"オートメーション エラーです。" : text;
}

void Check(HRESULT hr) {
  if (FAILED(hr)) throw plendra::AppError(ErrorNumberOf(hr), ErrorText(hr));
}

// A BSTR the call reads, freed afterwards.
class Bstr {
 public:
  explicit Bstr(std::u16string_view text)
      : text_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()))) {
    if (text_ == nullptr && !text.empty()) throw plendra::AppError(7);
  }
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }
  // For [in, out]: the callee may free and replace it.
  BSTR* address() { return &text_; }
  std::u16string Text() const {
    return text_ == nullptr ? std::u16string()
                            : std::u16string(reinterpret_cast<const char16_t*>(text_), SysStringLen(text_));
  }

 private:
  BSTR text_;
};

// A BSTR property's value.
template <typename Interface>
std::u16string GetText(Interface* object, HRESULT (STDMETHODCALLTYPE Interface::*get)(BSTR*)) {
  BSTR value = nullptr;
  const HRESULT hr = (object->*get)(&value);
  std::u16string text;
  if (value != nullptr) text.assign(reinterpret_cast<const char16_t*>(value), SysStringLen(value));
  SysFreeString(value);
  Check(hr);
  return text;
}

template <typename Interface>
std::int32_t GetLong(Interface* object, HRESULT (STDMETHODCALLTYPE Interface::*get)(LONG*)) {
  LONG value = 0;
  Check((object->*get)(&value));
  return value;
}

// Releases a COM interface with the last owner.
template <typename Interface>
std::shared_ptr<Interface> Own(Interface* raw) {
  return std::shared_ptr<Interface>(raw, [](Interface* p) {
    if (p != nullptr) p->Release();
  });
}

class ComPwControl final : public korvel::_PwControl {
 public:
  explicit ComPwControl(::_PwControl* control) : control_(Own(control)) {}

  std::int32_t get_CommandTimeOut() const override { return GetLong(c(), &::_PwControl::get_CommandTimeOut); }
  void put_CommandTimeOut(std::int32_t ms) override { Check(c()->put_CommandTimeOut(ms)); }
  std::int32_t get_CheckInterval() const override { return GetLong(c(), &::_PwControl::get_CheckInterval); }
  void put_CheckInterval(std::int32_t ms) override { Check(c()->put_CheckInterval(ms)); }
  bool get_PostNullChar() const override {
    VARIANT_BOOL value = VARIANT_FALSE;
    Check(c()->get_PostNullChar(&value));
    return value != VARIANT_FALSE;
  }
  void put_PostNullChar(bool post) override {
    Check(c()->put_PostNullChar(post ? VARIANT_TRUE : VARIANT_FALSE));
  }
  bool get_PatternMatch() const override {
    VARIANT_BOOL value = VARIANT_FALSE;
    Check(c()->get_PatternMatch(&value));
    return value != VARIANT_FALSE;
  }
  void put_PatternMatch(bool match) override {
    Check(c()->put_PatternMatch(match ? VARIANT_TRUE : VARIANT_FALSE));
  }

  std::int32_t Active() override {
    return Result([&](LONG* r) { return c()->Active(r); });
  }
  std::int32_t PostCommand(std::u16string_view AcadCommand) override {
    Bstr command(AcadCommand);
    return Result([&](LONG* r) { return c()->PostCommand(command.get(), r); });
  }
  std::int32_t SendCommand(std::u16string_view AcadCommand, std::u16string_view CommandPrompt) override {
    Bstr command(AcadCommand);
    Bstr prompt(CommandPrompt);
    return Result([&](LONG* r) { return c()->SendCommand(command.get(), prompt.get(), r); });
  }
  std::int32_t GetPrompt(std::u16string& CommandPrompt) override {
    Bstr prompt(CommandPrompt);
    const std::int32_t r = Result([&](LONG* result) { return c()->GetPrompt(prompt.address(), result); });
    CommandPrompt = prompt.Text();
    return r;
  }
  std::int32_t WaitPrompt(std::u16string_view CommandPrompt) override {
    Bstr prompt(CommandPrompt);
    return Result([&](LONG* r) { return c()->WaitPrompt(prompt.get(), r); });
  }
  std::int32_t GetHistory(std::u16string& HistoryText, std::u16string_view MatchString) override {
    Bstr history(HistoryText);
    Bstr match(MatchString);
    const std::int32_t r =
        Result([&](LONG* result) { return c()->GetHistory(history.address(), match.get(), result); });
    HistoryText = history.Text();
    return r;
  }
  std::int32_t GetVariable(std::u16string_view SystemVariable, std::u16string& Value) override {
    Bstr name(SystemVariable);
    Bstr value(Value);
    const std::int32_t r =
        Result([&](LONG* result) { return c()->GetVariable(name.get(), value.address(), result); });
    Value = value.Text();
    return r;
  }
  std::int32_t SetVariable(std::u16string_view SystemVariable, std::u16string_view Value) override {
    Bstr name(SystemVariable);
    Bstr value(Value);
    return Result([&](LONG* r) { return c()->SetVariable(name.get(), value.get(), r); });
  }
  std::int32_t GetPosition(double& X, double& Y, double& Z) override {
    return Result([&](LONG* r) { return c()->GetPosition(&X, &Y, &Z, r); });
  }
  std::int32_t RunScript(std::u16string_view PathName, std::vector<std::u16string>* UserVariable) override {
    Bstr path(PathName);
    SAFEARRAY* array = nullptr;
    if (UserVariable != nullptr) Check(StringsToArray(*UserVariable, &array));
    HRESULT hr = S_OK;
    LONG r = 0;
    hr = c()->RunScript(path.get(), &array, &r);
    std::optional<std::vector<std::u16string>> back;
    if (array != nullptr) {
      back = ArrayToStrings(array);
      SafeArrayDestroy(array);
    }
    Check(hr);
    if (UserVariable != nullptr && back) *UserVariable = std::move(*back);
    return r;
  }
  std::int32_t ShowMessage(std::u16string_view Message, std::int32_t Button,
                           std::u16string_view Title) override {
    Bstr message(Message);
    Bstr title(Title);
    return Result([&](LONG* r) { return c()->ShowMessage(message.get(), Button, title.get(), r); });
  }
  void Terminate() override { Check(c()->Terminate()); }
  std::int32_t DxfOut(std::u16string_view SelectOp, std::u16string_view VerOp, korvel::_PwAcad* hnd) override;
  std::int32_t DxfScan(std::u16string_view Sec_Str, std::u16string_view Obj_Str, std::u16string_view Fom_Str,
                       korvel::DxfTable& Hairetu) override {
    Bstr section(Sec_Str);
    Bstr record(Obj_Str);
    Bstr codes(Fom_Str);
    SAFEARRAY* array = nullptr;
    Check(TableToArray(Hairetu, &array));
    LONG r = 0;
    const HRESULT hr = c()->DxfScan(section.get(), record.get(), codes.get(), &array, &r);
    // The array holds what the call left in it: the scan's table, or the
    // caller's own when the scan failed.
    std::optional<korvel::DxfTable> back = ArrayToTable(array);
    if (array != nullptr) SafeArrayDestroy(array);
    Check(hr);
    if (!back) throw plendra::AppError(13);
    Hairetu = std::move(*back);
    return r;
  }
  std::int32_t DxfAttributesAfter(std::u16string_view Tag_Str, std::u16string_view Value_Str,
                                  std::vector<std::u16string>& Values) override {
    Bstr tag(Tag_Str);
    Bstr value(Value_Str);
    SAFEARRAY* array = nullptr;
    Check(StringsToArray(Values, &array));
    LONG r = 0;
    const HRESULT hr = c()->DxfAttributesAfter(tag.get(), value.get(), &array, &r);
    // The array holds the values found, or the caller's own when the scan failed.
    std::optional<std::vector<std::u16string>> back = array != nullptr ? ArrayToStrings(array) : std::nullopt;
    if (array != nullptr) SafeArrayDestroy(array);
    Check(hr);
    if (!back) throw plendra::AppError(13);
    Values = std::move(*back);
    return r;
  }

 private:
  ::_PwControl* c() const { return control_.get(); }

  template <typename Call>
  static std::int32_t Result(Call call) {
    LONG r = 0;
    Check(call(&r));
    return r;
  }

  std::shared_ptr<::_PwControl> control_;
};

class ComPwAcad final : public korvel::_PwAcad {
 public:
  explicit ComPwAcad(::_PwAcad* acad) : acad_(Own(acad)) {}
  ::_PwAcad* Interface() const { return acad_.get(); }

  std::u16string get_Title() const override { return GetText(a(), &::_PwAcad::get_Title); }
  std::u16string get_Version() const override { return GetText(a(), &::_PwAcad::get_Version); }
  std::int32_t get_ExecuteTimeOut() const override { return GetLong(a(), &::_PwAcad::get_ExecuteTimeOut); }
  void put_ExecuteTimeOut(std::int32_t ms) override { Check(a()->put_ExecuteTimeOut(ms)); }
  bool get_CheckMainCmdWindow() const override {
    VARIANT_BOOL value = VARIANT_FALSE;
    Check(a()->get_CheckMainCmdWindow(&value));
    return value != VARIANT_FALSE;
  }
  void put_CheckMainCmdWindow(bool check) override {
    Check(a()->put_CheckMainCmdWindow(check ? VARIANT_TRUE : VARIANT_FALSE));
  }
  std::u16string get_CommandPrompt() const override { return GetText(a(), &::_PwAcad::get_CommandPrompt); }
  void put_CommandPrompt(std::u16string_view prompt) override {
    PutText(&::_PwAcad::put_CommandPrompt, prompt);
  }

#define PLENDRA_WINDOW_PROPERTIES(Name)                                                                     \
  std::int32_t get_##Name##Handle() const override { return GetLong(a(), &::_PwAcad::get_##Name##Handle); } \
  std::int32_t get_##Name##ThreadID() const override {                                                      \
    return GetLong(a(), &::_PwAcad::get_##Name##ThreadID);                                                  \
  }                                                                                                         \
  std::int32_t get_##Name##ProcessID() const override {                                                     \
    return GetLong(a(), &::_PwAcad::get_##Name##ProcessID);                                                 \
  }                                                                                                         \
  std::u16string get_##Name##Class() const override { return GetText(a(), &::_PwAcad::get_##Name##Class); } \
  std::u16string get_##Name##Title() const override { return GetText(a(), &::_PwAcad::get_##Name##Title); }
  PLENDRA_WINDOW_PROPERTIES(MainWindow)
  PLENDRA_WINDOW_PROPERTIES(TextWindow)
  PLENDRA_WINDOW_PROPERTIES(CommandWindow)
  PLENDRA_WINDOW_PROPERTIES(HistoryWindow)
#undef PLENDRA_WINDOW_PROPERTIES

  std::u16string get_MainCompareTitle() const override {
    return GetText(a(), &::_PwAcad::get_MainCompareTitle);
  }
  void put_MainCompareTitle(std::u16string_view t) override { PutText(&::_PwAcad::put_MainCompareTitle, t); }
  std::u16string get_TextCompareTitle() const override {
    return GetText(a(), &::_PwAcad::get_TextCompareTitle);
  }
  void put_TextCompareTitle(std::u16string_view t) override { PutText(&::_PwAcad::put_TextCompareTitle, t); }
  std::u16string get_CommandCompareTitle() const override {
    return GetText(a(), &::_PwAcad::get_CommandCompareTitle);
  }
  void put_CommandCompareTitle(std::u16string_view t) override {
    PutText(&::_PwAcad::put_CommandCompareTitle, t);
  }
  std::u16string get_HistoryCompareTitle() const override {
    return GetText(a(), &::_PwAcad::get_HistoryCompareTitle);
  }
  void put_HistoryCompareTitle(std::u16string_view t) override {
    PutText(&::_PwAcad::put_HistoryCompareTitle, t);
  }

  std::u16string get_ErrDescription() const override { return GetText(a(), &::_PwAcad::get_ErrDescription); }
  std::u16string get_ErrSource() const override { return GetText(a(), &::_PwAcad::get_ErrSource); }
  std::int32_t get_ErrNumber() const override { return GetLong(a(), &::_PwAcad::get_ErrNumber); }

  std::int32_t Execute(std::u16string_view PathName, std::u16string_view Parameter, std::int32_t hWnd,
                       korvel::acExecuteMode ExecuteMode) override {
    Bstr path(PathName);
    Bstr parameter(Parameter);
    LONG r = 0;
    Check(a()->Execute(path.get(), parameter.get(), hWnd, static_cast<::acExecuteMode>(ExecuteMode), &r));
    return r;
  }
  std::int32_t Search() override {
    LONG r = 0;
    Check(a()->Search(&r));
    return r;
  }
  std::shared_ptr<korvel::_PwControl> get_Control() const override {
    ::_PwControl* control = nullptr;
    Check(a()->get_Control(&control));
    if (control == nullptr) return nullptr;
    return std::make_shared<ComPwControl>(control);
  }
  bool ControlExists() override {
    VARIANT_BOOL value = VARIANT_FALSE;
    Check(a()->ControlExists(&value));
    return value != VARIANT_FALSE;
  }
  void RemoveControl() override { Check(a()->RemoveControl()); }

 private:
  ::_PwAcad* a() const { return acad_.get(); }
  void PutText(HRESULT (STDMETHODCALLTYPE ::_PwAcad::*put)(BSTR), std::u16string_view text) {
    Bstr value(text);
    Check((a()->*put)(value.get()));
  }

  std::shared_ptr<::_PwAcad> acad_;
};

std::int32_t ComPwControl::DxfOut(std::u16string_view SelectOp, std::u16string_view VerOp,
                                  korvel::_PwAcad* hnd) {
  Bstr select(SelectOp);
  Bstr version(VerOp);
  // Only a PwAcad of korvel's can drive an export; the library maps the
  // interface back to its own object. The reference held here keeps the
  // object for the whole call, whatever a handler run by its waits releases.
  const auto* ours = dynamic_cast<const ComPwAcad*>(hnd);
  ::_PwAcad* acad = ours != nullptr ? ours->Interface() : nullptr;
  if (acad != nullptr) acad->AddRef();
  LONG r = 0;
  const HRESULT hr = c()->DxfOut(select.get(), version.get(), &acad, &r);
  if (acad != nullptr) acad->Release();
  Check(hr);
  return r;
}

}  // namespace

std::int32_t ErrorNumberOf(HRESULT hr) {
  // The run-time's own errors (FACILITY_CONTROL, 0x800A....) carry their number in the low word.
  if ((static_cast<std::uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u)
    return static_cast<std::int32_t>(hr & 0xFFFF);
  return static_cast<std::int32_t>(hr);
}

std::shared_ptr<korvel::_PwAcad> CreateComPwAcad(HRESULT* failure) {
  ::_PwAcad* acad = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_PwAcad, nullptr, CLSCTX_INPROC_SERVER, IID__PwAcad,
                                      reinterpret_cast<void**>(&acad));
  if (FAILED(hr) || acad == nullptr) {
    if (failure != nullptr) *failure = FAILED(hr) ? hr : E_NOINTERFACE;
    return nullptr;
  }
  return std::make_shared<ComPwAcad>(acad);
}

}  // namespace plendra_gui
