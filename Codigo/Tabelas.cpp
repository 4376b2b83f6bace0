// Every cell starts with a blank placeholder that becomes its length at load. Texts are the
// add-in's own, verbatim (typos and double blanks included: users and help files know them).
#include "Tabelas.h"

#include "xll/ExcelCall.h"

Language CurrentLanguage = Language::English;

// Columns: procedure, type text, function text, argument names, macro type, category,
// shortcut, help topic, function help, help of arguments 1 to 6.
FunctionRow FunctionTables[2][kFunctionRows] = {
    // Portuguese (Brazil)
    {
        {" skew", " PPAAII", " KV.SKEW", " Dados, Retornos, Amostragem, Tipo, Faixas", " 1",
         " Kavenlor", " ", " ", " Retorna a Skewness dos dados conforme os parâmetros informados",
         " Intervalo de dados. Células com texto ou em branco são ignoradas. Deve ser uma "
         "seleção de mais de 2 células com dados",
         " Opcional. Indica se os Dados representam cotações. Informe 0 (padrão) para dados ou "
         "1 para retornos de cotações",
         " Opcional. Indica se os dados se referem a uma amostra (informe 0) ou população "
         "(informe 1). O padrão é amostra (ou 0)",
         " Opcional. Indica que tipo de Skewness deve ser retornado. Informe 0 (padrão) para "
         "forma padrão, 1 para primeiro coeficiente da Skewness de Pearson ou 2 para segundo "
         "coeficiente da Skewness de Pearson",
         " Opcional. Obrigatório se Tipo igual a 1. Indica o número de faixas para o cálculo da "
         "moda. Deve ser maior do que 1 e menor do que metade do número total de dados",
         " "},
        {" kurt", " PPAA", " KV.KURT", " Dados, Retornos, Amostragem", " 1", " Kavenlor", " ", " ",
         " Retorna o excesso de Kurtosis dos dados em relação a uma distribuição normal ou "
         "gaussiana",
         " Intervalo de dados. Células com texto ou em branco são ignoradas. Deve ser uma "
         "seleção de mais de 3 células com dados",
         " Opcional. Indica se os Dados representam cotações. Informe 0 (padrão) para dados ou "
         "1 para retornos de cotações",
         " Opcional. Indica se os dados se referem a uma amostra (informe 0) ou população "
         "(informe 1). O padrão é amostra (ou 0)",
         " ", " ", " "},
        {" interpol", " PIPB", " KV.INTERPOLEX", " Dias Úteis, Curva de Juros, Anos Flat", " 1",
         " Kavenlor", " ", " ",
         " Retorna a taxas de juros interpolada exponencialmente ou extrapolada para o período "
         "indicado",
         " Número de dias úteis para o qual se deseja calcular a taxa de juros interpolada ou "
         "extrapolada",
         " Intervalo (matriz n linhas por 2 colunas) contendo a curva de juros - taxas ano base "
         "252 e dias úties",
         " Opcional. Número de anos (base 252) após o vencimento da última taxa indicada onde a "
         "curva de juros fica flat. O valor padrão é 0",
         " ", " ", " "},
        {" cspline", " PIP", " KV.CSPLINE", " Dias Úteis, Curva de Juros", " 1", " Kavenlor", " ",
         " ",
         " Retorna a taxas de juros interpolada utilizando Cubic Spline natural para o período "
         "indicado",
         " Número de dias úteis para o qual se deseja calcular a taxa de juros interpolada",
         " Intervalo (matriz n linhas por 2 colunas) contendo a curva de juros - taxas ano base "
         "252 e dias úties",
         " ", " ", " ", " "},
        {" ewv", " PPBAIA", " KV.EWV", " Dados, Decay, Ordem, Retornos, Média Nula", " 1",
         " Kavenlor", " ", " ",
         " Retorna a volatilidade e a média dos dados obtidos pelo alisamento exponencial e a "
         "tolerância",
         " Intervalo de dados. Células com texto ou em branco são ignoradas. Deve ser uma "
         "seleção de mais de 2 células com dados",
         " Fator de decaimento. Deve ser um número maior do que 0 e menor do que 1",
         " Opcional. Indica se os dados estão em ordem de antiguidade (informe 0) ou inversa "
         "(informe 1). O padrão é por antiguidade (ou 0)",
         " Opcional. Indica se os dados representam cotações. Informe 0 (padrão) para não "
         "modificar os dados, informe -1 para retornos ou informe 1 para retornos logarítmicos. "
         "O padrão é 0",
         " Opcional. Indica se a média utilizada nos cálculos de desvio padrão deve ser "
         "considerada nula (informe 1) ou calculada (informe 0). O padrão é calculada ou 0",
         " "},
    },
    // English (USA)
    {
        {" skew", " PPAAII", " KV.SKEW", " Data, Returns, Sample, Type, Intervals", " 1",
         " Kavenlor", " ", " ", " Skewness of data according parameters",
         " Range of data. Empty cells or cells with text will be disregarded. Must be a range "
         "with more than 2 valid cells",
         " Optional. Mark 0 (default) for asset prices or 1 for asset returns from asset prices",
         " Optional. Mark 0 (default) for sample or 1 for population",
         " Optional. Type of Skewness returned. Mark 0 (default) for standard, 1 for first "
         "Pearson coefficient or 2 for second Pearson coefficient",
         " Optional. Mandatory if Type equals to 1. Number of intervals considered in the mode. "
         "Must be greater than 1 and lesser than half total number of valid data",
         " "},
        {" kurt", " PPAA", " KV.KURT", " Data, Returns, Sample", " 1", " Kavenlor", " ", " ",
         " Extra Kurtosis of data related to normal distribution",
         " Range of data. Empty cells or cells with text will be disregarded. Must be a range "
         "with more than 3 valid cells",
         " Optional. Mark 0 (default) for asset prices or 1 for asset returns  from asset prices",
         " Optional. Mark 0 (default) for sample or 1 for population", " ", " ", " "},
        {" interpol", " PIPB", " KV.INTERPOLEX", " Workdays, Yield Curve, Years Flat", " 1",
         " Kavenlor", " ", " ",
         " Interest rate for Brazilian yield curve (base 252) using exponential interpolation or "
         "over the time rate",
         " Workdays for which interest rate is calculated",
         " Range (n rows and 2 columns) describing Brazilian yield curve - rates base 252 and "
         "workdays",
         " Optional. Number of years after the last rate and time informed where yield curve "
         "flats. Default value is 0",
         " ", " ", " "},
        {" cspline", " PIP", " KV.CSPLINE", " Workdays, Yield Curve", " 1", " Kavenlor", " ", " ",
         " Interest rate for Brazilian yield curve (base 252) using Natural Cubic Spline "
         "interpolation",
         " Workdays for which interest rate is calculated",
         " Range (n rows and 2 columns) describing Brazilian yield curve - rates base 252 and "
         "workdays",
         " ", " ", " ", " "},
        {" ewv", " PPBAIA", " KV.EWV", " Data, Decay, Order, Returns, Null Avg.", " 1", " Kavenlor",
         " ", " ",
         " Returns volatility and mean values for data using exponentially weighting and also "
         "tolerance",
         " Range of data. Empty cells or cells with text will be disregarded. Must be a range "
         "with more than 2 valid cells",
         " Decay factor. Must be greater than 0 and lesser than 1",
         " Optional. Mark 0 if data are time positioned with older data first or 1 reverse order",
         " Optional. Mark 0 (default) to normal data, -1 to treat as asset returns or 1 for asset "
         "log-returns treatment",
         " Optional. Mark 0 (default) to calculate sample median values or 1 to make sample "
         "median values equal to zero",
         " "},
    },
};

