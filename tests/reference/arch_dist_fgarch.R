# GARCH(1,1) without a mean by fGarch's garchFit under the normal, t and GED, for
# generate_arch_dist.py. Arguments: name=path pairs, each file one return a line; then
# "reps=N" to time N t fits of the first series. Writes "name dist field values..." lines.
suppressMessages(library(fGarch))
args <- commandArgs(trailingOnly = TRUE)
reps <- 0
for (a in args) {
  kv <- strsplit(a, "=", fixed = TRUE)[[1]]
  if (kv[1] == "reps") { reps <- as.integer(kv[2]); next }
  e <- scan(kv[2], quiet = TRUE)
  for (d in c("norm", "std", "ged", "QMLE")) {
    fit <- function(x, shape = 4) garchFit(~garch(1, 1), data = x, include.mean = FALSE,
                                           cond.dist = d, shape = shape, trace = FALSE)
    out <- function(field, v) cat(kv[1], d, field, format(v, digits = 17), "\n")
    try_fit <- function(x, shape, how) tryCatch(fit(x, shape), error = function(err) {
      cat(kv[1], d, "failed", how, gsub("[\r\n]+", " ", conditionMessage(err)), "\n")
      NULL
    })
    # Defaults first. The GED's default start (shape 4) can give a density of 0 to an outlier,
    # where garchFit never leaves its start and its Hessian is singular: then shape starts at 2.
    # garchFit searches on e / sd(e) but inverts the Hessian in the series' units, which can be
    # singular for returns in units (omega ~ 1e-6): then the fit runs on 100 e and is carried
    # back (omega and its SE / 1e4, LL + T ln 100).
    c <- 1
    f <- try_fit(e, 4, "default")
    if (is.null(f) && d == "ged") f <- try_fit(e, 2, "shape_start_2")
    if (is.null(f)) { c <- 100; f <- fit(c * e, if (d == "ged") 2 else 4) }
    out("scaled", c)
    k <- ifelse(names(coef(f)) == "omega", c^2, 1)
    out("names", names(coef(f)))
    out("coef", unname(coef(f)) / k)
    # cvar: minus the inverse Hessian, or for QMLE the sandwich H^-1 G'G H^-1.
    out("se", unname(f@fit$se.coef) / k)
    out("llh", -f@fit$llh + length(e) * log(c))
    out("evaluations", f@fit$evaluations[["function"]])
  }
}
if (reps > 0) {
  e <- scan(strsplit(args[1], "=", fixed = TRUE)[[1]][2], quiet = TRUE)
  t <- system.time(for (i in 1:reps)
    f <- garchFit(~garch(1, 1), data = e, include.mean = FALSE, cond.dist = "std",
                  trace = FALSE))[["elapsed"]] / reps
  cat("timing std seconds", t, "\n")
}
