// TDIST, FDIST and CHIDIST answered by kvhost's Excel through Excel4v, as the add-in asks for
// its p-values.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../support/reference_data.h"
#include "../support/xloper_builders.h"
#include "excel/excel_host.h"
#include "host_calls.h"

using namespace kvhost;
using namespace kvtest;

namespace {

// Calls `xlfn` through Excel4v with `args`; the answer must be a success.
XLOPER Call(int xlfn, std::vector<XLOPER> args) {
  std::vector<LPXLOPER> pointers;
  for (XLOPER& arg : args)
    pointers.push_back(&arg);
  XLOPER result{};
  EXPECT_EQ(Excel4v(xlfn, &result, static_cast<int>(pointers.size()), pointers.data()),
            xlretSuccess);
  return result;
}

// Probabilities above this are compared to 1e-12 relative; those at or below it (scipy's and
// mpmath's zeros among them) need only be no larger.
constexpr double kSmallest = 1e-300;
constexpr double kTolerance = 1e-12;

void ExpectProbability(const XLOPER& result, double expected, const std::string& what) {
  ASSERT_EQ(result.xltype, xltypeNum) << what;
  const double computed = result.val.num;
  if (expected > kSmallest) {
    EXPECT_LE(std::abs(computed - expected), kTolerance * expected)
        << what << ": computed " << computed << ", expected " << expected << ", difference "
        << computed - expected;
  } else {
    EXPECT_GE(computed, 0) << what;
    EXPECT_LE(computed, kSmallest)
        << what << ": computed " << computed << ", expected " << expected;
  }
}

void ExpectError(const XLOPER& result, int code, const std::string& what) {
  ASSERT_EQ(result.xltype, xltypeErr) << what;
  EXPECT_EQ(result.val.err, code) << what;
}

} // namespace

// Reference: scipy.stats (t.sf, f.sf, chi2.sf), FDIST cases checked against mpmath's incomplete
// beta, written by tests/reference/generate_distributions.py for degrees truncated to integers.
TEST(Distributions, TDistMatchesScipy) {
  ExcelHost host;
  for (const auto& c : ReferenceCases("distributions.json", "tdist", 100)) {
    const XLOPER result = Call(xlfTdist, {Num(c["x"].get<double>()), Num(c["df"].get<double>()),
                                          Int(static_cast<std::int16_t>(c["tails"].get<int>()))});
    ExpectProbability(result, c["expected"].get<double>(), "TDIST" + c.dump());
  }
}

TEST(Distributions, FDistMatchesScipy) {
  ExcelHost host;
  for (const auto& c : ReferenceCases("distributions.json", "fdist", 100)) {
    const XLOPER result = Call(xlfFdist, {Num(c["x"].get<double>()), Num(c["df1"].get<double>()),
                                          Num(c["df2"].get<double>())});
    ExpectProbability(result, c["expected"].get<double>(), "FDIST" + c.dump());
  }
}

TEST(Distributions, ChiDistMatchesScipy) {
  ExcelHost host;
  for (const auto& c : ReferenceCases("distributions.json", "chidist", 100)) {
    const XLOPER result = Call(xlfChidist, {Num(c["x"].get<double>()), Num(c["df"].get<double>())});
    ExpectProbability(result, c["expected"].get<double>(), "CHIDIST" + c.dump());
  }
}

// What the add-in sends: (|t|, N-m, 2) with integer records, (F, m-1, N-m), (LR, 1); Booleans
// and texts holding numbers are read as Excel reads them.
TEST(Distributions, ArgumentsAsExcelReadsThem) {
  ExcelHost host;
  const double t2 = Call(xlfTdist, {Num(1.959999998), Num(60), Num(2)}).val.num;
  EXPECT_NEAR(Call(xlfTdist, {Num(1.959999998), Int(60), Int(2)}).val.num, t2, 0);
  EXPECT_NEAR(Call(xlfTdist, {Text("1.959999998"), Text("60"), Text("2")}).val.num, t2, 0);
  EXPECT_NEAR(Call(xlfTdist, {Num(1.959999998), Num(60.9), Num(2.7)}).val.num, t2, 0)
      << "degrees and tails truncated";
  EXPECT_NEAR(t2, 0.054644930, 1e-9) << "Excel's documented example";
  EXPECT_NEAR(Call(xlfTdist, {Num(1.959999998), Num(60), Num(1)}).val.num, t2 / 2, 1e-18);

  // TRUE is 1: TDIST(1, TRUE, TRUE) is the one-tailed Cauchy tail, 1/4.
  EXPECT_NEAR(Call(xlfTdist, {Num(1), Bool(true), Bool(true)}).val.num, 0.25, 1e-15);
  // An omitted x and an empty cell are 0: both tails hold everything.
  EXPECT_EQ(Call(xlfTdist, {Missing(), Num(5), Num(2)}).val.num, 1.0);
  EXPECT_EQ(Call(xlfTdist, {Nil(), Num(5), Num(1)}).val.num, 0.5);
  EXPECT_EQ(Call(xlfChidist, {Missing(), Num(3)}).val.num, 1.0);
  EXPECT_EQ(Call(xlfFdist, {Num(0), Num(3), Num(4)}).val.num, 1.0);
  // CHIDIST(x, 2) = exp(-x/2); FDIST(x, 2, 2) = 1/(1+x).
  EXPECT_NEAR(Call(xlfChidist, {Text("+3E0"), Bool(true)}).val.num, std::erfc(std::sqrt(1.5)),
              1e-15);
  EXPECT_NEAR(Call(xlfChidist, {Num(4), Num(2.99)}).val.num, std::exp(-2.0), 1e-15);
  EXPECT_NEAR(Call(xlfFdist, {Int(3), Int(2), Text("2")}).val.num, 0.25, 1e-15);
}

