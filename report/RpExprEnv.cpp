// Named expressions and the environments that hold them: report variables
// such as PAGENUMBER are entries whose text is one constant, changed in
// place between evaluations.
#include "report/RpExprLibrary.h"

// ---- named expressions ---------------------------------------------------------

TRpEvEmbeddedFunction::TRpEvEmbeddedFunction(AnsiString expression) : Expression(std::move(expression)) {}

namespace {
// Variables naming variables nest evaluations as parentheses do; a stored
// environment may chain thousands of them.
int embeddedDepth = 0;
}  // namespace

TRpEvResult TRpEvEmbeddedFunction::Value(TRpFiFo&) {
  if (InUse) return TRpEvResult::OfError("Recursive calls not allowed");
  if (embeddedDepth >= TRpEvaluator::MaxNesting) return TRpEvResult::OfError(rpmsg::NestedTooDeeply);
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) {
      flag = true;
      ++embeddedDepth;
    }
    ~Guard() {
      flag = false;
      --embeddedDepth;
    }
  } guard(InUse);
  return Evaluator.Value();
}

// ---- environment ----------------------------------------------------------------

TRpEvEnvironment::~TRpEvEnvironment() { Clear(); }

void TRpEvEnvironment::Clear() {
  for (int i = Count() - 1; i >= 0; --i) {
    delete Entry(i);
    PutObject(i, nullptr);
  }
  TStringList::Clear();
}

void TRpEvEnvironment::Delete(int index) {
  if (index >= 0 && index < Count()) {
    delete Entry(index);
    PutObject(index, nullptr);
  }
  TStringList::Delete(index);
}

TList* TRpEvEnvironment::DataSets() {
  if (dataSets_ == nullptr) {
    ownDataSets_ = std::make_unique<TList>();
    dataSets_ = ownDataSets_.get();
  }
  return dataSets_;
}

void TRpEvEnvironment::SetDataSets(TList* list) {
  if (list == dataSets_) return;
  dataSets_ = list;
  if (ownDataSets_ && ownDataSets_.get() != list) ownDataSets_.reset();
}

void TRpEvEnvironment::prepareEntry(TRpEvEmbeddedFunction* entry) {
  if (entry == nullptr) return;
  entry->Evaluator.SetDataSets(DataSets());
  entry->Evaluator.Environment = this;
  entry->Evaluator.Prepare(entry->Expression);
}

void TRpEvEnvironment::AddFunction(const AnsiString& name, const AnsiString& expression) {
  const AnsiString upper = AnsiUpperCase(name);
  int index = IndexOf(upper);
  if (index < 0) index = AddObject(upper, new TRpEvEmbeddedFunction(expression));
  // The entry of that name, which need not be the last one.
  TRpEvEmbeddedFunction* entry = Entry(index);
  if (Prepared() && entry != nullptr && !entry->Evaluator.Prepared()) prepareEntry(entry);
}

void TRpEvEnvironment::DeleteFunction(const AnsiString& name) {
  const int index = IndexOf(AnsiUpperCase(name));
  if (index >= 0) Delete(index);
}

TRpEvElement* TRpEvEnvironment::GetFunction(const AnsiString& name) {
  const int index = IndexOf(AnsiUpperCase(name));
  if (index >= 0 && Entry(index) != nullptr) return new TRpEvElementWrapper(Entry(index));
  return new TRpEvElementError(Format(rpmsg::UnknownFunction, {name}));
}

TRpEvResult TRpEvEnvironment::Value(const AnsiString& name) {
  const int index = IndexOf(AnsiUpperCase(name));
  if (index < 0 || Entry(index) == nullptr)
    return TRpEvResult::OfError(Format(rpmsg::UnknownFunction, {name}));
  TRpFiFo unused;
  return Entry(index)->Value(unused);
}

