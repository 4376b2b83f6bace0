// The five worksheet functions through their exported procedures, with value arrays as Excel
// passes them: reading rules, error values, and the cases worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "Planilha/FuncoesPlanilha.h"
#include "Planilha/LeituraFaixa.h"
#include "support/xloper_builders.h"
#include "xll/ExcelCall.h"

using kvtest::Range;

namespace {
bool IsError(LPXLOPER x, std::uint16_t code) {
  return x->xltype == xltypeErr && x->val.err == code;
}
double Value(LPXLOPER x) {
  EXPECT_EQ(x->xltype, xltypeNum) << "error " << (x->xltype == xltypeErr ? x->val.err : -1);
  return x->val.num;
}
} // namespace

TEST(DataRange, ReadsDownEachColumnAndSkipsAllButNumbers) {
  Range block(2, 3,
              {kvtest::Num(1), kvtest::Num(2), kvtest::Num(3), kvtest::Num(4), kvtest::Num(5),
               kvtest::Num(6)});
  EXPECT_EQ(ReadDataRange(block.get(), 3), (std::vector<double>{1, 4, 2, 5, 3, 6}));

  Range mixed(3, 3,
              {kvtest::Num(1), kvtest::Bool(true), kvtest::Text("5"), kvtest::Int(-7),
               kvtest::Nil(), kvtest::Err(xlerrNA), kvtest::Num(2.5), kvtest::Text(""),
               kvtest::Bool(false)});
  EXPECT_EQ(ReadDataRange(mixed.get(), 3), (std::vector<double>{1, -7, 2.5}));
  EXPECT_EQ(ReadDataRange(mixed.get(), 4), std::nullopt) << "texts and Booleans do not count";

  Range two = Range::Column({1, 2});
  EXPECT_EQ(ReadDataRange(two.get(), 3), std::nullopt) << "too few cells";
  XLOPER single = kvtest::Num(4);
  EXPECT_EQ(ReadDataRange(&single, 1), std::nullopt) << "a plain value is not a range";
  EXPECT_EQ(ReadDataRange<XLOPER>(nullptr, 1), std::nullopt);
}

// Excel 12 arrays have 32-bit shapes: more rows than an Excel 4 array can count, read by the
// same rules.
TEST(DataRange, Excel12ArraysBeyondSixteenBitRows) {
  const std::size_t rows = 70000;
  std::vector<XLOPER12> cells(2 * rows);
  for (std::size_t r = 0; r < rows; ++r) {
    cells[2 * r] = xl::Number<XLOPER12>(static_cast<double>(r));
    cells[2 * r + 1] =
        r % 2 == 0 ? xl::Integer<XLOPER12>(-static_cast<int>(r)) : xl::Nil<XLOPER12>();
  }
  XLOPER12 range{};
  range.xltype = xltypeMulti;
  range.val.array.lparray = cells.data();
  range.val.array.rows = static_cast<RW>(rows);
  range.val.array.columns = 2;
  const auto data = ReadDataRange(&range, 3);
  ASSERT_TRUE(data);
  ASSERT_EQ(data->size(), rows + rows / 2)
      << "every number of the first column, the integers of the second";
  EXPECT_EQ((*data)[rows - 1], static_cast<double>(rows - 1));
  EXPECT_EQ((*data)[rows + 1], -2.0);
  EXPECT_EQ(data->back(), -static_cast<double>(rows - 2));

  range.val.array.rows = -1; // a damaged shape is no range
  EXPECT_EQ(ReadDataRange(&range, 1), std::nullopt);
  XLOPER12 curve_cells[] = {xl::Number<XLOPER12>(-0.10), xl::Integer<XLOPER12>(21),
                            xl::Number<XLOPER12>(0.12),  xl::Number<XLOPER12>(63.9),
                            xl::Nil<XLOPER12>(),         xl::Number<XLOPER12>(126)};
  range.val.array.lparray = curve_cells;
  range.val.array.rows = 3;
  const auto curve = ReadYieldCurve(&range);
  ASSERT_TRUE(curve);
  ASSERT_EQ(curve->size(), 2u) << "a row without a rate is skipped";
  EXPECT_EQ((*curve)[0].days, 21);
  EXPECT_EQ((*curve)[1].days, 63) << "days toward zero";
  EXPECT_EQ((*curve)[0].rate, 0.10) << "the rate's absolute value";
}

