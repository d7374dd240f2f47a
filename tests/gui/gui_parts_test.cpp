// The parts of Plendra.exe that need no window: positions in twips, and the
// arrays that DxfScan and RunScript pass through COM, checked against
// oleaut32's own indexing.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include "com_arrays.h"
#include "twips.h"

namespace {

using plendra_gui::ArrayToStrings;
using plendra_gui::ArrayToTable;
using plendra_gui::PixelsToTwips;
using plendra_gui::StringsToArray;
using plendra_gui::TableToArray;
using plendra_gui::TwipsPosition;
using plendra_gui::TwipsToPixels;

TEST(Twips, ConvertToThePixelsOfTheScreen) {
  struct Case {
    int twips, ppi, pixels;
  } cases[] = {
      {1440, 96, 96},    {1440, 120, 120}, {1000, 96, 67},  // 66.67
      {1000, 120, 83},                                      // 83.33
      {7, 96, 0},        {8, 96, 1},                        // 0.47 and 0.53 pixel
      {-1500, 96, -100}, {0, 96, 0},       {1000, 0, 0},    // no screen to measure
  };
  for (const Case& c : cases)
    EXPECT_EQ(TwipsToPixels(c.twips, c.ppi), c.pixels) << c.twips << " twips at " << c.ppi << " ppi";
}

TEST(Twips, PixelsReadBackAsFifteenOrTwelveTwipsEach) {
  struct Case {
    int pixels, ppi;
    float twips;
  } cases[] = {{67, 96, 1005}, {100, 96, 1500}, {83, 120, 996}, {-10, 96, -150}, {5, 0, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(PixelsToTwips(c.pixels, c.ppi), c.twips) << c.pixels << " at " << c.ppi;
}

TEST(Twips, PlacedPositionReadsBackUntilTheWindowMoves) {
  TwipsPosition top;
  EXPECT_EQ(top.Read(67, 96), 1005);  // never placed: the pixel's twips
  top.Placed(1000, TwipsToPixels(1000, 96));
  EXPECT_EQ(top.Read(67, 96), 1000);
  EXPECT_EQ(top.Read(68, 96), 1020);  // moved by a pixel
}

// An array made by oleaut32 with element (k, r) put at indexes {k, r}.
SAFEARRAY* MadeByOleaut(LONG columns, LONG rows) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(columns), 0}, {static_cast<ULONG>(rows), 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 2, bounds);
  for (LONG r = 0; r < rows; ++r)
    for (LONG k = 0; k < columns; ++k) {
      LONG at[2] = {k, r};
      const std::wstring text = L"k" + std::to_wstring(k) + L"r" + std::to_wstring(r);
      BSTR element = SysAllocString(text.c_str());
      SafeArrayPutElement(array, at, element);
      SysFreeString(element);
    }
  return array;
}

std::u16string Cell(LONG k, LONG r) {
  const std::string text = "k" + std::to_string(k) + "r" + std::to_string(r);
  return std::u16string(text.begin(), text.end());
}

TEST(ComArrays, ElementsKeepTheirIndexesBothWays) {
  const LONG shapes[][2] = {{1, 1}, {2, 2}, {8, 3}, {3, 8}};
  for (const auto& shape : shapes) {
    SAFEARRAY* array = MadeByOleaut(shape[0], shape[1]);
    const auto table = ArrayToTable(array);
    SafeArrayDestroy(array);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->UBound(1), shape[0] - 1);
    ASSERT_EQ(table->UBound(2), shape[1] - 1);
    for (LONG r = 0; r < shape[1]; ++r)
      for (LONG k = 0; k < shape[0]; ++k) EXPECT_EQ(table->At(k, r), Cell(k, r));

    SAFEARRAY* back = nullptr;
    ASSERT_EQ(TableToArray(*table, &back), S_OK);
    for (LONG r = 0; r < shape[1]; ++r)
      for (LONG k = 0; k < shape[0]; ++k) {
        LONG at[2] = {k, r};
        BSTR element = nullptr;
        ASSERT_EQ(SafeArrayGetElement(back, at, &element), S_OK);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(element)), Cell(k, r));
        SysFreeString(element);
      }
    SafeArrayDestroy(back);
  }
}

TEST(ComArrays, JapaneseAndEmptyTextsSurvive) {
  korvel::DxfTable table(1, 2);
  table.At(0, 0) = u"2";
  table.At(0, 1) = u"(1)系統";
  table.At(1, 1) = u"給水";
  table.At(1, 2) = u"ｺﾏﾝﾄﾞ: ";
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(TableToArray(table, &array), S_OK);
  const auto back = ArrayToTable(array);
  SafeArrayDestroy(array);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, table);
}

TEST(ComArrays, NoArrayIsATableWithoutBounds) {
  SAFEARRAY* array = reinterpret_cast<SAFEARRAY*>(1);
  ASSERT_EQ(TableToArray(korvel::DxfTable(), &array), S_OK);
  EXPECT_EQ(array, nullptr);
  const auto table = ArrayToTable(nullptr);
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->IsEmpty());
}

TEST(ComArrays, ArraysOfAnotherShapeAreRefused) {
  SAFEARRAYBOUND from_one[2] = {{2, 1}, {2, 0}};
  SAFEARRAYBOUND one_dimension[1] = {{3, 0}};
  SAFEARRAYBOUND two[2] = {{2, 0}, {2, 0}};
  struct Case {
    const char* what;
    SAFEARRAY* array;
  } cases[] = {
      {"lower bound 1", SafeArrayCreate(VT_BSTR, 2, from_one)},
      {"one dimension", SafeArrayCreate(VT_BSTR, 1, one_dimension)},
      {"variants", SafeArrayCreate(VT_VARIANT, 2, two)},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ArrayToTable(c.array)) << c.what;
    SafeArrayDestroy(c.array);
  }
}

TEST(ComArrays, ScriptVariablesRoundTrip) {
  const std::vector<std::vector<std::u16string>> cases = {{}, {u"給水"}, {u"a", u"", u"ﾃｷｽﾄ"}};
  for (const auto& strings : cases) {
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(StringsToArray(strings, &array), S_OK);
    LONG lower = -1;
    SafeArrayGetLBound(array, 1, &lower);
    EXPECT_EQ(lower, 0);
    const auto back = ArrayToStrings(array);
    SafeArrayDestroy(array);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, strings);
  }
  EXPECT_FALSE(ArrayToStrings(nullptr));
}

}  // namespace