// Columns: procedure, type text, command name, argument text, macro type, category, shortcut.
CommandRow CommandTable[kCommandRows] = {
    {" kv_chama_hist", " A", " kv_menu_hist", " ", " 2", " Kavenlor", " "},
    {" kv_chama_cmp", " A", " kv_menu_cmp", " ", " 2", " Kavenlor", " "},
    {" kv_chama_pca", " A", " kv_menu_pca", " ", " 2", " Kavenlor", " "},
    {" kv_chama_ica", " A", " kv_menu_ica", " ", " 2", " Kavenlor", " "},
    {" kv_chama_rlm", " A", " kv_menu_rlm", " ", " 2", " Kavenlor", " "},
    {" kv_chama_ewv", " A", " kv_menu_ewv", " ", " 2", " Kavenlor", " "},
    {" kv_chama_arch", " A", " kv_menu_arch", " ", " 2", " Kavenlor", " "},
    {" kv_chama_exibir", " A", " kv_menu_exibir", " ", " 2", " Kavenlor", " "},
    {" kv_chama_port", " A", " kv_menu_port", " ", " 2", " Kavenlor", " "},
    {" kv_chama_ing", " A", " kv_menu_ing", " ", " 2", " Kavenlor", " "},
    {" kv_chama_ajuda", " A", " kv_menu_ajuda", " ", " 2", " Kavenlor", " "},
    {" kv_chama_sobre", " A", " kv_menu_sobre", " ", " 2", " Kavenlor", " "},
};

