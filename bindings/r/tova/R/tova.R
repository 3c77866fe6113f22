# TOVA's analysis of mixed data. A data set is a data frame of numbers (NA for
# a missing value) with the attributes "tova_types" (one type code per
# variable: 1 to 7, 33, 34) and "tova_periods" (the period of each circular
# variable, types 6 and 34; 0 for the others). Every number below is the one
# the console program prints or writes for the same data.

.tova_parts <- function(x) {
  types <- attr(x, "tova_types")
  if (is.null(types)) stop("no type codes: make the data set with tova_read() or tova_data()")
  periods <- attr(x, "tova_periods")
  if (is.null(periods)) periods <- numeric(length(types))
  values <- vapply(x, as.numeric, numeric(nrow(x)))
  dim(values) <- c(nrow(x), length(x))
  list(values = values, types = as.integer(types), periods = as.numeric(periods))
}

tova_read <- function(path) {
  d <- .tova_read_file(path.expand(path))
  df <- as.data.frame(d$values)
  names(df) <- paste0("V", seq_len(ncol(df)))
  attr(df, "tova_types") <- d$types
  attr(df, "tova_periods") <- d$periods
  attr(df, "title") <- d$title
  df
}

tova_data <- function(df, types, periods = NULL) {
  df <- as.data.frame(df)
  if (length(types) != ncol(df)) {
    stop(length(types), " type codes for ", ncol(df), " variables: state the type of every variable")
  }
  circular <- .tova_circular(as.integer(types))
  if (is.null(periods)) periods <- numeric(0)
  if (length(periods) == sum(circular) && length(periods) != ncol(df)) {
    full <- numeric(ncol(df))
    full[circular] <- periods
    periods <- full
  }
  if (length(periods) == 0) periods <- numeric(ncol(df))
  if (length(periods) != ncol(df)) stop("give one period per circular variable, or one per variable")
  out <- as.data.frame(lapply(df, function(v) {
    if (is.factor(v) || is.logical(v)) as.numeric(as.integer(v)) else as.numeric(v)
  }), check.names = FALSE)
  rownames(out) <- rownames(df)
  attr(out, "tova_types") <- as.integer(types)
  attr(out, "tova_periods") <- as.numeric(periods)
  out
}

tova_dcor <- function(x, threads = 0L) {
  p <- .tova_parts(x)
  r <- .tova_associate(p$values, p$types, p$periods, as.integer(threads))$d_correlation
  dimnames(r) <- list(names(x), names(x))
  r
}

tova_pca <- function(x, threads = 0L) {
  p <- .tova_parts(x)
  r <- .tova_pca(p$values, p$types, p$periods, as.integer(threads))
  dimnames(r$loadings) <- list(names(x), paste0("PC", seq_len(ncol(r$loadings))))
  r$loads <- r$loadings[, seq_len(r$loads_columns), drop = FALSE]
  r$variables <- names(x)
  class(r) <- "tova_pca"
  r
}

print.tova_pca <- function(x, ...) {
  cat("TOVA principal components of the D-correlation matrix\n")
  cat(length(x$eigenvalues), "variables,", x$positive_count, "positive eigenvalues, sum",
      format(x$positive_sum), "\n\nEigenvalues:\n")
  print(x$eigenvalues)
  cat("\nLoadings (LOADS.TXT):\n")
  print(round(x$loads, 6))
  invisible(x)
}

summary.tova_pca <- function(object, ...) {
  k <- object$positive_count
  table <- rbind(Eigenvalue = object$eigenvalues[seq_len(k)],
                 Percent = object$percentages,
                 Cumulative = cumsum(object$percentages))
  colnames(table) <- paste0("PC", seq_len(k))
  structure(list(importance = table, levels = length(object$levels),
                 threshold = object$threshold), class = "summary.tova_pca")
}

print.summary.tova_pca <- function(x, ...) {
  cat("Importance of components:\n")
  print(round(x$importance, 4))
  cat("\nJacobi iteration:", x$levels, "threshold levels down to", format(x$threshold), "\n")
  invisible(x)
}

