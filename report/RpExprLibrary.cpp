// The function library and the process-wide start-up of expressions.
#include "report/RpExprLibrary.h"

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"

void RpRegisterBuiltInFunctions();

TRpFunctionLibrary* RpFunctionLibrary = nullptr;
TRpEvEnvironment* RpGlobalEnvironment = nullptr;
char RpArgumentSeparator = ',';

TRpLibraryEntry* TRpLibrary::GetEntry(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return entries_[static_cast<std::size_t>(index)].get();
}

TRpEvElement* TRpLibrary::GetFunction(const AnsiString& name) const {
  for (const auto& entry : entries_) {
    if (AnsiCompareText(entry->Name, name) == 0) return entry->FunctionClass();
  }
  return new TRpEvElementError(Format(rpmsg::UnknownFunction, {name}));
}

void RegisterRpFunction(TRpEvElementFunctionClass functionClass, const AnsiString& name,
                        const AnsiString& description, const AnsiString& argumentKinds,
                        const AnsiString& vendor) {
  RpExprEnsureStarted();
  auto entry = std::make_unique<TRpLibraryEntry>();
  entry->Name = name;
  entry->Description = description;
  entry->ArgumentKinds = argumentKinds;
  entry->FunctionClass = functionClass;
  entry->Vendor = vendor;
  RpFunctionLibrary->Add(std::move(entry));
}

namespace {

int startCount = 0;
bool unpreparing = false;

// A quote, the text and a quote: no escaping exists in expressions.
AnsiString stringConstant(const AnsiString& text) {
  AnsiString out(1, '\'');
  out += text;
  out += '\'';
  return out;
}

AnsiString applicationTitle() {
  if (Application != nullptr && !Application->Title.empty()) return Application->Title;
  return ChangeFileExt(ExtractFileName(ParamStr(0)), "");
}

// Started on first use; the process's end frees what is left.
struct AutoShutdown {
  bool started = false;
  ~AutoShutdown() {
    if (started && startCount == 1) RpExprShutdown();
  }
};
AutoShutdown autoShutdown;

}  // namespace

bool& RpUnpreparingFlag() { return unpreparing; }

void RpExprStartup() {
  if (++startCount > 1) return;
  unpreparing = false;
  RpArgumentSeparator = ',';
  RpFunctionLibrary = new TRpFunctionLibrary();
  RpRegisterBuiltInFunctions();
  RpGlobalEnvironment = new TRpEvEnvironment();
  RpGlobalEnvironment->AddFunction("AppStartTime", stringConstant(TimeToStr(Time())));
  RpGlobalEnvironment->AddFunction("AppStartDate", stringConstant(DateToStr(Date())));
  RpGlobalEnvironment->AddFunction("AppName", stringConstant(applicationTitle()));
}

void RpExprEnsureStarted() {
  if (startCount > 0) return;
  autoShutdown.started = true;
  RpExprStartup();
}

void RpExprShutdown() {
  if (startCount == 0) return;
  if (--startCount > 0) return;
  // The global entries' evaluators unprepare while it goes: they must not
  // find it half destroyed.
  TRpEvEnvironment* environment = RpGlobalEnvironment;
  RpGlobalEnvironment = nullptr;
  delete environment;
  delete RpFunctionLibrary;
  RpFunctionLibrary = nullptr;
}
