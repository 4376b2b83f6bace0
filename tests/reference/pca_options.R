# Sampling adequacy, Bartlett's sphericity and component scores by psych, for
# generate_pca_options.py. Each argument NAME=PATH:K reads the data of PATH (one observation a
# line, values separated by blanks) and writes "NAME field values..." lines: KMO's overall MSA
# and MSAi, cortest.bartlett's chi-squared, df and p, and principal()'s scores with K
# components, unrotated and varimax-rotated (the rotation run to eps = 1e-14), by columns.
suppressMessages(library(psych))
num <- function(v) paste(sprintf("%.17g", unname(v)), collapse = " ")
for (a in commandArgs(trailingOnly = TRUE)) {
  kv <- strsplit(a, "=", fixed = TRUE)[[1]]
  where <- strsplit(kv[2], ":", fixed = TRUE)[[1]]
  x <- as.matrix(read.table(where[1]))
  k <- as.integer(where[2])
  r <- cor(x)
  out <- function(field, v) cat(kv[1], field, num(v), "\n")
  m <- KMO(r)
  out("kmo", m$MSA)
  out("msa", m$MSAi)
  b <- cortest.bartlett(r, n = nrow(x))
  out("bartlett", c(b$chisq, b$df, b$p.value))
  out("scores", principal(x, nfactors = k, rotate = "none", scores = TRUE)$scores)
  out("rotated", principal(x, nfactors = k, rotate = "varimax", scores = TRUE, eps = 1e-14)$scores)
}