plot.tova_pca <- function(x, which = c("scree", "loadings"), ...) {
  which <- match.arg(which)
  if (which == "scree") {
    k <- length(x$eigenvalues)
    plot(seq_len(k), x$eigenvalues, type = "b", pch = 19, xlab = "Component",
         ylab = "Eigenvalue", main = "Scree plot", xaxt = "n", ...)
    graphics::axis(1, at = seq_len(k))
    abline(h = 1, lty = 2, col = "grey50")
  } else {
    if (ncol(x$loadings) < 2) stop("fewer than two positive components")
    l <- x$loadings[, 1:2, drop = FALSE]
    lim <- c(-1, 1) * max(1, abs(l))
    plot(l, type = "n", xlim = lim, ylim = lim, asp = 1,
         xlab = sprintf("PC1 (%.1f%%)", x$percentages[1]),
         ylab = sprintf("PC2 (%.1f%%)", x$percentages[2]), main = "Loadings", ...)
    abline(h = 0, v = 0, col = "grey70")
    theta <- seq(0, 2 * pi, length.out = 200)
    lines(cos(theta), sin(theta), col = "grey70")
    arrows(0, 0, l[, 1], l[, 2], length = 0.08, col = "steelblue")
    text(l[, 1], l[, 2], labels = rownames(l), pos = ifelse(l[, 1] >= 0, 4, 2), cex = 0.8)
  }
  invisible(x)
}

.tova_dist <- function(values, n, labels, method) {
  if (is.null(labels)) labels <- as.character(seq_len(n))
  if (length(labels) != n) stop(length(labels), " labels for ", n, " objects")
  structure(values, Size = n, Labels = labels, Diag = FALSE, Upper = FALSE,
            method = method, class = "dist")
}

tova_gower <- function(x, threads = 0L) {
  p <- .tova_parts(x)
  d <- .tova_gower(p$values, p$types, p$periods, as.integer(threads))
  .tova_dist(d, nrow(x), rownames(x), "gower (TOVA)")
}

# Numbers as the console program writes them, NaN and INF included.
.tova_numbers <- function(tokens, path) {
  t <- toupper(tokens)
  v <- suppressWarnings(as.numeric(tokens))
  v[t %in% c("NAN", "-NAN")] <- NaN
  v[t == "INF" | t == "+INF"] <- Inf
  v[t == "-INF"] <- -Inf
  bad <- is.na(v) & !is.nan(v)
  if (any(bad)) stop(path, ": not a number: ", tokens[which(bad)[1]])
  v
}

.tova_tokens <- function(lines) {
  t <- unlist(strsplit(trimws(lines), "[[:space:]]+"))
  t[nzchar(t)]
}

read_matrix_dis <- function(path, labels = NULL) {
  lines <- readLines(path, warn = FALSE)
  n <- suppressWarnings(as.integer(trimws(lines[2])))
  if (length(lines) < 2 || is.na(n)) stop(path, ": no object count on the second line")
  v <- .tova_numbers(.tova_tokens(lines[-(1:2)]), path)
  pairs <- tryCatch(.tova_condensed(v, n),
                    error = function(e) stop(path, ": ", conditionMessage(e), call. = FALSE))
  .tova_dist(pairs, n, labels, "MATRIX.DIS")
}

read_loads <- function(path) {
  lines <- readLines(path, warn = FALSE)
  size <- suppressWarnings(as.integer(.tova_tokens(lines[2])))
  if (length(lines) < 2 || length(size) != 2 || anyNA(size)) stop(path, ": no sizes on the second line")
  m <- size[1]
  k <- size[2]
  if (length(lines) < 2 + m) stop(path, ": ", length(lines) - 2, " rows for ", m, " variables")
  rows <- lapply(lines[2 + seq_len(m)], function(l) .tova_numbers(.tova_tokens(l), path))
  if (any(lengths(rows) != k)) stop(path, ": a row without ", k, " values")
  matrix(unlist(rows), nrow = m, ncol = k, byrow = TRUE,
         dimnames = list(NULL, if (k > 0) paste0("PC", seq_len(k))))
}