TRpEvElement* TRpEvEnvironment::GetConstant(const AnsiString& name) {
  const int index = IndexOf(AnsiUpperCase(name));
  if (index < 0 || Entry(index) == nullptr) return nullptr;
  const TRpEvaluator& evaluator = Entry(index)->Evaluator;
  if (!evaluator.Prepared() || evaluator.FiFo()->Elements.empty()) return nullptr;
  return evaluator.FiFo()->Elements.front().get();
}

void TRpEvEnvironment::SetIntegerConstant(TRpEvElement* element, Integer value) {
  if (auto* constant = dynamic_cast<TRpEvElementConstant*>(element)) SetIntegerConstant(constant, value);
}

void TRpEvEnvironment::SetIntegerConstant(TRpEvElementConstant* constant, Integer value) {
  constant->Result.SetInteger(value);
}

void TRpEvEnvironment::SetStringConstant(TRpEvElement* element, const AnsiString& value) {
  if (auto* str = dynamic_cast<TRpEvElementString*>(element)) str->Str = RpCutString(value);
}

void TRpEvEnvironment::SetConstant(TRpEvElement* element, const TRpEvResult& value) {
  if (auto* constant = dynamic_cast<TRpEvElementConstant*>(element)) {
    constant->Result = value;
  } else if (auto* str = dynamic_cast<TRpEvElementString*>(element)) {
    if (value.Kind == rpvString) str->Str = value.StrValue;
  }
}

void TRpEvEnvironment::Prepare() {
  if (++prepareCount_ != 1) return;
  for (int i = 0; i < Count(); ++i) prepareEntry(Entry(i));
}

// The entries' evaluators unprepare the global environment too; while an
// environment unprepares its own, the global one ignores them, so the
// global entries stay prepared for the rest of the run.
void TRpEvEnvironment::Unprepare() {
  bool& unpreparing = RpUnpreparingFlag();
  if (this == RpGlobalEnvironment && unpreparing) return;
  if (prepareCount_ == 0) return;
  struct Flag {
    bool& flag;
    explicit Flag(bool& f) : flag(f) { flag = true; }
    ~Flag() { flag = false; }
  } flag(unpreparing);
  if (--prepareCount_ > 0) return;
  for (int i = 0; i < Count(); ++i) {
    if (Entry(i) != nullptr) Entry(i)->Evaluator.Unprepare();
  }
}

// ---- stored form ----------------------------------------------------------------

namespace {

// The class library's value tags for a list of strings.
enum : Byte { vaNull = 0, vaList = 1, vaString = 6, vaLString = 12, vaWString = 18, vaUTF8String = 20 };

[[noreturn]] void invalidValue() { throw EReadError("Invalid property value"); }

Integer readLength(TStream& stream) {
  Byte bytes[4];
  if (stream.Read(bytes, 4) != 4) invalidValue();
  const Integer n = static_cast<Integer>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                         (static_cast<std::uint32_t>(bytes[3]) << 24));
  // Nothing longer than what is left can be read.
  if (n < 0 || n > stream.Size() - stream.Position()) invalidValue();
  return n;
}

AnsiString readBytes(TStream& stream, Integer n) {
  AnsiString s(static_cast<std::size_t>(n), '\0');
  if (n > 0 && stream.Read(s.data(), n) != n) invalidValue();
  return s;
}

std::vector<AnsiString> readStringList(TStream& stream) {
  Byte tag = 0;
  if (stream.Read(&tag, 1) != 1 || tag != vaList) invalidValue();
  std::vector<AnsiString> items;
  for (;;) {
    if (stream.Read(&tag, 1) != 1) invalidValue();
    switch (tag) {
      case vaNull:
        return items;
      case vaString: {
        Byte n = 0;
        if (stream.Read(&n, 1) != 1) invalidValue();
        items.push_back(readBytes(stream, n));
        break;
      }
      case vaLString:
        items.push_back(readBytes(stream, readLength(stream)));
        break;
      case vaUTF8String:
        items.push_back(cp1253::FromUtf8(readBytes(stream, readLength(stream))));
        break;
      case vaWString: {
        const Integer chars = readLength(stream);
        if (chars > (stream.Size() - stream.Position()) / 2) invalidValue();
        const AnsiString raw = readBytes(stream, chars * 2);
        WideString wide(static_cast<std::size_t>(chars), u'\0');
        for (Integer i = 0; i < chars; ++i) {
          wide[static_cast<std::size_t>(i)] =
              static_cast<char16_t>(static_cast<Byte>(raw[2 * i]) | (static_cast<Byte>(raw[2 * i + 1]) << 8));
        }
        items.push_back(cp1253::FromWide(wide));
        break;
      }
      default:
        invalidValue();
    }
  }
}