// Columns: text, command, (empty), status-bar text, (empty). Separator rows hold one blank as
// their command.
MenuRow MenuTables[2][kMenuRows] = {
    {
        {" &Kavenlor", " ", " ", " Add-in métrico para Mercado Financeiro", " "},
        {" &Histograma", " kv_menu_hist", " ", " Apresentação de histograma de dados", " "},
        {" &CSpline x Exp", " kv_menu_cmp", " ", " Gráfico comparativo de interpolações", " "},
        {" &PCA", " kv_menu_pca", " ", " Principal Component Analysis", " "},
        {" &ICA", " kv_menu_ica", " ", " Independent Component Analysis", " "},
        {" &RLM", " kv_menu_rlm", " ", " Regressão Linear Múltipla", " "},
        {" &Decay EWV ótimo", " kv_menu_ewv", " ", " Cálculo do alisamento exponencial ótimo", " "},
        {" &Família ARCH", " kv_menu_arch", " ", " Volatilidade condicional por ?ARCH", " "},
        {" -", "  ", " ", " ", " "},
        {" &Exibir barra Kavenlor", " kv_menu_exibir", " ", " Mostra barra de ferramentas Kavenlor",
         " "},
        {" &Ajuda na Web", " kv_menu_ajuda", " ", " Busca páginas de ajuda na web", " "},
        {" -", "  ", " ", " ", " "},
        {" &Sobre", " kv_menu_sobre", " ", " Informações sobre a Corvane Lathi", " "},
    },
    {
        {" &Kavenlor", " ", " ", " Metric add-in for financial market", " "},
        {" &Histogram", " kv_menu_hist", " ", " Data histogram", " "},
        {" &CSpline x Exp", " kv_menu_cmp", " ",
         " Comparative chart for cubic spline and exponential interpolation", " "},
        {" &PCA", " kv_menu_pca", " ", " Principal Component Analysis", " "},
        {" &ICA", " kv_menu_ica", " ", " Independent Component Analysis", " "},
        {" ML&R", " kv_menu_rlm", " ", " Multiple Linear Regressions", " "},
        {" Best EWV &Decay", " kv_menu_ewv", " ", " Best Exponentially Weighting Volatility", " "},
        {" &ARCH Family", " kv_menu_arch", " ", " Volatility ?ARCH model", " "},
        {" -", "  ", " ", " ", " "},
        {" Sh&ow Kavenlor bar", " kv_menu_exibir", " ", " Show Kavenlor toolbar", " "},
        {" H&elp on line", " kv_menu_ajuda", " ", " Help on line - Corvane Lathi", " "},
        {" -", "  ", " ", " ", " "},
        {" A&bout", " kv_menu_sobre", " ", " About Corvane Lathi", " "},
    },
};

MenuRow SubmenuTables[2][kSubmenuRows] = {
    {
        {" Idio&ma", " ", " ", " Idioma para o KAVENLOR", " "},
        {" &Português (Brasil)", " kv_menu_port", " ", " Língua portuguesa (Brasil)", " "},
        {" &Inglês (EUA)", " kv_menu_ing", " ", " Língua inglesa (EUA)", " "},
    },
    {
        {" Idio&m", " ", " ", " Idiom for KAVENLOR", " "},
        {" &Portuguese (Brazil)", " kv_menu_port", " ", " Portuguese language (Brazil)", " "},
        {" &English (USA)", " kv_menu_ing", " ", " English language (USA)", " "},
    },
};