TEST(SkewAndKurt, MinimumCountsBeforeAndAfterReturns) {
  Range two_numbers(
      5, 1, {kvtest::Num(1), kvtest::Text("2"), kvtest::Num(3), kvtest::Nil(), kvtest::Bool(true)});
  EXPECT_TRUE(IsError(skew(two_numbers.get(), 0, 0, 0, 0), xlerrNA));
  Range prices3 = Range::Column({10, 11, 12.1});
  EXPECT_TRUE(IsError(skew(prices3.get(), 1, 0, 0, 0), xlerrNA)) << "two returns are too few";
  Range prices4 = Range::Column({10, 11, 12.1, 15});
  EXPECT_FALSE(IsError(skew(prices4.get(), 1, 0, 0, 0), xlerrNA)) << "three returns";
  EXPECT_TRUE(IsError(kurt(prices4.get(), 1, 0), xlerrNA)) << "kurtosis needs four";
  Range three = Range::Column({1, 2, 4});
  EXPECT_TRUE(IsError(kurt(three.get(), 0, 0), xlerrNA));
  Range four = Range::Column({1, 2, 3, 4});
  EXPECT_DOUBLE_EQ(Value(kurt(four.get(), 0, 1)), 1.64) << "population: no 3 subtracted";
}

TEST(Skew, PearsonFormsByHand) {
  // Mode by 3 bins of 1, 2, 2, 3, 9, 10: edges 4, 7, 10, counts 4, 0, 2, mode 2.5.
  Range data = Range::Column({1, 2, 2, 3, 9, 10});
  const double mean = 27.0 / 6, s = std::sqrt(77.5 / 5);
  EXPECT_NEAR(Value(skew(data.get(), 0, 0, 1, 3)), 3 * (mean - 2.5) / s, 1e-14);
  EXPECT_EQ(Value(skew(data.get(), 0, 0, 5, 3)), Value(skew(data.get(), 0, 0, 1, 3)))
      << "every other Tipo is the mode form";
  Range tie = Range::Column({1, 2, 3, 8, 9, 10});
  EXPECT_TRUE(IsError(skew(tie.get(), 0, 0, 1, 2), xlerrNA)) << "bins of 3 and 3: no mode";

  Range ten = Range::Column({1, 2, 2, 2, 3, 4, 5, 6, 7, 20});
  for (short bins : {2, 3, 4, 5})
    EXPECT_FALSE(IsError(skew(ten.get(), 0, 0, 1, bins), xlerrNA));
  EXPECT_TRUE(IsError(skew(ten.get(), 0, 0, 1, 1), xlerrNA));
  EXPECT_TRUE(IsError(skew(ten.get(), 0, 0, 1, 6), xlerrNA));

  // Median of an even count: the mean of the two middle values, after sorting.
  Range even = Range::Column({9, 1, 4, 2});
  const double even_sd = std::sqrt(((9 - 4) * (9 - 4) + 9 + 0 + 4) / 3.0);
  EXPECT_NEAR(Value(skew(even.get(), 0, 0, 2, 0)), 3 * (4 - 3) / even_sd, 1e-14);
}

TEST(Skew, ModeFormAtTheEdgesOfItsRanges) {
  // 2 bins of 0 to 4: the 2 on the edge starts the upper bin, 3 values against 3, no mode (in
  // any reading order). Counted below, it would give the lower bin and a number.
  for (const std::vector<double>& values :
       {std::vector<double>{0, 1, 1, 2, 3, 4}, std::vector<double>{3, 1, 4, 0, 2, 1}}) {
    Range tie = Range::Column(values);
    EXPECT_TRUE(IsError(skew(tie.get(), 0, 0, 1, 2), xlerrNA)) << values[0] << ", " << values[1];
  }

  // 2 bins of 0.1 to 0.5: the edge is 0.5 - 0.2, the double 0.3 itself, so both 0.3s are in
  // the upper bin: mode 0.4, below the mean of 0.3 (an edge counted up from the minimum would
  // be 0.30000000000000004, and the mode 0.2).
  Range down = Range::Column({0.5, 0.3, 0.1, 0.3});
  const double s = std::sqrt(0.08 / 3);
  EXPECT_NEAR(Value(skew(down.get(), 0, 0, 1, 2)), 3 * (0.3 - 0.4) / s, 1e-13);

  // Half the count rounded down: 7 values take 3 bins and not 4; 3 values have no mode form
  // (1 bin at most), while the moment and median forms compute.
  Range seven = Range::Column({1, 2, 2, 3, 5, 8, 13});
  EXPECT_FALSE(IsError(skew(seven.get(), 0, 0, 1, 3), xlerrNA));
  EXPECT_TRUE(IsError(skew(seven.get(), 0, 0, 1, 4), xlerrNA));
  Range three = Range::Column({1, 2, 4});
  EXPECT_TRUE(IsError(skew(three.get(), 0, 0, 1, 2), xlerrNA));
  for (short tipo : {0, 2})
    EXPECT_FALSE(IsError(skew(three.get(), 0, 0, tipo, 2), xlerrNA)) << tipo;
}