void writeStringList(TStream& stream, const std::vector<AnsiString>& items) {
  AnsiString out(1, static_cast<char>(vaList));
  for (const AnsiString& s : items) {
    if (s.size() <= 255) {
      out += static_cast<char>(vaString);
      out += static_cast<char>(s.size());
    } else {
      out += static_cast<char>(vaLString);
      const auto n = static_cast<std::uint32_t>(s.size());
      for (int k = 0; k < 4; ++k) out += static_cast<char>((n >> (8 * k)) & 0xFF);
    }
    out += s;
  }
  out += static_cast<char>(vaNull);
  stream.WriteBuffer(out.data(), static_cast<int>(out.size()));
}

}  // namespace

void TRpEvEnvironment::ReadStrings(TStream& stream) {
  const std::vector<AnsiString> names = readStringList(stream);
  Clear();
  for (const AnsiString& name : names) Add(name);
}

void TRpEvEnvironment::WriteStrings(TStream& stream) const {
  std::vector<AnsiString> names;
  for (int i = 0; i < Count(); ++i) names.push_back(Get(i));
  writeStringList(stream, names);
}

void TRpEvEnvironment::ReadData(TStream& stream) {
  const std::vector<AnsiString> expressions = readStringList(stream);
  for (std::size_t i = 0; i < expressions.size() && static_cast<int>(i) < Count(); ++i) {
    const int index = static_cast<int>(i);
    if (Entry(index) != nullptr) continue;
    auto* entry = new TRpEvEmbeddedFunction(expressions[i]);
    PutObject(index, entry);
    if (Prepared()) prepareEntry(entry);
  }
}

void TRpEvEnvironment::WriteData(TStream& stream) const {
  std::vector<AnsiString> expressions;
  for (int i = 0; i < Count(); ++i)
    expressions.push_back(Entry(i) != nullptr ? Entry(i)->Expression : AnsiString());
  writeStringList(stream, expressions);
}

// ---- query parameters -----------------------------------------------------------

void SetQueryParams(TQuery& query, TRpEvEnvironment& environment) {
  query.SetActive(false);
  TParams& params = query.Params();
  for (int i = 0; i < params.Count(); ++i) {
    TParam& param = params.Items(i);
    if (environment.IndexOf(param.Name) < 0) continue;
    const TRpEvResult value = environment.Value(param.Name);
    TDateTime when = 0;
    switch (param.DataType) {
      case ftString:
        if (value.Kind == rpvString) param.SetAsString(value.StrValue);
        break;
      case ftSmallint:
      case ftInteger:
      case ftWord:
        if (value.Kind == rpvInteger) param.SetAsInteger(value.IntValue);
        break;
      case ftBoolean:
        if (value.Kind == rpvBoolean) param.SetAsBoolean(value.BoolValue);
        break;
      case ftFloat:
      case ftCurrency:
      case ftBCD:
        if (value.Kind == rpvFloat) param.SetAsFloat(value.FloatValue);
        break;
      // A text that is no date leaves the parameter as it was.
      case ftDate:
        if (value.Kind == rpvString && TryStrToDate(value.StrValue, when)) param.SetAsDate(when);
        break;
      case ftTime:
        if (value.Kind == rpvString && TryStrToTime(value.StrValue, when)) param.SetAsTime(when);
        break;
      case ftDateTime:
        if (value.Kind == rpvString && TryStrToDateTime(value.StrValue, when)) param.SetAsDateTime(when);
        break;
      default:
        break;
    }
  }
  query.SetActive(true);
}
