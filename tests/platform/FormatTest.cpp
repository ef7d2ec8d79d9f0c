#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/DateTime.h"
#include "platform/Format.h"

using namespace platform;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FloatCase {
  double Value;
  TFloatFormat Format;
  int Precision;
  int Digits;
  char Separator;
  const char* Expected;
};

}  // namespace

TEST(Format, FloatToStrGeneralFifteenDigits) {
  struct Case {
    double Value;
    const char* Expected;
  };
  const Case cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {-1.5, "-1.5"},
      {100.0, "100"},
      {1234.5, "1234.5"},
      {0.1, "0.1"},
      {0.1 + 0.2, "0.3"},  // 0.30000000000000004 has 15 significant digits 3000...
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {44196.0, "44196"},
      {static_cast<double>(0.1f), "0.100000001490116"},  // 0.100000001490116119...
      {123456789012345.0, "123456789012345"},            // 15 digits still fixed
      {999999999999999.0, "999999999999999"},
      {999999999999999.875, "1E15"},  // rounds up to 16 integer digits
      {1e15, "1E15"},
      {1234567890123456.0, "1.23456789012346E15"},
      {1e20, "1E20"},
      {-2.5e20, "-2.5E20"},
      {0.0001, "0.0001"},  // smallest fixed exponent
      {0.00012345, "0.00012345"},
      {0.00001, "1E-5"},
      {0.000015, "1.5E-5"},
      {-2.5e-10, "-2.5E-10"},
      {1e-300, "1E-300"},
      {1.7976931348623157e308, "1.79769313486232E308"},
      {4.9406564584124654e-324, "4.94065645841247E-324"},
      {kNaN, "NAN"},
      {kInf, "INF"},
      {-kInf, "-INF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FloatToStr(c.Value), c.Expected) << c.Expected;
  }
}

TEST(Format, FloatToStrWithCommaSeparator) {
  EXPECT_EQ(FloatToStr(1.5, ','), "1,5");
  EXPECT_EQ(FloatToStr(-0.25, ','), "-0,25");
  EXPECT_EQ(FloatToStr(1.25e-7, ','), "1,25E-7");
  EXPECT_EQ(FloatToStr(1e-5, ','), "1E-5");
  EXPECT_EQ(FloatToStr(42.0, ','), "42");
}

