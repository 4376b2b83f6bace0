# Least-squares diagnostics by sandwich, lmtest and tseries, for
# generate_regression_diagnostics.py. Arguments:
#   lifecycle=PATH      write R's LifeCycleSavings (sr, pop15, pop75, dpi, ddpi) to PATH, one
#                       row a line, values separated by blanks;
#   NAME=PATH:LAGS      fit column 1 of PATH (same format) on an intercept and the other
#                       columns, and write "NAME field values..." lines: the coefficients,
#                       the HC0 .. HC3 and Newey-West covariances, Breusch-Godfrey (order 1),
#                       Breusch-Pagan (Koenker), RESET (yhat^2, yhat^3) and Jarque-Bera.
suppressMessages({
  library(sandwich)
  library(lmtest)
  library(tseries)
})
num <- function(v) paste(sprintf("%.17g", unname(v)), collapse = " ")
for (a in commandArgs(trailingOnly = TRUE)) {
  kv <- strsplit(a, "=", fixed = TRUE)[[1]]
  if (kv[1] == "lifecycle") {
    d <- LifeCycleSavings[, c("sr", "pop15", "pop75", "dpi", "ddpi")]
    writeLines(apply(d, 1, num), kv[2])
    next
  }
  where <- strsplit(kv[2], ":", fixed = TRUE)[[1]]
  d <- as.matrix(read.table(where[1]))
  lags <- as.integer(where[2])
  y <- d[, 1]
  x <- d[, -1, drop = FALSE]
  fit <- lm(y ~ x)
  out <- function(field, v) cat(kv[1], field, num(v), "\n")
  out("coef", coef(fit))
  # Covariance matrices whole, by columns.
  for (type in c("HC0", "HC1", "HC2", "HC3")) out(type, vcovHC(fit, type = type))
  out("NeweyWest", NeweyWest(fit, lag = lags, prewhite = FALSE, adjust = FALSE))
  out("bg", bgtest(fit, order = 1, type = "Chisq", fill = 0)$statistic)
  out("bp", bptest(fit, studentize = TRUE)$statistic)
  # Undefined when the augmented fit leaves no degree of freedom (resettest gives -Inf then).
  r <- tryCatch(resettest(fit, power = 2:3, type = "fitted"), error = function(e) NULL)
  if (!is.null(r) && r$parameter[2] >= 1) out("reset", c(r$statistic, r$parameter))
  out("jb", jarque.bera.test(residuals(fit))$statistic)
}