TEST(SkewAndKurt, EqualValuesGiveDivisionByZero) {
  Range equal = Range::Column({0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
  for (short tipo : {0, 1, 2})
    EXPECT_TRUE(IsError(skew(equal.get(), 0, 0, tipo, 2), xlerrDiv0)) << tipo;
  EXPECT_TRUE(IsError(kurt(equal.get(), 0, 1), xlerrDiv0));
  // A return from a zero price is infinite: no number, and #NUM! rather than a NaN in the cell.
  Range zero_price = Range::Column({0, 1, 2, 3, 4});
  EXPECT_TRUE(IsError(kurt(zero_price.get(), 1, 0), xlerrNum));
  EXPECT_TRUE(IsError(skew(zero_price.get(), 1, 0, 0, 0), xlerrNum));
}

// Fourth powers of data near 10^300 have no double, but the kurtosis is a ratio the scale
// cancels from: it is that of the same data near 1 (the 5 is 5e-300 of them, nothing).
TEST(SkewAndKurt, DataNearTheLargestDoublesHaveTheirMoments) {
  Range huge = Range::Column({1e300, -1e300, 1e300, 5});
  Range unit = Range::Column({1, -1, 1, 0});
  for (short amostragem : {0, 1}) {
    const double expected = Value(kurt(unit.get(), 0, amostragem));
    EXPECT_NEAR(Value(kurt(huge.get(), 0, amostragem)), expected, 1e-12 * std::fabs(expected))
        << amostragem;
    const double skewness = Value(skew(unit.get(), 0, amostragem, 0, 0));
    EXPECT_NEAR(Value(skew(huge.get(), 0, amostragem, 0, 0)), skewness, 1e-12 * std::fabs(skewness))
        << amostragem;
  }
}

TEST(YieldCurve, RowsAreCleanedSortedAndMerged) {
  Range rows = Range::Curve({{0.11, 42}, {0.10, 21}, {-0.12, 21}, {0.2, -5}, {0.3, 0}, {0.4, 3e9}});
  const auto curve = ReadYieldCurve(rows.get());
  ASSERT_TRUE(curve);
  ASSERT_EQ(curve->size(), 2u);
  EXPECT_EQ((*curve)[0].days, 21);
  EXPECT_EQ((*curve)[0].rate, 0.12) << "absolute value, and the larger of equal days";
  EXPECT_EQ((*curve)[1].days, 42);

  Range half(2, 2, {kvtest::Num(0.1), kvtest::Num(0.5), kvtest::Int(-3), kvtest::Int(10)});
  const auto with_day_zero = ReadYieldCurve(half.get());
  ASSERT_TRUE(with_day_zero);
  EXPECT_EQ((*with_day_zero)[0].days, 0) << "0.5 days truncates to a vertex at day 0";
  EXPECT_EQ((*with_day_zero)[1].rate, 3);

  Range three_columns(2, 3,
                      {kvtest::Num(0.1), kvtest::Num(21), kvtest::Num(1), kvtest::Num(0.2),
                       kvtest::Num(42), kvtest::Num(1)});
  EXPECT_FALSE(ReadYieldCurve(three_columns.get()));
  Range one_row = Range::Curve({{0.1, 21}});
  EXPECT_FALSE(ReadYieldCurve(one_row.get()));
  Range same_day = Range::Curve({{0.1, 21}, {0.2, 21}});
  EXPECT_FALSE(ReadYieldCurve(same_day.get())) << "one vertex after merging";
  EXPECT_TRUE(IsError(interpol(10, three_columns.get(), 0), xlerrNA));
  EXPECT_TRUE(IsError(cspline(10, one_row.get()), xlerrNA));
}

TEST(Interpolex, ByHandInsideAndBeyondTheCurve) {
  Range two = Range::Curve({{0.12, 63}, {0.10, 21}});
  EXPECT_NEAR(Value(interpol(21, two.get(), 0)), 0.10, 1e-15);
  EXPECT_NEAR(Value(interpol(63, two.get(), 0)), 0.12, 1e-15);
  EXPECT_EQ(Value(interpol(10, two.get(), 0)), 0.10);
  const double f = std::sqrt(std::pow(1.10, 21.0 / 252)) * std::sqrt(std::pow(1.12, 63.0 / 252));
  EXPECT_NEAR(Value(interpol(42, two.get(), 0)), std::pow(f, 252.0 / 42) - 1, 1e-15);
  EXPECT_TRUE(IsError(interpol(64, two.get(), 0), xlerrNA)) << "two vertices cannot extrapolate";
  EXPECT_TRUE(IsError(interpol(0, two.get(), 0), xlerrNA));

  Range three = Range::Curve({{0.10, 21}, {0.11, 42}, {0.12, 63}});
  EXPECT_DOUBLE_EQ(Value(interpol(84, three.get(), 0)), -0.12);
  const double s1 = 0.01 / 21;
  EXPECT_NEAR(Value(interpol(84, three.get(), 1)), -(0.12 + (1 - 21.0 / 504) * 21 * s1), 1e-16);
  EXPECT_NEAR(Value(interpol(400, three.get(), 1)), -(0.12 + 252 * 0.5 * s1), 1e-16);
  EXPECT_TRUE(IsError(interpol(84, three.get(), -1), xlerrNA));
  // N and M are truncated separately: 0.3 years gives N = 75 and M = 151.
  EXPECT_NEAR(Value(interpol(63 + 75, three.get(), 0.3)), -(0.12 + (1 - 75.0 / 151) * 75 * s1),
              1e-16);
  EXPECT_NEAR(Value(interpol(63 + 76, three.get(), 0.3)), -(0.12 + 75 * 0.5 * s1), 1e-16);
}

TEST(Cspline, ByHand) {
  Range two = Range::Curve({{0.10, 21}, {0.12, 63}});
  EXPECT_NEAR(Value(cspline(42, two.get())), 0.10625, 1e-15);
  EXPECT_EQ(Value(cspline(5, two.get())), 0.10);
  EXPECT_EQ(Value(cspline(64, two.get())), -0.12) << "beyond: the last rate, sign changed";
  EXPECT_NEAR(Value(cspline(63, two.get())), 0.12, 1e-15);

  // Rates 0.10, 0.11, 0.13: D2 = 0.0375 * 4/7, D1 = 0.0225 - 0.25 D2, D0 = 0.
  Range three = Range::Curve({{0.10, 10}, {0.11, 20}, {0.13, 30}});
  const double d2 = 0.0375 * 4 / 7, d1 = 0.0225 - 0.25 * d2;
  const double t = 0.5, c = 3 * 0.02 - 2 * d1 - d2, e = 2 * -0.02 + d1 + d2;
  EXPECT_NEAR(Value(cspline(25, three.get())), 0.11 + d1 * t + c * t * t + e * t * t * t, 1e-15);
  // Parameterised by vertex index: a shorter segment in days has the same midpoint value.
  Range shorter = Range::Curve({{0.10, 10}, {0.11, 20}, {0.13, 24}});
  EXPECT_NEAR(Value(cspline(22, shorter.get())), Value(cspline(25, three.get())), 1e-15);
}

TEST(Ewv, ThreeCellsReleasedThroughAutoFree) {
  Range data = Range::Column({1, 2, 3});
  LPXLOPER result = ewv(data.get(), 0.94, 0, 0, 0);
  ASSERT_EQ(result->xltype, xltypeMulti | xlbitDLLFree);
  ASSERT_EQ(result->val.array.rows, 3);
  ASSERT_EQ(result->val.array.columns, 1);
  const XLOPER* cells = result->val.array.lparray;
  EXPECT_NEAR(cells[0].val.num, std::sqrt(0.113016), 1e-15);
  EXPECT_EQ(cells[1].val.num, 2);
  EXPECT_NEAR(cells[2].val.num, 0.94 * 0.94 * 0.94, 1e-16);
  xlAutoFree(result); // the sanitizer build reports the block if it leaks

  LPXLOPER newest_first = ewv(data.get(), 0.94, 1, 0, 0);
  EXPECT_NEAR(newest_first->val.array.lparray[0].val.num, std::sqrt(0.113016), 1e-15);
  xlAutoFree(newest_first);

  LPXLOPER null_mean = ewv(data.get(), 0.94, 0, 0, 1);
  EXPECT_NEAR(null_mean->val.array.lparray[0].val.num,
              std::sqrt(0.06 * 9 + 0.0564 * 4 + 0.053016 * 1), 1e-15)
      << "dispersion around zero";
  EXPECT_EQ(null_mean->val.array.lparray[1].val.num, 2) << "the mean cell keeps the mean";
  xlAutoFree(null_mean);

  LPXLOPER returns = ewv(data.get(), 0.94, 0, 1, 0);
  EXPECT_NEAR(returns->val.array.lparray[2].val.num, 0.94 * 0.94, 1e-16);
  xlAutoFree(returns);
}

TEST(Ewv, DecayMustBeStrictlyBetweenZeroAndOne) {
  Range data = Range::Column({1, 2, 3});
  for (double decay : {0.0, 1.0, -0.5, 1.5, std::nan("")})
    EXPECT_TRUE(IsError(ewv(data.get(), decay, 0, 0, 0), xlerrNA)) << decay;
  LPXLOPER accepted = ewv(data.get(), 0.999999, 0, 0, 0);
  EXPECT_EQ(accepted->xltype, xltypeMulti | xlbitDLLFree);
  xlAutoFree(accepted);
  Range two = Range::Column({1, 2});
  EXPECT_TRUE(IsError(ewv(two.get(), 0.9, 0, 0, 0), xlerrNA));
}

// Reading goes by bands of rows; the result must still be each column top to bottom, with the
// skipped cells' gaps closed across band boundaries.
TEST(DataRange, WideAndTallRangesKeepColumnOrder) {
  const std::uint16_t rows = 150, columns = 3;
  std::vector<XLOPER> cells;
  std::vector<double> expected;
  for (std::uint16_t r = 0; r < rows; ++r)
    for (std::uint16_t c = 0; c < columns; ++c)
      cells.push_back((r * 7 + c) % 11 == 0 ? kvtest::Text("x") : kvtest::Num(c * 1000 + r));
  for (std::uint16_t c = 0; c < columns; ++c)
    for (std::uint16_t r = 0; r < rows; ++r)
      if ((r * 7 + c) % 11 != 0) expected.push_back(c * 1000 + r);
  Range range(rows, columns, cells);
  EXPECT_EQ(ReadDataRange(range.get(), 3), expected);
}

// Whatever the cells hold, the functions answer with a number or an error value.
TEST(BadInput, NeverCrashesAndAlwaysAnswers) {
  auto answered = [](LPXLOPER x) {
    const auto type = x->xltype & ~xlbitDLLFree;
    const bool ok = type == xltypeNum || type == xltypeErr || type == xltypeMulti;
    if (x->xltype & xlbitDLLFree) xlAutoFree(x);
    return ok;
  };
  Range one(1, 1, {kvtest::Num(3)});
  Range row(1, 5, {kvtest::Num(1), kvtest::Num(2), kvtest::Num(4), kvtest::Num(8), kvtest::Num(9)});
  Range tiny = Range::Column({5e-324, 1e-310, -4e-320, 2.5e-308, 0});
  Range prices = Range::Column({10, 0, 12, -3, 15, 16});
  Range curve_of_text(2, 2, {kvtest::Text("a"), kvtest::Text("b"), kvtest::Nil(), kvtest::Nil()});
  XLOPER missing{};
  missing.xltype = xltypeMissing;
  for (LPXLOPER data : {one.get(), row.get(), tiny.get(), prices.get(), curve_of_text.get(),
                        &missing, static_cast<LPXLOPER>(nullptr)}) {
    for (short flag : {0, 1}) {
      EXPECT_TRUE(answered(skew(data, flag, flag, 0, 0)));
      EXPECT_TRUE(answered(skew(data, flag, flag, 1, 2)));
      EXPECT_TRUE(answered(kurt(data, flag, flag)));
      EXPECT_TRUE(answered(ewv(data, 0.9, flag, static_cast<short>(flag - 1), flag)));
      EXPECT_TRUE(answered(interpol(flag ? 32767 : -32768, data, 1e308)));
      EXPECT_TRUE(answered(cspline(flag ? 32767 : 1, data)));
    }
  }
  EXPECT_TRUE(IsError(skew(one.get(), 0, 0, 0, 0), xlerrNA));
  EXPECT_FALSE(IsError(kurt(row.get(), 0, 0), xlerrNA)) << "a row range reads like a column";

  // The largest array the interface carries: 65535 rows.
  std::vector<double> many(65535);
  for (std::size_t i = 0; i < many.size(); ++i)
    many[i] = std::sin(static_cast<double>(i));
  Range tall = Range::Column(many);
  EXPECT_EQ(kurt(tall.get(), 0, 0)->xltype, xltypeNum);
}