TEST(Format, FloatToStrFTable) {
  const FloatCase cases[] = {
      // Fixed: rounding ties half away from zero on the decimal form.
      {12.5, ffFixed, 8, 2, '.', "12.50"},
      {0.125, ffFixed, 15, 2, '.', "0.13"},
      {-0.125, ffFixed, 15, 2, '.', "-0.13"},
      {2.675, ffFixed, 15, 2, '.', "2.68"},  // 2.67499999999999982... is 2.67500000000000 at 15 digits
      {2.675, ffFixed, 20, 2, '.', "2.68"},  // precision capped at 15
      {1.005, ffFixed, 15, 2, '.', "1.01"},
      {1.005, ffFixed, 3, 2, '.', "1.00"},  // 1.00499... has 1.00 at three digits
      {99.995, ffFixed, 8, 2, '.', "100.00"},
      {9.999, ffFixed, 8, 2, '.', "10.00"},
      {0.5, ffFixed, 15, 0, '.', "1"},
      {1.5, ffFixed, 15, 0, '.', "2"},
      {2.5, ffFixed, 15, 0, '.', "3"},
      {-2.5, ffFixed, 15, 0, '.', "-3"},
      {-0.4, ffFixed, 15, 0, '.', "0"},
      {-0.001, ffFixed, 8, 2, '.', "0.00"},  // negative zero after rounding
      {-0.005, ffFixed, 8, 2, '.', "-0.01"},
      {0.0049999, ffFixed, 8, 2, '.', "0.00"},
      {0.0, ffFixed, 8, 2, '.', "0.00"},
      {-0.0, ffFixed, 8, 1, '.', "0.0"},
      {12.5, ffFixed, 8, 1, '.', "12.5"},
      {-12.34, ffFixed, 8, 1, '.', "-12.3"},
      {-12.35, ffFixed, 8, 1, '.', "-12.4"},  // -12.3499999... is -12.350000 at 8 digits
      {12.5, ffFixed, 8, 2, ',', "12,50"},
      {1.23456789, ffFixed, 3, 5, '.', "1.23000"},  // significant digits run out, zeros follow
      {0.000123456, ffFixed, 2, 6, '.', "0.000120"},
      {123456789.123, ffFixed, 9, 2, '.', "123456789.00"},
      {12345678.9, ffFixed, 8, 2, '.', "12345679.00"},
      {1.0, ffFixed, 15, 25, '.', "1.000000000000000000"},  // at most 18 decimals
      {3.0, ffFixed, 8, -2, '.', "3"},
      {123456789.0, ffFixed, 8, 0, '.', "1.2345679E8"},  // integer part longer than the precision
      {1e20, ffFixed, 15, 2, '.', "1E20"},
      {-1e20, ffFixed, 8, 2, '.', "-1E20"},
      {kNaN, ffFixed, 8, 2, '.', "NAN"},
      {-kInf, ffFixed, 8, 2, '.', "-INF"},
      {kInf, ffNumber, 8, 2, '.', "INF"},
      // Number: thousands separators in the integer part.
      {1234567.891, ffNumber, 15, 2, '.', "1,234,567.89"},
      {-1234.5, ffNumber, 8, 2, '.', "-1,234.50"},
      {123.0, ffNumber, 8, 2, '.', "123.00"},
      {999.999, ffNumber, 8, 2, '.', "1,000.00"},
      {100000.0, ffNumber, 8, 0, '.', "100,000"},
      {1234567.891, ffNumber, 15, 2, ',', "1.234.567,89"},
      // Exponent: all `precision` digits, signed exponent of at least `digits` digits.
      {1234.5, ffExponent, 4, 2, '.', "1.235E+03"},
      {0.00012345, ffExponent, 3, 0, '.', "1.23E-4"},
      {0.0, ffExponent, 4, 2, '.', "0.000E+00"},
      {-1.5, ffExponent, 2, 3, '.', "-1.5E+000"},
      {9.96, ffExponent, 2, 1, ',', "1,0E+1"},
      {7.0, ffExponent, 1, 1, '.', "7E+0"},
      // General with a smaller precision.
      {1234.5678, ffGeneral, 6, 0, '.', "1234.57"},
      {1234567.0, ffGeneral, 6, 0, '.', "1.23457E6"},
      {1e20, ffGeneral, 15, 3, '.', "1E020"},
      {0.125, ffGeneral, 2, 0, '.', "0.13"},  // exact tie at the last kept digit
      {2.675, ffGeneral, 3, 0, '.', "2.67"},  // 2.674999... is below the tie at three digits
      {2.5, ffExponent, 1, 0, '.', "3E+0"},
  };
  for (const FloatCase& c : cases) {
    EXPECT_EQ(FloatToStrF(c.Value, c.Format, c.Precision, c.Digits, c.Separator), c.Expected)
        << c.Value << " format " << c.Format << " precision " << c.Precision << " digits " << c.Digits;
  }
}

TEST(Format, IntToStr) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(9223372036854775807LL), "9223372036854775807");
}

TEST(Format, StrToFloatAccepts) {
  struct Case {
    const char* Text;
    char Separator;
    double Expected;
  };
  const Case cases[] = {
      {"1.5", '.', 1.5},      {"  -2.25  ", '.', -2.25}, {"+3", '.', 3.0},        {"1e3", '.', 1000.0},
      {"1.5E-2", '.', 0.015}, {"2E+2", '.', 200.0},      {".5", '.', 0.5},        {"5.", '.', 5.0},
      {"1,5", ',', 1.5},      {"-0,125e1", ',', -1.25},  {"007", '.', 7.0},       {"44196", '.', 44196.0},
      {"0.1", '.', 0.1},      {"1e-400", '.', 0.0},      {"0.000e999", '.', 0.0},
  };
  for (const Case& c : cases) {
    double value = -99.0;
    EXPECT_TRUE(TryStrToFloat(c.Text, value, c.Separator)) << c.Text;
    EXPECT_EQ(value, c.Expected) << c.Text;
    EXPECT_EQ(StrToFloat(c.Text, c.Separator), c.Expected) << c.Text;
  }
  EXPECT_TRUE(std::signbit(StrToFloat("-0")));
  EXPECT_TRUE(std::signbit(StrToFloat("-1e-999")));
}

TEST(Format, StrToFloatRejects) {
  struct Case {
    const char* Text;
    char Separator;
  };
  const Case cases[] = {
      {"", '.'},    {"   ", '.'}, {"abc", '.'},   {"1.5.2", '.'},  {"1,5", '.'}, {"1.5", ','},     {"1e", '.'},
      {"1e+", '.'}, {"--1", '.'}, {"+", '.'},     {".", '.'},      {"1 2", '.'}, {"0x10", '.'},    {"1.5x", '.'},
      {"inf", '.'}, {"NAN", '.'}, {"1e400", '.'}, {"-1e400", '.'}, {"\t1", '.'}, {"1,000.5", '.'}, {"e5", '.'},
  };
  for (const Case& c : cases) {
    double value = -99.0;
    EXPECT_FALSE(TryStrToFloat(c.Text, value, c.Separator)) << c.Text;
    EXPECT_EQ(value, -99.0) << c.Text;
    EXPECT_THROW(StrToFloat(c.Text, c.Separator), EConvertError) << c.Text;
  }
}

