// Format with the class library's directives:
//   "%" [index ":"] ["-"] [width] ["." precision] type
// index, width and precision may be "*" (taken from the arguments).

#include <cstdint>
#include <vector>

#include "platform/rtl/SysUtilsFloat.h"

namespace {

// Widths and precisions beyond this are refused rather than allocated: no
// program text needs them, and outside text must not exhaust memory.
constexpr Int64 kMaxWidth = 65535;

class Formatter {
 public:
  Formatter(const AnsiString& format, std::initializer_list<FormatArg> args)
      : format_(format), args_(args.begin(), args.end()) {}

  AnsiString run() {
    AnsiString out;
    std::size_t i = 0;
    while (i < format_.size()) {
      const std::size_t percent = format_.find('%', i);
      if (percent == AnsiString::npos) {
        out.append(format_, i, AnsiString::npos);
        break;
      }
      out.append(format_, i, percent - i);
      i = percent + 1;
      if (i < format_.size() && format_[i] == '%') {
        out += '%';
        ++i;
        continue;
      }
      directive(i, out);
    }
    return out;
  }

 private:
  [[noreturn]] void invalid() const {
    throw EConvertError("Format '" + format_ + "' invalid or incompatible with argument");
  }

  const FormatArg& takeArg() {
    if (next_ >= args_.size()) throw EConvertError("No argument for format '" + format_ + "'");
    return args_[next_++];
  }

  // A number or "*" (an integer argument); -1 when neither is there.
  Int64 number(std::size_t& i) {
    if (i < format_.size() && format_[i] == '*') {
      ++i;
      const FormatArg& arg = takeArg();
      if (arg.kind != FormatArg::Int) invalid();
      if (arg.i > kMaxWidth) invalid();
      return arg.i;
    }
    if (i >= format_.size() || format_[i] < '0' || format_[i] > '9') return -1;
    Int64 value = 0;
    while (i < format_.size() && format_[i] >= '0' && format_[i] <= '9') {
      value = value * 10 + (format_[i] - '0');
      if (value > kMaxWidth) invalid();
      ++i;
    }
    return value;
  }

  void directive(std::size_t& i, AnsiString& out) {
    // "%3:s" selects argument 3; "%3s" is a width. Only a number can be an
    // index, so remember where it began.
    const std::size_t start = i;
    Int64 first = number(i);
    if (i < format_.size() && format_[i] == ':') {
      if (first < 0) first = 0;
      next_ = static_cast<std::size_t>(first);
      ++i;
    } else {
      i = start;
      // A "*" already consumed its argument; read it again as a width below.
      if (start < format_.size() && format_[start] == '*') --next_;
    }
    bool left = false;
    if (i < format_.size() && format_[i] == '-') {
      left = true;
      ++i;
    }
    const Int64 width = number(i);
    Int64 precision = -1;
    if (i < format_.size() && format_[i] == '.') {
      ++i;
      precision = number(i);
      if (precision < 0) precision = 0;
    }
    if (i >= format_.size()) invalid();
    const char type = format_[i++];
    AnsiString text = convert(type, precision);
    if (width > Length(text)) {
      const AnsiString pad(static_cast<std::size_t>(width - Length(text)), ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }

  AnsiString convert(char type, Int64 precision) {
    switch (type) {
      case 'd':
      case 'D':
      case 'u':
      case 'U':
      case 'x':
      case 'X':
        return integer(type | 0x20, precision);
      case 'e':
      case 'E':
        return floating(ffExponent, precision < 0 || precision > 18 ? 15 : static_cast<int>(precision), 3);
      case 'g':
      case 'G':
        return floating(ffGeneral, precision < 0 || precision > 18 ? 15 : static_cast<int>(precision), 0);
      case 'f':
      case 'F':
        return floating(ffFixed, 18, precision < 0 || precision > 18 ? 2 : static_cast<int>(precision));
      case 'n':
      case 'N':
        return floating(ffNumber, 18, precision < 0 || precision > 18 ? 2 : static_cast<int>(precision));
      case 'm':
      case 'M':
        return floating(ffCurrency, 18,
                        precision < 0 || precision > 18 ? CurrencyDecimals : static_cast<int>(precision));
      case 's':
      case 'S': {
        const FormatArg& arg = takeArg();
        if (arg.kind != FormatArg::Str) invalid();
        if (precision >= 0 && precision < Length(arg.s))
          return arg.s.substr(0, static_cast<std::size_t>(precision));
        return arg.s;
      }
      default:
        invalid();
    }
  }

  AnsiString integer(char type, Int64 precision) {
    const FormatArg& arg = takeArg();
    if (arg.kind != FormatArg::Int) invalid();
    AnsiString digits;
    bool negative = false;
    // %u and %x show a negative 32-bit integer as its unsigned bit pattern.
    std::uint64_t bits = static_cast<std::uint64_t>(arg.i);
    if (arg.i < 0 && arg.i >= INT32_MIN) bits &= 0xFFFFFFFFu;
    if (type == 'd') {
      digits = IntToStr(arg.i);
      if (arg.i < 0) {
        negative = true;
        digits.erase(0, 1);
      }
    } else if (type == 'u') {
      do {
        digits.insert(digits.begin(), static_cast<char>('0' + bits % 10));
        bits /= 10;
      } while (bits != 0);
    } else {
      digits = IntToHex(static_cast<Int64>(bits), 1);
    }
    if (precision > Length(digits))
      digits.insert(0, static_cast<std::size_t>(precision - Length(digits)), '0');
    return negative ? "-" + digits : digits;
  }

  AnsiString floating(TFloatFormat format, int precision, int digits) {
    const FormatArg& arg = takeArg();
    if (arg.kind != FormatArg::Float) invalid();
    return rtl_detail::FloatToText(arg.f, format, precision, digits);
  }

  const AnsiString& format_;
  std::vector<FormatArg> args_;
  std::size_t next_ = 0;
};

}  // namespace

AnsiString Format(const AnsiString& format, std::initializer_list<FormatArg> args) {
  return Formatter(format, args).run();
}
