// VariantChangeType for the types that the automation members receive
// (16- and 32-bit integers, colours, booleans, strings), following the
// platform's documented coercion: an empty variant is "" or 0, reals,
// currency and dates round half to even, a value that does not fit is
// DISP_E_OVERFLOW, and a boolean is -1 or 0 ("True"/"False" only with
// VARIANT_ALPHABOOL). Script hosts pass numbers as doubles and `undefined`
// as an empty variant, so these are the cases that matter. Strings are read
// and written with US conventions (the type library's locale, 0x409).
//
// Covered by tests/control/com/variant_conversion_test.cpp.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "control/com/runtime.h"

namespace pellora::com {

namespace {

// Reads a by-reference variant through to a plain one (not owning).
bool dereference(const VARIANT& source, VARIANT& plain) {
  VariantInit(&plain);
  if (!(source.vt & VT_BYREF)) {
    plain = source;
    return true;
  }
  if (!source.piVal) return false;
  plain.vt = static_cast<VARTYPE>(source.vt & ~VT_BYREF);
  switch (plain.vt) {
    case VT_UI1:
      plain.bVal = *source.pbVal;
      return true;
    case VT_I2:
      plain.iVal = *source.piVal;
      return true;
    case VT_UI2:
      plain.uiVal = *source.puiVal;
      return true;
    case VT_I4:
    case VT_INT:
      plain.lVal = *source.plVal;
      return true;
    case VT_UI4:
    case VT_UINT:
      plain.ulVal = *source.pulVal;
      return true;
    case VT_R4:
      plain.fltVal = *source.pfltVal;
      return true;
    case VT_R8:
      plain.dblVal = *source.pdblVal;
      return true;
    case VT_CY:
      plain.cyVal = *source.pcyVal;
      return true;
    case VT_DATE:
      plain.date = *source.pdate;
      return true;
    case VT_BOOL:
      plain.boolVal = *source.pboolVal;
      return true;
    case VT_BSTR:
      plain.bstrVal = *source.pbstrVal;
      return true;
    case VT_VARIANT:
      return dereference(*source.pvarVal, plain);
    default:
      return false;
  }
}

double roundHalfEven(double value) {
  const double below = std::floor(value);
  const double rest = value - below;
  if (rest > 0.5) return below + 1;
  if (rest < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

// Currency to whole units, half to even.
long long roundCurrency(std::int64_t scaled) {
  long long whole = scaled / 10000;
  const long long rest = scaled % 10000;
  if (rest > 5000 || (rest == 5000 && whole % 2 != 0)) ++whole;
  if (rest < -5000 || (rest == -5000 && whole % 2 != 0)) --whole;
  return whole;
}

HRESULT integerOfReal(double value, long long& out) {
  // Far beyond every target type, and safe to convert.
  constexpr double kLimit = 9.0e18;
  if (!std::isfinite(value)) return DISP_E_OVERFLOW;
  const double rounded = roundHalfEven(value);
  if (rounded < -kLimit || rounded > kLimit) return DISP_E_OVERFLOW;
  out = static_cast<long long>(rounded);
  return S_OK;
}

std::u16string trimmed(std::u16string_view text) {
  const auto first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(u" \t");
  return std::u16string(text.substr(first, last - first + 1));
}

// A decimal number: optional sign, digits with an optional point, an
// optional exponent; blanks around it. No hex, no "inf" or "nan".
HRESULT parseNumber(std::u16string_view wide, double& out) {
  const std::u16string text = trimmed(wide);
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return DISP_E_TYPEMISMATCH;
    ascii += static_cast<char>(c);
  }
  std::size_t at = 0;
  bool negative = false;
  if (at < ascii.size() && (ascii[at] == '+' || ascii[at] == '-')) negative = ascii[at++] == '-';
  const std::size_t start = at;
  auto digits = [&] {
    std::size_t count = 0;
    while (at < ascii.size() && ascii[at] >= '0' && ascii[at] <= '9') ++at, ++count;
    return count;
  };
  std::size_t mantissa = digits();
  if (at < ascii.size() && ascii[at] == '.') {
    ++at;
    mantissa += digits();
  }
  if (mantissa == 0) return DISP_E_TYPEMISMATCH;
  if (at < ascii.size() && (ascii[at] == 'e' || ascii[at] == 'E')) {
    ++at;
    if (at < ascii.size() && (ascii[at] == '+' || ascii[at] == '-')) ++at;
    if (digits() == 0) return DISP_E_TYPEMISMATCH;
  }
  if (at != ascii.size()) return DISP_E_TYPEMISMATCH;
  double value = 0;
  const auto [end, error] =
      std::from_chars(ascii.data() + start, ascii.data() + ascii.size(), value);
  if (error == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
  if (error != std::errc() || end != ascii.data() + ascii.size()) return DISP_E_TYPEMISMATCH;
  out = negative ? -value : value;
  return S_OK;
}

HRESULT integerOf(const VARIANT& v, long long& out) {
  switch (v.vt) {
    case VT_EMPTY:
      out = 0;
      return S_OK;
    case VT_UI1:
      out = v.bVal;
      return S_OK;
    case VT_I2:
      out = v.iVal;
      return S_OK;
    case VT_UI2:
      out = v.uiVal;
      return S_OK;
    case VT_I4:
    case VT_INT:
      out = v.lVal;
      return S_OK;
    case VT_UI4:
    case VT_UINT:
      out = v.ulVal;
      return S_OK;
    case VT_BOOL:
      out = v.boolVal;
      return S_OK;
    case VT_R4:
      return integerOfReal(v.fltVal, out);
    case VT_R8:
      return integerOfReal(v.dblVal, out);
    case VT_DATE:
      return integerOfReal(v.date, out);
    case VT_CY:
      out = roundCurrency(v.cyVal.int64);
      return S_OK;
    case VT_BSTR: {
      double value = 0;
      if (HRESULT hr = parseNumber(bstrView(v.bstrVal), value); FAILED(hr)) return hr;
      return integerOfReal(value, out);
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

bool equalsIgnoringCase(std::u16string_view text, std::u16string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? text[i] + 32 : text[i];
    const char16_t w = word[i] >= u'A' && word[i] <= u'Z' ? word[i] + 32 : word[i];
    if (c != w) return false;
  }
  return true;
}

HRESULT booleanOf(const VARIANT& v, bool& out) {
  switch (v.vt) {
    case VT_R4:
      out = v.fltVal != 0;
      return S_OK;
    case VT_R8:
      out = v.dblVal != 0;
      return S_OK;
    case VT_DATE:
      out = v.date != 0;
      return S_OK;
    case VT_CY:
      out = v.cyVal.int64 != 0;
      return S_OK;
    case VT_BSTR: {
      const std::u16string text = trimmed(bstrView(v.bstrVal));
      if (equalsIgnoringCase(text, u"true")) {
        out = true;
        return S_OK;
      }
      if (equalsIgnoringCase(text, u"false")) {
        out = false;
        return S_OK;
      }
      double value = 0;
      if (HRESULT hr = parseNumber(text, value); FAILED(hr)) return hr;
      out = value != 0;
      return S_OK;
    }
    default: {
      long long value = 0;
      if (HRESULT hr = integerOf(v, value); FAILED(hr)) return hr;
      out = value != 0;
      return S_OK;
    }
  }
}

std::u16string widenAscii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

// `significant` digits, exponent form for very large or small values:
// 1E+20, 1E-05, 0.0001, 2.5.
HRESULT formatReal(double value, int significant, std::u16string& out) {
  if (!std::isfinite(value)) return DISP_E_TYPEMISMATCH;
  if (value == 0) value = 0;  // no "-0"
  char buffer[40];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significant);
  if (error != std::errc()) return DISP_E_TYPEMISMATCH;
  std::string text(buffer, end);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  out = widenAscii(text);
  return S_OK;
}

// Up to four decimals, trailing zeros dropped.
std::u16string formatCurrency(std::int64_t scaled) {
  const bool negative = scaled < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  std::string text = std::to_string(magnitude / 10000);
  if (const unsigned fraction = static_cast<unsigned>(magnitude % 10000)) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04u", fraction);
    std::string decimals(digits);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += "." + decimals;
  }
  return widenAscii(negative ? "-" + text : text);
}

// "M/D/YYYY h:mm:ss AM"; the date alone at midnight, the time alone on day
// zero (30 December 1899). A negative date counts days backwards, its
// fraction is still the time of that day.
HRESULT formatDate(DATE value, std::u16string& out) {
  // 1 January 100 to 31 December 9999, the platform's date range.
  if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0) return DISP_E_OVERFLOW;
  long long days = static_cast<long long>(std::trunc(value));
  long long seconds = std::llround(std::fabs(value - std::trunc(value)) * 86400.0);
  if (seconds == 86400) {
    seconds = 0;
    days += value < 0 ? -1 : 1;
  }
  // Civil date from a day count (days since 1970-01-01; 30 December 1899 is
  // day -25569).
  const long long z = days - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);

  char date[72];
  std::snprintf(date, sizeof date, "%lld/%lld/%lld", month, day, year);
  const long long hour = seconds / 3600;
  char time[72];
  std::snprintf(time, sizeof time, "%lld:%02lld:%02lld %s", hour % 12 == 0 ? 12 : hour % 12,
                seconds / 60 % 60, seconds % 60, hour < 12 ? "AM" : "PM");
  if (days == 0) {
    out = widenAscii(time);
  } else if (seconds == 0) {
    out = widenAscii(date);
  } else {
    out = widenAscii(std::string(date) + " " + time);
  }
  return S_OK;
}

HRESULT textOf(const VARIANT& v, WORD flags, std::u16string& out) {
  switch (v.vt) {
    case VT_EMPTY:
      out.clear();
      return S_OK;
    case VT_BSTR:
      out = bstrView(v.bstrVal);
      return S_OK;
    case VT_BOOL:
      if (flags & VARIANT_ALPHABOOL) {
        out = v.boolVal ? u"True" : u"False";
      } else {
        out = widenAscii(std::to_string(v.boolVal));
      }
      return S_OK;
    case VT_R4:
      return formatReal(v.fltVal, 7, out);
    case VT_R8:
      return formatReal(v.dblVal, 15, out);
    case VT_CY:
      out = formatCurrency(v.cyVal.int64);
      return S_OK;
    case VT_DATE:
      return formatDate(v.date, out);
    default: {
      long long value = 0;
      if (HRESULT hr = integerOf(v, value); FAILED(hr)) return hr;
      out = widenAscii(std::to_string(value));
      return S_OK;
    }
  }
}

HRESULT integerInRange(const VARIANT& v, long long low, long long high, long long& out) {
  if (HRESULT hr = integerOf(v, out); FAILED(hr)) return hr;
  return out < low || out > high ? DISP_E_OVERFLOW : S_OK;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, WORD flags, VARTYPE vt) {
  if (!target || !source) return E_INVALIDARG;
  VARIANT plain;
  if (!dereference(*source, plain)) return DISP_E_BADVARTYPE;
  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  long long number = 0;
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_I2:
      hr = integerInRange(plain, std::numeric_limits<std::int16_t>::min(),
                          std::numeric_limits<std::int16_t>::max(), number);
      result.iVal = static_cast<std::int16_t>(number);
      break;
    case VT_I4:
      hr = integerInRange(plain, std::numeric_limits<std::int32_t>::min(),
                          std::numeric_limits<std::int32_t>::max(), number);
      result.lVal = static_cast<std::int32_t>(number);
      break;
    case VT_UI4:
      // Colours arrive as signed I4 values with the high bit set, too.
      hr = integerInRange(plain, std::numeric_limits<std::int32_t>::min(),
                          std::numeric_limits<std::uint32_t>::max(), number);
      result.ulVal = static_cast<std::uint32_t>(number);
      break;
    case VT_BOOL: {
      bool value = false;
      hr = booleanOf(plain, value);
      result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    }
    case VT_BSTR: {
      std::u16string text;
      hr = textOf(plain, flags, text);
      if (SUCCEEDED(hr)) {
        result.bstrVal = allocBstr(text);
        if (!result.bstrVal) hr = E_OUTOFMEMORY;
      }
      break;
    }
    default:
      return DISP_E_BADVARTYPE;
  }
  if (FAILED(hr)) return hr;
  VariantClear(target);
  *target = result;
  return S_OK;
}

}  // namespace pellora::com
