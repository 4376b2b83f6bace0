// Formulas as a user types them into a cell.
#include <gtest/gtest.h>

#include "formula/formula.h"

using namespace kvhost;

namespace {
FunctionCall Parsed(std::string_view text, const Grid& grid = kExcel4Grid) {
  const ParsedFormula parsed = ParseFormula(text, grid);
  EXPECT_TRUE(parsed.call.has_value()) << text << ": " << parsed.error;
  return parsed.call.value_or(FunctionCall{});
}

Reference Ref(std::optional<std::string> sheet, std::uint32_t r1, std::uint32_t r2,
              std::uint32_t c1, std::uint32_t c2) {
  return Reference{std::move(sheet), CellRange{r1, r2, c1, c2}};
}
} // namespace

TEST(Formula, ReferencesInA1Style) {
  const FunctionCall call = Parsed("=KV.EWV(prices!B2:B900, 0.94 , ,1)");
  EXPECT_EQ(call.function, "KV.EWV");
  ASSERT_EQ(call.arguments.size(), 4u);
  EXPECT_EQ(call.arguments[0], Argument{Ref("prices", 1, 899, 1, 1)});
  EXPECT_EQ(call.arguments[1], Argument{0.94});
  EXPECT_EQ(call.arguments[2], Argument{Omitted{}});
  EXPECT_EQ(call.arguments[3], Argument{1.0});

  EXPECT_EQ(Parsed("f($A$1:$a$500)").arguments[0], Argument{Ref(std::nullopt, 0, 499, 0, 0)});
  EXPECT_EQ(Parsed("f(A$1 : $B2)").arguments[0], Argument{Ref(std::nullopt, 0, 1, 0, 1)});
  EXPECT_EQ(Parsed("f(IV65536:A1)").arguments[0], Argument{Ref(std::nullopt, 0, 65535, 0, 255)})
      << "the last cell of the grid; corners in any order";
  EXPECT_EQ(Parsed("f('My ''data'''!C3)").arguments[0], Argument{Ref("My 'data'", 2, 2, 2, 2)});
  EXPECT_EQ(Parsed("f(preços_2!A1)").arguments[0], Argument{Ref("preços_2", 0, 0, 0, 0)});
}

TEST(Formula, ConstantsAndOmittedArguments) {
  const auto args =
      Parsed("  f( +2, -1.5e-3, .5, 1E+20, true, FALSE, \"say \"\"hi\"\"\", \"\")").arguments;
  const std::vector<Argument> expected{
      2.0, -1.5e-3, 0.5, 1e20, true, false, std::string("say \"hi\""), std::string()};
  EXPECT_EQ(args, expected);
  EXPECT_EQ(Parsed("f()").arguments.size(), 0u);
  EXPECT_EQ(Parsed("f( )").arguments.size(), 0u);
  EXPECT_EQ(Parsed("f(,)").arguments, (std::vector<Argument>{Omitted{}, Omitted{}}));
  EXPECT_EQ(Parsed("f(A1,)").arguments.size(), 2u);
  EXPECT_EQ(Parsed("f(\"" + std::string(255, 'x') + "\")").arguments.size(), 1u);
}

TEST(Formula, WhatDoesNotParse) {
  for (const std::string& text : std::vector<std::string>{"",
                                                          "=",
                                                          "f",
                                                          "f(A1",
                                                          "f(A1))",
                                                          "f(A1) x",
                                                          "(1)",
                                                          "f(IW1)",
                                                          "f(A0)",
                                                          "f(A65537)",
                                                          "f(AAA1)",
                                                          "f(A1B)",
                                                          "f(1.2.3)",
                                                          "f(1e)",
                                                          "f(2x)",
                                                          "f(\"abc)",
                                                          "f(Sheet 1!A1)",
                                                          "f('x'A1)",
                                                          "f(''!A1)",
                                                          "f(SUM(A1))",
                                                          "f(A1 B2)",
                                                          "f(A1:)",
                                                          "f(-A1)",
                                                          "f(name)",
                                                          "f(\"" + std::string(256, 'x') + "\")"}) {
    const ParsedFormula parsed = ParseFormula(text, kExcel4Grid);
    EXPECT_FALSE(parsed.call.has_value()) << text;
    EXPECT_FALSE(parsed.error.empty()) << text;
  }
}

TEST(Formula, SelectionsOfOneOrSeveralAreas) {
  std::string error;
  auto one = ParseSelection("A2:B500", kExcel4Grid, error);
  ASSERT_TRUE(one) << error;
  EXPECT_FALSE(one->sheet);
  EXPECT_EQ(one->areas, (std::vector<CellRange>{CellRange{1, 499, 0, 1}}));
  auto several = ParseSelection("$A$1:A5, c1:C5,D9", kExcel4Grid, error);
  ASSERT_TRUE(several) << error;
  EXPECT_EQ(several->areas, (std::vector<CellRange>{CellRange{0, 4, 0, 0}, CellRange{0, 4, 2, 2},
                                                    CellRange{8, 8, 3, 3}}));
  auto named = ParseSelection("'yield curve'!A2:B13,'Yield Curve'!D1", kExcel4Grid, error);
  ASSERT_TRUE(named) << error;
  EXPECT_EQ(named->sheet, "yield curve");

  for (const char* bad : {"", "A1:", "A1;B2", "TRUE", "A1,prices!B2", "A0", "IW1"}) {
    error.clear();
    EXPECT_FALSE(ParseSelection(bad, kExcel4Grid, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(Formula, TheExcel12GridReachesXfd1048576) {
  EXPECT_EQ(Parsed("f(XFD1048576:A1)", kExcel12Grid).arguments[0],
            Argument{Ref(std::nullopt, 0, 1048575, 0, 16383)});
  EXPECT_EQ(Parsed("f(AAA1:iw65537)", kExcel12Grid).arguments[0],
            Argument{Ref(std::nullopt, 0, 65536, 256, 702)});
  for (const char* bad : {"f(XFE1)", "f(A1048577)", "f(A10485760)", "f(ABCD1)"}) {
    const ParsedFormula parsed = ParseFormula(bad, kExcel12Grid);
    EXPECT_FALSE(parsed.call.has_value()) << bad;
  }
  EXPECT_NE(ParseFormula("f(XFE1)", kExcel12Grid).error.find("(A1:XFD1048576)"), std::string::npos);
  EXPECT_NE(ParseFormula("f(IW1)", kExcel4Grid).error.find("(A1:IV65536)"), std::string::npos);
  std::string error;
  EXPECT_FALSE(ParseSelection("A1:A1048576", kExcel4Grid, error));
  EXPECT_TRUE(ParseSelection("A1:A1048576", kExcel12Grid, error)) << error;
}
