// Argument conversion of the automation interface: the conversion table of
// VariantChangeType, and what script hosts' arguments (doubles, undefined)
// do to the control's members through Invoke.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "control/application.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com_test_support.h"
#include "control/type_info.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

using test::Variant;

VARIANT real(double value) {
  VARIANT v{};
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}
VARIANT single(float value) {
  VARIANT v{};
  v.vt = VT_R4;
  v.fltVal = value;
  return v;
}
VARIANT currency(std::int64_t scaled) {
  VARIANT v{};
  v.vt = VT_CY;
  v.cyVal.int64 = scaled;
  return v;
}
VARIANT date(double value) {
  VARIANT v{};
  v.vt = VT_DATE;
  v.date = value;
  return v;
}
VARIANT integer(std::int32_t value) {
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}
VARIANT boolean(bool value) {
  VARIANT v{};
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
VARIANT ofType(VARTYPE vt) {
  VARIANT v{};
  v.vt = vt;
  return v;
}
// Strings are built when the row runs (a BSTR has an owner there).
VARIANT text() { return ofType(VT_BSTR); }

// The converted value as text, for comparing one string per row.
std::string shown(const VARIANT& v) {
  switch (v.vt) {
    case VT_I2:
      return std::to_string(v.iVal);
    case VT_I4:
      return std::to_string(v.lVal);
    case VT_UI4:
      return std::to_string(v.ulVal);
    case VT_BOOL:
      return std::to_string(v.boolVal);
    case VT_BSTR: {
      std::string out;
      for (char16_t c : bstrView(v.bstrVal)) out += static_cast<char>(c);
      return out;
    }
    default:
      return "vt " + std::to_string(v.vt);
  }
}

struct ConversionCase {
  const char* name;
  VARIANT source;
  std::u16string sourceText;  // for VT_BSTR sources
  VARTYPE target;
  HRESULT hr;
  const char* expected;  // when hr is S_OK
  WORD flags = 0;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

const ConversionCase kConversions[] = {
    // An empty variant (a script's `undefined`) is nothing, not "0".
    {"empty to text", ofType(VT_EMPTY), u"", VT_BSTR, S_OK, ""},
    {"empty to integer", ofType(VT_EMPTY), u"", VT_I4, S_OK, "0"},
    {"empty to short", ofType(VT_EMPTY), u"", VT_I2, S_OK, "0"},
    {"empty to boolean", ofType(VT_EMPTY), u"", VT_BOOL, S_OK, "0"},
    {"null to text", ofType(VT_NULL), u"", VT_BSTR, DISP_E_TYPEMISMATCH, nullptr},
    {"null to integer", ofType(VT_NULL), u"", VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    {"object to text", ofType(VT_DISPATCH), u"", VT_BSTR, DISP_E_TYPEMISMATCH, nullptr},

    // Doubles, as script hosts pass every number.
    {"colour as double", real(2147483663.0), u"", VT_UI4, S_OK, "2147483663"},
    {"largest colour", real(4294967295.0), u"", VT_UI4, S_OK, "4294967295"},
    {"colour beyond 32 bits", real(4294967295.5), u"", VT_UI4, DISP_E_OVERFLOW, nullptr},
    {"half rounds to even, down", real(2.5), u"", VT_I4, S_OK, "2"},
    {"half rounds to even, up", real(3.5), u"", VT_I4, S_OK, "4"},
    {"negative half to even", real(-2.5), u"", VT_I4, S_OK, "-2"},
    {"negative half to even, away", real(-3.5), u"", VT_I4, S_OK, "-4"},
    {"below half", real(2.4999), u"", VT_I4, S_OK, "2"},
    {"above half", real(2.5001), u"", VT_I4, S_OK, "3"},
    {"int32 edge rounds in", real(2147483647.4), u"", VT_I4, S_OK, "2147483647"},
    {"int32 edge rounds out", real(2147483647.5), u"", VT_I4, DISP_E_OVERFLOW, nullptr},
    {"int32 low edge to even", real(-2147483648.5), u"", VT_I4, S_OK, "-2147483648"},
    {"int16 edge rounds out", real(32767.5), u"", VT_I2, DISP_E_OVERFLOW, nullptr},
    {"int16 low edge to even", real(-32768.5), u"", VT_I2, S_OK, "-32768"},
    {"not a number", real(kNaN), u"", VT_I4, DISP_E_OVERFLOW, nullptr},
    {"infinity", real(kInfinity), u"", VT_I4, DISP_E_OVERFLOW, nullptr},
    {"double to boolean", real(0.25), u"", VT_BOOL, S_OK, "-1"},
    {"zero double to boolean", real(0.0), u"", VT_BOOL, S_OK, "0"},
    {"double to text", real(2.5), u"", VT_BSTR, S_OK, "2.5"},
    {"whole double to text", real(2147483663.0), u"", VT_BSTR, S_OK, "2147483663"},
    {"fifteen digits", real(1.0 / 3.0), u"", VT_BSTR, S_OK, "0.333333333333333"},
    {"fifteen digits whole", real(123456789012345.0), u"", VT_BSTR, S_OK, "123456789012345"},
    {"sixteen digits", real(1234567890123456.0), u"", VT_BSTR, S_OK, "1.23456789012346E+15"},
    {"large exponent", real(1e20), u"", VT_BSTR, S_OK, "1E+20"},
    {"small exponent", real(0.00001), u"", VT_BSTR, S_OK, "1E-05"},
    {"small fixed", real(0.0001), u"", VT_BSTR, S_OK, "0.0001"},
    {"negative zero", real(-0.0), u"", VT_BSTR, S_OK, "0"},
    {"single to short", single(1.5f), u"", VT_I2, S_OK, "2"},
    {"single to text, seven digits", single(0.1f), u"", VT_BSTR, S_OK, "0.1"},

    // Currency: scaled by 10000.
    {"currency half to even", currency(25000), u"", VT_I4, S_OK, "2"},
    {"currency half to even, up", currency(35000), u"", VT_I4, S_OK, "4"},
    {"negative currency half", currency(-25000), u"", VT_I4, S_OK, "-2"},
    {"currency above half", currency(25001), u"", VT_I4, S_OK, "3"},
    {"currency to text", currency(15000), u"", VT_BSTR, S_OK, "1.5"},
    {"whole currency to text", currency(20000), u"", VT_BSTR, S_OK, "2"},
    {"smallest currency to text", currency(1), u"", VT_BSTR, S_OK, "0.0001"},
    {"negative currency to text", currency(-12345), u"", VT_BSTR, S_OK, "-1.2345"},
    {"currency beyond int16", currency(327680000), u"", VT_I2, DISP_E_OVERFLOW, nullptr},

    // Dates: days since 30 December 1899, the fraction the time of day.
    {"date to integer", date(2.5), u"", VT_I4, S_OK, "2"},
    {"date to integer, up", date(3.5), u"", VT_I4, S_OK, "4"},
    {"day zero is a time", date(0.0), u"", VT_BSTR, S_OK, "12:00:00 AM"},
    {"date and time", date(1.5), u"", VT_BSTR, S_OK, "12/31/1899 12:00:00 PM"},
    {"midnight is a date", date(36526.0), u"", VT_BSTR, S_OK, "1/1/2000"},
    {"evening", date(45000.75), u"", VT_BSTR, S_OK, "3/15/2023 6:00:00 PM"},
    {"negative date counts back", date(-1.25), u"", VT_BSTR, S_OK, "12/29/1899 6:00:00 AM"},
    {"leap day", date(36585.0), u"", VT_BSTR, S_OK, "2/29/2000"},
    {"beyond year 9999", date(2958466.0), u"", VT_BSTR, DISP_E_OVERFLOW, nullptr},

    // Booleans: -1 and 0; "True"/"False" only when asked for.
    {"true to text", boolean(true), u"", VT_BSTR, S_OK, "-1"},
    {"false to text", boolean(false), u"", VT_BSTR, S_OK, "0"},
    {"true to words", boolean(true), u"", VT_BSTR, S_OK, "True", VARIANT_ALPHABOOL},
    {"false to words", boolean(false), u"", VT_BSTR, S_OK, "False", VARIANT_ALPHABOOL},
    {"true to integer", boolean(true), u"", VT_I4, S_OK, "-1"},
    {"true to short", boolean(true), u"", VT_I2, S_OK, "-1"},

    // Integers.
    {"signed colour", integer(-2147483633), u"", VT_UI4, S_OK, "2147483663"},
    {"beyond int16", integer(70000), u"", VT_I2, DISP_E_OVERFLOW, nullptr},
    {"integer to text", integer(-5), u"", VT_BSTR, S_OK, "-5"},
    {"integer to boolean", integer(2), u"", VT_BOOL, S_OK, "-1"},

    // Strings.
    {"text to text", text(), u"K\u00FCche", VT_BSTR, S_OK,
     "K\xFC"
     "che"},
    {"number text with blanks", text(), u" 42 ", VT_I4, S_OK, "42"},
    {"decimal text rounds", text(), u"2.5", VT_I4, S_OK, "2"},
    {"exponent text", text(), u"1e3", VT_I4, S_OK, "1000"},
    {"signed text", text(), u"-7", VT_I2, S_OK, "-7"},
    {"empty text is no number", text(), u"", VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    {"word is no number", text(), u"abc", VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    {"hex is no number", text(), u"0x10", VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    {"inf is no number", text(), u"inf", VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    {"lone point", text(), u".", VT_I4, DISP_E_TYPEMISMATCH, nullptr},
    {"text beyond int32", text(), u"99999999999", VT_I4, DISP_E_OVERFLOW, nullptr},
    {"text True", text(), u"True", VT_BOOL, S_OK, "-1"},
    {"text false", text(), u" false", VT_BOOL, S_OK, "0"},
    {"number text to boolean", text(), u"0", VT_BOOL, S_OK, "0"},
    {"other word to boolean", text(), u"yes", VT_BOOL, DISP_E_TYPEMISMATCH, nullptr},
};

TEST(VariantConversionTest, ConvertsAsThePlatformDocuments) {
  for (const ConversionCase& row : kConversions) {
    SCOPED_TRACE(row.name);
    VARIANT source = row.source;
    if (source.vt == VT_BSTR) source.bstrVal = allocBstr(row.sourceText);
    Variant result;
    const HRESULT hr = VariantChangeType(&result.v, &source, row.flags, row.target);
    EXPECT_EQ(hr, row.hr);
    if (row.hr == S_OK && hr == S_OK) {
      EXPECT_EQ(result.v.vt, row.target);
      EXPECT_EQ(shown(result.v), row.expected);
    }
    if (source.vt == VT_BSTR) SysFreeString(source.bstrVal);
  }
}

TEST(VariantConversionTest, ReadsThroughReferencesAndKeepsTheTargetOnFailure) {
  double number = 3.5;
  VARIANT byRef{};
  byRef.vt = VT_R8 | VT_BYREF;
  byRef.pdblVal = &number;
  Variant result;
  ASSERT_EQ(VariantChangeType(&result.v, &byRef, 0, VT_I4), S_OK);
  EXPECT_EQ(result.v.lVal, 4);

  VARIANT inner = currency(15000);
  VARIANT nested{};
  nested.vt = VT_VARIANT | VT_BYREF;
  nested.pvarVal = &inner;
  ASSERT_EQ(VariantChangeType(&result.v, &nested, 0, VT_BSTR), S_OK);
  EXPECT_EQ(shown(result.v), "1.5");

  VARIANT huge = real(1e12);
  EXPECT_EQ(VariantChangeType(&result.v, &huge, 0, VT_I4), DISP_E_OVERFLOW);
  EXPECT_EQ(result.v.vt, VT_BSTR) << "a failed conversion leaves the target alone";
  EXPECT_EQ(shown(result.v), "1.5");

  // In place, as the platform allows.
  Variant same;
  Variant::string(same.v, u"12");
  ASSERT_EQ(VariantChangeType(&same.v, &same.v, 0, VT_I2), S_OK);
  EXPECT_EQ(same.v.vt, VT_I2);
  EXPECT_EQ(same.v.iVal, 12);
}

class ScriptArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&control)),
              S_OK);
    factory->Release();
  }
  void TearDown() override {
    if (control) control->Release();
    application() = {};
    EXPECT_EQ(canUnloadNow(), S_OK) << "every object released";
  }

  // Arguments in call order; `put` makes it a property write.
  HRESULT invoke(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
    std::reverse(args.begin(), args.end());
    DISPID put = DISPID_PROPERTYPUT;
    const bool isPut = flags & DISPATCH_PROPERTYPUT;
    DISPPARAMS params{args.data(), isPut ? &put : nullptr, static_cast<std::uint32_t>(args.size()),
                      isPut ? 1u : 0u};
    const HRESULT hr = control->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
    for (auto& arg : args) VariantClear(&arg);
    return hr;
  }

  test::ScopedFakePlatform fake;
  IPellora* control = nullptr;
};

TEST_F(ScriptArgumentsTest, UndefinedArgumentsStoreEmptyTexts) {
  VARIANT content;
  Variant::string(content, u"Sample 2");
  ASSERT_EQ(invoke(DISPID_Params, DISPATCH_METHOD, {ofType(VT_EMPTY), content, ofType(VT_EMPTY)}),
            S_OK);
  const EditingContext& context = editingContext();
  EXPECT_EQ(context.BaseUrl, "");
  EXPECT_EQ(context.ContentName, "Sample 2");
  EXPECT_EQ(context.AuthToken, "");
  ASSERT_EQ(invoke(DISPID_Options, DISPATCH_METHOD, {ofType(VT_EMPTY)}), S_OK);
  EXPECT_EQ(context.EditOptions, "");
}

TEST_F(ScriptArgumentsTest, NumbersFromScriptsReachTheProperties) {
  // clBtnFace as a script writes it: 0x8000000F as a double.
  ASSERT_EQ(invoke(DISPID_Color, DISPATCH_PROPERTYPUT, {real(2147483663.0)}), S_OK);
  Variant value;
  ASSERT_EQ(invoke(DISPID_Color, DISPATCH_PROPERTYGET, {}, &value.v), S_OK);
  EXPECT_EQ(value.v.ulVal, 2147483663u);
  EXPECT_EQ(invoke(DISPID_Color, DISPATCH_PROPERTYPUT, {real(4294967296.0)}), DISP_E_OVERFLOW);

  ASSERT_EQ(invoke(DISPID_Cursor, DISPATCH_PROPERTYPUT, {real(-2.5)}), S_OK);
  ASSERT_EQ(invoke(DISPID_Cursor, DISPATCH_PROPERTYGET, {}, &value.v), S_OK);
  EXPECT_EQ(value.v.iVal, -2);

  ASSERT_EQ(invoke(DISPID_Caption, DISPATCH_PROPERTYPUT, {real(2.5)}), S_OK);
  ASSERT_EQ(invoke(DISPID_Caption, DISPATCH_PROPERTYGET, {}, &value.v), S_OK);
  EXPECT_EQ(bstrView(value.v.bstrVal), u"2.5");

  ASSERT_EQ(invoke(DISPID_KeyPreview, DISPATCH_PROPERTYPUT, {real(1.0)}), S_OK);
  ASSERT_EQ(invoke(DISPID_KeyPreview, DISPATCH_PROPERTYGET, {}, &value.v), S_OK);
  EXPECT_EQ(value.v.boolVal, VARIANT_TRUE);
}

TEST_F(ScriptArgumentsTest, AHeldTypeInformationKeepsTheModuleLoaded) {
  ITypeInfo* info = nullptr;
  ASSERT_EQ(control->GetTypeInfo(0, 0, &info), S_OK);
  control->Release();
  control = nullptr;
  application() = {};
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "the type information still lives in the module";
  info->Release();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace pellora