// Columns: id, command, pressed, enabled, face, status-bar text, balloon, help topic, tip.
ToolbarRow ToolbarTables[2][kToolbarRows] = {
    {
        {" 211", " kv_menu_hist", " FALSE", " TRUE", " ", " Histograma de dados", " ", " ",
         " Histograma"},
        {" 211", " kv_menu_cmp", " FALSE", " TRUE", " ", " Gráfico comparativo de interpolações",
         " ", " ", " CSpline x Exp"},
        {" 211", " kv_menu_pca", " FALSE", " TRUE", " ", " Principal Component Analysis", " ", " ",
         " Análise de Componentes Principais"},
        {" 211", " kv_menu_ica", " FALSE", " TRUE", " ", " Independent Component Analysis", " ",
         " ", " Análise de Componentes Independentes"},
        {" 211", " kv_menu_rlm", " FALSE", " TRUE", " ", " Regressão Linear Múltipla", " ", " ",
         " Regressão Linear Múltipla"},
        {" 211", " kv_menu_ewv", " FALSE", " TRUE", " ", " Alisamento Exponencial Ótimo", " ", " ",
         " Decay Ótimo"},
        {" 211", " kv_menu_arch", " FALSE", " TRUE", " ", " Volatilidade condicional por ?ARCH",
         " ", " ", " Família ARCH"},
        {" 0", " ", " ", " ", " ", " ", " ", " ", " "},
        {" 211", " kv_menu_ajuda", " FALSE", " TRUE", " ", " Ajuda na Web para Kavenlor", " ", " ",
         " Ajuda na Web - Kavenlor"},
    },
    {
        {" 211", " kv_menu_hist", " FALSE", " TRUE", " ", " Data histogram", " ", " ",
         " Histogram"},
        {" 211", " kv_menu_cmp", " FALSE", " TRUE", " ",
         " Comparative graphic for cubic spline and exponential interpolation", " ", " ",
         " CSpline x Exp"},
        {" 211", " kv_menu_pca", " FALSE", " TRUE", " ", " Principal Component Analysis", " ", " ",
         " Principal Component Analysis"},
        {" 211", " kv_menu_ica", " FALSE", " TRUE", " ", " Independent Component Analysis", " ",
         " ", " Independent Component Analysis"},
        {" 211", " kv_menu_rlm", " FALSE", " TRUE", " ", " Multiple Linear Regressions", " ", " ",
         " Multiple Linear Regressions"},
        {" 211", " kv_menu_ewv", " FALSE", " TRUE", " ", " Best Exponentially Weighting Volatility",
         " ", " ", " Best Decay"},
        {" 211", " kv_menu_arch", " FALSE", " TRUE", " ", " Volatility ?ARCH model", " ", " ",
         " ARCH Family"},
        {" 0", " ", " ", " ", " ", " ", " ", " ", " "},
        {" 211", " kv_menu_ajuda", " FALSE", " TRUE", " ", " Kavenlor help on line", " ", " ",
         " Help on line - Kavenlor"},
    },
};

const char* const ToolbarPictures[kToolbarRows] = {
    "img\\hist.bmp", "img\\cmp.bmp", "img\\pca.bmp", "img\\ica.bmp",
    "img\\rlm.bmp",  "img\\ewv.bmp", "img\\arc.bmp", "",
    "img\\hlp.bmp"};

namespace {
template <std::size_t Columns> void StampRows(TableCell (*rows)[Columns], int row_count) {
  for (int row = 0; row < row_count; ++row)
    for (std::size_t column = 0; column < Columns; ++column)
      StampCountedText(rows[row][column]);
}
} // namespace

void StampLanguageTables(Language language) {
  StampRows(FunctionTable(language), kFunctionRows);
  StampRows(CommandTable, kCommandRows);
  StampRows(MenuTable(language), kMenuRows);
  StampRows(SubmenuTable(language), kSubmenuRows);
  StampRows(ToolbarTable(language), kToolbarRows);
}