TEST(Format, StrToFloatErrorMessage) {
  try {
    StrToFloat(" 12a ");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "' 12a ' is not a valid floating point value");
  }
}

TEST(Format, FloatTextRoundTrips) {
  const double values[] = {0.1, -3.75, 44196.0, 1e-7, 123456.789, 2.5e18};
  for (const double v : values) {
    EXPECT_EQ(StrToFloat(FloatToStr(v)), v) << v;
    EXPECT_EQ(StrToFloat(FloatToStr(v, ','), ','), v) << v;
  }
}

// The largest doubles print rounded up past the largest double
// ("1.79769313486232E308"); such text reads back as the largest double, and
// text beyond that printed bound still overflows.
TEST(Format, LargestDoublesReadBack) {
  constexpr double kMax = std::numeric_limits<double>::max();
  const double nearMax = std::nextafter(std::nextafter(kMax, 0.0), 0.0);  // bits 0x7FEFFFFFFFFFFFFD
  for (const double v : {kMax, -kMax, nearMax}) {
    double back = 0.0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(v), back)) << FloatToStr(v);
    EXPECT_NEAR(back, v, 1e-14 * kMax);
    EXPECT_EQ(StrToFloat(FloatToStr(v, ','), ','), back);
  }
  EXPECT_EQ(FloatToStr(kMax), "1.79769313486232E308");
  EXPECT_EQ(StrToFloat("-1,79769313486232e+308", ','), -kMax);
  EXPECT_EQ(StrToFloat("179769313486232000E291"), kMax);
  EXPECT_THROW(StrToFloat("1.79769313486233E308"), EConvertError);
  EXPECT_THROW(StrToFloat("1.797693134862321E308"), EConvertError);
}

TEST(Format, FormatDateTimeTokens) {
  const double monday = 44270.0;  // 15 March 2021, a Monday
  ASSERT_EQ(EncodeDate(2021, 3, 15), monday);
  const double afternoon = monday + (13.0 * 3600.0 + 5.0 * 60.0 + 9.0) / 86400.0;  // 13:05:09
  struct Case {
    const char* Format;
    double Value;
    const char* Expected;
  };
  const Case cases[] = {
      {"dd/mm/yyyy", monday, "15/03/2021"},
      {"DD/MM/YYYY", monday, "15/03/2021"},
      {"d/m/yy", monday, "15/3/21"},
      {"d/m/y", 39845.0, "1/2/09"},  // 1 February 2009
      {"dd/mm/yyyy", 39845.0, "01/02/2009"},
      {"mmm yyyy", monday, "Mar 2021"},
      {"mmmm", monday, "March"},
      {"dd mmm yyyy", monday, "15 Mar 2021"},
      {"d mmmm yyyy", 45657.0, "31 December 2024"},
      {"ddd", monday, "Mon"},
      {"dddd", monday, "Monday"},
      {"dddd", 45657.0, "Tuesday"},
      {"yyyy", monday, "2021"},
      {"yyy", monday, "2021"},
      {"hh:nn:ss", afternoon, "13:05:09"},
      {"h:n:s", afternoon, "13:5:9"},
      {"hh:mm", afternoon, "13:05"},        // m after an hour is the minute
      {"hh dd mm", afternoon, "13 15 03"},  // after a day it is the month again
      {"dd/mm/yyyy hh:nn", monday + 0.5, "15/03/2021 12:00"},
      {"'Date:' dd", monday, "Date: 15"},
      {"\"yyyy\" yyyy", monday, "yyyy 2021"},
      {"dd-mm.yyyy", monday, "15-03.2021"},
      {"dd/mm/yyyy", 2.0, "01/01/1900"},
      {"dd/mm/yyyy", 0.0, "30/12/1899"},
      {"dd/mm/yyyy", -693593.0, "01/01/0001"},
      {"dd hh:nn:ss", monday + 86399.9996 / 86400.0, "16 00:00:00"},  // rounds to the next day
      {"dd/mm/yyyy", kNaN, ""},
      {"dd/mm/yyyy", 3e6, ""},
      {"dd/mm/yyyy", kMaxDateTime + 0.9999999999, ""},  // rounds into year 10000
      {"dd/mm/yyyy hh", kMaxDateTime + 0.5, "31/12/9999 12"},
      {"hh:mmm", monday + 0.75, "18:00"},
      {"", monday, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.Format, c.Value), c.Expected) << c.Format << " / " << c.Value;
  }
}
