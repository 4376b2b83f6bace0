# GARCH(1,1) without a mean on the DEM/GBP daily returns (data/dem2gbp.csv, in percent) by R's
# fGarch (Gaussian, Student's t and GED errors) and tseries: time per fit, likelihood evaluations and the estimates, to set beside
# bench_regression_volatility's BM_Garch11DemGbp.
#   Rscript bench/r_garch.R [path/to/dem2gbp.csv]
suppressMessages({library(fGarch); library(tseries)})
args <- commandArgs(trailingOnly = TRUE)
path <- if (length(args)) args[1] else "data/dem2gbp.csv"
e <- scan(path, skip = 1, quiet = TRUE)
reps <- 20
t1 <- system.time(for (i in 1:reps)
  f <- garchFit(~garch(1, 1), data = e, include.mean = FALSE, trace = FALSE))[["elapsed"]] / reps
t2 <- system.time(for (i in 1:reps)
  g <- garch(e, order = c(1, 1), trace = FALSE))[["elapsed"]] / reps
# tseries prints its counts from Fortran, past R's connections: read them from a child R.
child <- sprintf("suppressMessages(library(tseries)); invisible(garch(scan('%s', skip = 1, quiet = TRUE), order = c(1, 1), trace = TRUE))", path)
log <- system2(file.path(R.home("bin"), "Rscript"), c("-e", shQuote(child)), stdout = TRUE)
nfev <- gsub(" +", " ", grep("FUNC. EVALS", log, value = TRUE))
cat(sprintf("fGarch  %.1f ms  evaluations %s  omega %.6f alpha %.6f beta %.6f\n", 1000 * t1,
            f@fit$evaluations[["function"]], coef(f)[1], coef(f)[2], coef(f)[3]))
t3 <- system.time(for (i in 1:reps)
  h <- garchFit(~garch(1, 1), data = e, include.mean = FALSE, cond.dist = "std",
                trace = FALSE))[["elapsed"]] / reps
t4 <- system.time(for (i in 1:reps)
  k <- garchFit(~garch(1, 1), data = e, include.mean = FALSE, cond.dist = "ged",
                trace = FALSE))[["elapsed"]] / reps
cat(sprintf("fGarch t   %.1f ms  omega %.6f alpha %.6f beta %.6f shape %.4f  LLF %.3f\n", 1000 * t3,
            coef(h)[1], coef(h)[2], coef(h)[3], coef(h)[4], -h@fit$llh))
cat(sprintf("fGarch GED %.1f ms  omega %.6f alpha %.6f beta %.6f shape %.4f  LLF %.3f\n", 1000 * t4,
            coef(k)[1], coef(k)[2], coef(k)[3], coef(k)[4], -k@fit$llh))
cat(sprintf("tseries %.1f ms  %s  omega %.6f alpha %.6f beta %.6f\n", 1000 * t2,
            paste(trimws(nfev), collapse = " "), coef(g)[1], coef(g)[2], coef(g)[3]))
