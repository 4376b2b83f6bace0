// What cells show in their number formats, how wide texts are, and the R1C1 references of chart
// series: the host model's pieces that the cell commands, the xlsx writer and the dump share.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <optional>

#include "model/number_display.h"
#include "model/references.h"
#include "model/text_width.h"
#include "portuguese_locale.h"

using namespace kvhost;

namespace {
struct Shown {
  double number;
  const char* format;
  const char* text;
};

// Excel's display of these numbers in these formats (rounding half away from zero on the decimal
// digits: 2.675 is 2.67499999999999982236431605997495353221893310546875 in binary).
constexpr Shown kFormats[] = {
    {0.123456, "0.000", "0.123"},
    {0.0123456, "0.000%", "1.235%"},
    {0.5, "0.0%", "50.0%"},
    {2.5, "0", "3"},
    {-2.5, "0", "-3"},
    {2.675, "0.00", "2.68"},
    {-0.004, "0.00", "-0.00"},
    {0, "0.00%", "0.00%"},
    {99.96, "0.0", "100.0"},
    {1234567.891, "#,##0.0000", "1,234,567.8910"},
    {12.5, "#,##0.0000", "12.5000"},
    {0.12, "0.0####%", "12.0%"},
    {0.1234567, "0.0####%", "12.34567%"},
    {12345.678, "0.000E+00", "1.235E+04"},
    {0.000123, "0.000E+00", "1.230E-04"},
    {-9.9996, "0.000E+00", "-1.000E+01"},
    {0.5, "#.00", ".50"},
    {3, "General", "3"},
};

struct General {
  double number;
  const char* text;
};
constexpr General kGeneral[] = {
    {1.0 / 3, "0.333333333"},
    {-1.0 / 3, "-0.33333333"},
    {0.1 + 0.2, "0.3"},
    {12345678901, "12345678901"},
    {123456789012, "1.23457E+11"},
    {1.234e-10, "1.234E-10"},
    {1e20, "1E+20"},
    {100, "100"},
    {-0.5, "-0.5"},
    {1e-7, "0.0000001"},
    {123456.7891234, "123456.7891"},
};
} // namespace

TEST(NumberDisplay, FormatsTheAddInUses) {
  for (const Shown& shown : kFormats)
    EXPECT_EQ(FormatNumber(shown.number, shown.format), shown.text)
        << shown.number << " in " << shown.format;
  for (const char* unknown : {"0.0 \"kg\"", "@", "0,", "dd/mm/yyyy", "", "0.0;-0.0"})
    EXPECT_FALSE(FormatNumber(1.5, unknown)) << '"' << unknown << "\" is not read";
}

TEST(NumberDisplay, GeneralFitsElevenCharacters) {
  for (const General& general : kGeneral) {
    EXPECT_EQ(GeneralDisplay(general.number), general.text) << general.number;
    EXPECT_LE(GeneralDisplay(general.number).size(), 11u);
  }
  EXPECT_EQ(CellDisplayText(Value::Number(0.25), "0.0%"), "25.0%");
  EXPECT_EQ(CellDisplayText(Value::Number(0.25), "mystery"), "0.25") << "General instead";
  EXPECT_EQ(CellDisplayText(Value::Error(42), "0.00"), "#N/A");
  EXPECT_EQ(CellDisplayText(Value::Boolean(true), "0.00"), "TRUE");
  EXPECT_EQ(CellDisplayText(Value::Text("Média"), "0.00"), "Média");
  EXPECT_EQ(CellDisplayText(Value::Text("0.5"), "0.0%"), "0.5") << "a text is not formatted";
  EXPECT_EQ(CellDisplayText(Value::Error(99), "0.00"), "#VALUE!") << "a code Excel does not have";
  EXPECT_EQ(CellDisplayText(Value{}, "0.00"), "");
}

// The process locale never reaches what cells show.
TEST(NumberDisplay, IgnoresThePortugueseLocale) {
  std::optional<std::string> shown;
  std::string general;
  {
    kvtest::PtBrLocale pt_br;
    if (!pt_br.WhyNot().empty()) GTEST_SKIP() << pt_br.WhyNot();
    shown = FormatNumber(1234.5678, "#,##0.0000");
    general = GeneralDisplay(0.25);
  }
  EXPECT_EQ(shown, "1,234.5678");
  EXPECT_EQ(general, "0.25");
}

TEST(TextWidth, ArialAtTenPointAndBold) {
  const FontFormat regular, bold{"Arial", 10, true};
  EXPECT_EQ(TextWidthPixels("0123456789", regular), 10 * kStandardDigitPixels);
  EXPECT_EQ(TextWidthPixels("Gráfico", regular), TextWidthPixels("Grafico", regular))
      << "an accent adds no width";
  EXPECT_GT(TextWidthPixels("Freq. Normalizadas", bold),
            TextWidthPixels("Freq. Normalizadas", regular));
  EXPECT_GT(TextWidthPixels("WWW", regular), TextWidthPixels("iii", regular));
  EXPECT_EQ(TextWidthPixels("00", FontFormat{"Arial", 20}), 30) << "15 pixels a digit at 20 pt";
}

TEST(References, ReadR1C1AndWriteA1) {
  const auto values = ParseR1C1Reference("=Histograma!R14C1:R23C1");
  ASSERT_TRUE(values);
  EXPECT_EQ(values->sheet, "Histograma");
  EXPECT_EQ(values->range, (CellRange{13, 22, 0, 0}));
  EXPECT_EQ(A1Reference(*values), "Histograma!$A$14:$A$23");

  const auto quoted = ParseR1C1Reference("='Gráfico Área 1'!R23C4:R14C2");
  ASSERT_TRUE(quoted);
  EXPECT_EQ(quoted->sheet, "Gráfico Área 1");
  EXPECT_EQ(quoted->range, (CellRange{13, 22, 1, 3})) << "corners in any order";
  EXPECT_EQ(A1Reference(*quoted), "'Gráfico Área 1'!$B$14:$D$23");
  EXPECT_EQ(A1Reference(*ParseR1C1Reference("='it''s'!R1C256")), "'it''s'!$IV$1");
  EXPECT_EQ(A1Reference(SheetReference{"A1", CellRange{}}), "'A1'!$A$1") << "looks like a cell";
  EXPECT_EQ(A1Reference(SheetReference{"CS x Exp", CellRange{3, 3, 27, 27}}), "'CS x Exp'!$AB$4");

  for (const char* bad : {"Histograma!R1C1", "=Histograma!R0C1", "=Histograma!R65537C1",
                          "=Histograma!R1C257", "=Histograma!R[1]C1", "=Histograma!A1", "=R1C1",
                          "='open!R1C1", "=a b!R1C1", "=Histograma!R1C1:", "=!R1C1"})
    EXPECT_FALSE(ParseR1C1Reference(bad, kExcel4Grid)) << bad;
  EXPECT_EQ(A1Reference(*ParseR1C1Reference("=Histograma!R1048576C16384")),
            "Histograma!$XFD$1048576")
      << "the last cell of Excel 12's grid";
  EXPECT_FALSE(ParseR1C1Reference("=Histograma!R1C16385"));
}