TEST(Distributions, ArgumentsFromCells) {
  ExcelHost host;
  HostCalls call(host);
  Cells& cells = host.app().ActiveSheet().cells;
  cells.Set(0, 0, Value::Number(3));
  cells.Set(0, 1, Value::Text("2"));
  cells.Set(0, 2, Value::Text("two"));
  EXPECT_NEAR(Call(xlfFdist, {call.Ref(0, 0, 0, 0), Num(2), call.Ref(0, 0, 1, 1)}).val.num, 0.25,
              1e-15);
  ExpectError(Call(xlfChidist, {call.Ref(0, 0, 2, 2), Num(1)}), xlerrValue, "a word in a cell");
  ExpectError(Call(xlfChidist, {call.Ref(0, 0, 0, 1), Num(1)}), xlerrValue, "two cells");
}

// Excel's #NUM! and #VALUE! cases, and an error value passed in is the answer.
TEST(Distributions, ErrorsWhereExcelGivesThem) {
  ExcelHost host;
  ExpectError(Call(xlfTdist, {Num(-0.5), Num(5), Num(2)}), xlerrNum, "TDIST x < 0");
  ExpectError(Call(xlfTdist, {Num(1), Num(0.99), Num(2)}), xlerrNum, "TDIST df truncated to 0");
  ExpectError(Call(xlfTdist, {Num(1), Num(-3), Num(2)}), xlerrNum, "TDIST df < 1");
  ExpectError(Call(xlfTdist, {Num(1), Num(5), Num(3)}), xlerrNum, "TDIST tails 3");
  ExpectError(Call(xlfTdist, {Num(1), Num(5), Num(0.9)}), xlerrNum, "TDIST tails truncated to 0");
  ExpectError(Call(xlfTdist, {Num(1), Num(5), Missing()}), xlerrNum, "TDIST tails omitted");
  ExpectError(Call(xlfTdist, {Text("abc"), Num(5), Num(2)}), xlerrValue, "TDIST x a word");
  ExpectError(Call(xlfTdist, {Num(-1), Text("five"), Num(2)}), xlerrValue, "#VALUE! before #NUM!");
  ExpectError(Call(xlfTdist, {Num(1), Num(5), Text("")}), xlerrValue, "TDIST tails empty text");
  ExpectError(Call(xlfTdist, {Num(1), Err(xlerrDiv0), Text("x")}), xlerrDiv0,
              "an error value passed in");

  ExpectError(Call(xlfFdist, {Num(-1e-9), Num(2), Num(3)}), xlerrNum, "FDIST x < 0");
  ExpectError(Call(xlfFdist, {Num(1), Num(0.5), Num(3)}), xlerrNum, "FDIST df1 < 1");
  ExpectError(Call(xlfFdist, {Num(1), Num(2), Num(0)}), xlerrNum, "FDIST df2 < 1");
  ExpectError(Call(xlfFdist, {Num(1), Num(1e10), Num(3)}), xlerrNum, "FDIST df1 10^10");
  ExpectError(Call(xlfFdist, {Num(1), Num(3), Num(1e10 + 0.5)}), xlerrNum, "FDIST df2 10^10");
  EXPECT_EQ(Call(xlfFdist, {Num(1), Num(3), Num(1e10 - 1)}).xltype, xltypeNum)
      << "below 10^10 is a number";
  ExpectError(Call(xlfFdist, {Num(1), Text("1,5"), Num(3)}), xlerrValue,
              "never the locale's decimal comma");
  ExpectError(Call(xlfFdist, {Err(xlerrNA), Num(-1), Num(3)}), xlerrNA, "an error value");

  ExpectError(Call(xlfChidist, {Num(-2), Num(1)}), xlerrNum, "CHIDIST x < 0");
  ExpectError(Call(xlfChidist, {Num(2), Num(0)}), xlerrNum, "CHIDIST df < 1");
  ExpectError(Call(xlfChidist, {Num(2), Num(1e10 + 2)}), xlerrNum, "CHIDIST df > 10^10");
  EXPECT_EQ(Call(xlfChidist, {Num(2), Num(1e10 + 0.5)}).xltype, xltypeNum)
      << "10^10 after truncation is allowed";
  ExpectError(Call(xlfChidist, {Text("TRUE"), Num(1)}), xlerrValue, "the word TRUE is no number");

  XLOPER result{};
  XLOPER one = Num(1);
  LPXLOPER two_args[] = {&one, &one};
  EXPECT_EQ(Excel4v(xlfTdist, &result, 2, two_args), xlretInvCount);
  EXPECT_EQ(Excel4v(xlfChidist, &result, 1, two_args), xlretInvCount);
}

// Worksheet functions: a recalculation may call them.
TEST(Distributions, CallableFromARecalculation) {
  ExcelHost host;
  ExcelHost::Recalculation recalculation(host);
  EXPECT_NEAR(Call(xlfChidist, {Num(3.84), Num(1)}).val.num, 0.050043521248705, 1e-14);
}
