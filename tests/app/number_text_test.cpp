#include "app/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "app/app_error.h"
#include "app_test_support.h"

namespace plendra {
namespace {

TEST(SingleText, WritesSevenSignificantDigitsWithoutTrailingZeros) {
  struct Case {
    float v;
    std::u16string_view text;
  } cases[] = {
      {975, u"975"},
      {-37.5f, u"-37.5"},
      {1000.5f, u"1000.5"},
      {1234.4f, u"1234.4"},  // the float is 1234.400024...
      {0.1f, u"0.1"},
      {-0.0f, u"0"},
      {0, u"0"},
      {1230, u"1230"},
      {1234567, u"1234567"},
      {9999999, u"9999999"},
      {1234567.5f, u"1234568"},     // the eighth digit rounds
      {12345678, u"1.234568E+07"},  // eight integer digits
      {9999999.5f, u"1E+07"},       // rounds up into eight digits
      {10000000, u"1E+07"},
      {-12345678, u"-1.234568E+07"},
      {3.4028235e38f, u"3.402823E+38"},
      {0.0001f, u"0.0001"},
      {0.00012345f, u"0.00012345"},
      {0.00001f, u"1E-05"},  // first digit beyond the fourth decimal
      {0.000012345f, u"1.2345E-05"},
      {-0.000001f, u"-1E-06"},
      {0.33333334f, u"0.3333333"},
      {812.5f, u"812.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(SingleText(c.v), c.text) << c.v;
}

TEST(FixedText, RoundsTheSevenDigitValueHalfAwayFromZero) {
  struct Case {
    float v;
    std::int32_t decimals;
    std::u16string_view text;
  } cases[] = {
      {1234.4f, 0, u"1234"},
      {1234.5f, 0, u"1235"},  // away from zero, where the integer conversion gives 1234
      {1235.5f, 0, u"1236"},
      {-1234.5f, 0, u"-1235"},
      {1500, 2, u"1500.00"},
      {1234.4f, 2, u"1234.40"},  // not 1234.400024
      {0.125f, 2, u"0.13"},
      {0.005f, 2, u"0.01"},
      {0.0049f, 2, u"0.00"},
      {0.0005f, 2, u"0.00"},
      {-0.001f, 2, u"0.00"},  // no "-0.00"
      {9.999f, 2, u"10.00"},  // the carry adds a digit
      {999.5f, 0, u"1000"},
      {0, 3, u"0.000"},
      {0.5f, 0, u"1"},
      {0.4f, 0, u"0"},
      {7, -2, u"7"},  // a negative count is none
      {1.0f / 3, 9, u"0.333333300"},
      {12345678, 1, u"12345680.0"},  // only seven digits are known
  };
  for (const Case& c : cases) EXPECT_EQ(FixedText(c.v, c.decimals), c.text) << c.v << " " << c.decimals;
  EXPECT_EQ(FixedText(1, 1000).size(), 2u + kMaxDecimals);
}

TEST(LeadingNumber, ReadsTheLongestLeadingNumberAndNeverFails) {
  struct Case {
    std::u16string_view text;
    double value;
  } cases[] = {
      {u"  70", 70},                                    // a right-aligned DXF integer
      {u"1.5E+3", 1500}, {u"1.5e3", 1500}, {u"2E", 2},  // no digits after the E
      {u"2E+", 2},       {u"2Ex", 2},      {u"-12.5abc", -12.5}, {u"+7", 7},      {u".5", 0.5},
      {u"5.", 5},        {u"-.25", -0.25}, {u"\t\r\n 3", 3},     {u"1 2", 1},  // a blank ends the number
      {u"1,000", 1},     {u"", 0},         {u"   ", 0},          {u"abc", 0},     {u".", 0},
      {u"-", 0},         {u"- 5", 0},      {u"1E-400", 0},       {u"89.6", 89.6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LeadingNumber(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  EXPECT_EQ(LeadingNumber(u"1E400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber(u"-" + std::u16string(400, u'9')), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber(u"0." + std::u16string(400, u'0') + u"1E+400"), 0.1);
  EXPECT_EQ(LeadingNumber(u"1E99999999999999999999"), std::numeric_limits<double>::infinity());
}

TEST(RoundToLong, SendsHalvesToTheEvenNeighbourAndRefusesOverflow) {
  struct Case {
    double v;
    std::int32_t rounded;
  } cases[] = {
      {89.5, 90},
      {90.5, 90},
      {91.5, 92},
      {-2.5, -2},
      {-3.5, -4},
      {0.49999999999999994, 0},
      {89.6, 90},
      {-0.5, 0},
      {2147483647.4, 2147483647},
      {-2147483648.0, -2147483648},
  };
  for (const Case& c : cases) EXPECT_EQ(RoundToLong(c.v), c.rounded) << c.v;
  for (double v : {2147483647.5, -2147483648.6, 1e300, std::nan(""), std::numeric_limits<double>::infinity()})
    EXPECT_EQ(ErrorOf([&] { RoundToLong(v); }), 6) << v;
  EXPECT_EQ(RoundToInteger(32767.4), 32767);
  EXPECT_EQ(ErrorOf([] { RoundToInteger(32767.5); }), 6);
  EXPECT_EQ(ErrorOf([] { RoundToInteger(-32768.6); }), 6);
}

TEST(TextConversions, AcceptBlanksAroundAndRaiseTheDesktopsErrors) {
  EXPECT_EQ(TextToSingle(u" 1234.4 "), 1234.4f);
  EXPECT_EQ(TextToSingle(u"-37.5"), -37.5f);
  EXPECT_EQ(TextToSingle(u"1.5E+3"), 1500.0f);
  EXPECT_EQ(TextToSingle(u"1E-50"), 0.0f);
  EXPECT_EQ(TextToLong(u"1000.5"), 1000);
  EXPECT_EQ(TextToLong(u"1001.5"), 1002);
  EXPECT_EQ(TextToInteger(u"-6"), -6);
  struct Case {
    std::u16string_view text;
    std::int32_t single_error, long_error;
  } cases[] = {
      {u"", 13, 13},    {u"  ", 13, 13}, {u"abc", 13, 13},   {u"12abc", 13, 13},
      {u"1 2", 13, 13}, {u"2E", 13, 13}, {u"1,000", 13, 13}, {u"1E39", 6, 6},
      {u"1E400", 6, 6}, {u"3E9", 0, 6},  {u"-3E9", 0, 6},    {u"12", 0, 0},
  };
  for (const Case& c : cases) {
    const std::string shown(c.text.begin(), c.text.end());
    EXPECT_EQ(ErrorOf([&] { TextToSingle(c.text); }), c.single_error) << shown;
    EXPECT_EQ(ErrorOf([&] { TextToLong(c.text); }), c.long_error) << shown;
  }
  EXPECT_EQ(ErrorOf([] { TextToInteger(u"40000"); }), 6);
  EXPECT_EQ(ErrorOf([] { DoubleToSingle(3.5e38); }), 6);
}

TEST(TextToBoolean, ReadsTrueFalseInAnyCaseOrANumber) {
  struct Case {
    std::u16string_view text;
    bool value;
  } cases[] = {
      {u"True", true}, {u"FALSE", false}, {u"true", true}, {u" tRuE ", true},
      {u"0", false},   {u"-1", true},     {u"0.5", true},  {u"1E-400", false},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToBoolean(c.text), c.value);
  for (std::u16string_view text : {u"", u"yes", u"Tru", u"True1", u"#TRUE#"})
    EXPECT_EQ(ErrorOf([&] { TextToBoolean(text); }), 13);
}

TEST(AppError, CarriesTheJapaneseTextOfItsNumber) {
  struct Case {
    std::int32_t number;
    std::u16string_view text;
  } cases[] = {
      {6, u"オーバーフローしました。"},
      {13, u"型が一致しません。"},
      {5, u"プロシージャの呼び出し、または引数が不正です。"},
      {9, u"インデックスが有効範囲にありません。"},
      {53, u"ファイルが見つかりません。"},
  };
  for (const Case& c : cases) {
    try {
      RaiseAppError(c.number);
      ADD_FAILURE() << "no error raised";
    } catch (const AppError& e) {
      EXPECT_EQ(e.number, c.number);
      EXPECT_EQ(e.description, c.text);
    }
  }
}

}  // namespace
}  // namespace plendra
